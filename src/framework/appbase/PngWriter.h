#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace Vesk
{

// Writes 32-bit pixels (0xAARRGGBB) as a PNG file: screenshots and the image dump.
class PngWriter
{
public:
    // Encodes width x height pixels as RGBA (or RGB when withAlpha is false). Empty on failure.
    static std::vector<uint8_t> Encode(const uint32_t* pixels, int width, int height, bool withAlpha);
    // Encodes and writes the file atomically; false when either fails (no partial file is left).
    [[nodiscard]] static bool Write(const std::filesystem::path& path, const uint32_t* pixels, int width, int height,
                                    bool withAlpha);
};

} // namespace Vesk
