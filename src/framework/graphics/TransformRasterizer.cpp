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
#include <tmmintrin.h>
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

// The triangle sampler's weights: 7 bits of each texel fraction, so that every product and sum
// of the filter fits the vector form's 16-bit multiplies. The four texels' channels c00, c10
// (right), c01 (below) and c11 mix as ((c00 (128 - fx) + c10 fx) (128 - fy) + (c01 (128 - fx) +
// c11 fx) fy + 8192) >> 14.
inline uint32_t MixTexels(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, uint32_t fx, uint32_t fy)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        uint32_t top = ((c00 >> shift) & 0xFF) * (128 - fx) + ((c10 >> shift) & 0xFF) * fx;
        uint32_t bottom = ((c01 >> shift) & 0xFF) * (128 - fx) + ((c11 >> shift) & 0xFF) * fx;
        result |= ((top * (128 - fy) + bottom * fy + 8192) >> 14) << shift;
    }
    return result;
}

// MixTexels at 16.16 texel position (fu, fv) (texel centres at whole numbers), the texels clamped
// to rect.
inline uint32_t SampleClampedFixed(const SourcePixels& source, const Rect& rect, int64_t fu, int64_t fv)
{
    int64_t lowU = int64_t(rect.x) * 65536, highU = int64_t(rect.x + rect.width - 1) * 65536;
    int64_t lowV = int64_t(rect.y) * 65536, highV = int64_t(rect.y + rect.height - 1) * 65536;
    fu = std::clamp(fu, lowU, highU);
    fv = std::clamp(fv, lowV, highV);
    int u0 = int(fu >> 16), v0 = int(fv >> 16);
    int u1 = std::min(u0 + 1, rect.x + rect.width - 1);
    int v1 = std::min(v0 + 1, rect.y + rect.height - 1);
    return MixTexels(source.Native(u0, v0), source.Native(u1, v0), source.Native(u0, v1), source.Native(u1, v1),
                     uint32_t(fu >> 9) & 0x7F, uint32_t(fv >> 9) & 0x7F);
}

#if defined(__SSE2__)
// MixTexels for texels inside the source: (u0, v0) at row0[0], its right neighbour at row0[1],
// the row below at row1. Every product and sum fits its 16-bit or 32-bit lane, so the result is
// the plain form's exactly.
inline __m128i MixInsideSse2(const uint32_t* row0, const uint32_t* row1, uint32_t fx, uint32_t fy)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row0));
    __m128i bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row1));
    // Per channel the left and right texel side by side, times (128 - fx, fx).
    __m128i across = _mm_set1_epi32(int((fx << 16) | (128 - fx)));
    top = _mm_madd_epi16(_mm_unpacklo_epi8(_mm_unpacklo_epi8(top, _mm_srli_si128(top, 4)), zero), across);
    bottom = _mm_madd_epi16(_mm_unpacklo_epi8(_mm_unpacklo_epi8(bottom, _mm_srli_si128(bottom, 4)), zero), across);
    __m128i rows = _mm_packs_epi32(top, bottom);
    rows = _mm_unpacklo_epi16(rows, _mm_srli_si128(rows, 8));
    __m128i sum = _mm_madd_epi16(rows, _mm_set1_epi32(int((fy << 16) | (128 - fy))));
    return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(8192)), 14);
}

// MixInsideSse2 for a run of `count` samples two at a time, from 16.16 texel position (u, v)
// stepped by (stepU, stepV), every four texels inside a source under 32768 texels a side, written
// to out; each then multiplied as ModulateRow does by an even tint (its lanes given) or by the
// corners' colours stepped from `at` by `by` (16.16, as makeTints). The same sums exactly: with
// the texels moved to -128..127 (less 128), each horizontal mix fits the byte multiply-add,
// c00 (128 - fx) + c10 fx - 16384, and the vertical one the 16-bit one; the offsets are added
// back before the rounding.
enum class RunTint
{
    None,
    Even,
    Varying
};

