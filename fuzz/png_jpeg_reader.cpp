// Any bytes given to the PNG and JPEG readers (libpng and libjpeg behind our stream and error
// handlers): a picture or null, never a crash, an exit or a read past the data.
#include "framework/resources/ImageLib.h"
#include "framework/resources/MemoryImageStream.h"

#include <cstdlib>

namespace
{

void Check(const std::unique_ptr<Vesk::ImageData>& image)
{
    if (image && image->pixels.size() != size_t(image->width) * size_t(image->height))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Vesk::MemoryImageStream png(data, size);
    Check(Vesk::ImageLib::ReadPNG(png));
    Vesk::MemoryImageStream jpeg(data, size);
    Check(Vesk::ImageLib::ReadJPEG(jpeg));
    return 0;
}
