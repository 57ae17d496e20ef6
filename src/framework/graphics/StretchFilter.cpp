#include "framework/graphics/StretchFilter.h"

#include "framework/graphics/CpuFeatures.h"
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

// The two passes of the filter keep each channel as a 16-bit sum in 1/128: a pass over 8-bit
// channels sums value * weight (weights in 1/4096) and drops 5 bits; a pass over such sums adds
// value * weight, rounds and drops 19 bits, giving 8-bit channels again. The vector forms add the
// very same integers.
constexpr int FirstPassShift = 5;
constexpr int SecondPassShift = 19;

// The taps of the visible columns, padded to an even count per column with zero weights: source
// column (relative to the first column any tap reads) and weight, and the weights paired
// (first | second << 16) for the vector multiply-add.
struct ColumnTaps
{
    int perColumn = 2;
    int firstColumn = 0;
    int lastColumn = 0;
    std::vector<int32_t> columns;
    std::vector<int16_t> weights;
    std::vector<int32_t> pairs;
};

// Rows to mix into one: pointers and weights, paired like the column weights (an odd last row
// pairs with itself at weight 0).
template <class Row> struct RowTaps
{
    int pairs = 0;
    std::vector<const Row*> rows;
    std::vector<int32_t> weights;
    std::vector<int32_t> pairWeights;
};

inline uint32_t ClampChannel(int32_t sum)
{
    return uint32_t(std::clamp(sum >> SecondPassShift, 0, 255));
}

// Horizontal pass over 8-bit native pixels into 16-bit sums (four per pixel), visible columns
// [from, to).
void FilterRow8(const uint32_t* in, int16_t* out, const ColumnTaps& taps, int from, int to)
{
    int perColumn = taps.perColumn;
    const int32_t* columns = taps.columns.data() + size_t(from) * size_t(perColumn);
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
    {
        const __m128i zero = _mm_setzero_si128();
        const int32_t* pairs = taps.pairs.data() + size_t(from) * size_t(perColumn / 2);
        // Two taps per column (enlarging, mild shrinking): two columns a step.
        auto pairOf = [&](const int32_t* at)
        {
            return at[1] == at[0] + 1
                       ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + at[0]))
                       : _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(in[at[0]])), _mm_cvtsi32_si128(int(in[at[1]])));
        };
        int x = from;
        if (perColumn == 2)
        {
            for (; x + 2 <= to; x += 2, columns += 4, pairs += 2)
            {
                __m128i both = _mm_unpacklo_epi64(pairOf(columns), pairOf(columns + 2));
                __m128i low = _mm_unpacklo_epi8(both, zero);
                __m128i high = _mm_unpackhi_epi8(both, zero);
                __m128i first =
                    _mm_madd_epi16(_mm_unpacklo_epi16(low, _mm_srli_si128(low, 8)), _mm_set1_epi32(pairs[0]));
                __m128i second =
                    _mm_madd_epi16(_mm_unpacklo_epi16(high, _mm_srli_si128(high, 8)), _mm_set1_epi32(pairs[1]));
                _mm_storeu_si128(
                    reinterpret_cast<__m128i*>(out + 4 * x),
                    _mm_packs_epi32(_mm_srai_epi32(first, FirstPassShift), _mm_srai_epi32(second, FirstPassShift)));
            }
        }
        for (; x < to; ++x, columns += perColumn, pairs += perColumn / 2)
        {
            __m128i sum = zero;
            for (int k = 0; k < perColumn; k += 2)
            {
                // Two taps: one 8-byte load when they are neighbours.
                __m128i wide = _mm_unpacklo_epi8(pairOf(columns + k), zero);
                __m128i interleaved = _mm_unpacklo_epi16(wide, _mm_srli_si128(wide, 8));
                sum = _mm_add_epi32(sum, _mm_madd_epi16(interleaved, _mm_set1_epi32(pairs[k / 2])));
            }
            sum = _mm_srai_epi32(sum, FirstPassShift);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 4 * x), _mm_packs_epi32(sum, zero));
        }
        return;
    }
