#include "framework/graphics/PixelKernels.h"

#include "framework/graphics/CpuFeatures.h"
#include "framework/graphics/PixelRules.h"
#include "framework/graphics/SaturationTable.h"
#include "framework/graphics/Tint.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <tmmintrin.h>
#endif

namespace Vesk
{

namespace
{

#if defined(__SSE2__)

inline __m128i Load(const uint32_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store(uint32_t* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Whether all four pixels have alpha 255, or all alpha 0.
inline bool AllOpaque(__m128i s)
{
    const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
    return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alphaMask), alphaMask)) == 0xFFFF;
}

inline bool AllTransparent(__m128i s)
{
    const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
    return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alphaMask), _mm_setzero_si128())) == 0xFFFF;
}

// Four native pixels over four destination pixels; the multiplier (256 - alpha) of each pixel is
// given in its four 16-bit lanes (low two pixels, high two pixels). (d << 8) * m >> 16 is
// d * m >> 8 in one multiply.
inline __m128i PremulOverWith(__m128i s, __m128i d, __m128i invLow, __m128i invHigh)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i low = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, d), invLow);
    __m128i high = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, d), invHigh);
    return _mm_add_epi8(_mm_packus_epi16(low, high), s);
}

void PremulOverRowSse2(uint32_t* dst, const uint32_t* native, int count)
{
    const __m128i k256 = _mm_set1_epi32(256);
    int i = 0;
    for (; i + 4 <= count; i += 4)
    {
        __m128i s = Load(native + i);
        if (AllOpaque(s))
        {
            Store(dst + i, s);
            continue;
        }
        if (AllTransparent(s))
            continue;
        __m128i inv = _mm_sub_epi32(k256, _mm_srli_epi32(s, 24));
        inv = _mm_or_si128(inv, _mm_slli_epi32(inv, 16));
        Store(dst + i, PremulOverWith(s, Load(dst + i), _mm_unpacklo_epi32(inv, inv), _mm_unpackhi_epi32(inv, inv)));
    }
    for (; i < count; ++i)
        dst[i] = PixelRules::PremulOver(native[i], dst[i]);
}

// The same with the alpha spread to the 16-bit lanes by one byte shuffle per half.
__attribute__((target("ssse3"))) void PremulOverRowSsse3(uint32_t* dst, const uint32_t* native, int count)
{
    const __m128i k256 = _mm_set1_epi16(256);
    const __m128i spreadLow = _mm_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    const __m128i spreadHigh = _mm_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
    int i = 0;
    for (; i + 4 <= count; i += 4)
    {
        __m128i s = Load(native + i);
        if (AllOpaque(s))
        {
            Store(dst + i, s);
            continue;
        }
        if (AllTransparent(s))
            continue;
        __m128i invLow = _mm_sub_epi16(k256, _mm_shuffle_epi8(s, spreadLow));
        __m128i invHigh = _mm_sub_epi16(k256, _mm_shuffle_epi8(s, spreadHigh));
        Store(dst + i, PremulOverWith(s, Load(dst + i), invLow, invHigh));
    }
    for (; i < count; ++i)
        dst[i] = PixelRules::PremulOver(native[i], dst[i]);
}

void PremulAddRowSse2(uint32_t* dst, const uint32_t* native, int count)
{
    const __m128i colorMask = _mm_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 8 <= count; i += 8)
    {
        __m128i s0 = _mm_and_si128(Load(native + i), colorMask);
        __m128i s1 = _mm_and_si128(Load(native + i + 4), colorMask);
        Store(dst + i, _mm_adds_epu8(Load(dst + i), s0));
        Store(dst + i + 4, _mm_adds_epu8(Load(dst + i + 4), s1));
    }
    for (; i + 4 <= count; i += 4)
        Store(dst + i, _mm_adds_epu8(Load(dst + i), _mm_and_si128(Load(native + i), colorMask)));
    const uint8_t* sat = SaturationTable::Get().Data();
    for (; i < count; ++i)
        dst[i] = PixelRules::PremulAdd(native[i], dst[i], sat);
}

