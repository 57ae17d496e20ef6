#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

#include <cstdint>
#include <vector>

namespace Vesk::TestSupport
{

// A plain, per-pixel implementation of the drawing rules, written for clarity and not for speed,
// against which the framework's fast paths are checked. Pixels are 0xAARRGGBB.
//
// A canvas composites like a memory image (Straight: source over destination with destination
// alpha) or like the display (Display: premultiplied source added over the destination).
class ReferenceRenderer
{
public:
    enum class Rule
    {
        Straight,
        Display,
    };

    struct Canvas
    {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
        Rule rule = Rule::Straight;

        Canvas() = default;
        Canvas(int width, int height, uint32_t fill = 0, Rule rule = Rule::Straight);
        uint32_t& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
        uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    };

    // Single pixels.
    static uint32_t Over(uint32_t src, uint32_t dst);
    static uint32_t Add(uint32_t src, uint32_t dst);
    static uint32_t Premultiply(uint32_t straight);
    static uint32_t Unpremultiply(uint32_t premultiplied);
    static uint32_t PremulOver(uint32_t premultiplied, uint32_t dst);
    static uint32_t PremulAdd(uint32_t premultiplied, uint32_t dst);
    static uint32_t Tint(uint32_t straight, const Color& color);
    static uint32_t TintPremultiplied(uint32_t premultiplied, const Color& color);
    // A straight source pixel onto a canvas pixel by the canvas's rule.
    static void Put(Canvas& canvas, int x, int y, uint32_t straight, int drawMode);
    static void PutPremultiplied(Canvas& canvas, int x, int y, uint32_t premultiplied, int drawMode);

    // Whole primitives; everything is clipped to the canvas.
    static void Fill(Canvas& canvas, const Rect& rect, const Color& color, int drawMode);
    static void Blt(Canvas& canvas, const Canvas& source, int x, int y, const Rect& srcRect, const Color& color,
                    int drawMode, bool mirror = false);
    static void Stretch(Canvas& canvas, const Canvas& source, const Rect& destRect, const Rect& srcRect,
                        const Rect& clipRect, const Color& color, int drawMode, bool fast, bool mirror = false);
    static void Rotated(Canvas& canvas, const Canvas& source, double x, double y, const Rect& srcRect,
                        const Rect& clipRect, const Color& color, int drawMode, double angle, double centerX,
                        double centerY);
    static void Line(Canvas& canvas, int x1, int y1, int x2, int y2, const Color& color, int drawMode);
    // A triangle textured by nearest sampling: corner positions on the canvas, texture positions in
    // source pixels. Pixel centres decide coverage, with the top-left rule on edges.
    struct TexturedCorner
    {
        float x, y, u, v;
    };
    static void TexturedTriangle(Canvas& canvas, const Canvas& source, const TexturedCorner corners[3],
                                 const Rect& clipRect, int drawMode);
};

} // namespace Vesk::TestSupport
