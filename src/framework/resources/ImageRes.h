#pragma once

#include "framework/resources/BaseRes.h"
#include "framework/resources/LoadedImage.h"

#include <memory>

namespace Vesk
{

// An Image of the manifest and, once loaded, its picture (shared with other users of the same
// file through the application's cache).
class ImageRes : public BaseRes
{
public:
    using BaseRes::BaseRes;

    void Unload(ResourceLoader& loader) override { image.reset(); }
    bool IsLoaded() const override { return image != nullptr; }

    std::shared_ptr<LoadedImage> image;
};

} // namespace Vesk
