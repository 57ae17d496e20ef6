#include "app/StringConversion.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace Vesk
{

namespace
{

bool IsDigit(char character)
{
    return character >= '0' && character <= '9';
}

int HexDigitValue(char character)
{
    if (IsDigit(character))
        return character - '0';
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    return -1;
}

bool ParseHexadecimal(const std::string& text, int& value)
{
    if (text.size() <= 2)
        return false;
    uint64_t bits = 0;
    for (size_t i = 2; i < text.size(); ++i)
    {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0)
            return false;
        bits = bits * 16 + static_cast<uint64_t>(digit);
        if (bits > std::numeric_limits<uint32_t>::max())
            return false;
    }
    value = static_cast<int>(static_cast<uint32_t>(bits));
    return true;
}

bool ParseDecimal(const std::string& text, int& value)
{
    const bool negative = !text.empty() && text[0] == '-';
    const size_t start = negative ? 1 : 0;
    if (start == text.size())
        return false;
    // Accumulated as a magnitude, which may reach 2^31 for the most negative int.
    const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
    int64_t magnitude = 0;
    for (size_t i = start; i < text.size(); ++i)
    {
        if (!IsDigit(text[i]))
            return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit)
            return false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

} // namespace

bool StringToInt(const std::string& text, int& value)
{
    const bool hexadecimal = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    int result = 0;
    if (hexadecimal ? ParseHexadecimal(text, result) : ParseDecimal(text, result))
    {
        value = result;
        return true;
    }
    value = 0;
    return false;
}

bool StringToDouble(const std::string& text, double& value)
{
    value = 0.0;
    size_t position = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++position;

    double whole = 0.0;
    int digits = 0;
    for (; position < text.size() && IsDigit(text[position]); ++position, ++digits)
        whole = whole * 10.0 + (text[position] - '0');

    // Each fraction digit is added with its own factor 0.1, 0.01, ... in turn. The sum can
    // differ from the nearest double in the last bit ("0.29" reads as 0.29000000000000004), and
    // values that are later scaled and truncated depend on exactly that sum.
    double result = whole;
    if (position < text.size() && text[position] == '.')
    {
        double factor = 0.1;
        for (++position; position < text.size() && IsDigit(text[position]); ++position, ++digits)
        {
            result += (text[position] - '0') * factor;
            factor /= 10.0;
        }
    }
    if (position != text.size() || digits == 0)
        return false;
    if (!std::isfinite(result))
        return false;
    value = negative ? -result : result;
    return true;
}

} // namespace Vesk
