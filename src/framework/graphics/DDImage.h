#pragma once

#include "framework/graphics/MemoryImage.h"

namespace Vesk
{

// A memory image that can live on the display: the type of every image loaded for the game and
// of the screen image the widget manager paints into. The display here is software: a display
// image "on the display" is one whose own pixels are the surface (the screen image, made with
// CreateScreen, which the platform layer presents). Drawing into such an opaque image uses the
// display blitters: premultiplied native data added over the destination, run-length walks and
// SIMD rows. Images without a surface, or with transparent or translucent pixels, draw with the
// memory image primitives.
class DDImage : public MemoryImage
{
public:
    explicit DDImage(ImageSet* imageSet = nullptr);
    DDImage(const DDImage& other);
    DDImage& operator=(const DDImage&) = delete;
    ~DDImage() override;

    // Makes this the screen image: width x height opaque black pixels, mode fixed opaque, on the
    // display.
    void CreateScreen(int width, int height);

    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode) override;
    void DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode) override;
    void Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void BltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;

    // Moves the surface between video and system memory (a flag in software).
    void SetVideoMemory(bool videoMemory);
    // Gives the image its display surface unless it is volatile or does not want one.
    bool GenerateDDSurface();
    bool HasSurface() const { return surfaceGenerated; }

    void NormalFillRect(const Rect& rect, const Color& color);
    void AdditiveFillRect(const Rect& rect, const Color& color);
    void NormalBlt(Image* image, int x, int y, const Rect& srcRect, const Color& color);
    void AdditiveBlt(Image* image, int x, int y, const Rect& srcRect, const Color& color);
    void NormalDrawLine(double startX, double startY, double endX, double endY, const Color& color);
    void AdditiveDrawLine(double startX, double startY, double endX, double endY, const Color& color);
    void NormalDrawLineAA(double startX, double startY, double endX, double endY, const Color& color);
    // The display has no additive smooth line: it draws nothing. Images off the display draw
    // one with the memory image primitives.
    void AdditiveDrawLineAA(double startX, double startY, double endX, double endY, const Color& color);
    void NormalBltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color);
    void AdditiveBltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color);

    // Nested locking of the surface; only the outermost pair locks and unlocks. Unlocking an
    // unlocked surface fails.
    bool LockSurface();
    bool UnlockSurface();
    int GetLockCount() const { return lockCount; }

    bool wantDDSurface = true;
    bool videoMemory = false;

protected:
    bool UsesDisplayRule() override;

private:
    bool surfaceGenerated = false;
    int lockCount = 0;
};

} // namespace Vesk
