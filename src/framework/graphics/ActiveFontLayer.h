#pragma once

#include "framework/graphics/FontLayer.h"

#include <array>
#include <memory>

namespace Vesk
{

class MemoryImage;
struct ImageData;

// A layer an ImageFont uses at its current point size, tags and scale: the layer itself and
// its picture at the size drawn (the layer's own picture, or a rescaled copy holding every
// character side by side).
struct ActiveFontLayer
{
    const FontLayer* baseLayer = nullptr;
    std::shared_ptr<const ImageData> scaledImage;
    bool ownsImage = false; // scaledImage is a rescaled copy made for this font
    // scaledImage as a drawable (palettized) image, shared by all fonts drawing that picture.
    std::shared_ptr<MemoryImage> drawable;
    std::array<FontRect, 256> scaledRects{};
};

} // namespace Vesk
