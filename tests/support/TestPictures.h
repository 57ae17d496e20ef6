#pragma once

#include <cstdint>
#include <vector>

namespace Vesk::TestSupport
{

// Made-up pictures for drawing tests and benchmarks, in 0xAARRGGBB straight alpha.
class TestPictures
{
public:
    // Runs of transparent, opaque and translucent pixels (some of them black), like cut-out
    // artwork. With fewColors the picture has few enough colours to be palettized.
    static std::vector<uint32_t> Runs(int width, int height, unsigned seed, bool fewColors = false);
    // A round sprite with a soft alpha edge over colour gradients and a checker pattern.
    static std::vector<uint32_t> Sprite(int width, int height);
    // An opaque picture: gradients with a grain, like a page of a publication.
    static std::vector<uint32_t> Page(int width, int height, unsigned seed);
};

} // namespace Vesk::TestSupport
