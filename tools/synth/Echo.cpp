#include "synth/Echo.h"

#include "synth/AudioBuffer.h"

#include <cmath>
#include <vector>

namespace Vesk
{

double Echo::TailTime(const EchoSpec& spec)
{
    if (spec.delay <= 0 || spec.mix <= 0)
        return 0.0;
    if (spec.feedback <= 0.001)
        return spec.delay;
    const double repeats = std::ceil(std::log(0.001) / std::log(spec.feedback));
    return spec.delay * (repeats + 1.0);
}

void Echo::Apply(const EchoSpec& spec, AudioBuffer& buffer)
{
    if (spec.delay <= 0 || spec.mix <= 0)
        return;
    const size_t delay = static_cast<size_t>(std::lround(spec.delay * AudioBuffer::kRate));
    const size_t frames = buffer.Frames();
    if (delay == 0 || delay >= frames)
        return;
    const int channels = buffer.Channels();
    const float feedback = static_cast<float>(spec.feedback);
    const float mix = static_cast<float>(spec.mix);

    // The echo signal: the input delayed once plus the echo itself delayed again.
    std::vector<std::vector<float>> wet(static_cast<size_t>(channels), std::vector<float>(frames, 0.0f));
    for (int c = 0; c < channels; ++c)
    {
        const std::vector<float>& dry = buffer.Channel(c);
        std::vector<float>& echo = wet[static_cast<size_t>(c)];
        for (size_t i = delay; i < frames; ++i)
            echo[i] = dry[i - delay] + echo[i - delay] * feedback;
    }
    for (int c = 0; c < channels; ++c)
    {
        std::vector<float>& channel = buffer.Channel(c);
        for (size_t i = 0; i < frames; ++i)
            channel[i] += wet[static_cast<size_t>(c)][i] * mix;
    }
}

} // namespace Vesk
