#pragma once

#include <cstdint>
#include <vector>

namespace Vesk::TestSupport
{

// Sound files made on the fly for tests and benchmarks: WAV and AU bytes written by hand, Ogg
// Vorbis encoded with libvorbisenc, a tiny ProTracker module and MP3 frames of silence.
class TestSounds
{
public:
    // Interleaved 16-bit samples of a sine tone.
    static std::vector<int16_t> Sine(int channels, int sampleRate, double frequency, double amplitude, int frames);
    // A RIFF WAVE file with a PCM "fmt " chunk and the given data; the data chunk's size field
    // can be made to lie.
    static std::vector<uint8_t> Wav(int channels, int sampleRate, int bitsPerSample, const std::vector<uint8_t>& data,
                                    int64_t dataSizeField = -1);
    static std::vector<uint8_t> Wav16(int channels, int sampleRate, const std::vector<int16_t>& samples);
    static std::vector<uint8_t> SamplesToBytes(const std::vector<int16_t>& samples);
    // A ".snd" file; the size field is the data's length unless given.
    static std::vector<uint8_t> Au(uint32_t encoding, uint32_t sampleRate, uint32_t channels,
                                   const std::vector<uint8_t>& data, int64_t dataSizeField = -1);
    // An Ogg Vorbis stream of a sine tone.
    static std::vector<uint8_t> OggTone(int channels, int sampleRate, double frequency, double seconds,
                                        double amplitude = 0.5);
    // A four-channel ProTracker module: `orders` orders of one pattern that starts a looped
    // square wave on its first row.
    static std::vector<uint8_t> Module(int orders);
    // MPEG-1 Layer III frames (mono, 44100 Hz, 128 kbit/s) that decode to silence, 1152
    // samples each.
    static std::vector<uint8_t> SilentMp3(int frames);
};

} // namespace Vesk::TestSupport
