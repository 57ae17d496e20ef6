#pragma once

#include "framework/sound/AudioDecoder.h"

#include <memory>
#include <string>

namespace Vesk
{

// Decodes an Ogg Vorbis file with the integer decoder (Tremor), reading it through the file
// layer (archive or disk) a page at a time. Mono and stereo streams only.
class OggVorbisDecoder final : public AudioDecoder
{
public:
    // Null when the file is missing, is not Ogg Vorbis or has more than two channels.
    static std::unique_ptr<OggVorbisDecoder> Open(const std::string& fileName);
    ~OggVorbisDecoder() override;
    OggVorbisDecoder(const OggVorbisDecoder&) = delete;
    OggVorbisDecoder& operator=(const OggVorbisDecoder&) = delete;

    int Channels() const override { return channels; }
    int SampleRate() const override { return sampleRate; }
    int64_t TotalFrames() const override { return totalFrames; }
    int Read(int16_t* interleaved, int frameCount) override;
    bool SeekFrame(int64_t frame) override;

private:
    struct Stream;
    explicit OggVorbisDecoder(std::unique_ptr<Stream> stream);

    std::unique_ptr<Stream> stream;
    int channels = 0;
    int sampleRate = 0;
    int64_t totalFrames = -1;
};

} // namespace Vesk
