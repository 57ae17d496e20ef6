#include "framework/graphics/TransformRasterizer.h"

#include "framework/graphics/CpuFeatures.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/PixelKernels.h"
#include "framework/graphics/PixelRules.h"
#include "framework/graphics/PixelWriters.h"
#include "framework/graphics/SaturationTable.h"
#include "framework/graphics/Tint.h"
#include "framework/graphics/TriVertex.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Vesk
{

namespace
{

// Bilinear sample of the native data at 16.16 texel position (fu, fv), where texel i covers
// [i, i + 1) and its centre is i + 0.5 (already subtracted by the caller). Outside rect the
// texels are transparent.
inline uint32_t SampleTransparentEdges(const SourcePixels& source, const Rect& rect, int32_t fu, int32_t fv)
{
    int u0 = fu >> 16;
    int v0 = fv >> 16;
    uint32_t fx = uint32_t(fu >> 8) & 0xFF;
    uint32_t fy = uint32_t(fv >> 8) & 0xFF;
    uint32_t weights[4] = {(256 - fx) * (256 - fy), fx * (256 - fy), (256 - fx) * fy, fx * fy};
    uint32_t a = 0, r = 0, g = 0, b = 0;
    for (int k = 0; k < 4; ++k)
    {
        int u = u0 + (k & 1);
        int v = v0 + (k >> 1);
        if (weights[k] == 0 || u < rect.x || v < rect.y || u >= rect.x + rect.width || v >= rect.y + rect.height)
            continue;
        uint32_t n = source.Native(u, v);
        a += (n >> 24) * weights[k];
        r += ((n >> 16) & 0xFF) * weights[k];
        g += ((n >> 8) & 0xFF) * weights[k];
        b += (n & 0xFF) * weights[k];
    }
    return (((a + 32768) >> 16) << 24) | (((r + 32768) >> 16) << 16) | (((g + 32768) >> 16) << 8) | ((b + 32768) >> 16);
}

#if defined(__SSE2__)
// SampleTransparentEdges for four texels inside the source, exactly: (u0, v0) at row0[0], its right
// neighbour at row0[1], the row below at row1. Each row is first mixed horizontally in integers
// (at most 255 * 256), then the two rows vertically in single-precision floats, where every
// product and sum stays below 2^24 and so is exact; one rounding at the end.
inline uint32_t SampleInsideSse2(const uint32_t* row0, const uint32_t* row1, uint32_t fx, uint32_t fy)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row0)), zero);
    __m128i bottom = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row1)), zero);
    // Per channel, the left and right texel side by side, times (256 - fx, fx).
    __m128i weights = _mm_set1_epi32(int((fx << 16) | (256 - fx)));
    __m128i topMixed = _mm_madd_epi16(_mm_unpacklo_epi16(top, _mm_srli_si128(top, 8)), weights);
    __m128i bottomMixed = _mm_madd_epi16(_mm_unpacklo_epi16(bottom, _mm_srli_si128(bottom, 8)), weights);
    __m128 sum = _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(topMixed), _mm_set1_ps(float(256 - fy))),
                            _mm_mul_ps(_mm_cvtepi32_ps(bottomMixed), _mm_set1_ps(float(fy))));
    __m128i rounded = _mm_srli_epi32(_mm_add_epi32(_mm_cvttps_epi32(sum), _mm_set1_epi32(32768)), 16);
    __m128i packed = _mm_packs_epi32(rounded, zero);
    return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(packed, zero)));
}
#endif

