#pragma once

#include "framework/resources/ImageData.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Vesk
{

class ImageStream;

// The image library: turns image files into plain 32-bit pixel arrays (ImageData) and writes
// screenshots and thumbnails. Every read goes through the file layer, so pictures may lie in
// "main.pak" or on disk. No reader shows a message: a missing file, a bad signature, an
// unsupported variant or damaged data all give null.
namespace ImageLib
{

// Loads a picture by name. With an extension (".tga", ".jpg", ".png", ".gif", ".j2k", ".jp2",
// any letter case) that format's reader reads the name as given; without one every format is
// tried in that order on name + extension. With lookForAlphaImage a separate greyscale alpha
// picture is merged in: "_" + file name in the same folder, else name + "_" (its blue channel
// becomes the alpha when the sizes agree). An alpha picture alone becomes a picture of the
// alpha image colour.
std::unique_ptr<ImageData> GetImage(const std::string& fileName, bool lookForAlphaImage = true);

// The colour of pictures that consist of an alpha image only (default 0xFFFFFF). The resource
// manager sets it around a load and restores white afterwards. Shared by every thread.
void SetAlphaImageColor(uint32_t color);
uint32_t GetAlphaImageColor();

// Writers: the whole file or nothing (written to a temporary file and renamed into place).
// PNG: 8 bits per channel RGBA. JPEG: RGB (alpha dropped), quality 80.
[[nodiscard]] bool WritePNG(const std::string& fileName, const ImageData& image);
[[nodiscard]] bool WriteJPEG(const std::string& fileName, const ImageData& image);

// The readers of the single formats, over any stream. They read from the current position.
std::unique_ptr<ImageData> ReadTGA(ImageStream& stream);
std::unique_ptr<ImageData> ReadGIF(ImageStream& stream);
std::unique_ptr<ImageData> ReadPNG(ImageStream& stream);
std::unique_ptr<ImageData> ReadJPEG(ImageStream& stream);
// JPEG 2000 code streams (".j2k") and JP2 files (".jp2"), told apart by their first bytes.
std::unique_ptr<ImageData> ReadJPEG2000(ImageStream& stream);

// The extension of a file name as GetImage sees it: the text from the last "." when that dot
// follows the last "\" or "/"; empty when there is none.
std::string GetExtension(const std::string& fileName);

} // namespace ImageLib

} // namespace Vesk
