#include "framework/graphics/StretchFilter.h"

#include "framework/graphics/PixelKernels.h"
#include "framework/graphics/PixelRules.h"
#include "framework/graphics/PixelWriters.h"
#include "framework/graphics/SaturationTable.h"
#include "framework/graphics/Tint.h"

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

    // Column taps padded to an even count per column (zero weights), as source column and weight.
    int tapsPerColumn = 2;
    for (int x = 0; x < visible.width; ++x)
    {
        int rel = destColumn(x);
        tapsPerColumn = std::max(tapsPerColumn, firstColumnTap[size_t(rel) + 1] - firstColumnTap[size_t(rel)]);
    }
    tapsPerColumn += tapsPerColumn & 1;
    std::vector<int32_t> tapColumns(size_t(visible.width) * size_t(tapsPerColumn));
    std::vector<int16_t> tapWeights(size_t(visible.width) * size_t(tapsPerColumn), 0);
    // The same weights paired for the SIMD multiply-add: (first | second << 16).
    std::vector<int32_t> pairWeights(size_t(visible.width) * size_t(tapsPerColumn / 2));
    for (int x = 0; x < visible.width; ++x)
    {
        int rel = destColumn(x);
        int first = firstColumnTap[size_t(rel)];
        int count = firstColumnTap[size_t(rel) + 1] - first;
        for (int k = 0; k < tapsPerColumn; ++k)
        {
            const Tap& tap = columnTaps[size_t(first + std::min(k, count - 1))];
            tapColumns[size_t(x * tapsPerColumn + k)] = tap.index;
            tapWeights[size_t(x * tapsPerColumn + k)] = int16_t(k < count ? tap.weight : 0);
        }
        for (int k = 0; k < tapsPerColumn; k += 2)
            pairWeights[size_t((x * tapsPerColumn + k) / 2)] =
                int32_t(uint16_t(tapWeights[size_t(x * tapsPerColumn + k)])) |
                (int32_t(tapWeights[size_t(x * tapsPerColumn + k + 1)]) << 16);
    }

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

    // First pass, row by row as the second pass first needs them: the source row filtered
    // horizontally, four 16-bit channels per visible pixel, each the weighted sum in 1/128.
    // Rows are written before they are read, so the buffer kept between calls needs no clearing.
    size_t stride = (size_t(visible.width) + 1) * 4;
    thread_local std::vector<int16_t> horizontal;
    if (horizontal.size() < stride * size_t(rowCount))
        horizontal.resize(stride * size_t(rowCount));
    std::vector<uint8_t> ready(size_t(rowCount), 0);
    std::vector<uint32_t> nativeRow(source.IsPalettized() ? size_t(source.width) : 0);
    auto filterRow = [&](int r)
    {
        int sy = srcRect.y + srcRowMin + r;
        size_t rowStart = size_t(sy) * size_t(source.width);
        const uint32_t* in = source.native + rowStart;
        if (source.IsPalettized())
        {
            for (int x = 0; x < srcRect.width; ++x)
                nativeRow[size_t(srcRect.x + x)] = source.Native(rowStart + size_t(srcRect.x + x));
            in = nativeRow.data();
        }
        in += srcRect.x;
        int16_t* out = horizontal.data() + stride * size_t(r);
        const int32_t* columns = tapColumns.data();
        const int16_t* weights = tapWeights.data();
#if defined(__SSE2__)
        const int32_t* pairs = pairWeights.data();
        const __m128i zero = _mm_setzero_si128();
        if (tapsPerColumn == 2)
        {
            // Enlarging and mild shrinking: one pair per column, two columns at a time.
            int x = 0;
            for (; x + 2 <= visible.width; x += 2)
            {
                __m128i a0 = _mm_cvtsi32_si128(int(in[columns[2 * x]]));
                __m128i b0 = _mm_cvtsi32_si128(int(in[columns[2 * x + 1]]));
                __m128i a1 = _mm_cvtsi32_si128(int(in[columns[2 * x + 2]]));
                __m128i b1 = _mm_cvtsi32_si128(int(in[columns[2 * x + 3]]));
                __m128i pair0 = _mm_unpacklo_epi16(_mm_unpacklo_epi8(a0, zero), _mm_unpacklo_epi8(b0, zero));
                __m128i pair1 = _mm_unpacklo_epi16(_mm_unpacklo_epi8(a1, zero), _mm_unpacklo_epi8(b1, zero));
                __m128i sum0 = _mm_srai_epi32(_mm_madd_epi16(pair0, _mm_set1_epi32(pairs[x])), 5);
                __m128i sum1 = _mm_srai_epi32(_mm_madd_epi16(pair1, _mm_set1_epi32(pairs[x + 1])), 5);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), _mm_packs_epi32(sum0, sum1));
            }
            for (; x < visible.width; ++x)
            {
                __m128i a = _mm_cvtsi32_si128(int(in[columns[2 * x]]));
                __m128i b = _mm_cvtsi32_si128(int(in[columns[2 * x + 1]]));
                __m128i pair = _mm_unpacklo_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
                __m128i sum = _mm_srai_epi32(_mm_madd_epi16(pair, _mm_set1_epi32(pairs[x])), 5);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 4 * x), _mm_packs_epi32(sum, zero));
            }
            ready[size_t(r)] = 1;
            return;
        }
