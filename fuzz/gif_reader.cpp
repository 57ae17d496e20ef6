// Any bytes given to the GIF reader: a picture or null, never a crash or a read past the data.
#include "framework/resources/ImageLib.h"
#include "framework/resources/MemoryImageStream.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Vesk::MemoryImageStream stream(data, size);
    auto image = Vesk::ImageLib::ReadGIF(stream);
    if (image && image->pixels.size() != size_t(image->width) * size_t(image->height))
        std::abort();
    return 0;
}
