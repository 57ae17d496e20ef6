#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// Reads and writes 32-bit pictures (0xAARRGGBB, straight alpha) as RGBA PNG files, for the
// reference pictures of the drawing tests and for pictures a person can look at.
class PngFile
{
public:
    [[nodiscard]] static bool Write(const std::string& path, const uint32_t* pixels, int width, int height);
    [[nodiscard]] static bool Read(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height);
};

} // namespace Vesk::TestSupport