int64_t FloorDivide(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t CeilDivide(int64_t a, int64_t b)
{
    return -FloorDivide(-a, b);
}

// The columns k of [first, end) within [first, end) where lo <= (start + k * step) >> 16 <= hi; the
// result is empty (first == end) when there are none. Exact: the positions are stepped in
// integers.
void NarrowToSteps(int64_t start, int64_t step, int lo, int hi, int& first, int& end)
{
    if (first >= end)
        return;
    int64_t low = int64_t(lo) * 65536;
    int64_t high = int64_t(hi) * 65536 + 65535;
    int64_t a = first;
    int64_t b = end - 1;
    if (step == 0)
    {
        if (start < low || start > high)
            a = b + 1;
    }
    else if (step > 0)
    {
        a = std::max(a, CeilDivide(low - start, step));
        b = std::min(b, FloorDivide(high - start, step));
    }
    else
    {
        a = std::max(a, CeilDivide(high - start, step));
        b = std::min(b, FloorDivide(low - start, step));
    }
    if (a > b)
    {
        end = first;
        return;
    }
    first = int(a);
    end = int(b + 1);
}

// Bilinear sample with the texels clamped to rect.
inline uint32_t SampleClamped(const SourcePixels& source, const Rect& rect, float u, float v)
{
    float cu = std::clamp(u - 0.5f, float(rect.x), float(rect.x + rect.width - 1));
    float cv = std::clamp(v - 0.5f, float(rect.y), float(rect.y + rect.height - 1));
    int u0 = int(cu);
    int v0 = int(cv);
    uint32_t fx = uint32_t((cu - float(u0)) * 256.0f);
    uint32_t fy = uint32_t((cv - float(v0)) * 256.0f);
    int u1 = std::min(u0 + 1, rect.x + rect.width - 1);
    int v1 = std::min(v0 + 1, rect.y + rect.height - 1);
    uint32_t n[4] = {source.Native(u0, v0), source.Native(u1, v0), source.Native(u0, v1), source.Native(u1, v1)};
    uint32_t weights[4] = {(256 - fx) * (256 - fy), fx * (256 - fy), (256 - fx) * fy, fx * fy};
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        uint32_t sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += ((n[k] >> shift) & 0xFF) * weights[k];
        result |= ((sum + 32768) >> 16) << shift;
    }
    return result;
}

// Multiplies a pixel by a colour: channels c * (m + 1) >> 8, alpha a * ma / 255. In premultiplied
// form the colour channels also take the alpha factor.
inline uint32_t Modulate(uint32_t pixel, uint32_t color, bool premultiplied)
{
    uint32_t ma = color >> 24;
    uint32_t a = (pixel >> 24) * ma / 255;
    auto channel = [&](int shift)
    {
        uint32_t c = ((pixel >> shift) & 0xFF) * (((color >> shift) & 0xFF) + 1) >> 8;
        return premultiplied ? c * ma / 255 : c;
    };
    return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

inline uint32_t ColorToARGB(const Color& color)
{
    return color.ToARGB();
}

// Edge function of the directed edge a -> b at point p (positive on the inner side of a
// clockwise-on-screen triangle after orientation fixing).
inline double Edge(double ax, double ay, double bx, double by, double px, double py)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// Narrows the columns [left, right) of the row whose pixel centres lie at cy to those where every
// edge function can be non-negative, solving each edge's linear equation in the row. The result
// is widened by a pixel on each side, so that rounding never drops a pixel the exact per-pixel
// test would draw; that test still decides. False when no column is left.
bool RowSpan(double x0, double y0, double x1, double y1, double x2, double y2, double sign, double cy, int& left,
             int& right)
{
    const double corners[3][2] = {{x0, y0}, {x1, y1}, {x2, y2}};
    double low = left, high = right;
    for (int k = 0; k < 3; ++k)
    {
        const double* a = corners[(k + 1) % 3];
        const double* b = corners[(k + 2) % 3];
        // w(cx) = slope * cx + offset, the edge function of a -> b along the row.
        double slope = -(b[1] - a[1]) * sign;
        double offset = ((b[0] - a[0]) * (cy - a[1]) + (b[1] - a[1]) * a[0]) * sign;
        if (slope == 0)
        {
            if (offset < -1e-9 * (std::fabs(b[0] - a[0]) + 1))
                return false;
            continue;
        }
        // Pixel px has its centre at px + 0.5.
        double crossing = -offset / slope - 0.5;
        if (slope > 0)
            low = std::max(low, std::ceil(crossing) - 1);
        else
            high = std::min(high, std::floor(crossing) + 2);
    }
    if (!(low < high))
        return false;
    left = int(low);
    right = int(high);
    return true;
}

} // namespace

