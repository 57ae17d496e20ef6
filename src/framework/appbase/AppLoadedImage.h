#pragma once

#include "framework/graphics/SharedImageRef.h"
#include "framework/resources/LoadedImage.h"

#include <memory>

namespace Vesk
{

class MemoryImage;

// The application loader's hold on a picture: either a reference into the application's
// shared-image cache (manifest images) or a picture of its own (an image font's picture). The
// loading operations act on the picture itself.
class AppLoadedImage : public LoadedImage
{
public:
    explicit AppLoadedImage(SharedImageRef reference);
    explicit AppLoadedImage(std::unique_ptr<MemoryImage> ownImage);
    ~AppLoadedImage() override;
    AppLoadedImage(const AppLoadedImage&) = delete;
    AppLoadedImage& operator=(const AppLoadedImage&) = delete;

    Image* GetImage() override;
    int GetWidth() const override;
    int GetHeight() const override;
    uint32_t* GetBits() override;
    void BitsChanged() override;
    void CommitBits() override;
    bool HasAlpha() const override;
    bool HasDisplaySurface() const override;
    void SetPurgeBits(bool purge) override;
    void SetWantsDisplaySurface(bool wants) override;
    void SetWantPalette(bool wants) override;
    void Palletize() override;
    void AddTextureFlags(int flags) override;
    void PurgeBits() override;
    void SetCellGrid(int rows, int columns) override;
    int GetRows() const override;
    void SetAnimation(const AnimDescription& anim) override;

    MemoryImage* GetMemoryImage() const { return image; }
    const SharedImageRef& GetReference() const { return reference; }

private:
    SharedImageRef reference;
    std::unique_ptr<MemoryImage> ownImage;
    MemoryImage* image = nullptr;
};

} // namespace Vesk
