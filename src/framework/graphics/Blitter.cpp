#include "framework/graphics/Blitter.h"

#include "framework/graphics/Image.h"
#include "framework/graphics/PixelRules.h"
#include "framework/graphics/PixelWriters.h"
#include "framework/graphics/SaturationTable.h"
#include "framework/graphics/Span.h"
#include "framework/graphics/Tint.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Vesk
{

namespace
{

// The clipped placement of a blit: width x height pixels from (destX, destY); the source row
// starts at (srcX, srcY) and steps +1 (or -1 when mirrored) per destination pixel.
struct Placement
{
    int destX = 0;
    int destY = 0;
    int srcX = 0;
    int srcY = 0;
    int width = 0;
    int height = 0;
};

bool Place(const PixelTarget& target, const SourcePixels& source, int x, int y, const Rect& srcRect, bool mirror,
           Placement& placement)
{
    Rect src = srcRect.Intersection(Rect(0, 0, source.width, source.height));
    if (src.IsEmpty())
        return false;
    int srcRight = srcRect.x + srcRect.width;
    // Destination columns covered by the valid source columns.
    int destLeft = mirror ? x + (srcRight - (src.x + src.width)) : x + (src.x - srcRect.x);
    int destTop = y + (src.y - srcRect.y);
    Rect dest = Rect(destLeft, destTop, src.width, src.height).Intersection(Rect(0, 0, target.width, target.height));
    if (dest.IsEmpty())
        return false;
    placement.destX = dest.x;
    placement.destY = dest.y;
    placement.width = dest.width;
    placement.height = dest.height;
    placement.srcY = srcRect.y + (dest.y - y);
    placement.srcX = mirror ? x + srcRight - 1 - dest.x : srcRect.x + (dest.x - x);
    return true;
}

template <class Writer>
void GenericBlt(const PixelTarget& target, const SourcePixels& source, const Placement& p, const Tint& tint,
                bool mirror, bool useNative)
{
    const uint8_t* sat = SaturationTable::Get().Data();
    int step = mirror ? -1 : 1;
    for (int row = 0; row < p.height; ++row)
    {
        uint32_t* dst = target.Row(p.destY + row) + p.destX;
        size_t srcIndex = size_t(p.srcY + row) * size_t(source.width) + size_t(p.srcX);
        for (int col = 0; col < p.width; ++col, srcIndex += size_t(step))
        {
            if (useNative)
            {
                uint32_t n = source.Native(srcIndex);
                if (n >> 24)
                    Writer::PutNative(dst[col], n, sat);
            }
            else
            {
                uint32_t s = tint.Apply(source.Straight(srcIndex));
                if (s >> 24)
                    Writer::PutStraight(dst[col], s, sat);
            }
        }
    }
}

// Memory rule onto an opaque destination, white, normal mode: transparent runs are skipped,
// opaque runs copied, translucent pixels composited.
void RunLengthStraightBlt(const PixelTarget& target, const SourcePixels& source, const Placement& p)
{
    for (int row = 0; row < p.height; ++row)
    {
        uint32_t* dst = target.Row(p.destY + row) + p.destX;
        size_t rowStart = size_t(p.srcY + row) * size_t(source.width);
        const uint8_t* runs = source.rlAlpha + rowStart;
        int col = 0;
        while (col < p.width)
        {
            int sx = p.srcX + col;
            int run = std::min<int>(runs[sx], p.width - col);
            uint32_t alpha = source.Straight(rowStart + size_t(sx)) >> 24;
            if (alpha == 255)
            {
                if (source.bits)
                    std::memcpy(dst + col, source.bits + rowStart + size_t(sx), size_t(run) * 4);
                else
                    for (int i = 0; i < run; ++i)
                        dst[col + i] = source.Straight(rowStart + size_t(sx + i));
            }
            else if (alpha != 0)
            {
                for (int i = 0; i < run; ++i)
                    dst[col + i] = PixelRules::Over(source.Straight(rowStart + size_t(sx + i)), dst[col + i]);
            }
            col += run;
        }
    }
}

// Display rule, white: the native data is walked by its run-length alpha.
void RunLengthDisplayBlt(const PixelTarget& target, const SourcePixels& source, const Placement& p)
{
    uint32_t scratch[256];
    for (int row = 0; row < p.height; ++row)
    {
        uint32_t* dst = target.Row(p.destY + row) + p.destX;
        size_t rowStart = size_t(p.srcY + row) * size_t(source.width);
        const uint8_t* runs = source.rlAlpha + rowStart;
        int col = 0;
        while (col < p.width)
        {
            int sx = p.srcX + col;
            int run = std::min<int>(runs[sx], p.width - col);
            size_t at = rowStart + size_t(sx);
            const uint32_t* native = source.native + at;
            if (source.indices)
            {
                for (int i = 0; i < run; ++i)
                    scratch[i] = source.native[source.indices[at + size_t(i)]];
                native = scratch;
            }
            uint32_t alpha = native[0] >> 24;
            if (alpha == 255)
                std::memcpy(dst + col, native, size_t(run) * 4);
            else if (alpha != 0)
                Blitter::PremulOverRow(dst + col, native, run);
            col += run;
        }
    }
}

// Display rule, additive, white: runs of black pixels add nothing and are skipped.
void RunLengthDisplayAdd(const PixelTarget& target, const SourcePixels& source, const Placement& p)
{
    uint32_t scratch[256];
    for (int row = 0; row < p.height; ++row)
    {
        uint32_t* dst = target.Row(p.destY + row) + p.destX;
        size_t rowStart = size_t(p.srcY + row) * size_t(source.width);
        const uint8_t* runs = source.rlAdditive + rowStart;
        int col = 0;
        while (col < p.width)
        {
            int sx = p.srcX + col;
            int run = std::min<int>(runs[sx], p.width - col);
            size_t at = rowStart + size_t(sx);
            const uint32_t* native = source.native + at;
            if (source.indices)
            {
                for (int i = 0; i < run; ++i)
                    scratch[i] = source.native[source.indices[at + size_t(i)]];
                native = scratch;
            }
            if (native[0] & 0xFFFFFF)
                Blitter::PremulAddRow(dst + col, native, run);
            col += run;
        }
    }
}

// Display rule, tinted: transparent runs are skipped, everything else tinted and composited.
void RunLengthTintedDisplayBlt(const PixelTarget& target, const SourcePixels& source, const Placement& p,
                               const Tint& tint)
{
    uint32_t scratch[256];
    for (int row = 0; row < p.height; ++row)
    {
        uint32_t* dst = target.Row(p.destY + row) + p.destX;
        size_t rowStart = size_t(p.srcY + row) * size_t(source.width);
        const uint8_t* runs = source.rlAlpha + rowStart;
        int col = 0;
        while (col < p.width)
        {
            int sx = p.srcX + col;
            int run = std::min<int>(runs[sx], p.width - col);
            size_t at = rowStart + size_t(sx);
            const uint32_t* straight = source.bits + at;
            if (source.indices)
            {
                for (int i = 0; i < run; ++i)
                    scratch[i] = source.palette[source.indices[at + size_t(i)]];
                straight = scratch;
            }
            if (straight[0] >> 24)
                Blitter::TintedPremulOverRow(dst + col, straight, run, tint);
            col += run;
        }
    }
}

template <class Writer> void PutColor(uint32_t& pixel, uint32_t argb, const uint8_t* sat)
{
    Writer::PutStraight(pixel, argb, sat);
}

} // namespace

void Blitter::PremulOverRow(uint32_t* dst, const uint32_t* native, int count)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i k256 = _mm_set1_epi32(256);
    for (; i + 4 <= count; i += 4)
    {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(native + i));
        __m128i d = _mm_loadu_si128(reinterpret_cast<__m128i*>(dst + i));
        __m128i inv = _mm_sub_epi32(k256, _mm_srli_epi32(s, 24));
        inv = _mm_or_si128(inv, _mm_slli_epi32(inv, 16));
        __m128i invLo = _mm_unpacklo_epi32(inv, inv);
        __m128i invHi = _mm_unpackhi_epi32(inv, inv);
        __m128i dLo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), invLo), 8);
        __m128i dHi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), invHi), 8);
        __m128i result = _mm_add_epi8(_mm_packus_epi16(dLo, dHi), s);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), result);
    }
