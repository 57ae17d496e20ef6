#include "framework/sound/AuReader.h"

#include <cstring>

namespace Vesk
{

namespace
{

uint32_t ReadU32BigEndian(const uint8_t* bytes)
{
    return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
           (static_cast<uint32_t>(bytes[2]) << 8) | static_cast<uint32_t>(bytes[3]);
}

constexpr size_t kHeaderSize = 24;
constexpr uint32_t kUnknownSize = 0xffffffff;
constexpr uint32_t kEncodingMuLaw = 1;
constexpr uint32_t kEncodingLinear8 = 2;

} // namespace

int16_t AuReader::ExpandMuLaw(uint8_t value)
{
    value = static_cast<uint8_t>(~value);
    int exponent = (value >> 4) & 0x07;
    int mantissa = value & 0x0f;
    int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return static_cast<int16_t>((value & 0x80) != 0 ? -magnitude : magnitude);
}

bool AuReader::Parse(const uint8_t* bytes, size_t size, PcmSound& sound)
{
    if (bytes == nullptr || size < kHeaderSize || std::memcmp(bytes, ".snd", 4) != 0)
        return false;
    const size_t dataOffset = ReadU32BigEndian(bytes + 4);
    const uint32_t dataSize = ReadU32BigEndian(bytes + 8);
    const uint32_t encoding = ReadU32BigEndian(bytes + 12);
    const uint32_t rate = ReadU32BigEndian(bytes + 16);
    const uint32_t channels = ReadU32BigEndian(bytes + 20);
    if (dataOffset < kHeaderSize || dataOffset > size)
        return false;
    size_t length = size - dataOffset;
    if (dataSize != kUnknownSize)
    {
        if (dataSize > length)
            return false;
        length = dataSize;
    }

    PcmSound result;
    result.channels = channels <= 2 ? static_cast<int>(channels) : 0;
    result.sampleRate = rate <= static_cast<uint32_t>(PcmSound::kMaxSampleRate) ? static_cast<int>(rate) : 0;
    const uint8_t* samples = bytes + dataOffset;
    if (encoding == kEncodingMuLaw)
    {
        result.bitsPerSample = 16;
        result.data.resize(length * 2);
        for (size_t i = 0; i < length; ++i)
        {
            auto linear = static_cast<uint16_t>(ExpandMuLaw(samples[i]));
            result.data[2 * i] = static_cast<uint8_t>(linear & 0xff);
            result.data[2 * i + 1] = static_cast<uint8_t>(linear >> 8);
        }
    }
    else if (encoding == kEncodingLinear8)
    {
        // AU stores signed bytes; the mixer's 8-bit samples are unsigned around 128.
        result.bitsPerSample = 8;
        result.data.resize(length);
        for (size_t i = 0; i < length; ++i)
            result.data[i] = static_cast<uint8_t>(samples[i] ^ 0x80);
    }
    else
    {
        return false;
    }
    if (!result.HasPlayableFormat() || result.FrameCount() == 0)
        return false;
    sound = std::move(result);
    return true;
}

} // namespace Vesk