// Tinting and premultiplying four straight pixels in 16-bit lanes. The tint multipliers
// (colour + 1) sit in the colour lanes and 256 in the alpha lane, which the source has set to 255:
// the first multiply gives the tinted colour c' = c * (t + 1) >> 8 and 255 in the alpha lane. The
// second, by the tinted alpha a' + 1, gives c' * (a' + 1) >> 8 and, in the alpha lane, exactly a'.
struct TintLanes
{
    explicit TintLanes(const Tint& tint)
        : multiply(_mm_setr_epi16(short(tint.blue), short(tint.green), short(tint.red), 256, short(tint.blue),
                                  short(tint.green), short(tint.red), 256)),
          tintAlpha(_mm_set1_epi32(int(tint.alphaTable[255]))),
          opaqueAlphaPlusOne(_mm_set1_epi16(short(tint.alphaTable[255] + 1)))
    {
    }

    // The tinted alpha plus one of four pixels, spread to the 16-bit lanes of each pixel:
    // a' = tint alpha * a / 255 exactly, as (x * 0x8081) >> 23.
    void AlphaPlusOne(__m128i s, __m128i& low, __m128i& high) const
    {
        __m128i x = _mm_mullo_epi16(_mm_srli_epi32(s, 24), tintAlpha);
        __m128i a = _mm_srli_epi32(_mm_mulhi_epu16(x, _mm_set1_epi32(0x8081)), 7);
        a = _mm_add_epi32(a, _mm_set1_epi32(1));
        a = _mm_or_si128(a, _mm_slli_epi32(a, 16));
        low = _mm_unpacklo_epi32(a, a);
        high = _mm_unpackhi_epi32(a, a);
    }

    // Native form of four straight pixels whose alpha-plus-one lanes are given.
    __m128i PremultiplyWith(__m128i s, __m128i low, __m128i high) const
    {
        const __m128i zero = _mm_setzero_si128();
        __m128i opaque = _mm_or_si128(s, _mm_set1_epi32(int(0xFF000000u)));
        __m128i cLow = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, opaque), multiply);
        __m128i cHigh = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, opaque), multiply);
        cLow = _mm_mulhi_epu16(_mm_slli_epi16(cLow, 8), low);
        cHigh = _mm_mulhi_epu16(_mm_slli_epi16(cHigh, 8), high);
        return _mm_packus_epi16(cLow, cHigh);
    }

    // Native form of four straight pixels; their alpha-plus-one lanes returned for the blend.
    // Opaque sources all take the tint's own alpha.
    __m128i Premultiply(__m128i s, __m128i& low, __m128i& high) const
    {
        if (AllOpaque(s))
        {
            low = opaqueAlphaPlusOne;
            high = opaqueAlphaPlusOne;
        }
        else
        {
            AlphaPlusOne(s, low, high);
        }
        return PremultiplyWith(s, low, high);
    }

    __m128i multiply;
    __m128i tintAlpha;
    __m128i opaqueAlphaPlusOne;
};

void TintedPremulOverRowSse2(uint32_t* dst, const uint32_t* straight, int count, const Tint& tint)
{
    TintLanes lanes(tint);
    const __m128i k257 = _mm_set1_epi16(257);
    const __m128i opaqueInverse = _mm_sub_epi16(k257, lanes.opaqueAlphaPlusOne);
    int i = 0;
    for (; i + 4 <= count; i += 4)
    {
        __m128i s = Load(straight + i);
        if (AllOpaque(s))
        {
            __m128i native = lanes.PremultiplyWith(s, lanes.opaqueAlphaPlusOne, lanes.opaqueAlphaPlusOne);
            Store(dst + i, PremulOverWith(native, Load(dst + i), opaqueInverse, opaqueInverse));
            continue;
        }
        if (AllTransparent(s))
            continue;
        __m128i low, high;
        lanes.AlphaPlusOne(s, low, high);
        __m128i native = lanes.PremultiplyWith(s, low, high);
        Store(dst + i, PremulOverWith(native, Load(dst + i), _mm_sub_epi16(k257, low), _mm_sub_epi16(k257, high)));
    }
    for (; i < count; ++i)
        dst[i] = PixelRules::PremulOver(PixelRules::Premultiply(tint.Apply(straight[i])), dst[i]);
}

