#include "framework/sound/WavStreamDecoder.h"

#include "framework/resources/PakInterface.h"
#include "framework/sound/PcmSound.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Vesk
{

namespace
{

uint32_t ReadU32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

uint16_t ReadU16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

} // namespace

std::unique_ptr<WavStreamDecoder> WavStreamDecoder::Open(const std::string& fileName)
{
    PFILE* file = p_fopen(fileName.c_str(), "rb");
    if (file == nullptr)
        return nullptr;
    std::unique_ptr<WavStreamDecoder> decoder(new WavStreamDecoder(file));

    if (p_fseek(file, 0, SEEK_END) != 0)
        return nullptr;
    const long fileSize = p_ftell(file);
    uint8_t header[12];
    if (fileSize < 12 || p_fseek(file, 0, SEEK_SET) != 0 || p_fread(header, 1, 12, file) != 12 ||
        std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return nullptr;

    PcmSound format;
    long offset = 12;
    while (fileSize - offset >= 8)
    {
        uint8_t chunk[8];
        if (p_fseek(file, offset, SEEK_SET) != 0 || p_fread(chunk, 1, 8, file) != 8)
            return nullptr;
        const long chunkSize = static_cast<long>(ReadU32(chunk + 4));
        const long body = offset + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0)
        {
            uint8_t fields[16];
            if (chunkSize < 16 || p_fread(fields, 1, 16, file) != 16 || ReadU16(fields) != 1)
                return nullptr;
            format.channels = ReadU16(fields + 2);
            format.sampleRate = static_cast<int>(std::min<uint32_t>(ReadU32(fields + 4), 0x7fffffff));
            format.bitsPerSample = ReadU16(fields + 14);
        }
        else if (std::memcmp(chunk, "data", 4) == 0)
        {
            if (!format.HasPlayableFormat())
                return nullptr;
            const long dataSize = std::min(chunkSize, fileSize - body);
            decoder->channels = format.channels;
            decoder->sampleRate = format.sampleRate;
            decoder->bitsPerSample = format.bitsPerSample;
            decoder->dataStart = body;
            decoder->totalFrames = dataSize / format.BlockAlign();
            if (decoder->totalFrames == 0)
                return nullptr;
            return decoder;
        }
        offset = body + chunkSize;
        if ((chunkSize & 1) != 0 && offset < fileSize)
        {
            uint8_t pad = 1;
            if (p_fseek(file, offset, SEEK_SET) == 0 && p_fread(&pad, 1, 1, file) == 1 && pad == 0)
                ++offset;
        }
    }
    return nullptr;
}

WavStreamDecoder::WavStreamDecoder(PFILE* file) : file(file) {}

WavStreamDecoder::~WavStreamDecoder()
{
    p_fclose(file);
}

int WavStreamDecoder::Read(int16_t* interleaved, int frameCount)
{
    int64_t frames = std::min<int64_t>(frameCount, totalFrames - nextFrame);
    if (frames <= 0)
        return 0;
    const size_t sampleCount = static_cast<size_t>(frames) * static_cast<size_t>(channels);
    if (p_fseek(file, dataStart + static_cast<long>(nextFrame * channels * bitsPerSample / 8), SEEK_SET) != 0)
        return 0;
    size_t got;
    if (bitsPerSample == 16)
    {
        // Read into the output, then put the bytes in order on any host.
        got = p_fread(interleaved, sizeof(int16_t), sampleCount, file);
        auto* bytes = reinterpret_cast<uint8_t*>(interleaved);
        for (size_t i = 0; i < got; ++i)
            interleaved[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    else
    {
        // Read into the back half of the output and widen forwards.
        auto* bytes = reinterpret_cast<uint8_t*>(interleaved) + sampleCount;
        got = p_fread(bytes, 1, sampleCount, file);
        for (size_t i = 0; i < got; ++i)
            interleaved[i] = static_cast<int16_t>((bytes[i] - 128) * 256);
    }
    const int framesRead = static_cast<int>(got / static_cast<size_t>(channels));
    nextFrame += framesRead;
    return framesRead;
}

bool WavStreamDecoder::SeekFrame(int64_t frame)
{
    if (frame < 0 || frame > totalFrames)
        return false;
    nextFrame = frame;
    return true;
}

} // namespace Vesk
