// Any bytes as module music (MOD, S3M, XM, IT ...), given to libopenmpt behind our decoder as
// the game gives it a file it has read: rendered a block at a time, moved to another order,
// set to repeat and amplified. Never a crash or a read past the bytes.
#include "framework/sound/ModuleDecoder.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<Vesk::ModuleDecoder> song =
        Vesk::ModuleDecoder::FromMemory(std::vector<uint8_t>(data, data + size));
    if (song == nullptr)
        return 0;
    if (song->Channels() != 2 || song->SampleRate() <= 0)
        std::abort();
    constexpr int kBlockFrames = 1024;
    std::vector<int16_t> block(size_t(kBlockFrames) * 2);
    auto render = [&](int blocks)
    {
        for (int i = 0; i < blocks; ++i)
        {
            const int got = song->Read(block.data(), kBlockFrames);
            if (got < 0 || got > kBlockFrames)
                std::abort();
            if (got == 0)
                break;
        }
    };
    render(4);
    song->SetAmplify(100);
    if (song->SeekOrder(1))
        render(2);
    song->SetRepeat(true);
    song->SetAmplify(0);
    if (song->SeekFrame(0))
        render(2);
    return 0;
}
