#include "synth/OggWriter.h"

#include "synth/AudioBuffer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace Vesk
{

namespace
{

constexpr int kBlockFrames = 1024;

// The encoder's state, cleared in the right order however encoding ends.
struct Encoder
{
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool infoReady = false;
    bool dspReady = false;
    bool streamReady = false;

    ~Encoder()
    {
        if (streamReady)
            ogg_stream_clear(&stream);
        if (dspReady)
        {
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        if (infoReady)
            vorbis_info_clear(&info);
    }
};

void AppendPage(const ogg_page& page, std::vector<uint8_t>& bytes)
{
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
}

} // namespace

bool OggWriter::Encode(const AudioBuffer& buffer, double quality, uint32_t serial, const std::string& title,
                       std::vector<uint8_t>& bytes, std::string& error)
{
    bytes.clear();
    Encoder encoder;
    vorbis_info_init(&encoder.info);
    encoder.infoReady = true;
    vorbis_comment_init(&encoder.comment);
    const int channels = buffer.Channels();
    if (vorbis_encode_init_vbr(&encoder.info, channels, AudioBuffer::kRate, static_cast<float>(quality)) != 0)
    {
        error = "the Vorbis encoder refuses these settings";
        return false;
    }
    if (!title.empty())
        vorbis_comment_add_tag(&encoder.comment, "TITLE", title.c_str());
    if (vorbis_analysis_init(&encoder.dsp, &encoder.info) != 0 || vorbis_block_init(&encoder.dsp, &encoder.block) != 0)
    {
        error = "the Vorbis encoder cannot start";
        return false;
    }
    encoder.dspReady = true;
    ogg_stream_init(&encoder.stream, static_cast<int>(serial & 0x7FFFFFFF));
    encoder.streamReady = true;

    ogg_packet header{};
    ogg_packet commentHeader{};
    ogg_packet codeHeader{};
    vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&encoder.stream, &header);
    ogg_stream_packetin(&encoder.stream, &commentHeader);
    ogg_stream_packetin(&encoder.stream, &codeHeader);
    ogg_page page{};
    while (ogg_stream_flush(&encoder.stream, &page) != 0)
        AppendPage(page, bytes);

    const size_t frames = buffer.Frames();
    size_t done = 0;
    bool ended = false;
    while (!ended)
    {
        const size_t count = std::min<size_t>(kBlockFrames, frames - done);
        if (count == 0)
        {
            vorbis_analysis_wrote(&encoder.dsp, 0);
            ended = true;
        }
        else
        {
            float** input = vorbis_analysis_buffer(&encoder.dsp, static_cast<int>(count));
            for (int c = 0; c < channels; ++c)
            {
                const float* source = buffer.Channel(c).data() + done;
                for (size_t i = 0; i < count; ++i)
                    input[c][i] = std::clamp(source[i], -1.0f, 1.0f);
            }
            vorbis_analysis_wrote(&encoder.dsp, static_cast<int>(count));
            done += count;
        }
        while (vorbis_analysis_blockout(&encoder.dsp, &encoder.block) == 1)
        {
            vorbis_analysis(&encoder.block, nullptr);
            vorbis_bitrate_addblock(&encoder.block);
            ogg_packet packet{};
            while (vorbis_bitrate_flushpacket(&encoder.dsp, &packet) == 1)
            {
                ogg_stream_packetin(&encoder.stream, &packet);
                while (ogg_stream_pageout(&encoder.stream, &page) != 0)
                    AppendPage(page, bytes);
            }
        }
    }
    while (ogg_stream_flush(&encoder.stream, &page) != 0)
        AppendPage(page, bytes);
    return true;
}

} // namespace Vesk
