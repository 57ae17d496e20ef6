#include "framework/graphics/DDImage.h"

#include "framework/graphics/Blitter.h"

#include <algorithm>

namespace Vesk
{

DDImage::DDImage(ImageSet* imageSet) : MemoryImage(imageSet) {}

DDImage::DDImage(const DDImage& other)
    : MemoryImage(other), wantDDSurface(other.wantDDSurface), videoMemory(other.videoMemory)
{
}

DDImage::~DDImage() = default;

void DDImage::CreateScreen(int screenWidth, int screenHeight)
{
    Create(screenWidth, screenHeight);
    if (uint32_t* pixels = GetBits())
        std::fill_n(pixels, size_t(width) * size_t(height), 0xFF000000u);
    BitsChanged();
    SetImageMode(false, false);
    SetVolatile(false);
    wantDDSurface = true;
    GenerateDDSurface();
}

bool DDImage::UsesDisplayRule()
{
    if (!surfaceGenerated)
        return false;
    CommitBits();
    return !hasTransparency && !hasAlpha;
}

bool DDImage::GenerateDDSurface()
{
    if (surfaceGenerated)
        return true;
    if (isVolatile || !wantDDSurface)
        return false;
    surfaceGenerated = true;
    return true;
}

void DDImage::SetVideoMemory(bool value)
{
    videoMemory = value;
}

bool DDImage::LockSurface()
{
    ++lockCount;
    return true;
}

bool DDImage::UnlockSurface()
{
    if (lockCount == 0)
        return false;
    --lockCount;
    return true;
}

void DDImage::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (!UsesDisplayRule())
        return MemoryImage::FillRect(rect, color, drawMode);
    if (drawMode == DRAWMODE_ADDITIVE)
        AdditiveFillRect(rect, color);
    else
        NormalFillRect(rect, color);
}

void DDImage::DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    if (!UsesDisplayRule())
        return MemoryImage::DrawLine(startX, startY, endX, endY, color, drawMode);
    if (drawMode == DRAWMODE_ADDITIVE)
        AdditiveDrawLine(startX, startY, endX, endY, color);
    else
        NormalDrawLine(startX, startY, endX, endY, color);
}

void DDImage::DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    if (!UsesDisplayRule())
        return MemoryImage::DrawLineAA(startX, startY, endX, endY, color, drawMode);
    if (drawMode == DRAWMODE_ADDITIVE)
        AdditiveDrawLineAA(startX, startY, endX, endY, color);
    else
        NormalDrawLineAA(startX, startY, endX, endY, color);
}

void DDImage::Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    if (!UsesDisplayRule())
        return MemoryImage::Blt(image, x, y, srcRect, color, drawMode);
    if (drawMode == DRAWMODE_ADDITIVE)
        AdditiveBlt(image, x, y, srcRect, color);
    else
        NormalBlt(image, x, y, srcRect, color);
}

void DDImage::BltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    if (!UsesDisplayRule())
        return MemoryImage::BltMirror(image, x, y, srcRect, color, drawMode);
    if (drawMode == DRAWMODE_ADDITIVE)
        AdditiveBltMirror(image, x, y, srcRect, color);
    else
        NormalBltMirror(image, x, y, srcRect, color);
}

// The display forms. On a display image they reach the display blitters through the memory
// image primitives, which pick the display rule for this image.

void DDImage::NormalFillRect(const Rect& rect, const Color& color)
{
    MemoryImage::FillRect(rect, color, DRAWMODE_NORMAL);
}

void DDImage::AdditiveFillRect(const Rect& rect, const Color& color)
{
    MemoryImage::FillRect(rect, color, DRAWMODE_ADDITIVE);
}

void DDImage::NormalBlt(Image* image, int x, int y, const Rect& srcRect, const Color& color)
{
    MemoryImage::Blt(image, x, y, srcRect, color, DRAWMODE_NORMAL);
}

void DDImage::AdditiveBlt(Image* image, int x, int y, const Rect& srcRect, const Color& color)
{
    MemoryImage::Blt(image, x, y, srcRect, color, DRAWMODE_ADDITIVE);
}

void DDImage::NormalDrawLine(double startX, double startY, double endX, double endY, const Color& color)
{
    MemoryImage::DrawLine(startX, startY, endX, endY, color, DRAWMODE_NORMAL);
}

void DDImage::AdditiveDrawLine(double startX, double startY, double endX, double endY, const Color& color)
{
    MemoryImage::DrawLine(startX, startY, endX, endY, color, DRAWMODE_ADDITIVE);
}

void DDImage::NormalDrawLineAA(double startX, double startY, double endX, double endY, const Color& color)
{
    MemoryImage::DrawLineAA(startX, startY, endX, endY, color, DRAWMODE_NORMAL);
}

void DDImage::AdditiveDrawLineAA(double, double, double, double, const Color&) {}

void DDImage::NormalBltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color)
{
    MemoryImage::BltMirror(image, x, y, srcRect, color, DRAWMODE_NORMAL);
}

void DDImage::AdditiveBltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color)
{
    MemoryImage::BltMirror(image, x, y, srcRect, color, DRAWMODE_ADDITIVE);
}

} // namespace Vesk