#endif
    const int16_t* weights = taps.weights.data() + size_t(from) * size_t(perColumn);
    for (int x = from; x < to; ++x, columns += perColumn, weights += perColumn)
    {
        int32_t channels[4] = {0, 0, 0, 0};
        for (int k = 0; k < perColumn; ++k)
        {
            uint32_t n = in[columns[k]];
            for (int c = 0; c < 4; ++c)
                channels[c] += int32_t((n >> (8 * c)) & 0xFF) * weights[k];
        }
        for (int c = 0; c < 4; ++c)
            out[4 * x + c] = int16_t(channels[c] >> FirstPassShift);
    }
}

// Horizontal pass over 16-bit sums into 8-bit native pixels, visible columns [from, to).
void FilterRow16(const int16_t* in, uint32_t* out, const ColumnTaps& taps, int from, int to)
{
    int perColumn = taps.perColumn;
    const int32_t* columns = taps.columns.data() + size_t(from) * size_t(perColumn);
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i rounding = _mm_set1_epi32(1 << (SecondPassShift - 1));
        const int32_t* pairs = taps.pairs.data() + size_t(from) * size_t(perColumn / 2);
        for (int x = from; x < to; ++x, columns += perColumn, pairs += perColumn / 2)
        {
            __m128i sum = rounding;
            for (int k = 0; k < perColumn; k += 2)
            {
                const int16_t* first = in + 4 * columns[k];
                __m128i interleaved;
                if (columns[k + 1] == columns[k] + 1)
                {
                    __m128i both = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
                    interleaved = _mm_unpacklo_epi16(both, _mm_srli_si128(both, 8));
                }
                else
                {
                    interleaved =
                        _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first)),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + 4 * columns[k + 1])));
                }
                sum = _mm_add_epi32(sum, _mm_madd_epi16(interleaved, _mm_set1_epi32(pairs[k / 2])));
            }
            __m128i packed = _mm_packs_epi32(_mm_srai_epi32(sum, SecondPassShift), zero);
            out[x] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(packed, zero)));
        }
        return;
    }
#endif
    const int16_t* weights = taps.weights.data() + size_t(from) * size_t(perColumn);
    for (int x = from; x < to; ++x, columns += perColumn, weights += perColumn)
    {
        uint32_t n = 0;
        for (int c = 0; c < 4; ++c)
        {
            int32_t sum = 1 << (SecondPassShift - 1);
            for (int k = 0; k < perColumn; ++k)
                sum += int32_t(in[4 * columns[k] + c]) * weights[k];
            n |= ClampChannel(sum) << (8 * c);
        }
        out[x] = n;
    }
}

// Vertical pass over rows of 8-bit native pixels into 16-bit sums, columns [from, to).
void MixRows8(const RowTaps<uint32_t>& taps, int16_t* out, int from, int to)
{
    int x = from;
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
    {
        const __m128i zero = _mm_setzero_si128();
        for (; x + 4 <= to; x += 4)
        {
            __m128i sums[4] = {zero, zero, zero, zero};
            for (int k = 0; k < taps.pairs; ++k)
            {
                __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps.rows[size_t(2 * k)] + x));
                __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps.rows[size_t(2 * k + 1)] + x));
                __m128i weight = _mm_set1_epi32(taps.pairWeights[size_t(k)]);
                // Channel by channel, the first row's byte beside the second's.
                __m128i low = _mm_unpacklo_epi8(a, b);
                __m128i high = _mm_unpackhi_epi8(a, b);
                sums[0] = _mm_add_epi32(sums[0], _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), weight));
                sums[1] = _mm_add_epi32(sums[1], _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), weight));
                sums[2] = _mm_add_epi32(sums[2], _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), weight));
                sums[3] = _mm_add_epi32(sums[3], _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), weight));
            }
            __m128i first =
                _mm_packs_epi32(_mm_srai_epi32(sums[0], FirstPassShift), _mm_srai_epi32(sums[1], FirstPassShift));
            __m128i second =
                _mm_packs_epi32(_mm_srai_epi32(sums[2], FirstPassShift), _mm_srai_epi32(sums[3], FirstPassShift));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), first);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x + 8), second);
        }
    }
