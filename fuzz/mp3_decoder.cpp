// Any bytes as an MP3 file, read through the file layer by libmpg123 behind our decoder. Never a
// crash, a hang or a read past the file.
#include "SoundFileFuzz.h"
#include "framework/sound/Mp3Decoder.h"
#include "framework/sound/SoundFileLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Vesk::Fuzz::ScratchFile file("sound.mp3");
    Vesk::Fuzz::FuzzSoundFile<Vesk::Mp3Decoder>(file, data, size, Vesk::SoundFileLoader::DecodeMp3);
    return 0;
}
