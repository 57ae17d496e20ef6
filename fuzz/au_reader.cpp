// Feeds arbitrary bytes to the AU reader: it must either refuse them or produce a sound the
// mixer can play, never reading past the bytes.
#include "framework/sound/AuReader.h"
#include "framework/sound/MixerSample.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Vesk::PcmSound sound;
    if (!Vesk::AuReader::Parse(data, size, sound))
        return 0;
    if (!sound.HasPlayableFormat() || sound.FrameCount() == 0 || sound.data.size() > 2 * size)
        std::abort();
    if (Vesk::MixerSample::FromPcm(sound) == nullptr)
        std::abort();
    return 0;
}