__attribute__((target("ssse3"))) void MixRunSsse3(const uint32_t* native, int width, int64_t u, int64_t v,
                                                  int64_t stepU, int64_t stepV, int count, uint32_t* out, RunTint tint,
                                                  __m128i tintFirst, __m128i tintAlpha, __m128i at, __m128i by)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi8(char(0x80));
    // From [A00 A10 B00 B10] to each channel's left and right texel side by side, A then B.
    const __m128i pairs = _mm_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m128i restore = _mm_set1_epi32(16384 * 128 + 8192);
    const __m128i one = _mm_set1_epi16(1);
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    const __m128i alphaFactor = _mm_set_epi16(256, 0, 0, 0, 256, 0, 0, 0);
    const __m128i channelMax = _mm_set1_epi16(255);
    // ModulateRow's steps on two samples' 16-bit lanes; a varying tint takes the next two steps
    // of the corners' colours, clamped to 0..255 as makeTints does.
    auto tinted = [&](__m128i lanes)
    {
        if (tint == RunTint::None)
            return lanes;
        __m128i first = tintFirst, alpha = tintAlpha;
        if (tint == RunTint::Varying)
        {
            __m128i a = _mm_srai_epi32(at, 16);
            at = _mm_add_epi32(at, by);
            __m128i b = _mm_srai_epi32(at, 16);
            at = _mm_add_epi32(at, by);
            __m128i t = _mm_max_epi16(_mm_min_epi16(_mm_packs_epi32(a, b), channelMax), _mm_setzero_si128());
            first = _mm_or_si128(_mm_andnot_si128(alphaLanes, _mm_add_epi16(t, one)), alphaFactor);
            alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(t, 0xFF), 0xFF);
        }
        __m128i x = _mm_srli_epi16(_mm_mullo_epi16(lanes, first), 8);
        x = _mm_mullo_epi16(x, alpha);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
    };
    // Both samples' positions in 32-bit lanes [uA, vA, uB, vB]; the source is far smaller than
    // 32768 texels a side, so the positions fit and each texel's index is u + v * width in one
    // 16-bit multiply-add.
    __m128i at2 = _mm_set_epi32(int(v + stepV), int(u + stepU), int(v), int(u));
    const __m128i step2 = _mm_set_epi32(int(2 * stepV), int(2 * stepU), int(2 * stepV), int(2 * stepU));
    const __m128i rowIndex = _mm_set_epi16(0, 0, 0, 0, short(width), 1, short(width), 1);
    const __m128i fractionMask = _mm_set1_epi32(0x7F);
    const __m128i k128 = _mm_set1_epi32(128);
    int k = 0;
    for (; k + 2 <= count; k += 2)
    {
        __m128i whole = _mm_srai_epi32(at2, 16);
        __m128i index = _mm_madd_epi16(_mm_packs_epi32(whole, whole), rowIndex);
        const uint32_t* a = native + uint32_t(_mm_cvtsi128_si32(index));
        const uint32_t* b = native + uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(index, 4)));
        // [fxA, fyA, fxB, fyB] and the weights (128 - f, f): for fx as bytes in 16-bit lanes,
        // for fy as 16-bit halves of 32-bit lanes.
        __m128i fraction = _mm_and_si128(_mm_srli_epi32(at2, 9), fractionMask);
        __m128i rest = _mm_sub_epi32(k128, fraction);
        at2 = _mm_add_epi32(at2, step2);
        __m128i acrossLanes = _mm_or_si128(_mm_slli_epi32(fraction, 8), rest);
        __m128i across = _mm_shufflehi_epi16(_mm_shufflelo_epi16(acrossLanes, 0), 0);
        __m128i downLanes = _mm_or_si128(_mm_slli_epi32(fraction, 16), rest);
        __m128i downA = _mm_shuffle_epi32(downLanes, 0x55);
        __m128i downB = _mm_shuffle_epi32(downLanes, 0xFF);
        __m128i top = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                                         _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b)));
        __m128i bottom = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + width)),
                                            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + width)));
        top = _mm_xor_si128(_mm_shuffle_epi8(top, pairs), bias);
        bottom = _mm_xor_si128(_mm_shuffle_epi8(bottom, pairs), bias);
        __m128i mixedTop = _mm_maddubs_epi16(across, top);
        __m128i mixedBottom = _mm_maddubs_epi16(across, bottom);
        __m128i sumA = _mm_madd_epi16(_mm_unpacklo_epi16(mixedTop, mixedBottom), downA);
        __m128i sumB = _mm_madd_epi16(_mm_unpackhi_epi16(mixedTop, mixedBottom), downB);
        sumA = _mm_srai_epi32(_mm_add_epi32(sumA, restore), 14);
        sumB = _mm_srai_epi32(_mm_add_epi32(sumB, restore), 14);
        __m128i packed = tinted(_mm_packs_epi32(sumA, sumB));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(packed, zero));
    }
    u += stepU * k;
    v += stepV * k;
    for (; k < count; ++k, u += stepU, v += stepV)
    {
        const uint32_t* a = native + size_t(v >> 16) * size_t(width) + size_t(u >> 16);
        __m128i mixed = MixInsideSse2(a, a + width, uint32_t(u >> 9) & 0x7F, uint32_t(v >> 9) & 0x7F);
        __m128i packed = tinted(_mm_packs_epi32(mixed, mixed));
        out[k] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(packed, packed)));
    }
}
#endif

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