#endif
    size_t rowCount = taps.rows.size();
    for (; x < to; ++x)
    {
        for (int c = 0; c < 4; ++c)
        {
            int32_t sum = 0;
            for (size_t t = 0; t < rowCount; ++t)
                sum += int32_t((taps.rows[t][x] >> (8 * c)) & 0xFF) * taps.weights[t];
            out[4 * x + c] = int16_t(sum >> FirstPassShift);
        }
    }
}

// Vertical pass over rows of 16-bit sums into 8-bit native pixels, columns [from, to).
void MixRows16(const RowTaps<int16_t>& taps, uint32_t* out, int from, int to)
{
    int x = from;
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
    {
        const __m128i rounding = _mm_set1_epi32(1 << (SecondPassShift - 1));
        auto twoPixels = [&](int at, int pairs)
        {
            __m128i low = rounding, high = rounding;
            for (int k = 0; k < pairs; ++k)
            {
                __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps.rows[size_t(2 * k)] + 4 * at));
                __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps.rows[size_t(2 * k + 1)] + 4 * at));
                __m128i weight = _mm_set1_epi32(taps.pairWeights[size_t(k)]);
                low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), weight));
                high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), weight));
            }
            return _mm_packs_epi32(_mm_srai_epi32(low, SecondPassShift), _mm_srai_epi32(high, SecondPassShift));
        };
        if (taps.pairs == 1)
        {
            // Enlarging: two rows, four pixels a step.
            const int16_t* first = taps.rows[0];
            const int16_t* second = taps.rows[1];
            const __m128i weight = _mm_set1_epi32(taps.pairWeights[0]);
            auto mix = [&](__m128i a, __m128i b)
            {
                __m128i low = _mm_add_epi32(rounding, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), weight));
                __m128i high = _mm_add_epi32(rounding, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), weight));
                return _mm_packs_epi32(_mm_srai_epi32(low, SecondPassShift), _mm_srai_epi32(high, SecondPassShift));
            };
            for (; x + 4 <= to; x += 4)
            {
                const __m128i* a = reinterpret_cast<const __m128i*>(first + 4 * x);
                const __m128i* b = reinterpret_cast<const __m128i*>(second + 4 * x);
                __m128i low = mix(_mm_loadu_si128(a), _mm_loadu_si128(b));
                __m128i high = mix(_mm_loadu_si128(a + 1), _mm_loadu_si128(b + 1));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(low, high));
            }
        }
        for (; x + 2 <= to; x += 2)
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x),
                             _mm_packus_epi16(twoPixels(x, taps.pairs), _mm_setzero_si128()));
    }
#endif
    size_t rowCount = taps.rows.size();
    for (; x < to; ++x)
    {
        uint32_t n = 0;
        for (int c = 0; c < 4; ++c)
        {
            int32_t sum = 1 << (SecondPassShift - 1);
            for (size_t t = 0; t < rowCount; ++t)
                sum += int32_t(taps.rows[t][4 * x + c]) * taps.weights[t];
            n |= ClampChannel(sum) << (8 * c);
        }
        out[x] = n;
    }
}

