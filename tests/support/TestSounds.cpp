#include "support/TestSounds.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ogg/ogg.h>
#include <stdexcept>

namespace Vesk::TestSupport
{

namespace
{

void PutU16(std::vector<uint8_t>& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value & 0xff));
    bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xff));
}

void PutU32(std::vector<uint8_t>& bytes, uint32_t value)
{
    PutU16(bytes, value & 0xffff);
    PutU16(bytes, value >> 16);
}

void PutU32BigEndian(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<uint8_t>((value >> shift) & 0xff));
}

void PutU16BigEndian(std::vector<uint8_t>& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xff));
    bytes.push_back(static_cast<uint8_t>(value & 0xff));
}

void PutText(std::vector<uint8_t>& bytes, const char* text)
{
    bytes.insert(bytes.end(), text, text + std::strlen(text));
}

void AppendPage(std::vector<uint8_t>& bytes, const ogg_page& page)
{
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
}

constexpr double kPi = 3.14159265358979323846;

} // namespace

std::vector<int16_t> TestSounds::Sine(int channels, int sampleRate, double frequency, double amplitude, int frames)
{
    std::vector<int16_t> samples(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    for (int i = 0; i < frames; ++i)
    {
        auto value =
            static_cast<int16_t>(std::lround(amplitude * 32767.0 * std::sin(2.0 * kPi * frequency * i / sampleRate)));
        for (int c = 0; c < channels; ++c)
            samples[static_cast<size_t>(i) * static_cast<size_t>(channels) + static_cast<size_t>(c)] = value;
    }
    return samples;
}

std::vector<uint8_t> TestSounds::SamplesToBytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (int16_t sample : samples)
        PutU16(bytes, static_cast<uint16_t>(sample));
    return bytes;
}

std::vector<uint8_t> TestSounds::Wav(int channels, int sampleRate, int bitsPerSample, const std::vector<uint8_t>& data,
                                     int64_t dataSizeField)
{
    const uint32_t blockAlign = static_cast<uint32_t>(channels * bitsPerSample / 8);
    std::vector<uint8_t> bytes;
    PutText(bytes, "RIFF");
    PutU32(bytes, static_cast<uint32_t>(36 + data.size()));
    PutText(bytes, "WAVE");
    PutText(bytes, "fmt ");
    PutU32(bytes, 16);
    PutU16(bytes, 1);
    PutU16(bytes, static_cast<uint32_t>(channels));
    PutU32(bytes, static_cast<uint32_t>(sampleRate));
    PutU32(bytes, static_cast<uint32_t>(sampleRate) * blockAlign);
    PutU16(bytes, blockAlign);
    PutU16(bytes, static_cast<uint32_t>(bitsPerSample));
    PutText(bytes, "data");
    PutU32(bytes, dataSizeField >= 0 ? static_cast<uint32_t>(dataSizeField) : static_cast<uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::vector<uint8_t> TestSounds::Wav16(int channels, int sampleRate, const std::vector<int16_t>& samples)
{
    return Wav(channels, sampleRate, 16, SamplesToBytes(samples));
}

std::vector<uint8_t> TestSounds::Au(uint32_t encoding, uint32_t sampleRate, uint32_t channels,
                                    const std::vector<uint8_t>& data, int64_t dataSizeField)
{
    std::vector<uint8_t> bytes;
    PutText(bytes, ".snd");
    PutU32BigEndian(bytes, 24);
    PutU32BigEndian(bytes,
                    dataSizeField >= 0 ? static_cast<uint32_t>(dataSizeField) : static_cast<uint32_t>(data.size()));
    PutU32BigEndian(bytes, encoding);
    PutU32BigEndian(bytes, sampleRate);
    PutU32BigEndian(bytes, channels);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::vector<uint8_t> TestSounds::OggTone(int channels, int sampleRate, double frequency, double seconds,
                                         double amplitude)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, sampleRate, 0.3f) != 0)
    {
        vorbis_info_clear(&info);
        throw std::runtime_error("the Vorbis encoder refused the format");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x4f726c6f);

    std::vector<uint8_t> bytes;
    ogg_packet header;
    ogg_packet commentHeader;
    ogg_packet codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        AppendPage(bytes, page);

    const long totalFrames = std::lround(seconds * sampleRate);
    long written = 0;
    bool endOfStream = false;
    while (!endOfStream)
    {
        const long chunk = std::min<long>(4096, totalFrames - written);
        if (chunk > 0)
        {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(chunk));
            for (long i = 0; i < chunk; ++i)
            {
                auto value =
                    static_cast<float>(amplitude * std::sin(2.0 * kPi * frequency * (written + i) / sampleRate));
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = value;
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(chunk));
            written += chunk;
        }
        else
        {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0)
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                {
                    AppendPage(bytes, page);
                    if (ogg_page_eos(&page) != 0)
                        endOfStream = true;
                }
            }
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return bytes;
}

