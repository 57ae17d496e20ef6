#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vesk
{

// A decoded picture as the image readers hand it out: width x height pixels, rows top to
// bottom, each 0xAARRGGBB with straight (not premultiplied) alpha. The caller owns it and
// usually copies the pixels into a display image.
struct ImageData
{
    // The largest picture any reader accepts. Anything bigger is taken for a damaged file
    // rather than risking gigabytes of memory on a few bytes of header.
    static constexpr int kMaxSide = 16384;
    static constexpr int64_t kMaxPixels = int64_t{1} << 26;

    static bool SizeAllowed(int64_t width, int64_t height)
    {
        return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
    }

    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    ImageData() = default;
    ImageData(int width, int height) : width(width), height(height), pixels(size_t(width) * size_t(height)) {}

    uint32_t& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

} // namespace Vesk
