#include "framework/sound/WavReader.h"

#include <algorithm>
#include <cstring>

namespace Vesk
{

namespace
{

uint16_t ReadU16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t ReadU32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

uint64_t ReadU64(const uint8_t* bytes)
{
    return static_cast<uint64_t>(ReadU32(bytes)) | (static_cast<uint64_t>(ReadU32(bytes + 4)) << 32);
}

bool IsChunk(const uint8_t* bytes, const char* id)
{
    return std::memcmp(bytes, id, 4) == 0;
}

constexpr size_t kMaxDependencyName = 255;

} // namespace

bool WavReader::Parse(const uint8_t* bytes, size_t size, WavFile& file)
{
    if (bytes == nullptr || size < 12 || !IsChunk(bytes, "RIFF") || !IsChunk(bytes + 8, "WAVE"))
        return false;

    WavFile result;
    size_t offset = 12;
    while (size - offset >= 8)
    {
        const uint8_t* header = bytes + offset;
        const size_t chunkSize = ReadU32(header + 4);
        const size_t body = offset + 8;
        const size_t available = size - body;
        const uint8_t* data = bytes + body;

        if (IsChunk(header, "fmt "))
        {
            if (chunkSize < 16 || available < 16)
                return false;
            if (ReadU16(data) != 1)
                return false;
            result.sound.channels = ReadU16(data + 2);
            result.sound.sampleRate = static_cast<int>(std::min<uint32_t>(ReadU32(data + 4), 0x7fffffff));
            result.sound.bitsPerSample = ReadU16(data + 14);
        }
        else if (IsChunk(header, "dep "))
        {
            if (chunkSize < 10 || available < 10)
                return false;
            size_t nameLength = ReadU16(data);
            if (2 + nameLength + 8 > std::min(chunkSize, available))
                return false;
            result.hasDependency = true;
            result.dependencyName.assign(reinterpret_cast<const char*>(data + 2),
                                         std::min(nameLength, kMaxDependencyName));
            result.dependencyTime = ReadU64(data + 2 + nameLength);
        }
        else if (IsChunk(header, "xor "))
        {
            if (chunkSize < 1 || available < 1)
                return false;
            result.key = data[0];
        }
        else if (IsChunk(header, "data"))
        {
            // The whole chunk must be there, in a format the mixer plays, with at least a frame.
            if (chunkSize > available || !result.sound.HasPlayableFormat() ||
                chunkSize < static_cast<size_t>(result.sound.BlockAlign()))
                return false;
            result.sound.data.assign(data, data + chunkSize);
            if (result.key != 0)
            {
                for (uint8_t& byte : result.sound.data)
                    byte ^= result.key;
            }
            file = std::move(result);
            return true;
        }

        if (chunkSize > available)
            break;
        offset = body + chunkSize;
        // Chunks of odd size are normally followed by a zero pad byte; the cache's own chunks
        // are not, and a chunk id never starts with a zero byte.
        if ((chunkSize & 1) != 0 && offset < size && bytes[offset] == 0)
            ++offset;
    }
    return false;
}

} // namespace Vesk
