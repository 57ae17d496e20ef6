#pragma once

#include "synth/SynthData.h"

namespace Vesk
{

class AudioBuffer;

// A chorus: each channel mixed with a copy of itself behind a slowly swinging delay (the two
// channels swing in opposite phase, which widens a stereo part).
class Chorus
{
public:
    static void Apply(const ChorusSpec& spec, AudioBuffer& buffer);
};

} // namespace Vesk
