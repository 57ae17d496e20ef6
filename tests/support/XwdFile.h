#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// Reads X window dumps as the X tool xwd writes them (format version 7): the picture of a
// window as the X server holds it. True-colour and direct-colour Z pixmaps of 8 to 32 bits per
// pixel in either byte order are read, into opaque 0xFFRRGGBB pixels; anything else (old
// versions, colour maps, bitmaps, damaged files) is refused with the reason in error, never
// read past its end.
class XwdFile
{
public:
    [[nodiscard]] static bool Read(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height,
                                   std::string& error);
    [[nodiscard]] static bool Decode(const std::vector<uint8_t>& bytes, std::vector<uint32_t>& pixels, int& width,
                                     int& height, std::string& error);
};

} // namespace Vesk::TestSupport
