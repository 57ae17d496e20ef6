// Any bytes given to the TGA reader: a picture or null, never a crash or a read past the data.
#include "framework/resources/ImageLib.h"
#include "framework/resources/MemoryImageStream.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Vesk::MemoryImageStream stream(data, size);
    auto image = Vesk::ImageLib::ReadTGA(stream);
    if (image && size < 18 + image->pixels.size() * 4)
        std::abort(); // more pixels than the bytes could hold
    return 0;
}