// Modulate (premultiplied) over a row: pixel k by tints[k * tintStride].
void ModulateRow(uint32_t* pixels, const uint32_t* tints, size_t tintStride, int count)
{
    int k = 0;
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
    {
        // Two pixels per step in 16-bit lanes: colour lanes c * (m + 1) >> 8, the alpha lane
        // a * 256 >> 8; then every lane times the tint's alpha, divided by 255 exactly as
        // (x + 1 + (x >> 8)) >> 8, which holds for every x up to 255 * 255.
        const __m128i zero = _mm_setzero_si128();
        const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
        const __m128i one = _mm_set1_epi16(1);
        const __m128i alphaFactor = _mm_set_epi16(256, 0, 0, 0, 256, 0, 0, 0);
        for (; k + 2 <= count; k += 2)
        {
            __m128i p = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels + k)), zero);
            __m128i t = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(tints[size_t(k) * tintStride])), zero);
            t = _mm_unpacklo_epi64(t,
                                   _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(tints[size_t(k + 1) * tintStride])), zero));
            __m128i first = _mm_or_si128(_mm_andnot_si128(alphaLanes, _mm_add_epi16(t, one)), alphaFactor);
            __m128i x = _mm_srli_epi16(_mm_mullo_epi16(p, first), 8);
            __m128i ma = _mm_shufflehi_epi16(_mm_shufflelo_epi16(t, 0xFF), 0xFF);
            x = _mm_mullo_epi16(x, ma);
            x = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(pixels + k), _mm_packus_epi16(x, zero));
        }
    }
#endif
    for (; k < count; ++k)
        pixels[k] = Modulate(pixels[k], tints[size_t(k) * tintStride], true);
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

// The filtered form of Triangle, a row at a time, for a convex polygon of `cornerCount` corners (a
// triangle, or a fan of triangles sharing one texture mapping): the same pixels as the per-pixel
// edge test (each row's covered pixels form one run, found from its ends), with the texture
// position and the corner colours stepped across the run in 16.16 fixed point (a triangle's
// colours by their plane, a polygon's from its left edge to its right one). Runs whose texels all
// lie inside the texture are sampled by the vector samplers, which give the plain sampler's results
// exactly and lay the tint on as they go. Edge k runs from corner k to the next.
void FilteredPolygon(const PixelTarget& target, const SourcePixels& source, const TransformRasterizer::Corner c[],
                     int cornerCount, const Rect& texture, const Rect& visible, double sign, const bool topLeft[],
                     uint32_t drawColor, int drawMode)
{
    double x0 = c[0].x, y0 = c[0].y, x1 = c[1].x, y1 = c[1].y, x2 = c[2].x, y2 = c[2].y;
    auto covered = [&](int px, double cy)
    {
        double cx = px + 0.5;
        for (int k = 0; k < cornerCount; ++k)
        {
            const TransformRasterizer::Corner& a = c[k];
            const TransformRasterizer::Corner& b = c[(k + 1) % cornerCount];
            double w = Edge(a.x, a.y, b.x, b.y, cx, cy) * sign;
            if (w < 0 || (w == 0 && !topLeft[k]))
                return false;
        }
        return true;
    };
    // Every attribute a is affine on the screen: a = ax * cx + ay * cy + a0.
    double area = Edge(x0, y0, x1, y1, x2, y2);
    auto plane = [&](double a0, double a1, double a2, double out[3])
    {
        out[0] = ((y1 - y2) * a0 + (y2 - y0) * a1 + (y0 - y1) * a2) / area;
        out[1] = ((x2 - x1) * a0 + (x0 - x2) * a1 + (x1 - x0) * a2) / area;
        out[2] = a0 - out[0] * x0 - out[1] * y0;
    };
    double uPlane[3], vPlane[3];
    plane(c[0].u, c[1].u, c[2].u, uPlane);
    plane(c[0].v, c[1].v, c[2].v, vPlane);
    bool varying = false;
    for (int k = 1; k < cornerCount; ++k)
        varying |= c[k].color != c[0].color;
    double colorPlanes[4][3];
    uint32_t flatTint = 0;
    for (int k = 0; k < 4; ++k)
    {
        int shift = 8 * k;
        plane(double((c[0].color >> shift) & 0xFF), double((c[1].color >> shift) & 0xFF),
              double((c[2].color >> shift) & 0xFF), colorPlanes[k]);
        flatTint |= (((c[0].color >> shift) & 0xFF) * ((drawColor >> shift) & 0xFF) / 255) << shift;
    }
    bool modulate = flatTint != 0xFFFFFFFF || varying;
#if defined(__SSE2__)
    bool fusedTint = modulate && !varying && CpuFeatures::UseSse2() && !source.IsPalettized();
    const __m128i tintOne = _mm_set1_epi16(1);
    __m128i tintFirst = _mm_setzero_si128(), tintAlpha = _mm_setzero_si128();
    if (fusedTint)
    {
        // ModulateRow's lanes: colour + 1 and 256 for the alpha, then the tint's alpha.
        const __m128i zero = _mm_setzero_si128();
        const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
        __m128i t = _mm_unpacklo_epi8(_mm_set1_epi32(int(flatTint)), zero);
        tintFirst = _mm_or_si128(_mm_andnot_si128(alphaLanes, _mm_add_epi16(t, tintOne)),
                                 _mm_set_epi16(256, 0, 0, 0, 256, 0, 0, 0));
        tintAlpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(t, 0xFF), 0xFF);
    }
