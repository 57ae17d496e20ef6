#pragma once

#include <cstdint>

namespace Vesk
{

// A corner of a textured triangle: position on the destination, texture coordinates (0..1 across
// the whole source image) and a colour 0xAARRGGBB that tints the texture there (white: as is).
struct TriVertex
{
    float x = 0;
    float y = 0;
    float u = 0;
    float v = 0;
    uint32_t color = 0xFFFFFFFF;
};

} // namespace Vesk
