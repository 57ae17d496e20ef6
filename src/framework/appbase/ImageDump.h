#pragma once

#include "framework/resources/ImageData.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{

class MemoryImage;

// The image dump (Shift+F11): every live image written into one folder as "img%04d.png"
// (straight alpha kept) with a JPEG thumbnail "thumb%04d.jpg" (at most 128 pixels on a side,
// over white), and an index "imagelist.html" that shows each thumbnail linked to its picture
// with the image's name, size, memory, pixel format and flags, and the total of all images.
// Files of an earlier dump are replaced; a file that cannot be written fails the dump.
//
//     ImageDump dump(folder);
//     for (MemoryImage* image : images) dump.Add(*image);
//     dump.Finish();
class ImageDump
{
public:
    static constexpr int kThumbnailSide = 128;

    // What the index says about one image.
    struct Entry
    {
        std::string name;
        int width = 0;
        int height = 0;
        size_t memory = 0;
        std::string format;
        std::vector<std::string> flags;
        std::string pictureFile;
        std::string thumbnailFile;
    };

    // Creates the folder and removes the numbered files of an earlier dump.
    explicit ImageDump(const std::filesystem::path& folder);

    // Writes one image's picture and thumbnail and notes its entry. The image's form (its
    // palette, a purged memory copy) is left as it was. False when a file could not be written.
    bool Add(MemoryImage& image);
    // Writes the index; false when it or anything before it failed.
    bool Finish();

    const std::vector<Entry>& GetEntries() const { return entries; }
    size_t GetTotalMemory() const { return totalMemory; }

    // The image's pixels (straight 0xAARRGGBB) without changing how it keeps them.
    static ImageData ReadPixels(MemoryImage& image);
    // The picture shrunk by area averaging to fit side x side (never enlarged), over white.
    static ImageData Thumbnail(const ImageData& picture, int side);
    static std::string IndexHtml(const std::vector<Entry>& entries, size_t totalMemory);

private:
    std::filesystem::path folder;
    std::vector<Entry> entries;
    size_t totalMemory = 0;
    // Pictures are numbered from 0 in the order written; images without pixels get none.
    int pictureCount = 0;
    bool failed = false;
};

} // namespace Vesk
