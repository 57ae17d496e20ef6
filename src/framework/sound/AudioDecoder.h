#pragma once

#include <cstdint>

namespace Vesk
{

// A source of PCM decoded a block at a time from a sound or music file: Ogg Vorbis, MP3,
// WAV or module music. Owned by whoever plays it (the mixer for a song); used by one thread
// at a time.
class AudioDecoder
{
public:
    virtual ~AudioDecoder() = default;

    virtual int Channels() const = 0;
    virtual int SampleRate() const = 0;
    // Total length in frames, or -1 when the stream does not say.
    virtual int64_t TotalFrames() const = 0;
    // Decodes up to frameCount interleaved 16-bit frames; 0 at the end of the stream or on an
    // error the decoder cannot get past.
    virtual int Read(int16_t* interleaved, int frameCount) = 0;
    // Moves to a frame; false when the stream cannot seek there.
    virtual bool SeekFrame(int64_t frame) = 0;
    // Module music: moves to a pattern order and lets the module repeat forever (or play
    // once). Other streams loop by seeking back to frame 0 and ignore these.
    virtual bool SeekOrder(int order) { return false; }
    virtual void SetRepeat(bool forever) {}
    // Module music: amplification 0..100, 50 leaving the module as it is.
    virtual void SetAmplify(int amplify) {}
};

} // namespace Vesk
