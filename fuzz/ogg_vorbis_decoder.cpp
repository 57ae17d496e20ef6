// Any bytes as an Ogg Vorbis file, read through the file layer by the integer decoder the way
// the game reads it: a sound effect decoded whole, and a song streamed a block at a time,
// looped back to its start and sought. Never a crash, a hang or a read past the file.
#include "ScratchFile.h"
#include "framework/sound/MixerSample.h"
#include "framework/sound/OggVorbisDecoder.h"
#include "framework/sound/PcmSound.h"
#include "framework/sound/SoundFileLoader.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Vesk::Fuzz::ScratchFile file("sound.ogg");
    file.Write(data, size);

    Vesk::PcmSound sound;
    if (Vesk::SoundFileLoader::DecodeOgg(file.Path(), sound))
    {
        if (!sound.HasPlayableFormat() || sound.FrameCount() == 0 || Vesk::MixerSample::FromPcm(sound) == nullptr)
            std::abort();
    }

    std::unique_ptr<Vesk::OggVorbisDecoder> song = Vesk::OggVorbisDecoder::Open(file.Path());
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
    if (song->SeekFrame(0))
        (void)song->Read(block.data(), kBlockFrames);
    if (song->TotalFrames() > 0 && song->SeekFrame(song->TotalFrames() / 2))
        (void)song->Read(block.data(), kBlockFrames);
    return 0;
}