#else
    constexpr bool fusedTint = false;
#endif
    const uint8_t* sat = SaturationTable::Get().Data();
    bool display = target.rule == BlendRule::Display;
#if defined(__SSE2__)
    bool vector = CpuFeatures::UseSse2() && !source.IsPalettized();
    bool runSampler = vector && CpuFeatures::UseSsse3() && source.width < 32768 && source.height < 32768;
#endif
    thread_local std::vector<uint32_t> lineBuffer;
    thread_local std::vector<uint32_t> tintBuffer;
    std::vector<uint32_t>& line = lineBuffer;
    std::vector<uint32_t>& tints = tintBuffer;
    if (line.size() < size_t(visible.width))
        line.resize(size_t(visible.width));
    if (varying && tints.size() < size_t(visible.width))
        tints.resize(size_t(visible.width));
    // RowSpan's bounds stepped from row to row: each edge's crossing of a row is linear in the
    // row's centre, so a row costs three multiply-adds instead of three divisions.
    struct EdgeRow
    {
        bool level;     // horizontal: the whole row is in or out
        bool lowBound;  // the crossing bounds the run's left end (else its right end)
        double at, per; // crossing = at + per * cy, or for a level edge the edge value there
    } edges[TransformRasterizer::MaxPolygonCorners];
    for (int k = 0; k < cornerCount; ++k)
    {
        const double a[2] = {c[k].x, c[k].y};
        const double b[2] = {c[(k + 1) % cornerCount].x, c[(k + 1) % cornerCount].y};
        double slope = -(b[1] - a[1]) * sign;
        double offsetAt = ((b[0] - a[0]) * -a[1] + (b[1] - a[1]) * a[0]) * sign;
        double offsetPer = (b[0] - a[0]) * sign;
        if (slope == 0)
            edges[k] = {true, false, offsetAt, offsetPer};
        else
            edges[k] = {false, slope > 0, -offsetAt / slope - 0.5, -offsetPer / slope};
    }
    // For a polygon, each edge's colour from its first corner to the next, by the row's height
    // along it.
    struct EdgeColor
    {
        double perY;
        double from[4], by[4];
    } edgeColors[TransformRasterizer::MaxPolygonCorners];
    for (int k = 0; k < cornerCount && cornerCount > 3; ++k)
    {
        const TransformRasterizer::Corner& a = c[k];
        const TransformRasterizer::Corner& b = c[(k + 1) % cornerCount];
        edgeColors[k].perY = b.y != a.y ? 1 / (double(b.y) - a.y) : 0;
        for (int m = 0; m < 4; ++m)
        {
            edgeColors[k].from[m] = double((a.color >> (8 * m)) & 0xFF);
            edgeColors[k].by[m] = double((b.color >> (8 * m)) & 0xFF) - edgeColors[k].from[m];
        }
    }
    // Rounds to 16.16 fixed point, halves up.
    auto fixed = [](double value)
    {
        double t = value * 65536 + 0.5;
        auto i = int64_t(t);
        return i - int64_t(double(i) > t);
    };
    const int64_t stepU = fixed(uPlane[0]), stepV = fixed(vPlane[0]);
    auto floorInt = [](double value)
    {
        double t = std::max(std::min(value, 1e9), -1e9);
        int i = int(t);
        return i - int(double(i) > t);
    };
    for (int py = visible.y; py < visible.y + visible.height; ++py)
    {
        double cy = py + 0.5;
        int left = visible.x, right = visible.x + visible.width;
        // The crossings give the run's ends; only where one falls within a hair of a pixel centre
        // does the exact edge test decide.
        bool empty = false, unsure = false;
        // The outline's edges on the run's left and right, where they cross the row.
        int leftEdge = -1, rightEdge = -1;
        double leftCrossing = -1e30, rightCrossing = 1e30;
        for (int k = 0; k < cornerCount; ++k)
        {
            const EdgeRow& edge = edges[k];
            double value = edge.at + edge.per * cy;
            if (edge.level)
            {
                double tolerance = 1e-9 * (std::fabs(edge.per) + 1);
                empty |= value < -tolerance;
                unsure |= value <= tolerance;
                continue;
            }
            int whole = floorInt(value);
            double fraction = value - whole;
            unsure |= fraction < 1e-6 || fraction > 1 - 1e-6;
            if (edge.lowBound)
            {
                left = std::max(left, whole + 1);
                if (value > leftCrossing)
                    leftCrossing = value, leftEdge = k;
            }
            else
            {
                right = std::min(right, whole + 1);
                if (value < rightCrossing)
                    rightCrossing = value, rightEdge = k;
            }
        }
        if (empty)
            continue;
        if (unsure)
        {
            left = std::max(left - 2, visible.x);
            right = std::min(right + 2, visible.x + visible.width);
            while (left < right && !covered(left, cy))
                ++left;
            while (right > left && !covered(right - 1, cy))
                --right;
        }
        int count = right - left;
        if (count <= 0)
            continue;
        double cx = left + 0.5;
        int64_t fu = fixed(uPlane[0] * cx + uPlane[1] * cy + uPlane[2] - 0.5);
        int64_t fv = fixed(vPlane[0] * cx + vPlane[1] * cy + vPlane[2] - 0.5);
        uint32_t* samples = line.data();
        // The corners' colours along the run when they vary, in 16.16 at its first pixel and per
        // pixel, and the tints they make over [from, to).
        int64_t channel[4] = {}, step[4] = {};
        if (modulate && varying)
        {
            if (cornerCount == 3 || leftEdge < 0 || rightEdge < 0)
            {
                for (int m = 0; m < 4; ++m)
                {
                    channel[m] = fixed(colorPlanes[m][0] * cx + colorPlanes[m][1] * cy + colorPlanes[m][2] + 0.5);
                    step[m] = fixed(colorPlanes[m][0]);
                }
            }
            else
            {
                // A polygon's colours go straight across each row from where its left edge
                // crosses the row to where its right edge does, each edge's colour mixed from
                // its two corners.
                double tLeft = std::clamp((cy - c[leftEdge].y) * edgeColors[leftEdge].perY, 0.0, 1.0);
                double tRight = std::clamp((cy - c[rightEdge].y) * edgeColors[rightEdge].perY, 0.0, 1.0);
                double xLeft = leftCrossing + 0.5, xRight = rightCrossing + 0.5;
                double perX = xRight - xLeft > 1e-6 ? 1 / (xRight - xLeft) : 0;
                for (int m = 0; m < 4; ++m)
                {
                    double atLeft = edgeColors[leftEdge].from[m] + edgeColors[leftEdge].by[m] * tLeft;
                    double atRight = edgeColors[rightEdge].from[m] + edgeColors[rightEdge].by[m] * tRight;
                    double perPixel = (atRight - atLeft) * perX;
                    channel[m] = fixed(atLeft + perPixel * (cx - xLeft) + 0.5);
                    step[m] = fixed(perPixel);
                }
            }
        }
        auto makeTints = [&](int from, int to)
        {
            int k = from;
#if defined(__SSE2__)
            if (CpuFeatures::UseSse2() && drawColor == 0xFFFFFFFF)
            {
                // The same sums in 32-bit lanes (every one is a covered pixel's channel, so
                // within a few units of 0..255 in 16.16), packed with the same clamping.
                __m128i at = _mm_set_epi32(int(channel[3] + step[3] * from), int(channel[2] + step[2] * from),
                                           int(channel[1] + step[1] * from), int(channel[0] + step[0] * from));
                __m128i by = _mm_set_epi32(int(step[3]), int(step[2]), int(step[1]), int(step[0]));
                for (; k < to; ++k)
                {
                    __m128i value = _mm_srai_epi32(at, 16);
                    value = _mm_packs_epi32(value, value);
                    tints[size_t(k)] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(value, value)));
                    at = _mm_add_epi32(at, by);
                }
            }
