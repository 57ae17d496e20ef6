#pragma once

#include "synth/SynthData.h"

namespace Vesk
{

class AudioBuffer;

// A feedback echo: each channel gets copies of itself `delay` seconds apart, each `feedback`
// as loud as the one before, added at `mix`.
class Echo
{
public:
    // Seconds the echoes go on after the input ends (until they fall below -60 dB).
    static double TailTime(const EchoSpec& spec);
    // Adds the echoes to the buffer (grown by the caller to hold the tail).
    static void Apply(const EchoSpec& spec, AudioBuffer& buffer);
};

} // namespace Vesk
