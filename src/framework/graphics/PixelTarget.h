#pragma once

#include <cstddef>
#include <cstdint>

namespace Vesk
{

// How a destination takes drawn pixels: a memory image composites with its own alpha; one whose
// mode is fixed opaque keeps its alpha bytes (matrix and triangle draws); the display adds
// premultiplied sources to its opaque pixels.
enum class BlendRule
{
    Straight,
    KeepAlpha,
    Display,
};

// The destination pixels of a primitive.
struct PixelTarget
{
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    BlendRule rule = BlendRule::Straight;

    uint32_t* Row(int y) const { return bits + size_t(y) * size_t(width); }
};

} // namespace Vesk
