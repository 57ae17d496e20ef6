#pragma once

#include "synth/SynthData.h"

namespace Vesk
{

class AudioBuffer;

// A room reverberation: parallel damped comb filters and serial allpass filters per channel,
// the right channel's delays a little longer than the left's for width. Fed from the mix of
// all channels, added back to each at `mix`.
class Reverb
{
public:
    // Seconds the reverb keeps ringing after its input ends (to -60 dB, roughly).
    static double TailTime(const ReverbSpec& spec);

    // Adds the reverb of `input` to `output` (both the same length; output may be input).
    // `input` may be mono while `output` is stereo.
    static void Apply(const ReverbSpec& spec, const AudioBuffer& input, AudioBuffer& output);
};

} // namespace Vesk
