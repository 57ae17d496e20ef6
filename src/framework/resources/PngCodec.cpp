// PNG through libpng: reading over any ImageStream, writing screenshots. libpng reports errors
// by calling back into us; we unwind to the reader with longjmp. The functions that call
// setjmp keep no objects with destructors of their own: everything they fill lives in the
// caller's frame.
#include "framework/platform/FileSystem.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/ImageStream.h"

#include <png.h>

#include <bit>
#include <csetjmp>

namespace Vesk::ImageLib
{

namespace
{

// zlib never expands more than about 1032 to 1; an image whose raw rows need far more bytes
// than the file could inflate to is damaged, and is refused before its pixels are allocated.
constexpr uint64_t kMaxInflateRatio = 1100;

[[noreturn]] void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadFromStream(png_structp png, png_bytep data, size_t length)
{
    auto* stream = static_cast<ImageStream*>(png_get_io_ptr(png));
    if (!stream->ReadExact(data, length))
        png_error(png, "Read Error");
}

void SwapToNativeOrder(std::vector<uint32_t>& pixels)
{
    // The rows arrive as bytes blue, green, red, alpha: already 0xAARRGGBB on little-endian.
    if constexpr (std::endian::native == std::endian::big)
        for (uint32_t& pixel : pixels)
            pixel = (pixel >> 24) | ((pixel >> 8) & 0xFF00) | ((pixel << 8) & 0xFF0000) | (pixel << 24);
}

bool DecodePng(png_structp png, png_infop info, ImageStream& stream, ImageData& image, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;

    png_set_read_fn(png, &stream, ReadFromStream);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, ImageData::kMaxSide, ImageData::kMaxSide);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (!ImageData::SizeAllowed(width, height))
        return false;
    const uint64_t rawRowBytes = (uint64_t(width) * png_get_channels(png, info) * uint64_t(bitDepth) + 7) / 8 + 1;
    if (rawRowBytes * height > stream.Remaining() * kMaxInflateRatio + 65536)
        return false;

    png_set_expand(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0 && png_get_valid(png, info, PNG_INFO_tRNS) == 0)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        return false;

    image.width = int(width);
    image.height = int(height);
    image.pixels.assign(size_t(width) * height, 0);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(&image.At(0, int(y)));
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

void WriteToVector(png_structp png, png_bytep data, size_t length)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void FlushNothing(png_structp) {}

bool EncodePng(png_structp png, png_infop info, const ImageData& image, std::vector<uint8_t>& row,
               std::vector<uint8_t>& output)
{
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;

    png_set_write_fn(png, &output, WriteToVector, FlushNothing);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    row.resize(size_t(image.width) * 4);
    for (int y = 0; y < image.height; ++y)
    {
        for (int x = 0; x < image.width; ++x)
        {
            const uint32_t pixel = image.At(x, y);
            uint8_t* rgba = &row[size_t(x) * 4];
            rgba[0] = uint8_t(pixel >> 16);
            rgba[1] = uint8_t(pixel >> 8);
            rgba[2] = uint8_t(pixel);
            rgba[3] = uint8_t(pixel >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::unique_ptr<ImageData> ReadPNG(ImageStream& stream)
{
    png_byte signature[8];
    if (!stream.ReadExact(signature, sizeof signature) || png_sig_cmp(signature, 0, sizeof signature) != 0)
        return nullptr;

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png == nullptr)
        return nullptr;
    png_infop info = png_create_info_struct(png);
    auto image = std::make_unique<ImageData>();
    std::vector<png_bytep> rows;
    const bool ok = info != nullptr && DecodePng(png, info, stream, *image, rows);
    png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    if (!ok)
        return nullptr;
    SwapToNativeOrder(image->pixels);
    return image;
}

bool WritePNG(const std::string& fileName, const ImageData& image)
{
    if (!ImageData::SizeAllowed(image.width, image.height) ||
        image.pixels.size() != size_t(image.width) * size_t(image.height))
        return false;

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> row;
    std::vector<uint8_t> output;
    const bool ok = info != nullptr && EncodePng(png, info, image, row, output);
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    return ok && Platform::WriteFileAtomically(fileName, output);
}

} // namespace Vesk::ImageLib