#endif
            for (; k < to; ++k)
            {
                uint32_t tint = 0;
                for (int m = 0; m < 4; ++m)
                {
                    uint32_t value = uint32_t(std::clamp<int64_t>((channel[m] + step[m] * k) >> 16, 0, 255));
                    tint |= (drawColor == 0xFFFFFFFF ? value : value * ((drawColor >> (8 * m)) & 0xFF) / 255)
                            << (8 * m);
                }
                tints[size_t(k)] = tint;
            }
        };
        // The part of the run the sampler has already tinted.
        int fusedFirst = 0, fusedEnd = 0;
        // A run that steps a whole texel per pixel along a texture row, from within 1/8192 of a
        // texel centre to within that of another, is the texture's row as it is: copied, or read
        // in place when nothing tints it.
        const uint32_t* straightRow = nullptr;
        if (!source.IsPalettized() && std::abs(stepU - 65536) <= 8 && std::abs(stepV) <= 8)
        {
            int64_t firstU = (fu + 32768) >> 16, firstV = (fv + 32768) >> 16;
            int64_t lastU = fu + stepU * (count - 1), lastV = fv + stepV * (count - 1);
            bool onCentres = std::abs(fu - firstU * 65536) <= 8 && std::abs(fv - firstV * 65536) <= 8 &&
                             std::abs(lastU - (firstU + count - 1) * 65536) <= 8 &&
                             std::abs(lastV - firstV * 65536) <= 8;
            if (onCentres && firstU >= texture.x && firstU + count <= texture.x + texture.width &&
                firstV >= texture.y && firstV < texture.y + texture.height)
                straightRow = source.native + size_t(firstV) * size_t(source.width) + size_t(firstU);
        }
        if (straightRow)
        {
            if (modulate)
                std::copy(straightRow, straightRow + count, samples);
        }
        else if (texture.width == 1 && texture.height == 1)
        {
            // One texel (a colour laid by the corners' tints, like a shadow): nothing to filter.
            std::fill(samples, samples + count, source.Native(texture.x, texture.y));
        }
        else
        {
            // The part of the run whose four texels all lie inside the texture.
            // Positions are affine along the run, so it lies inside when both its ends do.
            int insideFirst = 0, insideEnd = count;
            int64_t lastU = fu + stepU * (count - 1), lastV = fv + stepV * (count - 1);
            auto inside = [](int64_t a, int64_t b, int low, int high)
            { return std::min(a, b) >= int64_t(low) * 65536 && std::max(a, b) < int64_t(high + 1) * 65536; };
            if (!inside(fu, lastU, texture.x, texture.x + texture.width - 2) ||
                !inside(fv, lastV, texture.y, texture.y + texture.height - 2))
            {
                NarrowToSteps(fu, stepU, texture.x, texture.x + texture.width - 2, insideFirst, insideEnd);
                NarrowToSteps(fv, stepV, texture.y, texture.y + texture.height - 2, insideFirst, insideEnd);
            }
#if defined(__SSE2__)
            if (!vector)
                insideFirst = insideEnd = 0;
#else
            insideFirst = insideEnd = 0;
#endif
            for (int k = 0; k < insideFirst; ++k)
                samples[k] = SampleClampedFixed(source, texture, fu + stepU * k, fv + stepV * k);
#if defined(__SSE2__)
            // An even tint is laid on the filtered samples as they are made, in their 16-bit lanes,
            // by ModulateRow's own steps.
            auto tintSamples = [&](__m128i lanes)
            {
                if (!fusedTint)
                    return lanes;
                __m128i x = _mm_srli_epi16(_mm_mullo_epi16(lanes, tintFirst), 8);
                x = _mm_mullo_epi16(x, tintAlpha);
                return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, tintOne), _mm_srli_epi16(x, 8)), 8);
            };
            int k = insideFirst;
            int64_t u = fu + stepU * k, v = fv + stepV * k;
            auto texel = [&](int64_t tu, int64_t tv)
            { return source.native + size_t(tv >> 16) * size_t(source.width) + size_t(tu >> 16); };
            // The texels two rows further down are asked for early: each row of a turned texture
            // reaches into texture rows the processor has not read yet, and would wait for them.
            const int64_t belowU = 2 * fixed(uPlane[1]), belowV = 2 * fixed(vPlane[1]);
            int64_t lowV = int64_t(texture.y) * 65536, highV = int64_t(texture.y + texture.height - 2) * 65536;
            int64_t lowU = int64_t(texture.x) * 65536, highU = int64_t(texture.x + texture.width - 2) * 65536;
            for (int ahead = k; ahead < insideEnd; ahead += 8)
            {
                int64_t au = std::clamp(u + stepU * (ahead - k) + belowU, lowU, highU);
                int64_t av = std::clamp(v + stepV * (ahead - k) + belowV, lowV, highV);
                _mm_prefetch(reinterpret_cast<const char*>(texel(au, av) + source.width), _MM_HINT_T0);
            }
            bool varyingFused = modulate && varying && drawColor == 0xFFFFFFFF;
            if (runSampler && k < insideEnd)
            {
                __m128i at = _mm_set_epi32(int(channel[3] + step[3] * k), int(channel[2] + step[2] * k),
                                           int(channel[1] + step[1] * k), int(channel[0] + step[0] * k));
                __m128i by = _mm_set_epi32(int(step[3]), int(step[2]), int(step[1]), int(step[0]));
                MixRunSsse3(source.native, source.width, u, v, stepU, stepV, insideEnd - k, samples + k,
                            fusedTint      ? RunTint::Even
                            : varyingFused ? RunTint::Varying
                                           : RunTint::None,
                            tintFirst, tintAlpha, at, by);
                if (fusedTint || varyingFused)
                    fusedFirst = k, fusedEnd = insideEnd;
                k = insideEnd;
            }
            else if (fusedTint)
                fusedFirst = k, fusedEnd = insideEnd;
            for (; k + 2 <= insideEnd; k += 2)
            {
                const uint32_t* first = texel(u, v);
                __m128i a =
                    MixInsideSse2(first, first + source.width, uint32_t(u >> 9) & 0x7F, uint32_t(v >> 9) & 0x7F);
                u += stepU;
                v += stepV;
                const uint32_t* second = texel(u, v);
                __m128i b =
                    MixInsideSse2(second, second + source.width, uint32_t(u >> 9) & 0x7F, uint32_t(v >> 9) & 0x7F);
                u += stepU;
                v += stepV;
                __m128i packed = tintSamples(_mm_packs_epi32(a, b));
                _mm_storel_epi64(reinterpret_cast<__m128i*>(samples + k), _mm_packus_epi16(packed, packed));
            }
            for (; k < insideEnd; ++k, u += stepU, v += stepV)
            {
                const uint32_t* first = texel(u, v);
                __m128i a =
                    MixInsideSse2(first, first + source.width, uint32_t(u >> 9) & 0x7F, uint32_t(v >> 9) & 0x7F);
                __m128i packed = tintSamples(_mm_packs_epi32(a, a));
                samples[k] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(packed, packed)));
            }
