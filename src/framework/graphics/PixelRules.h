#pragma once

#include "framework/graphics/Color.h"

#include <cstdint>

namespace Vesk
{

// The per-pixel arithmetic every software primitive shares, in one place so that the fast paths
// and the plain loops compute the very same values. Pixels are 0xAARRGGBB.
//
// Two destination rules exist:
// - memory images composite a straight source over a straight destination with destination
//   alpha (Over), or add through the saturation table keeping the destination alpha (Add);
// - the display (an opaque screen) adds a premultiplied source to the destination scaled by the
//   source's inverse alpha (PremulOver), or adds the premultiplied source (PremulAdd).
class PixelRules
{
public:
    static constexpr uint32_t Alpha(uint32_t pixel) { return pixel >> 24; }

    // The colour weight of a source of alpha sA over a destination of resulting alpha r:
    // sA * 256 / r, so an opaque source or a transparent destination gives the source exactly.
    static constexpr uint32_t Weight(uint32_t sourceAlpha, uint32_t resultAlpha)
    {
        return sourceAlpha * 256 / resultAlpha;
    }

    // Straight source over straight destination.
    static inline uint32_t Over(uint32_t src, uint32_t dst)
    {
        uint32_t sA = src >> 24;
        if (sA == 0)
            return dst;
        uint32_t dA = dst >> 24;
        uint32_t r = dA + (255 - dA) * sA / 255;
        uint32_t w = Weight(sA, r);
        return (r << 24) | (Mix(src >> 16, dst >> 16, w) << 16) | (Mix(src >> 8, dst >> 8, w) << 8) | Mix(src, dst, w);
    }

    // Straight source over a destination treated as opaque whose alpha byte is left as it is.
    static inline uint32_t OverOpaque(uint32_t src, uint32_t dst)
    {
        uint32_t sA = src >> 24;
        if (sA == 0)
            return dst;
        uint32_t w = Weight(sA, 255);
        return (dst & 0xFF000000) | (Mix(src >> 16, dst >> 16, w) << 16) | (Mix(src >> 8, dst >> 8, w) << 8) |
               Mix(src, dst, w);
    }

    // Straight source added to the destination; destination alpha kept. An opaque source adds its
    // colour, a translucent one its colour scaled by alpha.
    static inline uint32_t Add(uint32_t src, uint32_t dst, const uint8_t* saturation)
    {
        uint32_t sA = src >> 24;
        if (sA == 0)
            return dst;
        uint32_t r = (src >> 16) & 0xFF, g = (src >> 8) & 0xFF, b = src & 0xFF;
        if (sA != 255)
        {
            r = r * sA >> 8;
            g = g * sA >> 8;
            b = b * sA >> 8;
        }
        return (dst & 0xFF000000) | (uint32_t(saturation[((dst >> 16) & 0xFF) + r]) << 16) |
               (uint32_t(saturation[((dst >> 8) & 0xFF) + g]) << 8) | saturation[(dst & 0xFF) + b];
    }

    // The display's native form: colour premultiplied by (alpha + 1) / 256, alpha kept on top.
    static constexpr uint32_t Premultiply(uint32_t straight)
    {
        uint32_t a = straight >> 24;
        uint32_t m = a + 1;
        return (a << 24) | ((((straight >> 16) & 0xFF) * m >> 8) << 16) | ((((straight >> 8) & 0xFF) * m >> 8) << 8) |
               ((straight & 0xFF) * m >> 8);
    }

    // Back from the native form: channel * 256 / (alpha + 1), clamped.
    static constexpr uint32_t Unpremultiply(uint32_t native)
    {
        uint32_t a = native >> 24;
        uint32_t m = a + 1;
        auto back = [m](uint32_t c) { return c * 256 / m > 255 ? 255u : c * 256 / m; };
        return (a << 24) | (back((native >> 16) & 0xFF) << 16) | (back((native >> 8) & 0xFF) << 8) |
               back(native & 0xFF);
    }

    // Premultiplied source over any destination: every byte (alpha included) becomes
    // src + dst * (256 - sA) >> 8.
    static inline uint32_t PremulOver(uint32_t native, uint32_t dst)
    {
        uint32_t sA = native >> 24;
        if (sA == 0)
            return dst;
        if (sA == 255)
            return native;
        uint32_t inv = 256 - sA;
        uint32_t rb = ((dst & 0x00FF00FF) * inv >> 8) & 0x00FF00FF;
        uint32_t ag = (((dst >> 8) & 0x00FF00FF) * inv) & 0xFF00FF00;
        return native + rb + ag;
    }

    // Premultiplied source added to the destination; destination alpha kept.
    static inline uint32_t PremulAdd(uint32_t native, uint32_t dst, const uint8_t* saturation)
    {
        return (dst & 0xFF000000) | (uint32_t(saturation[((dst >> 16) & 0xFF) + ((native >> 16) & 0xFF)]) << 16) |
               (uint32_t(saturation[((dst >> 8) & 0xFF) + ((native >> 8) & 0xFF)]) << 8) |
               saturation[(dst & 0xFF) + (native & 0xFF)];
    }

private:
    static constexpr uint32_t Mix(uint32_t s, uint32_t d, uint32_t w)
    {
        return ((s & 0xFF) * w + (d & 0xFF) * (256 - w)) >> 8;
    }
};

} // namespace Vesk