#endif
    for (; i < count; ++i)
        dst[i] = PixelRules::PremulOver(native[i], dst[i]);
}

void Blitter::TintedPremulOverRow(uint32_t* dst, const uint32_t* straight, int count, const Tint& tint)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(1);
    const __m128i k256 = _mm_set1_epi16(256);
    // Colour multipliers (tint + 1) per channel and the tint alpha in the alpha lane.
    const __m128i multiply = _mm_set_epi16(0, short(tint.red), short(tint.green), short(tint.blue), 0, short(tint.red),
                                           short(tint.green), short(tint.blue));
    const __m128i tintAlpha = _mm_set1_epi16(short(tint.alphaTable[255]));
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    // Two pixels in 16-bit lanes: tinted, premultiplied and put over the destination.
    auto blend = [&](__m128i s, __m128i d)
    {
        // Alpha of each pixel in all four lanes: tint alpha * a / 255, exactly.
        __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
        __m128i x = _mm_mullo_epi16(a, tintAlpha);
        a = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
        // Tinted colour premultiplied by (a + 1) / 256; the alpha lane keeps a.
        __m128i c = _mm_srli_epi16(_mm_mullo_epi16(s, multiply), 8);
        c = _mm_srli_epi16(_mm_mullo_epi16(c, _mm_add_epi16(a, one)), 8);
        c = _mm_or_si128(_mm_andnot_si128(alphaLanes, c), _mm_and_si128(alphaLanes, a));
        return _mm_add_epi16(c, _mm_srli_epi16(_mm_mullo_epi16(d, _mm_sub_epi16(k256, a)), 8));
    };
    for (; i + 4 <= count; i += 4)
    {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(straight + i));
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        __m128i low = blend(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
        __m128i high = blend(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(low, high));
    }
