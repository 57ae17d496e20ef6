#include "framework/graphics/StretchFilter.h"

#include "framework/graphics/Blitter.h"
#include "framework/graphics/PixelRules.h"
#include "framework/graphics/PixelWriters.h"
#include "framework/graphics/SaturationTable.h"
#include "framework/graphics/Tint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace Vesk
{

namespace
{

template <class Writer>
void NearestStretch(const PixelTarget& target, const SourcePixels& source, const Rect& visible,
                    const std::vector<int>& columns, const std::vector<int>& rows, const Tint& tint, bool useNative)
{
    const uint8_t* sat = SaturationTable::Get().Data();
    for (int y = 0; y < visible.height; ++y)
    {
        uint32_t* dst = target.Row(visible.y + y) + visible.x;
        size_t rowStart = size_t(rows[size_t(y)]) * size_t(source.width);
        for (int x = 0; x < visible.width; ++x)
        {
            size_t at = rowStart + size_t(columns[size_t(x)]);
            if (useNative)
            {
                uint32_t n = source.Native(at);
                if (n >> 24)
                    Writer::PutNative(dst[x], n, sat);
            }
            else
            {
                uint32_t s = tint.Apply(source.Straight(at));
                if (s >> 24)
                    Writer::PutStraight(dst[x], s, sat);
            }
        }
    }
}

template <class Writer> void PutNativeRow(uint32_t* dst, const uint32_t* row, int count)
{
    const uint8_t* sat = SaturationTable::Get().Data();
    for (int x = 0; x < count; ++x)
        if (row[x] >> 24)
            Writer::PutNative(dst[x], row[x], sat);
}

} // namespace

void StretchFilter::AxisTaps(int srcLength, int destLength, std::vector<int>& firstTap, std::vector<Tap>& taps)
{
    firstTap.assign(size_t(destLength) + 1, 0);
    taps.clear();
    double ratio = double(srcLength) / double(destLength);
    for (int j = 0; j < destLength; ++j)
    {
        firstTap[size_t(j)] = int(taps.size());
        if (destLength >= srcLength)
        {
            double center = (j + 0.5) * ratio - 0.5;
            double base = std::floor(center);
            int i0 = int(base);
            int w1 = int(std::lround((center - base) * WeightOne));
            int a = std::clamp(i0, 0, srcLength - 1);
            int b = std::clamp(i0 + 1, 0, srcLength - 1);
            if (w1 == 0 || a == b)
                taps.push_back({a, WeightOne});
            else if (w1 == WeightOne)
                taps.push_back({b, WeightOne});
            else
            {
                taps.push_back({a, WeightOne - w1});
                taps.push_back({b, w1});
            }
        }
        else
        {
            double start = j * ratio;
            double end = (j + 1) * ratio;
            int first = int(std::floor(start));
            int last = std::min(srcLength - 1, int(std::ceil(end)) - 1);
            size_t begin = taps.size();
            int total = 0;
            for (int i = first; i <= last; ++i)
            {
                double overlap = std::min(end, i + 1.0) - std::max(start, double(i));
                int weight = int(std::lround(overlap / ratio * WeightOne));
                if (weight <= 0)
                    continue;
                taps.push_back({i, weight});
                total += weight;
            }
            if (taps.size() == begin)
            {
                taps.push_back({std::clamp(first, 0, srcLength - 1), WeightOne});
                continue;
            }
            // Rounding may leave the sum off by a little: the largest weight takes the difference.
            auto largest = std::max_element(taps.begin() + long(begin), taps.end(),
                                            [](const Tap& a, const Tap& b) { return a.weight < b.weight; });
            largest->weight += WeightOne - total;
        }
    }
    firstTap[size_t(destLength)] = int(taps.size());
}

void StretchFilter::Stretch(const PixelTarget& target, const SourcePixels& source, const Rect& destRect,
                            const Rect& srcRect, const Rect& clipRect, const Color& color, int drawMode, bool fast,
                            bool mirror)
{
    if (destRect.IsEmpty() || srcRect.IsEmpty() || !Rect(0, 0, source.width, source.height).Contains(srcRect))
        return;
    Rect visible = destRect.Intersection(clipRect).Intersection(Rect(0, 0, target.width, target.height));
    if (visible.IsEmpty())
        return;
    Tint tint(color);
    if (tint.alphaTable[255] == 0)
        return;
    bool display = target.rule == BlendRule::Display;

    // Destination offset within destRect of a visible column, mirrored when asked.
    auto destColumn = [&](int x)
    {
        int rel = visible.x + x - destRect.x;
        return mirror ? destRect.width - 1 - rel : rel;
    };

    if (fast)
    {
        std::vector<int> columns(size_t(visible.width));
        std::vector<int> rows(size_t(visible.height));
        for (int x = 0; x < visible.width; ++x)
            columns[size_t(x)] =
                srcRect.x + int((int64_t(2 * destColumn(x) + 1) * srcRect.width) / (2 * int64_t(destRect.width)));
        for (int y = 0; y < visible.height; ++y)
            rows[size_t(y)] = srcRect.y + int((int64_t(2 * (visible.y + y - destRect.y) + 1) * srcRect.height) /
                                              (2 * int64_t(destRect.height)));
        bool useNative = display && tint.IsWhite() && source.native;
        PixelWriters::Dispatch(
            target.rule, drawMode,
            [&](auto writer)
            { NearestStretch<decltype(writer)>(target, source, visible, columns, rows, tint, useNative); });
        return;
    }

    // Horizontal taps for the visible columns, vertical taps for the visible rows.
    std::vector<int> firstColumnTap, firstRowTap;
    std::vector<Tap> columnTaps, rowTaps;
    AxisTaps(srcRect.width, destRect.width, firstColumnTap, columnTaps);
    AxisTaps(srcRect.height, destRect.height, firstRowTap, rowTaps);

    int rowFrom = visible.y - destRect.y;
    int rowTo = rowFrom + visible.height;
    int srcRowMin = srcRect.height;
    int srcRowMax = -1;
    for (int t = firstRowTap[size_t(rowFrom)]; t < firstRowTap[size_t(rowTo)]; ++t)
    {
        srcRowMin = std::min(srcRowMin, rowTaps[size_t(t)].index);
        srcRowMax = std::max(srcRowMax, rowTaps[size_t(t)].index);
    }
    int rowCount = srcRowMax - srcRowMin + 1;

    // First pass: every needed source row filtered horizontally, four channels per pixel, each the
    // weighted sum in 1/16 (16 bits).
    size_t stride = size_t(visible.width) * 4;
    std::vector<int32_t> horizontal(stride * size_t(rowCount));
    for (int r = 0; r < rowCount; ++r)
    {
        int sy = srcRect.y + srcRowMin + r;
        size_t rowStart = size_t(sy) * size_t(source.width);
        int32_t* out = horizontal.data() + stride * size_t(r);
        for (int x = 0; x < visible.width; ++x)
        {
            int rel = destColumn(x);
            int32_t a = 0, red = 0, green = 0, blue = 0;
            for (int t = firstColumnTap[size_t(rel)]; t < firstColumnTap[size_t(rel) + 1]; ++t)
            {
                const Tap& tap = columnTaps[size_t(t)];
                uint32_t n = source.Native(rowStart + size_t(srcRect.x + tap.index));
                a += int32_t(n >> 24) * tap.weight;
                red += int32_t((n >> 16) & 0xFF) * tap.weight;
                green += int32_t((n >> 8) & 0xFF) * tap.weight;
                blue += int32_t(n & 0xFF) * tap.weight;
            }
            out[4 * x] = a >> 4;
            out[4 * x + 1] = red >> 4;
            out[4 * x + 2] = green >> 4;
            out[4 * x + 3] = blue >> 4;
        }
    }

    // Second pass: each visible row from its source rows, then composited.
    std::vector<uint32_t> line(size_t(visible.width));
    std::vector<int32_t> sums(stride);
    for (int y = 0; y < visible.height; ++y)
    {
        std::fill(sums.begin(), sums.end(), 0);
        int rel = rowFrom + y;
        for (int t = firstRowTap[size_t(rel)]; t < firstRowTap[size_t(rel) + 1]; ++t)
        {
            const Tap& tap = rowTaps[size_t(t)];
            const int32_t* in = horizontal.data() + stride * size_t(tap.index - srcRowMin);
            for (size_t i = 0; i < stride; ++i)
                sums[i] += in[i] * tap.weight;
        }
        for (int x = 0; x < visible.width; ++x)
        {
            auto channel = [&](int i) { return uint32_t((sums[size_t(4 * x + i)] + (1 << 19)) >> 20); };
            uint32_t n = (channel(0) << 24) | (channel(1) << 16) | (channel(2) << 8) | channel(3);
            line[size_t(x)] = tint.ApplyPremultiplied(n);
        }
        uint32_t* dst = target.Row(visible.y + y) + visible.x;
        if (display && drawMode != DRAWMODE_ADDITIVE)
            Blitter::PremulOverRow(dst, line.data(), visible.width);
        else
            PixelWriters::Dispatch(target.rule, drawMode,
                                   [&](auto writer)
                                   { PutNativeRow<decltype(writer)>(dst, line.data(), visible.width); });
    }
}

} // namespace Vesk
