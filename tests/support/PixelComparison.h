#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// Compares two pictures channel by channel and describes the differences beyond a tolerance, so a
// failing drawing test says where and by how much.
class PixelComparison
{
public:
    PixelComparison(const uint32_t* expected, const uint32_t* actual, int width, int height, int tolerance = 0);
    PixelComparison(const std::vector<uint32_t>& expected, const std::vector<uint32_t>& actual, int width, int height,
                    int tolerance = 0);

    bool Matches() const { return mismatches == 0; }
    // "N pixels differ by more than T (largest D), first at (x, y): expected 0x..., got 0x...".
    std::string Describe() const;

    int mismatches = 0;
    int largestDifference = 0;
    int firstX = -1;
    int firstY = -1;
    uint32_t firstExpected = 0;
    uint32_t firstActual = 0;
    int tolerance = 0;
};

} // namespace Vesk::TestSupport
