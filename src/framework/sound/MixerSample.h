#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Vesk
{

struct PcmSound;

// A loaded sound effect as the mixer plays it: interleaved signed 16-bit frames, mono or
// stereo, at the sound's own rate. Immutable once made and shared by every instance playing
// it, so a sample can be released while its last play finishes.
class MixerSample
{
public:
    // Null when the sound's format cannot be played.
    static std::shared_ptr<const MixerSample> FromPcm(const PcmSound& sound);

    MixerSample(int channels, int sampleRate, std::vector<int16_t> samples);

    int Channels() const { return channels; }
    int SampleRate() const { return sampleRate; }
    size_t FrameCount() const { return samples.size() / static_cast<size_t>(channels); }
    const int16_t* Samples() const { return samples.data(); }
    size_t SizeInBytes() const { return samples.size() * sizeof(int16_t); }

private:
    int channels;
    int sampleRate;
    std::vector<int16_t> samples;
};

} // namespace Vesk