#endif
        for (int x = 0; x < visible.width; ++x, columns += tapsPerColumn, weights += tapsPerColumn)
        {
#if defined(__SSE2__)
            __m128i sum = zero;
            const int32_t* pair = pairs + size_t(x) * size_t(tapsPerColumn / 2);
            for (int k = 0; k < tapsPerColumn; k += 2)
            {
                // Two neighbouring taps: one 8-byte load when they are adjacent pixels.
                __m128i both = columns[k + 1] == columns[k] + 1
                                   ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + columns[k]))
                                   : _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(in[columns[k]])),
                                                        _mm_cvtsi32_si128(int(in[columns[k + 1]])));
                __m128i wide = _mm_unpacklo_epi8(both, zero);
                __m128i interleaved = _mm_unpacklo_epi16(wide, _mm_srli_si128(wide, 8));
                sum = _mm_add_epi32(sum, _mm_madd_epi16(interleaved, _mm_set1_epi32(pair[k / 2])));
            }
            sum = _mm_srai_epi32(sum, 5);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 4 * x), _mm_packs_epi32(sum, zero));
#else
            int32_t channels[4] = {0, 0, 0, 0};
            for (int k = 0; k < tapsPerColumn; ++k)
            {
                uint32_t n = in[columns[k]];
                for (int c = 0; c < 4; ++c)
                    channels[c] += int32_t((n >> (8 * c)) & 0xFF) * weights[k];
            }
            for (int c = 0; c < 4; ++c)
                out[4 * x + c] = int16_t(channels[c] >> 5);
#endif
        }
        ready[size_t(r)] = 1;
    };

    // Second pass: each visible row from its source rows, then composited.
    std::vector<uint32_t> line(size_t(visible.width) + 1);
    for (int y = 0; y < visible.height; ++y)
    {
        int rel = rowFrom + y;
        int firstTap = firstRowTap[size_t(rel)];
        int tapCount = firstRowTap[size_t(rel) + 1] - firstTap;
        for (int t = 0; t < tapCount; ++t)
        {
            int r = rowTaps[size_t(firstTap + t)].index - srcRowMin;
            if (!ready[size_t(r)])
                filterRow(r);
        }
        auto rowOf = [&](int t)
        { return horizontal.data() + stride * size_t(rowTaps[size_t(firstTap + t)].index - srcRowMin); };
        auto weightOf = [&](int t) { return rowTaps[size_t(firstTap + t)].weight; };
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i rounding = _mm_set1_epi32(1 << 18);
        // Rows and weights in pairs; an odd last row pairs with itself at weight 0.
        thread_local std::vector<const int16_t*> rows;
        thread_local std::vector<int32_t> rowWeights;
        int pairCount = (tapCount + 1) / 2;
        rows.resize(size_t(2 * pairCount));
        rowWeights.resize(size_t(pairCount));
        for (int k = 0; k < pairCount; ++k)
        {
            int t = 2 * k;
            bool second = t + 1 < tapCount;
            rows[size_t(2 * k)] = rowOf(t);
            rows[size_t(2 * k + 1)] = second ? rowOf(t + 1) : rowOf(t);
            rowWeights[size_t(k)] = weightOf(t) | ((second ? weightOf(t + 1) : 0) << 16);
        }
        for (int x = 0; x < visible.width; x += 2)
        {
            __m128i low = rounding, high = rounding;
            for (int k = 0; k < pairCount; ++k)
            {
                __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[size_t(2 * k)] + 4 * x));
                __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[size_t(2 * k + 1)] + 4 * x));
                __m128i weight = _mm_set1_epi32(rowWeights[size_t(k)]);
                low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), weight));
                high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), weight));
            }
            __m128i packed = _mm_packs_epi32(_mm_srai_epi32(low, 19), _mm_srai_epi32(high, 19));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(line.data() + x), _mm_packus_epi16(packed, zero));
        }
#else
        for (int x = 0; x < visible.width; ++x)
        {
            uint32_t n = 0;
            for (int c = 0; c < 4; ++c)
            {
                int32_t sum = 1 << 18;
                for (int t = 0; t < tapCount; ++t)
                    sum += int32_t(rowOf(t)[4 * x + c]) * weightOf(t);
                n |= uint32_t(std::clamp(sum >> 19, 0, 255)) << (8 * c);
            }
            line[size_t(x)] = n;
        }
#endif
        if (!tint.IsWhite())
            for (int x = 0; x < visible.width; ++x)
                line[size_t(x)] = tint.ApplyPremultiplied(line[size_t(x)]);
        uint32_t* dst = target.Row(visible.y + y) + visible.x;
        if (display && drawMode != DRAWMODE_ADDITIVE)
            PixelKernels::PremulOverRow(dst, line.data(), visible.width);
        else
            PixelWriters::Dispatch(target.rule, drawMode,
                                   [&](auto writer)
                                   { PutNativeRow<decltype(writer)>(dst, line.data(), visible.width); });
    }
}

} // namespace Vesk
