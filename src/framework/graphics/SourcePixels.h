#pragma once

#include "framework/graphics/RowExtent.h"

#include <cstddef>
#include <cstdint>

namespace Vesk
{

// A read-only view of a memory image's pixels as the blitters need them: the straight 32-bit
// pixels or the palettized form, and (when asked for) the premultiplied native data and the two
// run-length arrays. Valid until the image changes.
struct SourcePixels
{
    int width = 0;
    int height = 0;
    const uint32_t* bits = nullptr;
    const uint8_t* indices = nullptr;
    const uint32_t* palette = nullptr;
    // Per pixel, or per palette entry when palettized.
    const uint32_t* native = nullptr;
    const uint8_t* rlAlpha = nullptr;
    const uint8_t* rlAdditive = nullptr;
    // One per row, with the run-length array of the same name.
    const RowExtent* rlAlphaRows = nullptr;
    const RowExtent* rlAdditiveRows = nullptr;
    bool hasTransparency = false;
    bool hasAlpha = false;

    bool IsPalettized() const { return indices != nullptr; }
    uint32_t Straight(size_t index) const { return indices ? palette[indices[index]] : bits[index]; }
    uint32_t Native(size_t index) const { return indices ? native[indices[index]] : native[index]; }
    uint32_t Straight(int x, int y) const { return Straight(size_t(y) * size_t(width) + size_t(x)); }
    uint32_t Native(int x, int y) const { return Native(size_t(y) * size_t(width) + size_t(x)); }
};

} // namespace Vesk
