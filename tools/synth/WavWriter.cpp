#include "synth/WavWriter.h"

#include "synth/AudioBuffer.h"

#include <algorithm>
#include <cmath>

namespace Vesk
{

namespace
{

// Writes little-endian fields into a buffer sized beforehand.
struct ByteWriter
{
    std::vector<uint8_t>& bytes;
    size_t at = 0;

    void Put16(uint32_t value)
    {
        bytes[at++] = static_cast<uint8_t>(value);
        bytes[at++] = static_cast<uint8_t>(value >> 8);
    }
    void Put32(uint32_t value)
    {
        Put16(value & 0xFFFF);
        Put16(value >> 16);
    }
    void PutTag(const char* tag)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at++] = static_cast<uint8_t>(tag[i]);
    }
};

} // namespace

std::vector<uint8_t> WavWriter::Encode(const AudioBuffer& buffer)
{
    const uint32_t channels = static_cast<uint32_t>(buffer.Channels());
    const uint32_t blockAlign = channels * 2;
    const uint32_t dataSize = static_cast<uint32_t>(buffer.Frames()) * blockAlign;
    std::vector<uint8_t> bytes(44 + static_cast<size_t>(dataSize));
    ByteWriter writer{bytes};
    writer.PutTag("RIFF");
    writer.Put32(dataSize + 36);
    writer.PutTag("WAVE");
    writer.PutTag("fmt ");
    writer.Put32(16);
    writer.Put16(1); // PCM
    writer.Put16(channels);
    writer.Put32(AudioBuffer::kRate);
    writer.Put32(AudioBuffer::kRate * blockAlign);
    writer.Put16(blockAlign);
    writer.Put16(16);
    writer.PutTag("data");
    writer.Put32(dataSize);
    for (size_t i = 0; i < buffer.Frames(); ++i)
    {
        for (uint32_t c = 0; c < channels; ++c)
        {
            const float sample = std::clamp(buffer.Channel(static_cast<int>(c))[i], -1.0f, 1.0f);
            const auto value = static_cast<int16_t>(std::lround(sample * 32767.0f));
            writer.Put16(static_cast<uint16_t>(value));
        }
    }
    return bytes;
}

} // namespace Vesk
