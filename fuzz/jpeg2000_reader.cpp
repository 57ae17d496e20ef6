// Any bytes given to the JPEG 2000 reader (OpenJPEG behind our stream callbacks), as a code
// stream or a JP2 file: a picture or null, never a crash or a read past the data.
#include "framework/resources/ImageLib.h"
#include "framework/resources/MemoryImageStream.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Vesk::MemoryImageStream stream(data, size);
    auto image = Vesk::ImageLib::ReadJPEG2000(stream);
    if (image == nullptr)
        return 0;
    if (image->width <= 0 || image->height <= 0 || image->pixels.size() != size_t(image->width) * size_t(image->height))
        std::abort();
    for (uint32_t pixel : image->pixels)
    {
        if (pixel >> 24 != 0xFF)
            std::abort(); // JPEG 2000 pictures are opaque
    }
    return 0;
}
