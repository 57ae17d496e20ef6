#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk
{

class AudioBuffer;

// Encodes sound as Ogg Vorbis with libvorbisenc (variable bit rate at `quality`, -0.1 .. 1).
// The stream's serial number is given, so the same sound always gives the same bytes. Kept in
// a library of its own (synth_ogg): libvorbisenc must not share a process with the game's
// Vorbis decoder, whose functions carry the same names.
class OggWriter
{
public:
    [[nodiscard]] static bool Encode(const AudioBuffer& buffer, double quality, uint32_t serial,
                                     const std::string& title, std::vector<uint8_t>& bytes, std::string& error);
};

} // namespace Vesk
