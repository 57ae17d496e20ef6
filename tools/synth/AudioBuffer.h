#pragma once

#include <cstddef>
#include <vector>

namespace Vesk
{

// Sound in the making: one or two channels of float samples at 44100 Hz, nominally within
// -1..1. The renderers mix into it; the writers turn it into 16-bit WAV or Ogg Vorbis.
class AudioBuffer
{
public:
    static constexpr int kRate = 44100;

    AudioBuffer(int channels, size_t frames);

    int Channels() const { return static_cast<int>(samples.size()); }
    size_t Frames() const { return samples.empty() ? 0 : samples[0].size(); }
    std::vector<float>& Channel(int channel) { return samples[static_cast<size_t>(channel)]; }
    const std::vector<float>& Channel(int channel) const { return samples[static_cast<size_t>(channel)]; }

    // Grows or shrinks every channel; new frames are silent.
    void Resize(size_t frames);
    // The largest absolute sample of all channels.
    float Peak() const;
    void Scale(float factor);
    // Scales the sound so that its peak lies at `decibels` below full scale (silence stays).
    void NormalizePeak(double decibels);
    // Adds `source` (mono, at `gain`) into `channel` from frame `at`, growing the buffer as needed.
    void MixMono(int channel, const std::vector<float>& source, size_t at, float gain);

private:
    std::vector<std::vector<float>> samples;
};

} // namespace Vesk