#endif
            for (int k = insideEnd; k < count; ++k)
                samples[k] = SampleClampedFixed(source, texture, fu + stepU * k, fv + stepV * k);
        }
        if (modulate && !varying)
        {
            if (fusedFirst > 0)
                ModulateRow(samples, &flatTint, 0, fusedFirst);
            if (fusedEnd < count)
                ModulateRow(samples + fusedEnd, &flatTint, 0, count - fusedEnd);
        }
        else if (modulate)
        {
            if (fusedFirst > 0)
            {
                makeTints(0, fusedFirst);
                ModulateRow(samples, tints.data(), 1, fusedFirst);
            }
            if (fusedEnd < count)
            {
                makeTints(fusedEnd, count);
                ModulateRow(samples + fusedEnd, tints.data() + fusedEnd, 1, count - fusedEnd);
            }
        }
        const uint32_t* out = straightRow && !modulate ? straightRow : samples;
        uint32_t* dst = target.Row(py) + left;
        if (display && drawMode == DRAWMODE_ADDITIVE)
            PixelKernels::PremulAddRow(dst, out, count);
        else if (display)
            PixelKernels::PremulOverRow(dst, out, count);
        else
            PixelWriters::Dispatch(target.rule, drawMode,
                                   [&](auto writer)
                                   {
                                       for (int k = 0; k < count; ++k)
                                           if (out[k] >> 24)
                                               decltype(writer)::PutNative(dst[k], out[k], sat);
                                   });
    }
}

