#include "support/PngFile.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace Vesk::TestSupport
{

namespace
{

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

bool PngFile::Write(const std::string& path, const uint32_t* pixels, int width, int height)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file || width <= 0 || height <= 0)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info)
    {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<uint8_t> row(size_t(width) * 4);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            uint32_t pixel = pixels[size_t(y) * size_t(width) + size_t(x)];
            row[size_t(x) * 4] = uint8_t(pixel >> 16);
            row[size_t(x) * 4 + 1] = uint8_t(pixel >> 8);
            row[size_t(x) * 4 + 2] = uint8_t(pixel);
            row[size_t(x) * 4 + 3] = uint8_t(pixel >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool PngFile::Read(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info)
    {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    std::vector<uint8_t> data;
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    int w = int(png_get_image_width(png, info));
    int h = int(png_get_image_height(png, info));
    data.resize(size_t(w) * size_t(h) * 4);
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        rows[size_t(y)] = data.data() + size_t(y) * size_t(w) * 4;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    pixels.resize(size_t(w) * size_t(h));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (uint32_t(data[i * 4 + 3]) << 24) | (uint32_t(data[i * 4]) << 16) |
                    (uint32_t(data[i * 4 + 1]) << 8) | data[i * 4 + 2];
    width = w;
    height = h;
    return true;
}

} // namespace Vesk::TestSupport
