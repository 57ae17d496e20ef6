#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/PixelTarget.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/SourcePixels.h"

namespace Vesk
{

class Matrix3;
struct TriVertex;

// Blits that place the source at a non-integer position, rotated, or by a matrix or triangles.
// Rotated and sub-pixel blits step through the source in 16.16 fixed point and filter
// bilinearly in premultiplied form, treating everything outside the source rectangle as
// transparent (so the edges come out smooth); each row is first cut to the columns whose texels
// touch the source, and those whose four texels all lie inside are filtered by the vector
// sampler. Matrix and triangle blits share one triangle rasterizer that samples the nearest texel
// or, with blend, filters bilinearly (clamped to the source rectangle, 7-bit weights); pixel
// centres decide coverage, and each row is cut to the columns the three edges can admit. The
// filtered form works a run of a row at a time, stepping the texture position and the corners'
// colours across it, with vector forms that give the plain loops' pixels exactly. A filtered list
// draws each fan of triangles that splits one convex polygon from its first corner, under one
// texture mapping, as that polygon in one pass over its rows; its colours go straight across each
// row from the outline's left edge to its right one (a long thin fan of two triangles costs half
// as many row passes).
class TransformRasterizer
{
public:
    static void Rotated(const PixelTarget& target, const SourcePixels& source, float x, float y, const Rect& srcRect,
                        const Rect& clipRect, const Color& color, int drawMode, double angle, float centerX,
                        float centerY);
    static void Matrix(const PixelTarget& target, const SourcePixels& source, float x, float y, const Matrix3& matrix,
                       const Rect& clipRect, const Color& color, int drawMode, const Rect& srcRect, bool blend);
    static void Triangles(const PixelTarget& target, const SourcePixels& source, const TriVertex (*vertices)[3],
                          int count, const Rect& clipRect, const Color& color, int drawMode, float tx, float ty,
                          bool blend);

    // The most corners of a fan drawn as one polygon.
    static constexpr int MaxPolygonCorners = 8;

    // A corner of a triangle in destination pixels with texture position in source pixels.
    struct Corner
    {
        float x, y, u, v;
        uint32_t color;
    };
    static void Triangle(const PixelTarget& target, const SourcePixels& source, const Corner corners[3],
                         const Rect& textureRect, const Rect& clipRect, const Color& color, int drawMode, bool blend);
};

} // namespace Vesk
