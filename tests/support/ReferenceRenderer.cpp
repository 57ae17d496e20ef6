#include "support/ReferenceRenderer.h"

#include <algorithm>
#include <cmath>

namespace Vesk::TestSupport
{

namespace
{

uint32_t Channel(uint32_t pixel, int index)
{
    return (pixel >> (8 * index)) & 0xFF;
}

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Per-axis filter weights in real numbers: linear interpolation (enlarging) or area (shrinking).
std::vector<std::pair<int, double>> AxisWeights(int srcLength, int destLength, int j)
{
    std::vector<std::pair<int, double>> weights;
    double ratio = double(srcLength) / destLength;
    if (destLength >= srcLength)
    {
        double center = (j + 0.5) * ratio - 0.5;
        int i0 = int(std::floor(center));
        double f = center - i0;
        weights.emplace_back(std::clamp(i0, 0, srcLength - 1), 1 - f);
        weights.emplace_back(std::clamp(i0 + 1, 0, srcLength - 1), f);
    }
    else
    {
        double start = j * ratio, end = (j + 1) * ratio;
        for (int i = int(std::floor(start)); i < std::min(srcLength, int(std::ceil(end))); ++i)
        {
            double overlap = std::min(end, i + 1.0) - std::max(start, double(i));
            if (overlap > 0)
                weights.emplace_back(i, overlap / ratio);
        }
    }
    return weights;
}

} // namespace

ReferenceRenderer::Canvas::Canvas(int width, int height, uint32_t fill, Rule rule)
    : width(width), height(height), pixels(size_t(width) * size_t(height), fill), rule(rule)
{
}

uint32_t ReferenceRenderer::Over(uint32_t src, uint32_t dst)
{
    uint32_t sA = src >> 24;
    if (sA == 0)
        return dst;
    uint32_t dA = dst >> 24;
    uint32_t resultAlpha = dA + (255 - dA) * sA / 255;
    uint32_t weight = sA * 256 / resultAlpha;
    uint32_t c[3];
    for (int i = 0; i < 3; ++i)
        c[i] = (Channel(src, i) * weight + Channel(dst, i) * (256 - weight)) / 256;
    return Pack(resultAlpha, c[2], c[1], c[0]);
}

uint32_t ReferenceRenderer::Add(uint32_t src, uint32_t dst)
{
    uint32_t sA = src >> 24;
    uint32_t c[3];
    for (int i = 0; i < 3; ++i)
    {
        uint32_t add = sA == 255 ? Channel(src, i) : Channel(src, i) * sA / 256;
        c[i] = std::min(255u, Channel(dst, i) + add);
    }
    return Pack(dst >> 24, c[2], c[1], c[0]);
}

uint32_t ReferenceRenderer::Premultiply(uint32_t straight)
{
    uint32_t a = straight >> 24;
    return Pack(a, Channel(straight, 2) * (a + 1) / 256, Channel(straight, 1) * (a + 1) / 256,
                Channel(straight, 0) * (a + 1) / 256);
}

uint32_t ReferenceRenderer::Unpremultiply(uint32_t premultiplied)
{
    uint32_t a = premultiplied >> 24;
    auto back = [&](int i) { return std::min(255u, Channel(premultiplied, i) * 256 / (a + 1)); };
    return Pack(a, back(2), back(1), back(0));
}

uint32_t ReferenceRenderer::PremulOver(uint32_t premultiplied, uint32_t dst)
{
    uint32_t a = premultiplied >> 24;
    if (a == 0)
        return dst;
    uint32_t c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = Channel(premultiplied, i) + Channel(dst, i) * (256 - a) / 256;
    return Pack(c[3], c[2], c[1], c[0]);
}

uint32_t ReferenceRenderer::PremulAdd(uint32_t premultiplied, uint32_t dst)
{
    uint32_t c[3];
    for (int i = 0; i < 3; ++i)
        c[i] = std::min(255u, Channel(dst, i) + Channel(premultiplied, i));
    return Pack(dst >> 24, c[2], c[1], c[0]);
}

uint32_t ReferenceRenderer::Tint(uint32_t straight, const Color& color)
{
    if (color.IsWhite())
        return straight;
    uint32_t a = uint32_t(color.alpha) * (straight >> 24) / 255;
    return Pack(a, Channel(straight, 2) * uint32_t(color.red + 1) / 256,
                Channel(straight, 1) * uint32_t(color.green + 1) / 256,
                Channel(straight, 0) * uint32_t(color.blue + 1) / 256);
}

uint32_t ReferenceRenderer::TintPremultiplied(uint32_t premultiplied, const Color& color)
{
    if (color.IsWhite())
        return premultiplied;
    uint32_t ta = uint32_t(color.alpha);
    auto scaled = [&](int i, int tint) { return Channel(premultiplied, i) * uint32_t(tint + 1) / 256 * ta / 255; };
    return Pack((premultiplied >> 24) * ta / 255, scaled(2, color.red), scaled(1, color.green), scaled(0, color.blue));
}

void ReferenceRenderer::Put(Canvas& canvas, int x, int y, uint32_t straight, int drawMode)
{
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height || (straight >> 24) == 0)
        return;
    uint32_t& d = canvas.At(x, y);
    if (canvas.rule == Rule::Display)
        d = drawMode == 1 ? PremulAdd(Premultiply(straight), d) : PremulOver(Premultiply(straight), d);
    else
        d = drawMode == 1 ? Add(straight, d) : Over(straight, d);
}