void TintedPremultiplyRowSse2(uint32_t* native, const uint32_t* straight, int count, const Tint& tint)
{
    TintLanes lanes(tint);
    int i = 0;
    for (; i + 4 <= count; i += 4)
    {
        __m128i low, high;
        Store(native + i, lanes.Premultiply(Load(straight + i), low, high));
    }
    for (; i < count; ++i)
        native[i] = PixelRules::Premultiply(tint.Apply(straight[i]));
}

// Tint::ApplyPremultiplied on four lanes: c' = c * (t + 1) >> 8 (alpha lane: a * 256 >> 8 = a),
// then every lane times the tint alpha, divided by 255 exactly.
void TintPremultipliedRowSse2(uint32_t* native, int count, const Tint& tint)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i multiply = _mm_setr_epi16(short(tint.blue), short(tint.green), short(tint.red), 256, short(tint.blue),
                                            short(tint.green), short(tint.red), 256);
    const __m128i tintAlpha = _mm_set1_epi16(short(tint.alphaTable[255]));
    const __m128i divide = _mm_set1_epi16(short(0x8081));
    auto half = [&](__m128i wide)
    {
        __m128i c = _mm_mulhi_epu16(wide, multiply);
        return _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(c, tintAlpha), divide), 7);
    };
    int i = 0;
    for (; i + 4 <= count; i += 4)
    {
        __m128i n = Load(native + i);
        Store(native + i, _mm_packus_epi16(half(_mm_unpacklo_epi8(zero, n)), half(_mm_unpackhi_epi8(zero, n))));
    }
    for (; i < count; ++i)
        native[i] = tint.ApplyPremultiplied(native[i]);
}

void ReverseRowSse2(uint32_t* out, const uint32_t* source, int count)
{
    int i = 0;
    for (; i + 4 <= count; i += 4)
        Store(out + i, _mm_shuffle_epi32(Load(source - i - 3), _MM_SHUFFLE(0, 1, 2, 3)));
    for (; i < count; ++i)
        out[i] = source[-i];
}

#endif

} // namespace

void PixelKernels::PremulOverRow(uint32_t* dst, const uint32_t* native, int count)
{
#if defined(__SSE2__)
    if (CpuFeatures::UseSsse3())
        return PremulOverRowSsse3(dst, native, count);
    if (CpuFeatures::UseSse2())
        return PremulOverRowSse2(dst, native, count);
#endif
    for (int i = 0; i < count; ++i)
        dst[i] = PixelRules::PremulOver(native[i], dst[i]);
}

void PixelKernels::PremulAddRow(uint32_t* dst, const uint32_t* native, int count)
{
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
        return PremulAddRowSse2(dst, native, count);
#endif
    const uint8_t* sat = SaturationTable::Get().Data();
    for (int i = 0; i < count; ++i)
        dst[i] = PixelRules::PremulAdd(native[i], dst[i], sat);
}

void PixelKernels::TintedPremulOverRow(uint32_t* dst, const uint32_t* straight, int count, const Tint& tint)
{
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
        return TintedPremulOverRowSse2(dst, straight, count, tint);
#endif
    for (int i = 0; i < count; ++i)
        dst[i] = PixelRules::PremulOver(PixelRules::Premultiply(tint.Apply(straight[i])), dst[i]);
}

void PixelKernels::TintedPremultiplyRow(uint32_t* native, const uint32_t* straight, int count, const Tint& tint)
{
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
        return TintedPremultiplyRowSse2(native, straight, count, tint);
#endif
    for (int i = 0; i < count; ++i)
        native[i] = PixelRules::Premultiply(tint.Apply(straight[i]));
}

void PixelKernels::TintPremultipliedRow(uint32_t* native, int count, const Tint& tint)
{
    if (tint.IsWhite())
        return;
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
        return TintPremultipliedRowSse2(native, count, tint);
#endif
    for (int i = 0; i < count; ++i)
        native[i] = tint.ApplyPremultiplied(native[i]);
}

void PixelKernels::ReverseRow(uint32_t* out, const uint32_t* source, int count)
{
#if defined(__SSE2__)
    if (CpuFeatures::UseSse2())
        return ReverseRowSse2(out, source, count);
#endif
    for (int i = 0; i < count; ++i)
        out[i] = source[-i];
}

} // namespace Vesk
