#include "framework/graphics/Blitter.h"

#include "framework/graphics/Image.h"
#include "framework/graphics/PixelKernels.h"
#include "framework/graphics/PixelRules.h"
#include "framework/graphics/PixelWriters.h"
#include "framework/graphics/SaturationTable.h"
#include "framework/graphics/Span.h"
#include "framework/graphics/Tint.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

// The display rule (the screen). Each row is limited to the extent of its pixels that change the
// destination; the extent is blended whole unless a long skippable run lies inside, in which case
// the run-length array is walked and short runs are merged into the spans around them. The vector
// kernels compute opaque, transparent and black pixels exactly (and check groups of four for
// them), and one long span costs less than many short ones. Mirrored rows are read backwards in
// chunks; palettized or mirrored pixels are gathered into a scratch line first.
class DisplayBlit
{
public:
    DisplayBlit(const PixelTarget& target, const SourcePixels& source, const Placement& p, const Tint& tint,
                bool additive, bool mirror)
        : target(target), source(source), p(p), tint(tint), additive(additive), mirror(mirror)
    {
    }

    void Run()
    {
        bool byColor = tint.IsWhite() && additive;
        const RowExtent* extents = byColor ? source.rlAdditiveRows : source.rlAlphaRows;
        for (int row = 0; row < p.height; ++row)
        {
            dst = target.Row(p.destY + row) + p.destX;
            rowStart = size_t(p.srcY + row) * size_t(source.width);
            if (mirror)
            {
                Blend(0, p.width);
                continue;
            }
            // The columns of this row's extent; a row without a long skippable run inside is
            // blended whole, the others are walked run by run, and so are rows with long opaque
            // runs when they can be copied.
            const RowExtent& extent = extents[p.srcY + row];
            int from = std::max(extent.first - p.srcX, 0);
            int to = std::min(extent.end - p.srcX, p.width);
            if (from >= to)
                continue;
            bool plain = tint.IsWhite() && !additive;
            if (plain && (extent.walk || extent.opaque))
                WalkAlphaRuns(from, to);
            else if (extent.walk)
                WalkSkippableRuns(from, to, byColor);
            else
                Blend(from, to);
        }
    }

private:
    // Runs shorter than this are merged into the span being built.
    static constexpr int ShortRun = 16;
    static constexpr int Chunk = 256;

    // White, normal: transparent runs skipped, opaque runs copied, the rest blended.
    void WalkAlphaRuns(int from, int to)
    {
        const uint8_t* runs = source.rlAlpha + rowStart;
        int col = from;
        int pending = -1;
        while (col < to)
        {
            int sx = p.srcX + col;
            int run = std::min<int>(runs[sx], to - col);
            uint32_t alpha = source.Native(rowStart + size_t(sx)) >> 24;
            if (run >= ShortRun && (alpha == 0 || alpha == 255))
            {
                if (pending >= 0)
                    Blend(pending, col);
                pending = -1;
                if (alpha == 255)
                    Copy(col, col + run);
            }
            else if (pending < 0)
            {
                pending = col;
            }
            col += run;
        }
        if (pending >= 0)
            Blend(pending, to);
    }

    // Additive white (runs of black, which add nothing) or tinted (runs of transparent pixels):
    // long runs of the class that leaves the destination alone are skipped.
    void WalkSkippableRuns(int from, int to, bool byColor)
    {
        const uint8_t* runs = (byColor ? source.rlAdditive : source.rlAlpha) + rowStart;
        int col = from;
        int pending = -1;
        while (col < to)
        {
            int sx = p.srcX + col;
            int run = std::min<int>(runs[sx], to - col);
            size_t at = rowStart + size_t(sx);
            bool nothing = byColor ? (source.Native(at) & 0xFFFFFF) == 0 : (source.Straight(at) >> 24) == 0;
            if (nothing && run >= ShortRun)
            {
                if (pending >= 0)
                    Blend(pending, col);
                pending = -1;
            }
            else if (pending < 0)
            {
                pending = col;
            }
            col += run;
        }
        if (pending >= 0)
            Blend(pending, to);
    }

    // Source pixels of destination columns [from, from + count) (count <= Chunk unless they lie in
    // memory as they are), native or straight.
    const uint32_t* Pixels(int from, int count, bool native)
    {
        const uint32_t* base = native ? source.native : source.bits;
        if (!source.IsPalettized())
        {
            if (!mirror)
                return base + rowStart + size_t(p.srcX + from);
            PixelKernels::ReverseRow(scratch, base + rowStart + size_t(p.srcX - from), count);
            return scratch;
        }
        const uint32_t* table = native ? source.native : source.palette;
        const uint8_t* indices = source.indices + rowStart;
        int step = mirror ? -1 : 1;
        for (int i = 0, sx = p.srcX + from * step; i < count; ++i, sx += step)
            scratch[i] = table[indices[sx]];
        return scratch;
    }

    // Destination columns [from, to) blended by the blit's rule.
    void Blend(int from, int to)
    {
        bool direct = !source.IsPalettized() && !mirror;
        for (int col = from; col < to;)
        {
            int count = direct ? to - col : std::min(Chunk, to - col);
            if (tint.IsWhite())
            {
                const uint32_t* native = Pixels(col, count, true);
                if (additive)
                    PixelKernels::PremulAddRow(dst + col, native, count);
                else
                    PixelKernels::PremulOverRow(dst + col, native, count);
            }
            else if (additive)
            {
                PixelKernels::TintedPremultiplyRow(tinted, Pixels(col, count, false), count, tint);
                PixelKernels::PremulAddRow(dst + col, tinted, count);
            }
            else
            {
                PixelKernels::TintedPremulOverRow(dst + col, Pixels(col, count, false), count, tint);
            }
            col += count;
        }
    }

    // Opaque white columns [from, to) copied.
    void Copy(int from, int to)
    {
        bool direct = !source.IsPalettized();
        for (int col = from; col < to;)
        {
            int count = direct ? to - col : std::min(Chunk, to - col);
            std::memcpy(dst + col, Pixels(col, count, true), size_t(count) * 4);
            col += count;
        }
    }

    const PixelTarget& target;
    const SourcePixels& source;
    const Placement& p;
    const Tint& tint;
    bool additive;
    bool mirror;
    uint32_t* dst = nullptr;
    size_t rowStart = 0;
    uint32_t scratch[Chunk];
    uint32_t tinted[Chunk];
};

template <class Writer> void PutColor(uint32_t& pixel, uint32_t argb, const uint8_t* sat)
{
    Writer::PutStraight(pixel, argb, sat);
}

} // namespace

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
                    PixelKernels::PremulAddRow(dst + x, line, count);
                else if ((native >> 24) == 255)
                    std::fill(dst + x, dst + x + count, native);
                else
                    PixelKernels::PremulOverRow(dst + x, line, count);
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

    if (display && source.native)
    {
        const RowExtent* extents = tint.IsWhite() && additive ? source.rlAdditiveRows : source.rlAlphaRows;
        if (mirror || extents)
            return DisplayBlit(target, source, p, tint, additive, mirror).Run();
    }
    if (!mirror && tint.IsWhite() && !display && !additive && destinationOpaque && source.rlAlpha)
        return RunLengthStraightBlt(target, source, p);
    bool useNative = display && tint.IsWhite() && source.native;
    PixelWriters::Dispatch(target.rule, drawMode,
                           [&](auto writer)
                           { GenericBlt<decltype(writer)>(target, source, p, tint, mirror, useNative); });
}

} // namespace Vesk
