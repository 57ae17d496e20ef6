#include "framework/sound/Mp3Decoder.h"

#include "framework/resources/PakInterface.h"

#include <mpg123.h>

#include <cstdio>
#include <limits>
#include <mutex>

namespace Vesk
{

namespace
{

ssize_t ReadCallback(void* source, void* buffer, size_t count)
{
    return static_cast<ssize_t>(p_fread(buffer, 1, count, static_cast<PFILE*>(source)));
}

off_t SeekCallback(void* source, off_t offset, int origin)
{
    auto* file = static_cast<PFILE*>(source);
    if (offset < std::numeric_limits<long>::min() || offset > std::numeric_limits<long>::max())
        return -1;
    if (p_fseek(file, static_cast<long>(offset), origin) != 0)
        return -1;
    return p_ftell(file);
}

void CleanupCallback(void* source)
{
    p_fclose(static_cast<PFILE*>(source));
}

bool InitializeLibrary()
{
    static std::once_flag once;
    static bool initialized = false;
    std::call_once(once, [] { initialized = mpg123_init() == MPG123_OK; });
    return initialized;
}

// Junk allowed before the first frame (tags are skipped on their own).
constexpr long kResyncLimit = 16384;
// Reads that yield nothing without reporting the end: a broken stream, given up on.
constexpr int kMaxEmptyReads = 16;

} // namespace

struct Mp3Decoder::Stream
{
    mpg123_handle* handle = nullptr;
    bool open = false;

    ~Stream()
    {
        if (handle == nullptr)
            return;
        if (open)
            mpg123_close(handle); // calls CleanupCallback
        mpg123_delete(handle);
    }
};

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(const std::string& fileName)
{
    if (!InitializeLibrary())
        return nullptr;
    auto stream = std::make_unique<Stream>();
    int error = MPG123_OK;
    stream->handle = mpg123_new(nullptr, &error);
    if (stream->handle == nullptr)
        return nullptr;
    mpg123_handle* handle = stream->handle;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_param(handle, MPG123_RESYNC_LIMIT, kResyncLimit, 0.0);
    // Always 16-bit signed output, whatever the rate and channel count.
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_replace_reader_handle(handle, &ReadCallback, &SeekCallback, &CleanupCallback) != MPG123_OK)
        return nullptr;

    PFILE* source = p_fopen(fileName.c_str(), "rb");
    if (source == nullptr)
        return nullptr;
    if (mpg123_open_handle(handle, source) != MPG123_OK)
    {
        p_fclose(source);
        return nullptr;
    }
    stream->open = true;

    long rate = 0;
    int channelCount = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channelCount, &encoding) != MPG123_OK || rate <= 0 ||
        (channelCount != 1 && channelCount != 2) || encoding != MPG123_ENC_SIGNED_16)
        return nullptr;
    // Lock the format: a later frame with another one ends the stream instead of changing it.
    mpg123_format_none(handle);
    mpg123_format(handle, rate, channelCount, encoding);

    std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder(std::move(stream)));
    decoder->channels = channelCount;
    decoder->sampleRate = static_cast<int>(rate);
    return decoder;
}

Mp3Decoder::Mp3Decoder(std::unique_ptr<Stream> stream) : stream(std::move(stream)) {}

Mp3Decoder::~Mp3Decoder() = default;

int64_t Mp3Decoder::TotalFrames() const
{
    off_t length = mpg123_length(stream->handle);
    return length >= 0 ? static_cast<int64_t>(length) : -1;
}

int Mp3Decoder::Read(int16_t* interleaved, int frameCount)
{
    if (finished)
        return 0;
    const size_t frameBytes = static_cast<size_t>(channels) * sizeof(int16_t);
    auto* target = reinterpret_cast<unsigned char*>(interleaved);
    size_t wanted = static_cast<size_t>(frameCount) * frameBytes;
    size_t filled = 0;
    int emptyReads = 0;
    while (filled < wanted)
    {
        size_t done = 0;
        int result = mpg123_read(stream->handle, target + filled, wanted - filled, &done);
        filled += done;
        emptyReads = done > 0 ? 0 : emptyReads + 1;
        if ((result == MPG123_OK || result == MPG123_NEW_FORMAT) && emptyReads < kMaxEmptyReads)
            continue;
        finished = true;
        break;
    }
    return static_cast<int>(filled / frameBytes);
}

bool Mp3Decoder::SeekFrame(int64_t frame)
{
    if (mpg123_seek(stream->handle, static_cast<off_t>(frame), SEEK_SET) < 0)
        return false;
    finished = false;
    return true;
}

} // namespace Vesk
