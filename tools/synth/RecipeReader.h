#pragma once

#include "synth/SynthData.h"
#include "synth/SynthScriptReader.h"

#include <string>

namespace Vesk
{

// Reads a sound effect recipe: one statement a line, '#' starts a comment.
//
//   # a paper click                  statements before the first "voice" describe the sound:
//   channels 1                       1 (mono, the default) or 2
//   peak -3                          dBFS the finished sound is scaled to (default -1)
//   length 0.2                       seconds (default: until everything has faded)
//   seed 7                           noise seed
//   quality 0.4                      Ogg Vorbis quality (-0.1 .. 1)
//   echo 0.08 0.3 0.2                delay, feedback, mix over the whole sound
//   reverb 0.2 0.5 0.5               mix, room size, damping
//
//   voice                            starts a layer; any number of them
//   osc noise 1.0                    wave (sine square triangle saw noise pluck), level, and
//   osc sine 0.5 ratio 2 detune 5      options: ratio, detune (cents), duty, decay, bright
//   freq 1800 -> 600 exp             Hz or a note (a4); "->" glides over the held time
//   start 0.01                       seconds from the start of the sound
//   length 0.04                      seconds held; the release follows
//   envelope 0.001 0.02 0 0.01       attack, decay, sustain level, release
//   filter lowpass 3000 -> 800 q 2   lowpass, highpass or bandpass; cutoff may glide
//   vibrato 6 0.3 [delay]            rate (Hz), depth (semitones)
//   tremolo 8 0.5                    rate (Hz), depth (0..1)
//   gain -6dB                        factor or decibels
//   pan -0.3                         -1 left .. 1 right (stereo sounds)
//   echo 0.05 0.2 0.3                an echo of this layer alone
//   repeat 3 0.06 0.6                plays the layer 3 times, 0.06 s apart, each 0.6 as loud
class RecipeReader : public SynthScriptReader
{
public:
    // False with ErrorText ("name:line: message") when the recipe is not valid.
    [[nodiscard]] bool Read(const std::string& text, const std::string& fileName, SoundRecipe& recipe);

private:
    bool SoundStatement(const Line& line, SoundRecipe& recipe);
    bool VoiceLine(const Line& line, RecipeVoice& voice);
};

} // namespace Vesk
