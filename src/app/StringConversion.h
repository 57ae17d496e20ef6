#pragma once

#include <string>

namespace Vesk
{

// The number conversions used for every value of the configuration files and for the
// numeric attributes of the content records.
//
// StringToInt accepts an optional leading "-" followed by decimal digits, or "0x"/"0X"
// followed by hexadecimal digits of either case. Hexadecimal values are 32-bit patterns, so
// "0xFF000000" (an opaque black colour) reads as the negative int with those bits; more than
// eight significant hexadecimal digits, or a decimal value outside the int range, is
// malformed. Any other character, a missing digit or an empty text is malformed as well.
//
// StringToDouble accepts an optional leading "-", decimal digits, optionally a "." and
// fraction digits (at least one digit in all); no exponent, no other character.
//
// Both return true on success. On malformed input they return false and store 0.
bool StringToInt(const std::string& text, int& value);
bool StringToDouble(const std::string& text, double& value);

} // namespace Vesk
