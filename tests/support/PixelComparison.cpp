#include "support/PixelComparison.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Vesk::TestSupport
{

PixelComparison::PixelComparison(const uint32_t* expected, const uint32_t* actual, int width, int height, int tolerance)
    : tolerance(tolerance)
{
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            size_t at = size_t(y) * size_t(width) + size_t(x);
            int worst = 0;
            for (int shift = 0; shift < 32; shift += 8)
            {
                int a = int((expected[at] >> shift) & 0xFF);
                int b = int((actual[at] >> shift) & 0xFF);
                worst = std::max(worst, std::abs(a - b));
            }
            if (worst <= tolerance)
                continue;
            if (mismatches == 0)
            {
                firstX = x;
                firstY = y;
                firstExpected = expected[at];
                firstActual = actual[at];
            }
            ++mismatches;
            largestDifference = std::max(largestDifference, worst);
        }
    }
}

PixelComparison::PixelComparison(const std::vector<uint32_t>& expected, const std::vector<uint32_t>& actual, int width,
                                 int height, int tolerance)
    : PixelComparison(expected.data(), actual.data(), width, height, tolerance)
{
}

std::string PixelComparison::Describe() const
{
    if (mismatches == 0)
        return "pictures match";
    char text[200];
    std::snprintf(text, sizeof(text),
                  "%d pixels differ by more than %d (largest %d), first at (%d, %d): expected 0x%08X, got 0x%08X",
                  mismatches, tolerance, largestDifference, firstX, firstY, firstExpected, firstActual);
    return text;
}

} // namespace Vesk::TestSupport
