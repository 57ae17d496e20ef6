#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// A PNG picture of the built data tree (build/<preset>/data), as the art tests read it: pixels
// 0xAARRGGBB with straight alpha, top row first.
struct BuiltPicture
{
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;

    // The full path of a file below the built data folder.
    static std::string PathOf(const std::string& relativePath);
    // Reads relativePath (below the built data folder); false when it cannot be read.
    [[nodiscard]] bool Load(const std::string& relativePath);

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x]; }
    int Alpha(int x, int y) const { return static_cast<int>(At(x, y) >> 24); }
    // One channel: shift 16 red, 8 green, 0 blue.
    int Channel(int x, int y, int shift) const { return static_cast<int>((At(x, y) >> shift) & 0xFF); }
};

} // namespace Vesk::TestSupport
