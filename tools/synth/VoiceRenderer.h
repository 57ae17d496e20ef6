#pragma once

#include "synth/SynthData.h"

#include <cstdint>
#include <vector>

namespace Vesk
{

// Renders one voice: a sound effect's layer or one note of an instrument. The voice is held
// for `held` seconds and then released; the result is mono, as long as the voice sounds.
class VoiceRenderer
{
public:
    // `frequency` gives the pitch in Hz (it may glide over the held time); `level` scales the
    // result (velocity times gain); `seed` makes the noise of this voice.
    static std::vector<float> Render(const VoiceSpec& voice, const Sweep& frequency, double held, double level,
                                     uint32_t seed);

    // How long the voice sounds, held time plus release (shortened when the envelope has
    // faded out before the release would begin).
    static double SoundingTime(const VoiceSpec& voice, double held);
};

} // namespace Vesk
