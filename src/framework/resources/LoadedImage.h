#pragma once

#include <cstdint>

namespace Vesk
{

class AnimDescription;
class Image;

// The resource manager's hold on one picture it loaded: the picture itself for the game, and
// the few operations loading needs (pixels for the alpha companions, the display preparation
// of the manifest's options). The application's loader wraps a reference into its shared-image
// cache, so the picture lives as long as the handle (or any other user of the same file).
class LoadedImage
{
public:
    virtual ~LoadedImage() = default;

    // The picture the game draws; the handle keeps it alive.
    virtual Image* GetImage() = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // The 32-bit pixels 0xAARRGGBB, width x height, rows top to bottom; null for an empty
    // picture. Writing into them must be followed by BitsChanged.
    virtual uint32_t* GetBits() = 0;
    virtual void BitsChanged() = 0;
    // Recomputes the transparency flags from the pixels.
    virtual void CommitBits() = 0;
    virtual bool HasAlpha() const = 0;
    virtual bool HasDisplaySurface() const = 0;

    // Memory-saving and display options: drop the memory copy once the picture is on the
    // display, prefer a display surface, keep a palette, texture hints (1 fewer subdivisions,
    // 4 prefer 4-bit channels, 8 keep 8-bit channels).
    virtual void SetPurgeBits(bool purge) = 0;
    virtual void SetWantsDisplaySurface(bool wants) = 0;
    virtual void SetWantPalette(bool wants) = 0;
    virtual void Palletize() = 0;
    virtual void AddTextureFlags(int flags) = 0;
    virtual void PurgeBits() = 0;

    // The cell grid and the animation over it.
    virtual void SetCellGrid(int rows, int columns) = 0;
    virtual int GetRows() const = 0;
    virtual void SetAnimation(const AnimDescription& anim) = 0;
};

} // namespace Vesk
