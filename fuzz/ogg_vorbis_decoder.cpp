// Any bytes as an Ogg Vorbis file, read through the file layer by the integer decoder the way
// the game reads it. Never a crash, a hang or a read past the file.
#include "SoundFileFuzz.h"
#include "framework/sound/OggVorbisDecoder.h"
#include "framework/sound/SoundFileLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Vesk::Fuzz::ScratchFile file("sound.ogg");
    Vesk::Fuzz::FuzzSoundFile<Vesk::OggVorbisDecoder>(file, data, size, Vesk::SoundFileLoader::DecodeOgg);
    return 0;
}
