#include "framework/resources/ImageLib.h"

#include "framework/resources/FileImageStream.h"

#include <atomic>
#include <cctype>

namespace Vesk::ImageLib
{

namespace
{

using Reader = std::unique_ptr<ImageData> (*)(ImageStream&);

struct Format
{
    const char* extension;
    Reader reader;
};

// The order in which a name without extension is tried.
constexpr Format kFormats[] = {
    {".tga", ReadTGA}, {".jpg", ReadJPEG},     {".png", ReadPNG},
    {".gif", ReadGIF}, {".j2k", ReadJPEG2000}, {".jp2", ReadJPEG2000},
};

std::atomic<uint32_t> alphaImageColor{0xFFFFFF};

bool EqualsIgnoringCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

std::unique_ptr<ImageData> ReadFile(const std::string& fileName, Reader reader)
{
    FileImageStream stream(fileName);
    if (!stream.IsOpen())
        return nullptr;
    return reader(stream);
}

size_t FileNameStart(const std::string& fileName)
{
    const size_t separator = fileName.find_last_of("\\/");
    return separator == std::string::npos ? 0 : separator + 1;
}

} // namespace

std::string GetExtension(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot < FileNameStart(fileName))
        return {};
    return fileName.substr(dot);
}

std::unique_ptr<ImageData> GetImage(const std::string& fileName, bool lookForAlphaImage)
{
    const std::string extension = GetExtension(fileName);
    const std::string baseName = fileName.substr(0, fileName.size() - extension.size());

    std::unique_ptr<ImageData> image;
    for (const Format& format : kFormats)
    {
        // A given extension keeps its own spelling: on a case-sensitive disk "PHOTO.JPG" must
        // not turn into "PHOTO.jpg".
        if (extension.empty())
            image = ReadFile(baseName + format.extension, format.reader);
        else if (EqualsIgnoringCase(extension, format.extension))
            image = ReadFile(fileName, format.reader);
        if (image)
            break;
    }
    if (!lookForAlphaImage)
        return image;

    const size_t nameStart = FileNameStart(fileName);
    std::unique_ptr<ImageData> alpha =
        GetImage(fileName.substr(0, nameStart) + "_" + fileName.substr(nameStart), false);
    if (!alpha)
        alpha = GetImage(fileName + "_", false);
    if (!alpha)
        return image;

    if (image)
    {
        // An alpha picture of another size is ignored: the colour picture stays as loaded.
        if (image->width == alpha->width && image->height == alpha->height)
            for (size_t i = 0; i < image->pixels.size(); ++i)
                image->pixels[i] = (image->pixels[i] & 0x00FFFFFF) | (alpha->pixels[i] & 0xFF) << 24;
        return image;
    }
    const uint32_t color = GetAlphaImageColor() & 0x00FFFFFF;
    for (uint32_t& pixel : alpha->pixels)
        pixel = (pixel & 0xFF) << 24 | color;
    return alpha;
}

void SetAlphaImageColor(uint32_t color)
{
    alphaImageColor.store(color);
}

uint32_t GetAlphaImageColor()
{
    return alphaImageColor.load();
}

} // namespace Vesk::ImageLib
