#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/PixelTarget.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/SourcePixels.h"

#include <cstdint>

namespace Vesk
{

struct Span;

// The software primitives that copy or fill pixels one to one: fills, coverage fills, lines and
// the plain and mirrored blits with their run-length fast paths (the row loops are PixelKernels).
// Every operation clips to the target and the source itself.
class Blitter
{
public:
    static void FillRect(const PixelTarget& target, const Rect& rect, const Color& color, int drawMode);
    static void FillSpansWithCoverage(const PixelTarget& target, const Span* spans, int count, const Color& color,
                                      int drawMode, const uint8_t* coverage, int coverageX, int coverageY,
                                      int coverageWidth, int coverageHeight);
    // A line stepped with Bresenham's walk, both end points included.
    static void DrawLine(const PixelTarget& target, int startX, int startY, int endX, int endY, const Color& color,
                         int drawMode);
    // A line whose pixels are weighted by their distance to the ideal line (two per step).
    static void DrawLineAA(const PixelTarget& target, double startX, double startY, double endX, double endY,
                           const Color& color, int drawMode);

    // srcRect of source at (x, y). destinationOpaque tells that the target has neither
    // transparent nor translucent pixels, which lets the memory rule copy opaque runs.
    static void Blt(const PixelTarget& target, const SourcePixels& source, int x, int y, const Rect& srcRect,
                    const Color& color, int drawMode, bool mirror, bool destinationOpaque);
};

} // namespace Vesk
