#pragma once

#include <cstdint>
#include <vector>

namespace Vesk
{

class AudioBuffer;

// Writes sound as a plain RIFF WAVE file: PCM, 16 bits, 44100 Hz, the buffer's channels.
// Samples beyond full scale are clipped.
class WavWriter
{
public:
    static std::vector<uint8_t> Encode(const AudioBuffer& buffer);
};

} // namespace Vesk
