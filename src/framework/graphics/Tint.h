#pragma once

#include "framework/graphics/Color.h"

#include <cstdint>

namespace Vesk
{

// A tint applied to source pixels: each colour channel c becomes c * (tint + 1) >> 8 and alpha
// becomes tint alpha * alpha / 255. White leaves pixels as they are.
class Tint
{
public:
    explicit Tint(const Color& color);

    bool IsWhite() const { return white; }

    uint32_t Apply(uint32_t straight) const
    {
        if (white)
            return straight;
        return (uint32_t(alphaTable[straight >> 24]) << 24) | ((((straight >> 16) & 0xFF) * red >> 8) << 16) |
               ((((straight >> 8) & 0xFF) * green >> 8) << 8) | ((straight & 0xFF) * blue >> 8);
    }
    // Tints a premultiplied pixel: the colour channels take the colour, and every channel
    // (alpha included) the tint's alpha.
    uint32_t ApplyPremultiplied(uint32_t native) const
    {
        if (white)
            return native;
        return (uint32_t(alphaTable[native >> 24]) << 24) |
               (uint32_t(alphaTable[((native >> 16) & 0xFF) * red >> 8]) << 16) |
               (uint32_t(alphaTable[((native >> 8) & 0xFF) * green >> 8]) << 8) |
               alphaTable[(native & 0xFF) * blue >> 8];
    }

    uint32_t red;
    uint32_t green;
    uint32_t blue;
    uint8_t alphaTable[256];

private:
    bool white;
};

} // namespace Vesk