// The corners of a fan of triangles that starts at list[0] and lies on one convex polygon with one
// texture mapping: each further triangle shares the fan's first corner and the previous triangle's
// last edge, turns the same way, keeps the outline convex, and places its new corner where the
// first triangle's texture plane puts it (within 1/64 texel). The count of triangles taken; at
// least one.
int GatherFan(const TriVertex (*list)[3], int count, float tx, float ty, float width, float height,
              TransformRasterizer::Corner out[], int& cornerCount)
{
    auto corner = [&](const TriVertex& v) -> TransformRasterizer::Corner {
        return {v.x + tx, v.y + ty, v.u * width, v.v * height, v.color};
    };
    for (int k = 0; k < 3; ++k)
        out[k] = corner(list[0][k]);
    cornerCount = 3;
    double x0 = out[0].x, y0 = out[0].y, x1 = out[1].x, y1 = out[1].y, x2 = out[2].x, y2 = out[2].y;
    double area = Edge(x0, y0, x1, y1, x2, y2);
    if (std::fabs(area) < 1e-6)
        return 1;
    double sign = area > 0 ? 1.0 : -1.0;
    auto planeAt = [&](double a0, double a1, double a2, double x, double y)
    {
        double ax = ((y1 - y2) * a0 + (y2 - y0) * a1 + (y0 - y1) * a2) / area;
        double ay = ((x2 - x1) * a0 + (x0 - x2) * a1 + (x1 - x0) * a2) / area;
        return a0 + ax * (x - x0) + ay * (y - y0);
    };
    auto same = [](const TriVertex& a, const TriVertex& b)
    { return a.x == b.x && a.y == b.y && a.u == b.u && a.v == b.v && a.color == b.color; };
    auto turn = [&](const TransformRasterizer::Corner& a, const TransformRasterizer::Corner& b,
                    const TransformRasterizer::Corner& c) { return Edge(a.x, a.y, b.x, b.y, c.x, c.y) * sign; };
    int taken = 1;
    while (taken < count && cornerCount < TransformRasterizer::MaxPolygonCorners)
    {
        const TriVertex* next = list[taken];
        if (!same(next[0], list[0][0]) || !same(next[1], list[taken - 1][2]))
            break;
        TransformRasterizer::Corner added = corner(next[2]);
        const TransformRasterizer::Corner& last = out[cornerCount - 1];
        const TransformRasterizer::Corner& beforeLast = out[cornerCount - 2];
        if (turn(out[0], last, added) <= 1e-6 || turn(beforeLast, last, added) < 0 || turn(last, added, out[0]) < 0 ||
            turn(added, out[0], out[1]) < 0)
            break;
        bool agrees = std::fabs(planeAt(out[0].u, out[1].u, out[2].u, added.x, added.y) - added.u) <= 1.0 / 64 &&
                      std::fabs(planeAt(out[0].v, out[1].v, out[2].v, added.x, added.y) - added.v) <= 1.0 / 64;
        if (!agrees)
            break;
        out[cornerCount++] = added;
        ++taken;
    }
    return taken;
}

