#include "synth/AudioBuffer.h"

#include <algorithm>
#include <cmath>

namespace Vesk
{

AudioBuffer::AudioBuffer(int channels, size_t frames) : samples(static_cast<size_t>(std::max(channels, 1)))
{
    Resize(frames);
}

void AudioBuffer::Resize(size_t frames)
{
    for (std::vector<float>& channel : samples)
        channel.resize(frames, 0.0f);
}

float AudioBuffer::Peak() const
{
    float peak = 0.0f;
    for (const std::vector<float>& channel : samples)
    {
        for (float sample : channel)
            peak = std::max(peak, std::fabs(sample));
    }
    return peak;
}

void AudioBuffer::Scale(float factor)
{
    for (std::vector<float>& channel : samples)
    {
        for (float& sample : channel)
            sample *= factor;
    }
}

void AudioBuffer::NormalizePeak(double decibels)
{
    const float peak = Peak();
    if (peak <= 1e-9f)
        return;
    Scale(static_cast<float>(std::pow(10.0, decibels / 20.0) / peak));
}

void AudioBuffer::MixMono(int channel, const std::vector<float>& source, size_t at, float gain)
{
    if (at + source.size() > Frames())
        Resize(at + source.size());
    float* target = samples[static_cast<size_t>(channel)].data() + at;
    for (size_t i = 0; i < source.size(); ++i)
        target[i] += source[i] * gain;
}

} // namespace Vesk
