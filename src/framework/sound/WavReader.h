#pragma once

#include "framework/sound/PcmSound.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Vesk
{

// What a WAV file holds: the sound, and for a decoded-sound cache file the source it was made
// from ("dep " chunk) and the key its data was XOR-ed with ("xor " chunk).
struct WavFile
{
    PcmSound sound;
    bool hasDependency = false;
    std::string dependencyName;
    uint64_t dependencyTime = 0; // FILETIME: 100 ns steps since 1601-01-01
    uint8_t key = 0;
};

// Reads RIFF WAVE files with uncompressed PCM (8 or 16 bits, mono or stereo), including the
// game's own cache files. Parsing only: the bytes come from the caller, and nothing is read
// past them.
class WavReader
{
public:
    // False for anything but "RIFF"/"WAVE" with a PCM format the mixer can play and a whole,
    // non-empty "data" chunk. Chunks are read until the data; unknown ones are skipped.
    [[nodiscard]] static bool Parse(const uint8_t* bytes, size_t size, WavFile& file);
};

} // namespace Vesk
