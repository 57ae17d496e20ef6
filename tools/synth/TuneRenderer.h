#pragma once

#include "synth/AudioBuffer.h"
#include "synth/SynthData.h"

namespace Vesk
{

// Renders a tune's score to stereo: each track's notes played on its instrument, panned,
// with the track's chorus and echo, all sharing one room reverb. A looping tune is exactly
// as long as its form, with the ringing of its last notes folded onto its start, so that it
// repeats without a seam; a tune that does not loop ends when its sound has faded.
class TuneRenderer
{
public:
    // With `soloTrack` (an index into the score's tracks), only that track is heard, at the
    // level it has in the whole tune (for listening to one part while writing it).
    static AudioBuffer Render(const TuneScore& score, int soloTrack = -1);

    // Seconds the form lasts (without the ringing after its last note).
    static double FormSeconds(const TuneScore& score);
};

} // namespace Vesk