// The taps of one visible row; rowOf(index) gives the row of a source row index.
template <class Row, class RowOf>
void SetRowTaps(RowTaps<Row>& taps, const std::vector<StretchFilter::Tap>& rowTaps, int first, int count,
                const RowOf& rowOf)
{
    taps.pairs = (count + 1) / 2;
    taps.rows.resize(size_t(2 * taps.pairs));
    taps.weights.resize(size_t(2 * taps.pairs));
    taps.pairWeights.resize(size_t(taps.pairs));
    for (int t = 0; t < 2 * taps.pairs; ++t)
    {
        const StretchFilter::Tap& tap = rowTaps[size_t(first + std::min(t, count - 1))];
        taps.rows[size_t(t)] = rowOf(tap.index);
        taps.weights[size_t(t)] = t < count ? tap.weight : 0;
    }
    for (int k = 0; k < taps.pairs; ++k)
        taps.pairWeights[size_t(k)] =
            int32_t(uint16_t(taps.weights[size_t(2 * k)])) | (taps.weights[size_t(2 * k + 1)] << 16);
}

// Puts a row of native pixels onto the target by its rule and draw mode.
void PutNativeRow(const PixelTarget& target, int drawMode, uint32_t* dst, const uint32_t* row, int count)
{
    if (target.rule == BlendRule::Display)
    {
        if (drawMode == DRAWMODE_ADDITIVE)
            PixelKernels::PremulAddRow(dst, row, count);
        else
            PixelKernels::PremulOverRow(dst, row, count);
        return;
    }
    const uint8_t* sat = SaturationTable::Get().Data();
    PixelWriters::Dispatch(target.rule, drawMode,
                           [&](auto writer)
                           {
                               for (int x = 0; x < count; ++x)
                                   if (row[x] >> 24)
                                       decltype(writer)::PutNative(dst[x], row[x], sat);
                           });
}

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

