#include "support/TestPictures.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace Vesk::TestSupport
{

std::vector<uint32_t> TestPictures::Runs(int width, int height, unsigned seed, bool fewColors)
{
    std::mt19937 random(seed);
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    size_t i = 0;
    while (i < pixels.size())
    {
        // One draw per statement: the order of draws within an expression is unspecified.
        bool longRun = random() % 4 == 0;
        size_t run = 1 + random() % (longRun ? 300 : 12);
        int kind = int(random() % 4);
        for (size_t k = 0; k < run && i < pixels.size(); ++k, ++i)
        {
            uint32_t rgb = fewColors ? (random() % 6) * 0x332211u : random() & 0xFFFFFF;
            if (random() % 9 == 0)
                rgb = 0;
            uint32_t alpha = kind == 0   ? 0
                             : kind == 1 ? 255
                                         : (fewColors ? 0x40u * (1 + random() % 3) : random() % 256);
            pixels[i] = (alpha << 24) | rgb;
        }
    }
    return pixels;
}

std::vector<uint32_t> TestPictures::Sprite(int width, int height)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            double dx = (x + 0.5) / width - 0.5, dy = (y + 0.5) / height - 0.5;
            double distance = std::sqrt(dx * dx + dy * dy);
            uint32_t alpha = distance > 0.5 ? 0 : distance > 0.4 ? uint32_t((0.5 - distance) * 2550) : 255;
            uint32_t red = uint32_t(x * 255 / width), green = uint32_t(y * 255 / height);
            uint32_t blue = (x / 4 + y / 4) % 2 ? 200 : 40;
            pixels[size_t(y) * size_t(width) + size_t(x)] = (alpha << 24) | (red << 16) | (green << 8) | blue;
        }
    }
    return pixels;
}

std::vector<uint32_t> TestPictures::Page(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            uint32_t grain = random() % 12;
            uint32_t red = 200 + (x * 40 / std::max(width, 1)) % 40 + grain / 2;
            uint32_t green = 180 + (y * 50 / std::max(height, 1)) % 50 + grain / 3;
            uint32_t blue = 140 + grain;
            pixels[size_t(y) * size_t(width) + size_t(x)] =
                0xFF000000u | (std::min(red, 255u) << 16) | (std::min(green, 255u) << 8) | std::min(blue, 255u);
        }
    }
    return pixels;
}

} // namespace Vesk::TestSupport