std::vector<uint8_t> TestSounds::Module(int orders)
{
    constexpr int kSampleBytes = 64;
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> title(20, 0);
    std::memcpy(title.data(), "orlo test", 9);
    bytes.insert(bytes.end(), title.begin(), title.end());
    for (int sample = 0; sample < 31; ++sample)
    {
        bytes.insert(bytes.end(), 22, 0); // name
        if (sample == 0)
        {
            PutU16BigEndian(bytes, kSampleBytes / 2); // length in words
            bytes.push_back(0);                       // finetune
            bytes.push_back(64);                      // volume
            PutU16BigEndian(bytes, 0);                // loop start
            PutU16BigEndian(bytes, kSampleBytes / 2); // loop length: the whole sample
        }
        else
        {
            PutU16BigEndian(bytes, 0);
            bytes.push_back(0);
            bytes.push_back(0);
            PutU16BigEndian(bytes, 0);
            PutU16BigEndian(bytes, 1);
        }
    }
    bytes.push_back(static_cast<uint8_t>(orders));
    bytes.push_back(127);
    for (int order = 0; order < 128; ++order)
        bytes.push_back(0); // every order plays pattern 0
    PutText(bytes, "M.K.");
    // Pattern 0: 64 rows of 4 channels; row 0 channel 0 plays sample 1 at period 428 (C-2).
    for (int row = 0; row < 64; ++row)
    {
        for (int channel = 0; channel < 4; ++channel)
        {
            if (row == 0 && channel == 0)
            {
                const uint32_t period = 428;
                bytes.push_back(static_cast<uint8_t>((period >> 8) & 0x0f));
                bytes.push_back(static_cast<uint8_t>(period & 0xff));
                bytes.push_back(0x10); // sample 1, no effect
                bytes.push_back(0);
            }
            else
            {
                bytes.insert(bytes.end(), 4, 0);
            }
        }
    }
    for (int i = 0; i < kSampleBytes; ++i)
        bytes.push_back(static_cast<uint8_t>(i < kSampleBytes / 2 ? 100 : -100));
    return bytes;
}

std::vector<uint8_t> TestSounds::SilentMp3(int frames)
{
    // Header: sync, MPEG-1, Layer III, no CRC; 128 kbit/s, 44100 Hz, no padding; mono.
    // 144 x 128000 / 44100 = 417 bytes a frame. Zero side information: no main data, so each
    // granule decodes to silence.
    constexpr size_t kFrameBytes = 417;
    std::vector<uint8_t> bytes;
    for (int frame = 0; frame < frames; ++frame)
    {
        const uint8_t header[4] = {0xff, 0xfb, 0x90, 0xc0};
        bytes.insert(bytes.end(), header, header + 4);
        bytes.insert(bytes.end(), kFrameBytes - 4, 0);
    }
    return bytes;
}

} // namespace Vesk::TestSupport
