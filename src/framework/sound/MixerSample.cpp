#include "framework/sound/MixerSample.h"

#include "framework/sound/PcmSound.h"

namespace Vesk
{

std::shared_ptr<const MixerSample> MixerSample::FromPcm(const PcmSound& sound)
{
    if (!sound.HasPlayableFormat())
        return nullptr;
    size_t sampleCount = sound.FrameCount() * static_cast<size_t>(sound.channels);
    std::vector<int16_t> samples(sampleCount);
    if (sound.bitsPerSample == 8)
    {
        for (size_t i = 0; i < sampleCount; ++i)
            samples[i] = static_cast<int16_t>((static_cast<int>(sound.data[i]) - 128) * 256);
    }
    else
    {
        for (size_t i = 0; i < sampleCount; ++i)
            samples[i] = static_cast<int16_t>(sound.data[2 * i] | (sound.data[2 * i + 1] << 8));
    }
    return std::make_shared<const MixerSample>(sound.channels, sound.sampleRate, std::move(samples));
}

MixerSample::MixerSample(int channels, int sampleRate, std::vector<int16_t> samples)
    : channels(channels), sampleRate(sampleRate), samples(std::move(samples))
{
}

} // namespace Vesk