void TransformRasterizer::Rotated(const PixelTarget& target, const SourcePixels& source, float x, float y,
                                  const Rect& srcRect, const Rect& clipRect, const Color& color, int drawMode,
                                  double angle, float centerX, float centerY)
{
    Rect src = srcRect.Intersection(Rect(0, 0, source.width, source.height));
    if (src.IsEmpty() || !source.native)
        return;
    Tint tint(color);
    if (tint.alphaTable[255] == 0)
        return;
    double c = std::cos(angle);
    double s = std::sin(angle);
    // The source point (centerX, centerY) of srcRect lands at (x + centerX, y + centerY).
    double originX = double(x) + centerX;
    double originY = double(y) + centerY;
    double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
    for (int k = 0; k < 4; ++k)
    {
        double px = (k & 1 ? srcRect.width : 0) - double(centerX);
        double py = (k & 2 ? srcRect.height : 0) - double(centerY);
        double dx = originX + px * c + py * s;
        double dy = originY - px * s + py * c;
        minX = std::min(minX, dx);
        maxX = std::max(maxX, dx);
        minY = std::min(minY, dy);
        maxY = std::max(maxY, dy);
    }
    Rect bounds(int(std::floor(minX)), int(std::floor(minY)), 0, 0);
    bounds.width = int(std::ceil(maxX)) - bounds.x;
    bounds.height = int(std::ceil(maxY)) - bounds.y;
    Rect visible = bounds.Intersection(clipRect).Intersection(Rect(0, 0, target.width, target.height));
    if (visible.IsEmpty())
        return;

    const int32_t stepU = int32_t(std::lround(c * 65536));
    const int32_t stepV = int32_t(std::lround(s * 65536));
    const uint8_t* sat = SaturationTable::Get().Data();
    bool display = target.rule == BlendRule::Display;
    bool additive = drawMode == DRAWMODE_ADDITIVE;
#if defined(__SSE2__)
    bool vector = CpuFeatures::UseSse2() && !source.IsPalettized();
#endif
    thread_local std::vector<uint32_t> line;
    if (line.size() < size_t(visible.width))
        line.resize(size_t(visible.width));
    // Texel space of the whole source: srcRect's corner at (src.x, src.y) minus half a texel.
    double baseU = srcRect.x + double(centerX) - 0.5;
    double baseV = srcRect.y + double(centerY) - 0.5;
    for (int py = visible.y; py < visible.y + visible.height; ++py)
    {
        double qx = visible.x + 0.5 - originX;
        double qy = py + 0.5 - originY;
        int64_t fu = int32_t(std::lround((baseU + qx * c - qy * s) * 65536));
        int64_t fv = int32_t(std::lround((baseV + qx * s + qy * c) * 65536));
        // The columns whose four texels touch the source, and within them those whose four texels
        // all lie inside it.
        int first = 0, end = visible.width;
        NarrowToSteps(fu, stepU, src.x - 1, src.x + src.width - 1, first, end);
        NarrowToSteps(fv, stepV, src.y - 1, src.y + src.height - 1, first, end);
        if (first >= end)
            continue;
        int insideFirst = first, insideEnd = end;
        NarrowToSteps(fu, stepU, src.x, src.x + src.width - 2, insideFirst, insideEnd);
        NarrowToSteps(fv, stepV, src.y, src.y + src.height - 2, insideFirst, insideEnd);
        if (insideFirst >= insideEnd)
            insideFirst = insideEnd = end;
        for (int k = first; k < end; ++k)
        {
            int32_t u = int32_t(fu + int64_t(k) * stepU);
            int32_t v = int32_t(fv + int64_t(k) * stepV);
#if defined(__SSE2__)
            if (vector && k >= insideFirst && k < insideEnd)
            {
                const uint32_t* row0 = source.native + size_t(v >> 16) * size_t(source.width) + size_t(u >> 16);
                line[size_t(k)] =
                    SampleInsideSse2(row0, row0 + source.width, uint32_t(u >> 8) & 0xFF, uint32_t(v >> 8) & 0xFF);
                continue;
            }
#endif
            line[size_t(k)] = SampleTransparentEdges(source, src, u, v);
        }
        uint32_t* samples = line.data() + first;
        int count = end - first;
        PixelKernels::TintPremultipliedRow(samples, count, tint);
        uint32_t* dst = target.Row(py) + visible.x + first;
        if (display && additive)
            PixelKernels::PremulAddRow(dst, samples, count);
        else if (display)
            PixelKernels::PremulOverRow(dst, samples, count);
        else
            PixelWriters::Dispatch(target.rule, drawMode,
                                   [&](auto writer)
                                   {
                                       for (int i = 0; i < count; ++i)
                                           decltype(writer)::PutNative(dst[i], samples[i], sat);
                                   });
    }
}

