#pragma once

#include "framework/sound/AudioDecoder.h"

#include <memory>
#include <string>

namespace Vesk
{

// Decodes MPEG audio (MP3) with libmpg123, reading the file through the file layer. The
// output format is fixed by the first frame; a stream that changes it ends there.
class Mp3Decoder final : public AudioDecoder
{
public:
    // Null when the file is missing or no MPEG audio frame is found near its start.
    static std::unique_ptr<Mp3Decoder> Open(const std::string& fileName);
    ~Mp3Decoder() override;
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    int Channels() const override { return channels; }
    int SampleRate() const override { return sampleRate; }
    int64_t TotalFrames() const override;
    int Read(int16_t* interleaved, int frameCount) override;
    bool SeekFrame(int64_t frame) override;

private:
    struct Stream;
    explicit Mp3Decoder(std::unique_ptr<Stream> stream);

    std::unique_ptr<Stream> stream;
    int channels = 0;
    int sampleRate = 0;
    bool finished = false;
};

} // namespace Vesk
