// Debugging aids: screenshots and a dump of every image in memory.
#include "framework/appbase/ImageDump.h"
#include "framework/appbase/PngWriter.h"
#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageSet.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace Vesk
{

std::string VeskAppBase::TakeScreenshot()
{
    if (!screenImage || screenImage->GetBits() == nullptr)
        return std::string();
    std::filesystem::path folder = std::filesystem::path(dataFolder) / "_screenshots";
    if (!Platform::CreateFolders(folder))
        return std::string();
    int highest = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    {
        std::string name = entry.path().filename().string();
        int number = 0;
        char tail[8] = "";
        if (std::sscanf(name.c_str(), "image%d.%4s", &number, tail) == 2 && std::string(tail) == "png")
            highest = std::max(highest, number);
    }
    std::filesystem::path file = folder / ("image" + std::to_string(highest + 1) + ".png");
    if (!PngWriter::Write(file, screenImage->GetBits(), screenImage->GetWidth(), screenImage->GetHeight(), false))
        return std::string();
    return file.string();
}

bool VeskAppBase::DumpImages()
{
    if (!imageSet)
        return false;
    ImageDump dump(std::filesystem::path(dataFolder) / "_dump");
    // The set's lock is held throughout, so that no image leaves while it is written.
    std::lock_guard guard(imageSet->Lock());
    std::vector<MemoryImage*> images;
    imageSet->ForEach([&](MemoryImage& image) { images.push_back(&image); });
    // A stable order: by name, then by size.
    std::stable_sort(images.begin(), images.end(),
                     [](const MemoryImage* a, const MemoryImage* b)
                     {
                         if (a->filePath != b->filePath)
                             return a->filePath < b->filePath;
                         return int64_t(a->GetWidth()) * a->GetHeight() > int64_t(b->GetWidth()) * b->GetHeight();
                     });
    bool written = true;
    for (MemoryImage* image : images)
        written = dump.Add(*image) && written;
    return dump.Finish() && written;
}

} // namespace Vesk