// FilteredPolygon over the visible part of a convex polygon, its corners turning one way.
void DrawFilteredPolygon(const PixelTarget& target, const SourcePixels& source,
                         const TransformRasterizer::Corner corners[], int cornerCount, const Rect& clipRect,
                         const Color& color, int drawMode)
{
    Rect texture(0, 0, source.width, source.height);
    if (texture.IsEmpty() || !source.native)
        return;
    double minX = 1e30, maxX = -1e30, minY = 1e30, maxY = -1e30;
    for (int k = 0; k < cornerCount; ++k)
    {
        minX = std::min(minX, double(corners[k].x));
        maxX = std::max(maxX, double(corners[k].x));
        minY = std::min(minY, double(corners[k].y));
        maxY = std::max(maxY, double(corners[k].y));
    }
    Rect bounds(int(std::floor(minX)), int(std::floor(minY)), 0, 0);
    bounds.width = int(std::ceil(maxX)) - bounds.x + 1;
    bounds.height = int(std::ceil(maxY)) - bounds.y + 1;
    Rect visible = bounds.Intersection(clipRect).Intersection(Rect(0, 0, target.width, target.height));
    if (visible.IsEmpty())
        return;
    double sign =
        Edge(corners[0].x, corners[0].y, corners[1].x, corners[1].y, corners[2].x, corners[2].y) > 0 ? 1.0 : -1.0;
    bool topLeft[TransformRasterizer::MaxPolygonCorners];
    for (int k = 0; k < cornerCount; ++k)
    {
        const TransformRasterizer::Corner& a = corners[k];
        const TransformRasterizer::Corner& b = corners[(k + 1) % cornerCount];
        double ex = (double(b.x) - a.x) * sign, ey = (double(b.y) - a.y) * sign;
        topLeft[k] = (ey == 0 && ex < 0) || ey > 0;
    }
    FilteredPolygon(target, source, corners, cornerCount, texture, visible, sign, topLeft, ColorToARGB(color),
                    drawMode);
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
    if (blend)
    {
        const bool topLeft[3] = {topLeft2, topLeft0, topLeft1};
        FilteredPolygon(target, source, corners, 3, texture, visible, sign, topLeft, drawColor, drawMode);
        return;
    }
    const uint8_t* sat = SaturationTable::Get().Data();

    PixelWriters::Dispatch(target.rule, drawMode,
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
                                       int tu =
                                           std::clamp(int(std::floor(u)), texture.x, texture.x + texture.width - 1);
                                       int tv =
                                           std::clamp(int(std::floor(v)), texture.y, texture.y + texture.height - 1);
                                       uint32_t s = source.Straight(tu, tv);
                                       if (modulate)
                                           s = Modulate(s, tint, false);
                                       if (s >> 24)
                                           Writer::PutStraight(dst[px], s, sat);
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
    if (blend)
    {
        // Filtered fans are drawn a whole polygon at a time: a long thin fan costs one pass over its
        // rows instead of one per triangle.
        Corner corners[MaxPolygonCorners];
        int cornerCount = 0;
        for (int i = 0; i < count;)
        {
            int taken = GatherFan(vertices + i, count - i, tx, ty, float(source.width), float(source.height), corners,
                                  cornerCount);
            if (taken == 1)
                Triangle(target, source, corners, whole, clipRect, color, drawMode, blend);
            else
                DrawFilteredPolygon(target, source, corners, cornerCount, clipRect, color, drawMode);
            i += taken;
        }
        return;
    }
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