void ReferenceRenderer::PutPremultiplied(Canvas& canvas, int x, int y, uint32_t premultiplied, int drawMode)
{
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height || (premultiplied >> 24) == 0)
        return;
    uint32_t& d = canvas.At(x, y);
    if (canvas.rule == Rule::Display)
        d = drawMode == 1 ? PremulAdd(premultiplied, d) : PremulOver(premultiplied, d);
    else
        d = drawMode == 1 ? PremulAdd(premultiplied, d) : Over(Unpremultiply(premultiplied), d);
}

void ReferenceRenderer::Fill(Canvas& canvas, const Rect& rect, const Color& color, int drawMode)
{
    // Memory images fill in the normal mode whatever the draw mode.
    int mode = canvas.rule == Rule::Display ? drawMode : 0;
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x)
            Put(canvas, x, y, color.ToARGB(), mode);
}

void ReferenceRenderer::Blt(Canvas& canvas, const Canvas& source, int x, int y, const Rect& srcRect, const Color& color,
                            int drawMode, bool mirror)
{
    for (int row = 0; row < srcRect.height; ++row)
    {
        for (int col = 0; col < srcRect.width; ++col)
        {
            int sx = mirror ? srcRect.x + srcRect.width - 1 - col : srcRect.x + col;
            int sy = srcRect.y + row;
            if (sx < 0 || sy < 0 || sx >= source.width || sy >= source.height)
                continue;
            Put(canvas, x + col, y + row, Tint(source.At(sx, sy), color), drawMode);
        }
    }
}

void ReferenceRenderer::Stretch(Canvas& canvas, const Canvas& source, const Rect& destRect, const Rect& srcRect,
                                const Rect& clipRect, const Color& color, int drawMode, bool fast, bool mirror)
{
    for (int dy = destRect.y; dy < destRect.y + destRect.height; ++dy)
    {
        for (int dx = destRect.x; dx < destRect.x + destRect.width; ++dx)
        {
            if (!clipRect.Contains(dx, dy))
                continue;
            int relX = dx - destRect.x;
            if (mirror)
                relX = destRect.width - 1 - relX;
            int relY = dy - destRect.y;
            if (fast)
            {
                // The source pixel under the destination pixel's centre.
                int sx = srcRect.x + int(std::floor((relX + 0.5) * srcRect.width / destRect.width));
                int sy = srcRect.y + int(std::floor((relY + 0.5) * srcRect.height / destRect.height));
                Put(canvas, dx, dy, Tint(source.At(sx, sy), color), drawMode);
                continue;
            }
            double sums[4] = {0, 0, 0, 0};
            for (auto [ix, wx] : AxisWeights(srcRect.width, destRect.width, relX))
                for (auto [iy, wy] : AxisWeights(srcRect.height, destRect.height, relY))
                {
                    uint32_t p = Premultiply(source.At(srcRect.x + ix, srcRect.y + iy));
                    for (int i = 0; i < 4; ++i)
                        sums[i] += wx * wy * Channel(p, i);
                }
            uint32_t c[4];
            for (int i = 0; i < 4; ++i)
                c[i] = uint32_t(std::clamp(std::lround(sums[i]), 0L, 255L));
            PutPremultiplied(canvas, dx, dy, TintPremultiplied(Pack(c[3], c[2], c[1], c[0]), color), drawMode);
        }
    }
}

