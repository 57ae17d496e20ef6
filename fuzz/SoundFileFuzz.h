#pragma once

// What the sound-file fuzz targets share: the bytes are written to a scratch file and read the
// way the game reads it, once as a sound effect decoded whole and once as a song streamed a block
// at a time, looped back to its start and sought. Any fault aborts, so libFuzzer keeps the input.
#include "ScratchFile.h"
#include "framework/sound/MixerSample.h"
#include "framework/sound/PcmSound.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace Vesk::Fuzz
{

template <class Decoder>
void FuzzSoundFile(const ScratchFile& file, const uint8_t* data, size_t size,
                   bool (*decodeWhole)(const std::string&, PcmSound&))
{
    file.Write(data, size);

    PcmSound sound;
    if (decodeWhole(file.Path(), sound))
    {
        if (!sound.HasPlayableFormat() || sound.FrameCount() == 0 || MixerSample::FromPcm(sound) == nullptr)
            std::abort();
    }

    std::unique_ptr<Decoder> song = Decoder::Open(file.Path());
    if (song == nullptr)
        return;
    if (song->Channels() < 1 || song->Channels() > 2 || song->SampleRate() <= 0)
        std::abort();
    constexpr int kBlockFrames = 2048;
    std::vector<int16_t> block(size_t(kBlockFrames) * 2);
    for (int i = 0; i < 8; ++i)
    {
        const int got = song->Read(block.data(), kBlockFrames);
        if (got < 0 || got > kBlockFrames)
            std::abort();
        if (got == 0)
            break;
    }
    if (song->SeekFrame(0))
        (void)song->Read(block.data(), kBlockFrames);
    const int64_t total = song->TotalFrames();
    if (total > 0 && song->SeekFrame(total / 2))
        (void)song->Read(block.data(), kBlockFrames);
}

} // namespace Vesk::Fuzz
