#include "framework/appbase/ImageDump.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/FileSystem.h"
#include "framework/resources/ImageLib.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace Vesk
{

namespace
{

std::string EscapeHtml(const std::string& text)
{
    std::string escaped;
    for (char c : text)
    {
        switch (c)
        {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
            break;
        }
    }
    return escaped;
}

// Whether name is prefix + at least four digits + suffix (a numbered file of a dump).
bool IsNumbered(const std::string& name, const std::string& prefix, const std::string& suffix)
{
    if (name.size() < prefix.size() + 4 + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    for (size_t i = prefix.size(); i < name.size() - suffix.size(); ++i)
    {
        if (name[i] < '0' || name[i] > '9')
            return false;
    }
    return true;
}

std::string Numbered(const char* format, int number)
{
    char name[32];
    std::snprintf(name, sizeof(name), format, number);
    return name;
}

} // namespace

ImageDump::ImageDump(const std::filesystem::path& folder) : folder(folder)
{
    if (!Platform::CreateFolders(folder))
    {
        failed = true;
        return;
    }
    std::error_code error;
    std::vector<std::filesystem::path> doomed;
    for (const auto& item : std::filesystem::directory_iterator(folder, error))
    {
        std::string name = item.path().filename().string();
        if (IsNumbered(name, "img", ".png") || IsNumbered(name, "thumb", ".jpg"))
            doomed.push_back(item.path());
    }
    for (const auto& path : doomed)
        std::filesystem::remove(path, error);
}

ImageData ImageDump::ReadPixels(MemoryImage& image)
{
    int width = image.GetWidth();
    int height = image.GetHeight();
    if (!ImageData::SizeAllowed(width, height))
        return ImageData();
    ImageData picture(width, height);
    if (image.IsPalettized())
    {
        const std::vector<uint32_t>& palette = image.GetPalette();
        const std::vector<uint8_t>& indices = image.GetColorIndices();
        for (size_t i = 0; i < picture.pixels.size() && i < indices.size(); ++i)
            picture.pixels[i] = indices[i] < palette.size() ? palette[indices[i]] : 0;
        return picture;
    }
    // A purged image gets its memory copy back for the reading and loses it again.
    bool purged = image.purgeBits;
    if (const uint32_t* bits = image.GetBits())
        std::copy_n(bits, picture.pixels.size(), picture.pixels.begin());
    if (purged)
        image.PurgeBits();
    return picture;
}

ImageData ImageDump::Thumbnail(const ImageData& picture, int side)
{
    if (picture.width <= 0 || picture.height <= 0 || side <= 0)
        return ImageData();
    double scale = std::min({1.0, double(side) / picture.width, double(side) / picture.height});
    int width = std::max(1, int(picture.width * scale + 0.5));
    int height = std::max(1, int(picture.height * scale + 0.5));
    ImageData thumbnail(width, height);
    for (int y = 0; y < height; ++y)
    {
        int top = int(int64_t(y) * picture.height / height);
        int bottom = std::max(top + 1, int(int64_t(y + 1) * picture.height / height));
        for (int x = 0; x < width; ++x)
        {
            int left = int(int64_t(x) * picture.width / width);
            int right = std::max(left + 1, int(int64_t(x + 1) * picture.width / width));
            // Premultiplied sums, so that transparent pixels give no colour.
            uint64_t sums[3] = {0, 0, 0};
            uint64_t alphaSum = 0;
            for (int sy = top; sy < bottom; ++sy)
            {
                for (int sx = left; sx < right; ++sx)
                {
                    uint32_t pixel = picture.At(sx, sy);
                    uint32_t alpha = pixel >> 24;
                    alphaSum += alpha;
                    for (int channel = 0; channel < 3; ++channel)
                        sums[channel] += uint64_t((pixel >> (channel * 8)) & 0xFF) * alpha;
                }
            }
            uint64_t count = uint64_t(right - left) * uint64_t(bottom - top);
            uint32_t out = 0xFF000000u;
            for (int channel = 0; channel < 3; ++channel)
            {
                // colour over white: premultiplied colour + (1 - alpha) x 255.
                uint64_t value = (sums[channel] + (count * 255 - alphaSum) * 255 + count * 255 / 2) / (count * 255);
                out |= uint32_t(std::min<uint64_t>(value, 255)) << (channel * 8);
            }
            thumbnail.At(x, y) = out;
        }
    }
    return thumbnail;
}

bool ImageDump::Add(MemoryImage& image)
{
    if (failed)
        return false;
    Entry entry;
    entry.name = image.filePath;
    entry.width = image.GetWidth();
    entry.height = image.GetHeight();
    size_t pixels = size_t(std::max(entry.width, 0)) * size_t(std::max(entry.height, 0));
    if (image.IsPalettized())
    {
        entry.format = "Palette8";
        entry.memory = pixels + image.GetPalette().size() * 4;
    }
    else
    {
        entry.format = "A8R8G8B8";
        entry.memory = pixels * 4;
    }
    auto* display = dynamic_cast<DDImage*>(&image);
    if (image.isVolatile)
        entry.flags.push_back("Volatile");
    if (image.IsForcedMode())
        entry.flags.push_back("Forced");
    if (image.HasAlpha())
        entry.flags.push_back("HasAlpha");
    if (image.HasTransparency())
        entry.flags.push_back("HasTrans");
    if (image.IsPalettized())
        entry.flags.push_back("Palletized");
    if (display != nullptr && display->HasSurface())
        entry.flags.push_back("DDSurface");

    if (pixels > 0)
    {
        ImageData picture = ReadPixels(image);
        if (picture.pixels.empty())
        {
            failed = true;
            return false;
        }
        entry.pictureFile = Numbered("img%04d.png", pictureCount);
        entry.thumbnailFile = Numbered("thumb%04d.jpg", pictureCount);
        ++pictureCount;
        if (!ImageLib::WritePNG((folder / entry.pictureFile).string(), picture) ||
            !ImageLib::WriteJPEG((folder / entry.thumbnailFile).string(), Thumbnail(picture, kThumbnailSide)))
        {
            failed = true;
            return false;
        }
    }
    totalMemory += entry.memory;
    entries.push_back(std::move(entry));
    return true;
}

std::string ImageDump::IndexHtml(const std::vector<Entry>& entries, size_t totalMemory)
{
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"iso-8859-1\"><title>Images</title></head>"
                       "<body>\n<table border=\"1\" cellpadding=\"4\">\n"
                       "<tr><th>Picture</th><th>Image</th><th>Size</th><th>Memory</th><th>Format</th>"
                       "<th>Flags</th></tr>\n";
    for (const Entry& entry : entries)
    {
        html += "<tr><td>";
        if (!entry.pictureFile.empty())
            html += "<a href=\"" + entry.pictureFile + "\"><img src=\"" + entry.thumbnailFile + "\"></a><br>" +
                    entry.pictureFile;
        html += "</td><td>" + (entry.name.empty() ? std::string("(unnamed)") : EscapeHtml(entry.name));
        char size[48];
        std::snprintf(size, sizeof(size), "%d x %d", entry.width, entry.height);
        html += "</td><td>" + std::string(size) + "</td><td>" + std::to_string(entry.memory) + " bytes</td><td>" +
                entry.format + "</td><td>";
        for (size_t i = 0; i < entry.flags.size(); ++i)
            html += (i > 0 ? " " : "") + entry.flags[i];
        html += "</td></tr>\n";
    }
    html += "</table>\n<p>Images: " + std::to_string(entries.size()) +
            "</p>\n<p>Total Image Allocation: " + std::to_string(totalMemory) + " bytes</p>\n</body></html>\n";
    return html;
}

bool ImageDump::Finish()
{
    if (failed)
        return false;
    std::string html = IndexHtml(entries, totalMemory);
    return Platform::WriteFileAtomically(folder / "imagelist.html", reinterpret_cast<const uint8_t*>(html.data()),
                                         html.size());
}

} // namespace Vesk
