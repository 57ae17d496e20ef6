// Feeds arbitrary bytes to the WAV reader: it must either refuse them or produce a sound the
// mixer can play, never reading past the bytes.
#include "framework/sound/MixerSample.h"
#include "framework/sound/WavReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Vesk::WavFile file;
    if (!Vesk::WavReader::Parse(data, size, file))
        return 0;
    if (!file.sound.HasPlayableFormat() || file.sound.FrameCount() == 0 || file.sound.data.size() > size)
        std::abort();
    std::shared_ptr<const Vesk::MixerSample> sample = Vesk::MixerSample::FromPcm(file.sound);
    if (sample == nullptr || sample->FrameCount() != file.sound.FrameCount())
        std::abort();
    return 0;
}