#endif
    for (; i < count; ++i)
        dst[i] = PixelRules::PremulOver(PixelRules::Premultiply(tint.Apply(straight[i])), dst[i]);
}

void Blitter::PremulAddRow(uint32_t* dst, const uint32_t* native, int count)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i colorMask = _mm_set1_epi32(0x00FFFFFF);
    for (; i + 4 <= count; i += 4)
    {
        __m128i s = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(native + i)), colorMask);
        __m128i d = _mm_loadu_si128(reinterpret_cast<__m128i*>(dst + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_adds_epu8(d, s));
    }
#endif
    const uint8_t* sat = SaturationTable::Get().Data();
    for (; i < count; ++i)
        dst[i] = PixelRules::PremulAdd(native[i], dst[i], sat);
}

void Blitter::FillRect(const PixelTarget& target, const Rect& rect, const Color& color, int drawMode)
{
    Rect area = rect.Intersection(Rect(0, 0, target.width, target.height));
    if (area.IsEmpty() || color.alpha <= 0)
        return;
    uint32_t argb = color.ToARGB();
    bool additive = drawMode == DRAWMODE_ADDITIVE;
    if (target.rule == BlendRule::Display)
    {
        uint32_t native = PixelRules::Premultiply(argb);
        uint32_t line[64];
        std::fill(std::begin(line), std::end(line), native);
        for (int y = area.y; y < area.y + area.height; ++y)
        {
            uint32_t* dst = target.Row(y) + area.x;
            for (int x = 0; x < area.width; x += 64)
            {
                int count = std::min(64, area.width - x);
                if (additive)
                    PremulAddRow(dst + x, line, count);
                else if ((native >> 24) == 255)
                    std::fill(dst + x, dst + x + count, native);
                else
                    PremulOverRow(dst + x, line, count);
            }
        }
        return;
    }
    // Memory images fill in the normal mode whatever the draw mode.
    for (int y = area.y; y < area.y + area.height; ++y)
    {
        uint32_t* dst = target.Row(y) + area.x;
        if ((argb >> 24) == 255 && target.rule == BlendRule::Straight)
            std::fill(dst, dst + area.width, argb);
        else if (target.rule == BlendRule::KeepAlpha)
            for (int x = 0; x < area.width; ++x)
                dst[x] = PixelRules::OverOpaque(argb, dst[x]);
        else
            for (int x = 0; x < area.width; ++x)
                dst[x] = PixelRules::Over(argb, dst[x]);
    }
}

void Blitter::FillSpansWithCoverage(const PixelTarget& target, const Span* spans, int count, const Color& color,
                                    int drawMode, const uint8_t* coverage, int coverageX, int coverageY,
                                    int coverageWidth, int coverageHeight)
{
    if (!coverage || color.alpha <= 0)
        return;
    uint32_t rgb = color.ToARGB() & 0xFFFFFF;
    uint32_t alpha = uint32_t(std::clamp(color.alpha, 0, 255));
    Rect coverRect(coverageX, coverageY, coverageWidth, coverageHeight);
    Rect bounds = Rect(0, 0, target.width, target.height).Intersection(coverRect);
    const uint8_t* sat = SaturationTable::Get().Data();
    PixelWriters::Dispatch(target.rule, drawMode,
                           [&](auto writer)
                           {
                               using Writer = decltype(writer);
                               for (int i = 0; i < count; ++i)
                               {
                                   const Span& span = spans[i];
                                   if (span.y < bounds.y || span.y >= bounds.y + bounds.height)
                                       continue;
                                   int left = std::max(span.x, bounds.x);
                                   int right = std::min(span.x + span.width, bounds.x + bounds.width);
                                   uint32_t* dst = target.Row(span.y);
                                   const uint8_t* cover = coverage + size_t(span.y - coverageY) * size_t(coverageWidth);
                                   for (int x = left; x < right; ++x)
                                   {
                                       uint32_t a = alpha * (uint32_t(cover[x - coverageX]) + 1) >> 8;
                                       if (a != 0)
                                           PutColor<Writer>(dst[x], (a << 24) | rgb, sat);
                                   }
                               }
                           });
}

