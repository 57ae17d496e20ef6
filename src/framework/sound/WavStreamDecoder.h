#pragma once

#include "framework/sound/AudioDecoder.h"

#include <memory>
#include <string>

namespace Vesk
{

struct PFILE;

// Streams the samples of a PCM WAV file (8 or 16 bits, mono or stereo) through the file
// layer, a block at a time, for music. A data chunk that claims more than the file holds is
// played up to the end of the file.
class WavStreamDecoder final : public AudioDecoder
{
public:
    // Null when the file is missing or is not a playable PCM WAV file.
    static std::unique_ptr<WavStreamDecoder> Open(const std::string& fileName);
    ~WavStreamDecoder() override;
    WavStreamDecoder(const WavStreamDecoder&) = delete;
    WavStreamDecoder& operator=(const WavStreamDecoder&) = delete;

    int Channels() const override { return channels; }
    int SampleRate() const override { return sampleRate; }
    int64_t TotalFrames() const override { return totalFrames; }
    int Read(int16_t* interleaved, int frameCount) override;
    bool SeekFrame(int64_t frame) override;

private:
    explicit WavStreamDecoder(PFILE* file);

    PFILE* file;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    long dataStart = 0;
    int64_t totalFrames = 0;
    int64_t nextFrame = 0;
};

} // namespace Vesk