void TransformRasterizer::Triangle(const PixelTarget& target, const SourcePixels& source, const Corner corners[3],
                                   const Rect& textureRect, const Rect& clipRect, const Color& color, int drawMode,
                                   bool blend)
{
    Rect texture = textureRect.Intersection(Rect(0, 0, source.width, source.height));
    if (texture.IsEmpty() || (blend && !source.native))
        return;
    double x0 = corners[0].x, y0 = corners[0].y;
    double x1 = corners[1].x, y1 = corners[1].y;
    double x2 = corners[2].x, y2 = corners[2].y;
    double area = Edge(x0, y0, x1, y1, x2, y2);
    if (std::fabs(area) < 1e-9)
        return;
    double minX = std::min({x0, x1, x2}), maxX = std::max({x0, x1, x2});
    double minY = std::min({y0, y1, y2}), maxY = std::max({y0, y1, y2});
    Rect bounds(int(std::floor(minX)), int(std::floor(minY)), 0, 0);
    bounds.width = int(std::ceil(maxX)) - bounds.x + 1;
    bounds.height = int(std::ceil(maxY)) - bounds.y + 1;
    Rect visible = bounds.Intersection(clipRect).Intersection(Rect(0, 0, target.width, target.height));
    if (visible.IsEmpty())
        return;

    uint32_t drawColor = ColorToARGB(color);
    bool modulate = drawColor != 0xFFFFFFFF || corners[0].color != 0xFFFFFFFF || corners[1].color != 0xFFFFFFFF ||
                    corners[2].color != 0xFFFFFFFF;
    // Top-left rule: a pixel centre exactly on an edge belongs to the triangle only for top or
    // left edges, so neighbouring triangles never draw a pixel twice.
    double sign = area > 0 ? 1.0 : -1.0;
    auto isTopLeft = [&](double ax, double ay, double bx, double by)
    {
        double ex = (bx - ax) * sign, ey = (by - ay) * sign;
        return (ey == 0 && ex < 0) || ey > 0;
    };
    bool topLeft0 = isTopLeft(x1, y1, x2, y2);
    bool topLeft1 = isTopLeft(x2, y2, x0, y0);
    bool topLeft2 = isTopLeft(x0, y0, x1, y1);
    const uint8_t* sat = SaturationTable::Get().Data();

    PixelWriters::Dispatch(
        target.rule, drawMode,
        [&](auto writer)
        {
            using Writer = decltype(writer);
            for (int py = visible.y; py < visible.y + visible.height; ++py)
            {
                uint32_t* dst = target.Row(py);
                double cy = py + 0.5;
                int left = visible.x;
                int right = visible.x + visible.width;
                if (!RowSpan(x0, y0, x1, y1, x2, y2, sign, cy, left, right))
                    continue;
                for (int px = left; px < right; ++px)
                {
                    double cx = px + 0.5;
                    double w0 = Edge(x1, y1, x2, y2, cx, cy) * sign;
                    double w1 = Edge(x2, y2, x0, y0, cx, cy) * sign;
                    double w2 = Edge(x0, y0, x1, y1, cx, cy) * sign;
                    if (w0 < 0 || w1 < 0 || w2 < 0)
                        continue;
                    if ((w0 == 0 && !topLeft0) || (w1 == 0 && !topLeft1) || (w2 == 0 && !topLeft2))
                        continue;
                    double total = w0 + w1 + w2;
                    double b0 = w0 / total, b1 = w1 / total, b2 = w2 / total;
                    float u = float(b0 * corners[0].u + b1 * corners[1].u + b2 * corners[2].u);
                    float v = float(b0 * corners[0].v + b1 * corners[1].v + b2 * corners[2].v);
                    uint32_t tint = 0xFFFFFFFF;
                    if (modulate)
                    {
                        uint32_t mixed = 0;
                        for (int shift = 0; shift < 32; shift += 8)
                        {
                            double value = b0 * ((corners[0].color >> shift) & 0xFF) +
                                           b1 * ((corners[1].color >> shift) & 0xFF) +
                                           b2 * ((corners[2].color >> shift) & 0xFF);
                            uint32_t channel = uint32_t(std::clamp(value + 0.5, 0.0, 255.0));
                            uint32_t drawChannel = (drawColor >> shift) & 0xFF;
                            mixed |= (channel * drawChannel / 255) << shift;
                        }
                        tint = mixed;
                    }
                    if (blend)
                    {
                        uint32_t n = SampleClamped(source, texture, u, v);
                        if (modulate)
                            n = Modulate(n, tint, true);
                        if (n >> 24)
                            Writer::PutNative(dst[px], n, sat);
                    }
                    else
                    {
                        int tu = std::clamp(int(std::floor(u)), texture.x, texture.x + texture.width - 1);
                        int tv = std::clamp(int(std::floor(v)), texture.y, texture.y + texture.height - 1);
                        uint32_t s = source.Straight(tu, tv);
                        if (modulate)
                            s = Modulate(s, tint, false);
                        if (s >> 24)
                            Writer::PutStraight(dst[px], s, sat);
                    }
                }
            }
        });
}

