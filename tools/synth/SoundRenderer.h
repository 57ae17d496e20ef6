#pragma once

#include "synth/AudioBuffer.h"
#include "synth/SynthData.h"

namespace Vesk
{

// Renders a sound effect recipe: every voice (with its repeats and echo) mixed at its start
// time, then the sound's echo and reverb, cut to its length (or to where it has faded out)
// and scaled to its peak level.
class SoundRenderer
{
public:
    static AudioBuffer Render(const SoundRecipe& recipe);
};

} // namespace Vesk
