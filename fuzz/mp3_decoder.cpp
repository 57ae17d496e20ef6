// Any bytes as an MP3 file, read through the file layer by libmpg123 behind our decoder: a
// sound effect decoded whole, and a song streamed a block at a time and sought. Never a crash,
// a hang or a read past the file.
#include "ScratchFile.h"
#include "framework/sound/MixerSample.h"
#include "framework/sound/Mp3Decoder.h"
#include "framework/sound/PcmSound.h"
#include "framework/sound/SoundFileLoader.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Vesk::Fuzz::ScratchFile file("sound.mp3");
    file.Write(data, size);

    Vesk::PcmSound sound;
    if (Vesk::SoundFileLoader::DecodeMp3(file.Path(), sound))
    {
        if (!sound.HasPlayableFormat() || sound.FrameCount() == 0 || Vesk::MixerSample::FromPcm(sound) == nullptr)
            std::abort();
    }

    std::unique_ptr<Vesk::Mp3Decoder> song = Vesk::Mp3Decoder::Open(file.Path());
    if (song == nullptr)
        return 0;
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
    const int64_t total = song->TotalFrames();
    if (song->SeekFrame(0))
        (void)song->Read(block.data(), kBlockFrames);
    if (total > 0 && song->SeekFrame(total / 2))
        (void)song->Read(block.data(), kBlockFrames);
    return 0;
}
