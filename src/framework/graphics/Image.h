#pragma once

#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Point.h"
#include "framework/graphics/Rect.h"

#include <memory>
#include <string>

namespace Vesk
{

class Matrix3;
struct Point;
struct Span;
struct TriVertex;

// Draw modes of the drawing state and of every primitive.
inline constexpr int DRAWMODE_NORMAL = 0;
inline constexpr int DRAWMODE_ADDITIVE = 1;

// The base of every picture: its size, its cell grid and the drawing primitives. Graphics
// translates and clips each drawing request and then calls exactly one primitive on its
// destination image, so primitives receive rectangles that are already clipped (they still
// clip to their own bounds for safety). The base draws nothing; MemoryImage implements every
// primitive in software.
class Image
{
public:
    Image() = default;
    Image(const Image& other);
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    // Filled polygon through the 3D path; false when not supported (always, in software).
    virtual bool PolyFill3D(const Point* vertices, int count, const Rect* clipRect, const Color& color, int drawMode,
                            int tx, int ty);
    virtual void FillRect(const Rect& rect, const Color& color, int drawMode);
    // The outline covering (width + 1) x (height + 1) pixels.
    virtual void DrawRect(const Rect& rect, const Color& color, int drawMode);
    // Every pixel of rect becomes 0 (transparent black).
    virtual void ClearRect(const Rect& rect);
    virtual void DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode);
    virtual void DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode);
    virtual void FillScanLines(const Span* spans, int count, const Color& color, int drawMode);
    // Spans whose pixels are weighted by an 8-bit coverage map of coverageWidth x coverageHeight
    // bytes whose top-left pixel lies at (coverageX, coverageY) on this image.
    virtual void FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                           const uint8_t* coverage, int coverageX, int coverageY, int coverageWidth,
                                           int coverageHeight);
    virtual void Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    virtual void BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                      int drawMode);
    // srcRect rotated by angle (radians, counter-clockwise on screen) about the source point
    // (centerX, centerY), given relative to srcRect; that point lands at (x + centerX, y + centerY).
    virtual void BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, double angle, float centerX, float centerY);
    virtual void StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, bool fastStretch);
    // srcRect, centred on its own middle, placed by matrix and then moved to (x, y).
    virtual void BltMatrix(Image* image, float x, float y, const Matrix3& matrix, const Rect& clipRect,
                           const Color& color, int drawMode, const Rect& srcRect, bool blend);
    virtual void BltTrianglesTex(Image* texture, const TriVertex (*vertices)[3], int count, const Rect& clipRect,
                                 const Color& color, int drawMode, float tx, float ty, bool blend);
    // srcRect mirrored left-right at (x, y).
    virtual void BltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    virtual void StretchBltMirror(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                                  const Color& color, int drawMode, bool fastStretch);

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    Rect GetRect() const { return Rect(0, 0, width, height); }
    int GetCelWidth() const { return columns > 0 ? width / columns : width; }
    int GetCelHeight() const { return rows > 0 ? height / rows : height; }
    // The source rectangle of cel number cel (row * columns + column).
    Rect GetCelRect(int cel) const;
    Rect GetCelRect(int column, int row) const;
    // The cel to show time milliseconds into the animation (0 without animation info).
    int GetAnimCel(int time) const;
    Rect GetAnimCelRect(int time) const;
    void CopyAttributes(const Image& from);

    bool drawn = false;
    std::string filePath;
    int width = 0;
    int height = 0;
    int rows = 1;
    int columns = 1;
    std::unique_ptr<AnimInfo> animInfo;
};

} // namespace Vesk
