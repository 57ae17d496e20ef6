#include "support/TestSounds.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <ogg/ogg.h>
#include <stdexcept>
#include <string>

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

// The Vorbis encoder, looked up in libvorbis and libvorbisenc at run time. The program carries
// the decoder Tremor, whose functions have the same names as libvorbis'; calls made through
// these pointers are sure to reach libvorbis.
struct VorbisEncoder
{
    decltype(&vorbis_info_init) infoInit;
    decltype(&vorbis_info_clear) infoClear;
    decltype(&vorbis_comment_init) commentInit;
    decltype(&vorbis_comment_clear) commentClear;
    decltype(&vorbis_analysis_init) analysisInit;
    decltype(&vorbis_block_init) blockInit;
    decltype(&vorbis_block_clear) blockClear;
    decltype(&vorbis_dsp_clear) dspClear;
    decltype(&vorbis_analysis_headerout) headerOut;
    decltype(&vorbis_analysis_buffer) analysisBuffer;
    decltype(&vorbis_analysis_wrote) analysisWrote;
    decltype(&vorbis_analysis_blockout) blockOut;
    decltype(&vorbis_analysis) analysis;
    decltype(&vorbis_bitrate_addblock) bitrateAddBlock;
    decltype(&vorbis_bitrate_flushpacket) bitrateFlushPacket;
    decltype(&vorbis_encode_init_vbr) encodeInitVbr;

    static const VorbisEncoder& Get()
    {
        static const VorbisEncoder encoder = Load();
        return encoder;
    }

private:
    template <typename Function> static void Find(void* library, const char* name, Function& function)
    {
        function = reinterpret_cast<Function>(dlsym(library, name));
        if (function == nullptr)
            throw std::runtime_error(std::string("the Vorbis encoder lacks ") + name);
    }

    static VorbisEncoder Load()
    {
        // Kept open for the rest of the run.
        void* vorbis = dlopen("libvorbis.so.0", RTLD_NOW | RTLD_LOCAL);
        void* vorbisenc = dlopen("libvorbisenc.so.2", RTLD_NOW | RTLD_LOCAL);
        if (vorbis == nullptr || vorbisenc == nullptr)
            throw std::runtime_error("libvorbis and libvorbisenc are needed to make Ogg Vorbis test files");
        VorbisEncoder encoder;
        Find(vorbis, "vorbis_info_init", encoder.infoInit);
        Find(vorbis, "vorbis_info_clear", encoder.infoClear);
        Find(vorbis, "vorbis_comment_init", encoder.commentInit);
        Find(vorbis, "vorbis_comment_clear", encoder.commentClear);
        Find(vorbis, "vorbis_analysis_init", encoder.analysisInit);
        Find(vorbis, "vorbis_block_init", encoder.blockInit);
        Find(vorbis, "vorbis_block_clear", encoder.blockClear);
        Find(vorbis, "vorbis_dsp_clear", encoder.dspClear);
        Find(vorbis, "vorbis_analysis_headerout", encoder.headerOut);
        Find(vorbis, "vorbis_analysis_buffer", encoder.analysisBuffer);
        Find(vorbis, "vorbis_analysis_wrote", encoder.analysisWrote);
        Find(vorbis, "vorbis_analysis_blockout", encoder.blockOut);
        Find(vorbis, "vorbis_analysis", encoder.analysis);
        Find(vorbis, "vorbis_bitrate_addblock", encoder.bitrateAddBlock);
        Find(vorbis, "vorbis_bitrate_flushpacket", encoder.bitrateFlushPacket);
        Find(vorbisenc, "vorbis_encode_init_vbr", encoder.encodeInitVbr);
        return encoder;
    }
};

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
    const VorbisEncoder& vorbis = VorbisEncoder::Get();
    vorbis_info info;
    vorbis.infoInit(&info);
    if (vorbis.encodeInitVbr(&info, channels, sampleRate, 0.3f) != 0)
    {
        vorbis.infoClear(&info);
        throw std::runtime_error("the Vorbis encoder refused the format");
    }
    vorbis_comment comment;
    vorbis.commentInit(&comment);
    vorbis_dsp_state dsp;
    vorbis.analysisInit(&dsp, &info);
    vorbis_block block;
    vorbis.blockInit(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x4f726c6f);

    std::vector<uint8_t> bytes;
    ogg_packet header;
    ogg_packet commentHeader;
    ogg_packet codeHeader;
    vorbis.headerOut(&dsp, &comment, &header, &commentHeader, &codeHeader);
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
            float** buffer = vorbis.analysisBuffer(&dsp, static_cast<int>(chunk));
            for (long i = 0; i < chunk; ++i)
            {
                auto value =
                    static_cast<float>(amplitude * std::sin(2.0 * kPi * frequency * (written + i) / sampleRate));
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = value;
            }
            vorbis.analysisWrote(&dsp, static_cast<int>(chunk));
            written += chunk;
        }
        else
        {
            vorbis.analysisWrote(&dsp, 0);
        }
        while (vorbis.blockOut(&dsp, &block) == 1)
        {
            vorbis.analysis(&block, nullptr);
            vorbis.bitrateAddBlock(&block);
            ogg_packet packet;
            while (vorbis.bitrateFlushPacket(&dsp, &packet) != 0)
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
    vorbis.blockClear(&block);
    vorbis.dspClear(&dsp);
    vorbis.commentClear(&comment);
    vorbis.infoClear(&info);
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
