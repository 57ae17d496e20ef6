#pragma once

// Small helpers the benchmark programs share: the thread's CPU time and pictures made in memory.
#include "framework/graphics/DDImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

namespace Vesk::Bench
{

// The CPU time of this thread in seconds: unlike the wall clock it does not count the time other
// programs on a busy machine take the processor away.
inline double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// A picture of one colour.
inline std::unique_ptr<DDImage> Solid(int width, int height, uint32_t pixel)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), pixel);
    auto image = std::make_unique<DDImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

// Soft-edged, grainy pictures: opaque inside an ellipse (or everywhere), fading over 3 pixels.
inline std::vector<uint32_t> Blob(int width, int height, unsigned seed, bool square)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    uint32_t colour = 0x00402010u + (seed * 0x00253B17u & 0x00BFBFBFu);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            double dx = (x + 0.5 - width / 2.0) / (width / 2.0);
            double dy = (y + 0.5 - height / 2.0) / (height / 2.0);
            double edge = (1 - std::sqrt(dx * dx + dy * dy)) * std::min(width, height) / 6.0;
            int alpha = square ? 255 : std::clamp(int(edge * 255), 0, 255);
            pixels[size_t(y * width + x)] = uint32_t(alpha) << 24 | (colour + uint32_t((x ^ y) & 15));
        }
    return pixels;
}

} // namespace Vesk::Bench
