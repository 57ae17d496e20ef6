#include "framework/sound/OggVorbisDecoder.h"

#include "framework/resources/PakInterface.h"

#include <tremor/ivorbisfile.h>

#include <climits>
#include <cstring>

namespace Vesk
{

namespace
{

size_t ReadCallback(void* buffer, size_t size, size_t count, void* source)
{
    return p_fread(buffer, size, count, static_cast<PFILE*>(source));
}

int SeekCallback(void* source, ogg_int64_t offset, int origin)
{
    if (offset < LONG_MIN || offset > LONG_MAX)
        return -1;
    return p_fseek(static_cast<PFILE*>(source), static_cast<long>(offset), origin);
}

int CloseCallback(void* source)
{
    return p_fclose(static_cast<PFILE*>(source));
}

long TellCallback(void* source)
{
    return p_ftell(static_cast<PFILE*>(source));
}

// A damaged stream may report holes; give up after this many in a row.
constexpr int kMaxHolesInARow = 64;

} // namespace

struct OggVorbisDecoder::Stream
{
    OggVorbis_File file;
    bool open = false;

    Stream() { std::memset(&file, 0, sizeof(file)); }
    ~Stream()
    {
        if (open)
            ov_clear(&file); // also closes the file through CloseCallback
    }
};

std::unique_ptr<OggVorbisDecoder> OggVorbisDecoder::Open(const std::string& fileName)
{
    PFILE* source = p_fopen(fileName.c_str(), "rb");
    if (source == nullptr)
        return nullptr;
    auto stream = std::make_unique<Stream>();
    ov_callbacks callbacks = {&ReadCallback, &SeekCallback, &CloseCallback, &TellCallback};
    if (ov_open_callbacks(source, &stream->file, nullptr, 0, callbacks) != 0)
    {
        p_fclose(source); // a failed open leaves the source to us
        return nullptr;
    }
    stream->open = true;
    vorbis_info* info = ov_info(&stream->file, -1);
    if (info == nullptr || info->channels < 1 || info->channels > 2 || info->rate <= 0)
        return nullptr;
    std::unique_ptr<OggVorbisDecoder> decoder(new OggVorbisDecoder(std::move(stream)));
    decoder->channels = info->channels;
    decoder->sampleRate = static_cast<int>(info->rate);
    ogg_int64_t total = ov_pcm_total(&decoder->stream->file, -1);
    decoder->totalFrames = total >= 0 ? total : -1;
    return decoder;
}

OggVorbisDecoder::OggVorbisDecoder(std::unique_ptr<Stream> stream) : stream(std::move(stream)) {}

OggVorbisDecoder::~OggVorbisDecoder() = default;

int OggVorbisDecoder::Read(int16_t* interleaved, int frameCount)
{
    const int frameBytes = channels * static_cast<int>(sizeof(int16_t));
    char* target = reinterpret_cast<char*>(interleaved);
    int wanted = frameCount * frameBytes;
    int filled = 0;
    int holes = 0;
    while (filled < wanted)
    {
        int bitstream = 0;
        long got = ov_read(&stream->file, target + filled, wanted - filled, &bitstream);
        if (got == OV_HOLE && ++holes < kMaxHolesInARow)
            continue;
        if (got <= 0)
            break;
        holes = 0;
        // A chained stream whose next link changes the layout ends here.
        vorbis_info* info = ov_info(&stream->file, -1);
        if (info == nullptr || info->channels != channels)
            break;
        filled += static_cast<int>(got);
    }
    return filled / frameBytes;
}

bool OggVorbisDecoder::SeekFrame(int64_t frame)
{
    return ov_pcm_seek(&stream->file, frame) == 0;
}

} // namespace Vesk