void TransformRasterizer::Matrix(const PixelTarget& target, const SourcePixels& source, float x, float y,
                                 const Matrix3& matrix, const Rect& clipRect, const Color& color, int drawMode,
                                 const Rect& srcRect, bool blend)
{
    if (srcRect.IsEmpty())
        return;
    float halfWidth = float(srcRect.width) / 2;
    float halfHeight = float(srcRect.height) / 2;
    Corner quad[4];
    for (int k = 0; k < 4; ++k)
    {
        float px = (k & 1 ? float(srcRect.width) : 0) - halfWidth;
        float py = (k & 2 ? float(srcRect.height) : 0) - halfHeight;
        float dx, dy;
        matrix.Apply(px, py, dx, dy);
        quad[k] = {dx + x, dy + y, float(srcRect.x) + px + halfWidth, float(srcRect.y) + py + halfHeight, 0xFFFFFFFF};
    }
    Corner first[3] = {quad[0], quad[1], quad[2]};
    Corner second[3] = {quad[1], quad[3], quad[2]};
    Triangle(target, source, first, srcRect, clipRect, color, drawMode, blend);
    Triangle(target, source, second, srcRect, clipRect, color, drawMode, blend);
}

void TransformRasterizer::Triangles(const PixelTarget& target, const SourcePixels& source,
                                    const TriVertex (*vertices)[3], int count, const Rect& clipRect, const Color& color,
                                    int drawMode, float tx, float ty, bool blend)
{
    Rect whole(0, 0, source.width, source.height);
    for (int i = 0; i < count; ++i)
    {
        Corner corners[3];
        for (int k = 0; k < 3; ++k)
        {
            const TriVertex& vertex = vertices[i][k];
            corners[k] = {vertex.x + tx, vertex.y + ty, vertex.u * float(source.width), vertex.v * float(source.height),
                          vertex.color};
        }
        Triangle(target, source, corners, whole, clipRect, color, drawMode, blend);
    }
}

} // namespace Vesk
