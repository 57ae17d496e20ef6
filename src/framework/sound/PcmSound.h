#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vesk
{

// Decoded sound data as the sound file readers produce it and the decoded-sound cache stores
// it: interleaved PCM frames, 8-bit unsigned or 16-bit signed little-endian, mono or stereo.
struct PcmSound
{
    static constexpr int kMinSampleRate = 100;
    static constexpr int kMaxSampleRate = 200000;

    int channels = 1;
    int sampleRate = 22050;
    int bitsPerSample = 16;
    std::vector<uint8_t> data;

    int BlockAlign() const { return channels * bitsPerSample / 8; }
    size_t FrameCount() const { return BlockAlign() > 0 ? data.size() / static_cast<size_t>(BlockAlign()) : 0; }
    // A format the mixer can play: 1 or 2 channels, 8 or 16 bits, a rate of 100..200000 Hz.
    bool HasPlayableFormat() const
    {
        return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) &&
               sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate;
    }
};

} // namespace Vesk