void Blitter::DrawLine(const PixelTarget& target, int startX, int startY, int endX, int endY, const Color& color,
                       int drawMode)
{
    if (color.alpha <= 0)
        return;
    uint32_t argb = color.ToARGB();
    const uint8_t* sat = SaturationTable::Get().Data();
    PixelWriters::Dispatch(target.rule, drawMode,
                           [&](auto writer)
                           {
                               using Writer = decltype(writer);
                               int dx = std::abs(endX - startX);
                               int dy = -std::abs(endY - startY);
                               int stepX = startX < endX ? 1 : -1;
                               int stepY = startY < endY ? 1 : -1;
                               int error = dx + dy;
                               int x = startX;
                               int y = startY;
                               for (;;)
                               {
                                   if (x >= 0 && y >= 0 && x < target.width && y < target.height)
                                       PutColor<Writer>(target.Row(y)[x], argb, sat);
                                   if (x == endX && y == endY)
                                       break;
                                   int twice = 2 * error;
                                   if (twice >= dy)
                                   {
                                       error += dy;
                                       x += stepX;
                                   }
                                   if (twice <= dx)
                                   {
                                       error += dx;
                                       y += stepY;
                                   }
                               }
                           });
}

void Blitter::DrawLineAA(const PixelTarget& target, double startX, double startY, double endX, double endY,
                         const Color& color, int drawMode)
{
    if (color.alpha <= 0)
        return;
    uint32_t rgb = color.ToARGB() & 0xFFFFFF;
    uint32_t alpha = uint32_t(std::clamp(color.alpha, 0, 255));
    const uint8_t* sat = SaturationTable::Get().Data();
    PixelWriters::Dispatch(target.rule, drawMode,
                           [&](auto writer)
                           {
                               using Writer = decltype(writer);
                               bool steep = std::fabs(endY - startY) > std::fabs(endX - startX);
                               double x0 = startX, y0 = startY, x1 = endX, y1 = endY;
                               if (steep)
                               {
                                   std::swap(x0, y0);
                                   std::swap(x1, y1);
                               }
                               if (x0 > x1)
                               {
                                   std::swap(x0, x1);
                                   std::swap(y0, y1);
                               }
                               double gradient = x1 == x0 ? 0.0 : (y1 - y0) / (x1 - x0);
                               auto plot = [&](int major, int minor, double weight)
                               {
                                   int px = steep ? minor : major;
                                   int py = steep ? major : minor;
                                   if (px < 0 || py < 0 || px >= target.width || py >= target.height)
                                       return;
                                   uint32_t a = uint32_t(alpha * weight + 0.5);
                                   if (a != 0)
                                       PutColor<Writer>(target.Row(py)[px], (a << 24) | rgb, sat);
                               };
                               int first = int(std::floor(x0 + 0.5));
                               int last = int(std::floor(x1 + 0.5));
                               for (int major = first; major <= last; ++major)
                               {
                                   // The ideal line at the centre of this column, in pixel-centre coordinates.
                                   double minor = y0 + gradient * (major - x0);
                                   double base = std::floor(minor);
                                   double fraction = minor - base;
                                   plot(major, int(base), 1.0 - fraction);
                                   if (fraction > 0)
                                       plot(major, int(base) + 1, fraction);
                               }
                           });
}

void Blitter::Blt(const PixelTarget& target, const SourcePixels& source, int x, int y, const Rect& srcRect,
                  const Color& color, int drawMode, bool mirror, bool destinationOpaque)
{
    Placement p;
    if (!Place(target, source, x, y, srcRect, mirror, p))
        return;
    Tint tint(color);
    if (tint.alphaTable[255] == 0)
        return;
    bool additive = drawMode == DRAWMODE_ADDITIVE;
    bool display = target.rule == BlendRule::Display;

    if (!mirror && tint.IsWhite())
    {
        if (display && !additive && source.rlAlpha && source.native)
            return RunLengthDisplayBlt(target, source, p);
        if (display && additive && source.rlAdditive && source.native)
            return RunLengthDisplayAdd(target, source, p);
        if (!display && !additive && destinationOpaque && source.rlAlpha)
            return RunLengthStraightBlt(target, source, p);
    }
    if (!mirror && display && !additive && source.rlAlpha)
        return RunLengthTintedDisplayBlt(target, source, p, tint);
    bool useNative = display && tint.IsWhite() && source.native;
    PixelWriters::Dispatch(target.rule, drawMode,
                           [&](auto writer)
                           { GenericBlt<decltype(writer)>(target, source, p, tint, mirror, useNative); });
}

} // namespace Vesk
