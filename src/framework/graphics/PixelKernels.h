#pragma once

#include <cstdint>

namespace Vesk
{

class Tint;

// The row loops every software blitter ends in: a run of source pixels put onto a run of
// destination pixels by one rule. Each has a plain loop over the per-pixel rules of PixelRules and
// Tint and vector forms (SSE2, some SSSE3) that compute the very same pixels; CpuFeatures picks the
// form. Native pixels are premultiplied (PixelRules::Premultiply), so no colour channel exceeds
// the alpha.
class PixelKernels
{
public:
    // Display rule: every channel of dst becomes native + dst * (256 - alpha) >> 8.
    static void PremulOverRow(uint32_t* dst, const uint32_t* native, int count);
    // Display rule, additive: the native colour added with saturation; destination alpha kept.
    static void PremulAddRow(uint32_t* dst, const uint32_t* native, int count);
    // Straight source pixels tinted, premultiplied and put over dst by the display rule.
    static void TintedPremulOverRow(uint32_t* dst, const uint32_t* straight, int count, const Tint& tint);
    // Straight source pixels tinted and premultiplied into native form.
    static void TintedPremultiplyRow(uint32_t* native, const uint32_t* straight, int count, const Tint& tint);
    // Native pixels tinted in place (Tint::ApplyPremultiplied).
    static void TintPremultipliedRow(uint32_t* native, int count, const Tint& tint);
    // Copies count pixels from source in reverse order: out[i] = source[-i].
    static void ReverseRow(uint32_t* out, const uint32_t* source, int count);
};

} // namespace Vesk
