#include "framework/appbase/PngWriter.h"

#include "framework/platform/FileSystem.h"

#include <png.h>

#include <csetjmp>

namespace Vesk
{

namespace
{

void AppendToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

} // namespace

std::vector<uint8_t> PngWriter::Encode(const uint32_t* pixels, int width, int height, bool withAlpha)
{
    std::vector<uint8_t> out;
    if (pixels == nullptr || width <= 0 || height <= 0)
        return out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return out;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr)
    {
        png_destroy_write_struct(&png, nullptr);
        return out;
    }
    int channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> row(static_cast<size_t>(width) * channels);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendToVector, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
    {
        const uint32_t* source = pixels + static_cast<size_t>(y) * width;
        uint8_t* target = row.data();
        for (int x = 0; x < width; ++x)
        {
            uint32_t pixel = source[x];
            *target++ = static_cast<uint8_t>(pixel >> 16);
            *target++ = static_cast<uint8_t>(pixel >> 8);
            *target++ = static_cast<uint8_t>(pixel);
            if (withAlpha)
                *target++ = static_cast<uint8_t>(pixel >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool PngWriter::Write(const std::filesystem::path& path, const uint32_t* pixels, int width, int height, bool withAlpha)
{
    std::vector<uint8_t> bytes = Encode(pixels, width, height, withAlpha);
    return !bytes.empty() && Platform::WriteFileAtomically(path, bytes);
}

} // namespace Vesk