void ReferenceRenderer::Rotated(Canvas& canvas, const Canvas& source, double x, double y, const Rect& srcRect,
                                const Rect& clipRect, const Color& color, int drawMode, double angle, double centerX,
                                double centerY)
{
    double c = std::cos(angle), s = std::sin(angle);
    double originX = x + centerX, originY = y + centerY;
    for (int dy = 0; dy < canvas.height; ++dy)
    {
        for (int dx = 0; dx < canvas.width; ++dx)
        {
            if (!clipRect.Contains(dx, dy))
                continue;
            // The source position under this pixel's centre, in texel-centre coordinates.
            double qx = dx + 0.5 - originX, qy = dy + 0.5 - originY;
            double u = srcRect.x + centerX + qx * c - qy * s - 0.5;
            double v = srcRect.y + centerY + qx * s + qy * c - 0.5;
            int u0 = int(std::floor(u)), v0 = int(std::floor(v));
            double fu = std::floor((u - u0) * 256) / 256, fv = std::floor((v - v0) * 256) / 256;
            double sums[4] = {0, 0, 0, 0};
            for (int k = 0; k < 4; ++k)
            {
                int tu = u0 + (k & 1), tv = v0 + (k >> 1);
                if (!srcRect.Contains(tu, tv))
                    continue;
                double w = ((k & 1) ? fu : 1 - fu) * ((k >> 1) ? fv : 1 - fv);
                uint32_t p = Premultiply(source.At(tu, tv));
                for (int i = 0; i < 4; ++i)
                    sums[i] += w * Channel(p, i);
            }
            uint32_t ch[4];
            for (int i = 0; i < 4; ++i)
                ch[i] = uint32_t(std::clamp(std::lround(sums[i]), 0L, 255L));
            PutPremultiplied(canvas, dx, dy, TintPremultiplied(Pack(ch[3], ch[2], ch[1], ch[0]), color), drawMode);
        }
    }
}

void ReferenceRenderer::Line(Canvas& canvas, int x1, int y1, int x2, int y2, const Color& color, int drawMode)
{
    // Walks the major axis and rounds the minor one, which picks the same pixels as Bresenham.
    int steps = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    for (int i = 0; i <= steps; ++i)
    {
        double t = steps == 0 ? 0 : double(i) / steps;
        double fx = x1 + (x2 - x1) * t, fy = y1 + (y2 - y1) * t;
        int px = std::abs(x2 - x1) >= std::abs(y2 - y1) ? x1 + (x2 > x1 ? i : -i) : int(std::floor(fx + 0.5));
        int py = std::abs(x2 - x1) >= std::abs(y2 - y1) ? int(std::floor(fy + 0.5)) : y1 + (y2 > y1 ? i : -i);
        Put(canvas, px, py, color.ToARGB(), drawMode);
    }
}

void ReferenceRenderer::TexturedTriangle(Canvas& canvas, const Canvas& source, const TexturedCorner corners[3],
                                         const Rect& clipRect, int drawMode)
{
    auto edge = [](double ax, double ay, double bx, double by, double px, double py)
    { return (bx - ax) * (py - ay) - (by - ay) * (px - ax); };
    double x[3], y[3];
    for (int k = 0; k < 3; ++k)
    {
        x[k] = corners[k].x;
        y[k] = corners[k].y;
    }
    double area = edge(x[0], y[0], x[1], y[1], x[2], y[2]);
    if (std::fabs(area) < 1e-9)
        return;
    double sign = area > 0 ? 1.0 : -1.0;
    // An edge is a top or left edge when, walked in the triangle's order, it goes up (or left
    // along a horizontal top).
    auto topLeft = [&](int a, int b)
    {
        double ex = (x[b] - x[a]) * sign, ey = (y[b] - y[a]) * sign;
        return (ey == 0 && ex < 0) || ey > 0;
    };
    for (int dy = 0; dy < canvas.height; ++dy)
    {
        for (int dx = 0; dx < canvas.width; ++dx)
        {
            if (!clipRect.Contains(dx, dy))
                continue;
            double cx = dx + 0.5, cy = dy + 0.5;
            double w[3];
            bool inside = true;
            for (int k = 0; k < 3; ++k)
            {
                int a = (k + 1) % 3, b = (k + 2) % 3;
                w[k] = edge(x[a], y[a], x[b], y[b], cx, cy) * sign;
                if (w[k] < 0 || (w[k] == 0 && !topLeft(a, b)))
                    inside = false;
            }
            if (!inside)
                continue;
            double total = w[0] + w[1] + w[2];
            double b0 = w[0] / total, b1 = w[1] / total, b2 = w[2] / total;
            float u = float(b0 * corners[0].u + b1 * corners[1].u + b2 * corners[2].u);
            float v = float(b0 * corners[0].v + b1 * corners[1].v + b2 * corners[2].v);
            int tu = std::clamp(int(std::floor(u)), 0, source.width - 1);
            int tv = std::clamp(int(std::floor(v)), 0, source.height - 1);
            Put(canvas, dx, dy, source.At(tu, tv), drawMode);
        }
    }
}

} // namespace Vesk::TestSupport
