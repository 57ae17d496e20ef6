#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/PixelTarget.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/SourcePixels.h"

#include <vector>

namespace Vesk
{

// Stretched blits. The fast form samples the nearest source pixel for every destination pixel.
// The filtered form runs a separable filter in two passes over the premultiplied source (area
// average per axis when shrinking, linear interpolation when enlarging, weights in 1/4096): when
// shrinking vertically the source rows of each destination row are mixed first and that row is
// filtered horizontally; otherwise each source row is filtered horizontally once and the rows are
// mixed. Spans that only transparent source pixels reach are skipped. The result is composited
// by the row kernels.
class StretchFilter
{
public:
    // The part of destRect inside clipRect and the target is drawn; srcRect must lie inside the
    // source. mirror flips the picture left-right.
    static void Stretch(const PixelTarget& target, const SourcePixels& source, const Rect& destRect,
                        const Rect& srcRect, const Rect& clipRect, const Color& color, int drawMode, bool fast,
                        bool mirror);

    static constexpr int WeightOne = 4096;

    // One tap of an axis filter: source index and weight (the weights of a destination pixel sum
    // to WeightOne).
    struct Tap
    {
        int index;
        int weight;
    };
    // For each destination position 0..destLength-1 the taps over source positions
    // 0..srcLength-1: linear interpolation when enlarging (or equal), area average when shrinking.
    static void AxisTaps(int srcLength, int destLength, std::vector<int>& firstTap, std::vector<Tap>& taps);
};

} // namespace Vesk
