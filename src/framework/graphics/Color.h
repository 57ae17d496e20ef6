#pragma once

#include <cstdint>

namespace Vesk
{

// A colour with 8-bit channels held as ints (0..255). The default is opaque black. Fills, lines,
// text and colourized images take it from the drawing state.
struct Color
{
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 255;

    constexpr Color() = default;
    constexpr Color(int red, int green, int blue, int alpha = 255) : red(red), green(green), blue(blue), alpha(alpha) {}

    // From a packed 0xAARRGGBB value.
    static constexpr Color FromARGB(uint32_t argb)
    {
        return Color(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF), int(argb >> 24));
    }
    // Packed 0xAARRGGBB; channels outside 0..255 are clamped.
    constexpr uint32_t ToARGB() const
    {
        return (uint32_t(Clamp(alpha)) << 24) | (uint32_t(Clamp(red)) << 16) | (uint32_t(Clamp(green)) << 8) |
               uint32_t(Clamp(blue));
    }
    constexpr bool IsWhite() const { return red == 255 && green == 255 && blue == 255 && alpha == 255; }

    constexpr bool operator==(const Color&) const = default;

    static const Color White;
    static const Color Black;

private:
    static constexpr int Clamp(int value) { return value < 0 ? 0 : (value > 255 ? 255 : value); }
};

inline constexpr Color Color::White{255, 255, 255, 255};
inline constexpr Color Color::Black{0, 0, 0, 255};

} // namespace Vesk
