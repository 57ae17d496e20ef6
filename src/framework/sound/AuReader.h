#pragma once

#include "framework/sound/PcmSound.h"

#include <cstddef>
#include <cstdint>

namespace Vesk
{

// Reads Sun/NeXT ".snd" (AU) sounds: 8-bit mu-law, expanded to 16-bit samples, and 8-bit
// linear, kept as 8-bit. Parsing only, from bytes the caller supplies.
class AuReader
{
public:
    // False for another magic, an encoding other than 1 (mu-law) or 2 (8-bit linear), a data
    // range outside the bytes, no samples, or a channel count or rate the mixer cannot play.
    [[nodiscard]] static bool Parse(const uint8_t* bytes, size_t size, PcmSound& sound);

    // G.711 mu-law to a 16-bit linear sample.
    static int16_t ExpandMuLaw(uint8_t value);
};

} // namespace Vesk
