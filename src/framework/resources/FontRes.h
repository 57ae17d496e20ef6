#pragma once

#include "framework/resources/BaseRes.h"
#include "framework/resources/LoadedFont.h"
#include "framework/resources/LoadedImage.h"

#include <memory>

namespace Vesk
{

// A Font of the manifest and, once loaded, the font and the picture an image font given by
// "image" is drawn from. Owns both.
class FontRes : public BaseRes
{
public:
    using BaseRes::BaseRes;

    void Unload(ResourceLoader& loader) override
    {
        font.reset();
        image.reset();
    }
    bool IsLoaded() const override { return font != nullptr; }

    std::unique_ptr<LoadedFont> font;
    std::unique_ptr<LoadedImage> image;
};

} // namespace Vesk