// Nearest sampling onto the display: each row's pixels gathered into a line (native when white,
// straight when tinted) and put on by the row kernels.
void NearestStretchDisplay(const PixelTarget& target, const SourcePixels& source, const Rect& visible,
                           const std::vector<int>& columns, const std::vector<int>& rows, const Tint& tint,
                           int drawMode)
{
    std::vector<uint32_t> line(size_t(visible.width));
    std::vector<uint32_t> tinted(tint.IsWhite() ? 0 : size_t(visible.width));
    bool white = tint.IsWhite();
    for (int y = 0; y < visible.height; ++y)
    {
        uint32_t* dst = target.Row(visible.y + y) + visible.x;
        size_t rowStart = size_t(rows[size_t(y)]) * size_t(source.width);
        for (int x = 0; x < visible.width; ++x)
        {
            size_t at = rowStart + size_t(columns[size_t(x)]);
            line[size_t(x)] = white ? source.Native(at) : source.Straight(at);
        }
        if (white)
        {
            PutNativeRow(target, drawMode, dst, line.data(), visible.width);
        }
        else if (drawMode == DRAWMODE_ADDITIVE)
        {
            PixelKernels::TintedPremultiplyRow(tinted.data(), line.data(), visible.width, tint);
            PixelKernels::PremulAddRow(dst, tinted.data(), visible.width);
        }
        else
        {
            PixelKernels::TintedPremulOverRow(dst, line.data(), visible.width, tint);
        }
    }
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
        if (display && source.native)
            return NearestStretchDisplay(target, source, visible, columns, rows, tint, drawMode);
        PixelWriters::Dispatch(
            target.rule, drawMode,
            [&](auto writer)
            { NearestStretch<decltype(writer)>(target, source, visible, columns, rows, tint, false); });
        return;
    }
    if (!source.native)
        return;

    // Horizontal taps for the visible columns, vertical taps for the visible rows.
    std::vector<int> firstColumnTap, firstRowTap;
    std::vector<Tap> columnTaps, rowTaps;
    AxisTaps(srcRect.width, destRect.width, firstColumnTap, columnTaps);
    AxisTaps(srcRect.height, destRect.height, firstRowTap, rowTaps);

    ColumnTaps columns;
    for (int x = 0; x < visible.width; ++x)
    {
        int rel = destColumn(x);
        columns.perColumn = std::max(columns.perColumn, firstColumnTap[size_t(rel) + 1] - firstColumnTap[size_t(rel)]);
    }
    columns.perColumn += columns.perColumn & 1;
    size_t tapCount = size_t(visible.width) * size_t(columns.perColumn);
    columns.columns.resize(tapCount);
    columns.weights.assign(tapCount, 0);
    columns.pairs.resize(tapCount / 2);
    columns.firstColumn = srcRect.width;
    columns.lastColumn = -1;
    for (int x = 0; x < visible.width; ++x)
    {
        int rel = destColumn(x);
        int first = firstColumnTap[size_t(rel)];
        int count = firstColumnTap[size_t(rel) + 1] - first;
        for (int k = 0; k < columns.perColumn; ++k)
        {
            const Tap& tap = columnTaps[size_t(first + std::min(k, count - 1))];
            size_t at = size_t(x * columns.perColumn + k);
            columns.columns[at] = tap.index;
            columns.weights[at] = int16_t(k < count ? tap.weight : 0);
            columns.firstColumn = std::min(columns.firstColumn, tap.index);
            columns.lastColumn = std::max(columns.lastColumn, tap.index);
        }
    }
    for (size_t k = 0; k < tapCount; k += 2)
        columns.pairs[k / 2] = int32_t(uint16_t(columns.weights[k])) | (int32_t(columns.weights[k + 1]) << 16);

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
    int spanWidth = columns.lastColumn - columns.firstColumn + 1;

    // Source rows in native form from the first column any tap reads; palettized rows are looked
    // up once into a buffer.
    std::vector<uint32_t> paletteRows(source.IsPalettized() ? size_t(rowCount) * size_t(spanWidth) : 0);
    std::vector<uint8_t> paletteReady(source.IsPalettized() ? size_t(rowCount) : 0, 0);
    auto nativeRow = [&](int r) -> const uint32_t*
    {
        size_t rowStart = size_t(srcRect.y + r) * size_t(source.width) + size_t(srcRect.x + columns.firstColumn);
        if (!source.IsPalettized())
            return source.native + rowStart;
        uint32_t* row = paletteRows.data() + size_t(r - srcRowMin) * size_t(spanWidth);
        if (!paletteReady[size_t(r - srcRowMin)])
        {
            for (int x = 0; x < spanWidth; ++x)
                row[x] = source.Native(rowStart + size_t(x));
            paletteReady[size_t(r - srcRowMin)] = 1;
        }
        return row;
    };
    for (int32_t& column : columns.columns)
        column -= columns.firstColumn;

    // Transparent source pixels are zero in native form, and so is everything filtered from them
    // alone. Per visible column, the lowest and highest source column its taps read; a source
    // row's extent of pixels that are not transparent then maps to the visible columns
    // [first, end) that can differ from zero (an interval, as the taps move monotonically).
    std::vector<int> lowTap(size_t(visible.width)), highTap(size_t(visible.width));
    for (int x = 0; x < visible.width; ++x)
    {
        const int32_t* taps = columns.columns.data() + size_t(x) * size_t(columns.perColumn);
        lowTap[size_t(x)] = *std::min_element(taps, taps + columns.perColumn);
        highTap[size_t(x)] = *std::max_element(taps, taps + columns.perColumn);
    }
    auto sourceSpan = [&](int r, int& first, int& end)
    {
        first = 0;
        end = spanWidth;
        if (source.rlAlphaRows)
        {
            const RowExtent& extent = source.rlAlphaRows[srcRect.y + r];
            int base = srcRect.x + columns.firstColumn;
            first = extent.first - base;
            end = extent.end - base;
        }
    };
    auto visibleSpan = [&](int first, int end, int& from, int& to)
    {
        from = 0;
        to = first < end ? visible.width : 0;
        while (from < to && (highTap[size_t(from)] < first || lowTap[size_t(from)] >= end))
            ++from;
        while (to > from && (highTap[size_t(to - 1)] < first || lowTap[size_t(to - 1)] >= end))
            --to;
    };

    std::vector<uint32_t> line(size_t(visible.width));
    auto composite = [&](int y, int from, int to)
    {
        PixelKernels::TintPremultipliedRow(line.data() + from, to - from, tint);
        PutNativeRow(target, drawMode, target.Row(visible.y + y) + visible.x + from, line.data() + from, to - from);
    };

    if (destRect.height < srcRect.height)
    {
        // Shrinking vertically: the source rows of each visible row are mixed first (long
        // contiguous rows), then that one row is filtered horizontally.
        std::vector<int16_t> mixed(size_t(spanWidth) * 4);
        RowTaps<uint32_t> taps;
        for (int y = 0; y < visible.height; ++y)
        {
            int rel = rowFrom + y;
            int first = firstRowTap[size_t(rel)];
            int count = firstRowTap[size_t(rel) + 1] - first;
            int spanFirst = spanWidth, spanEnd = 0;
            for (int t = first; t < first + count; ++t)
            {
                int rowFirst, rowEnd;
                sourceSpan(rowTaps[size_t(t)].index, rowFirst, rowEnd);
                if (rowFirst < rowEnd)
                {
                    spanFirst = std::min(spanFirst, rowFirst);
                    spanEnd = std::max(spanEnd, rowEnd);
                }
            }
            int from, to;
            visibleSpan(spanFirst, spanEnd, from, to);
            if (from >= to)
                continue;
            SetRowTaps(taps, rowTaps, first, count, nativeRow);
            int readFirst = std::min(lowTap[size_t(from)], lowTap[size_t(to - 1)]);
            int readLast = std::max(highTap[size_t(from)], highTap[size_t(to - 1)]);
            MixRows8(taps, mixed.data(), readFirst, readLast + 1);
            FilterRow16(mixed.data(), line.data(), columns, from, to);
            composite(y, from, to);
        }
        return;
    }

    // Enlarging (or keeping) vertically: each source row is filtered horizontally once, as the
    // first visible row that needs it comes, then rows are mixed per visible row. A filtered row
    // is zero outside its visible span. Rows are written before they are read, so the buffer
    // kept between calls needs no clearing.
    size_t stride = size_t(visible.width) * 4;
    thread_local std::vector<int16_t> horizontal;
    if (horizontal.size() < stride * size_t(rowCount))
        horizontal.resize(stride * size_t(rowCount));
    std::vector<uint8_t> ready(size_t(rowCount), 0);
    std::vector<int> spanFrom(static_cast<size_t>(rowCount)), spanTo(static_cast<size_t>(rowCount));
    auto filteredRow = [&](int r) -> const int16_t*
    {
        size_t index = size_t(r - srcRowMin);
        int16_t* row = horizontal.data() + stride * index;
        if (!ready[index])
        {
            int first, end, from, to;
            sourceSpan(r, first, end);
            visibleSpan(first, end, from, to);
            if (from >= to)
                from = to = 0;
            std::fill(row, row + 4 * from, int16_t(0));
            FilterRow8(nativeRow(r), row, columns, from, to);
            std::fill(row + 4 * to, row + stride, int16_t(0));
            spanFrom[index] = from;
            spanTo[index] = to;
            ready[index] = 1;
        }
        return row;
    };
    RowTaps<int16_t> taps;
    for (int y = 0; y < visible.height; ++y)
    {
        int rel = rowFrom + y;
        int first = firstRowTap[size_t(rel)];
        int count = firstRowTap[size_t(rel) + 1] - first;
        SetRowTaps(taps, rowTaps, first, count, filteredRow);
        int from = visible.width, to = 0;
        for (int t = first; t < first + count; ++t)
        {
            size_t index = size_t(rowTaps[size_t(t)].index - srcRowMin);
            if (spanFrom[index] < spanTo[index])
            {
                from = std::min(from, spanFrom[index]);
                to = std::max(to, spanTo[index]);
            }
        }
        if (from >= to)
            continue;
        MixRows16(taps, line.data(), from, to);
        composite(y, from, to);
    }
}

} // namespace Vesk
