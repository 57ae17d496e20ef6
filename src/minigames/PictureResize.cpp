#include "minigames/PictureResize.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace Vesk::PictureResize
{
namespace
{

// The source's pixels as premultiplied floats: alpha, red, green, blue.
std::vector<float> Premultiplied(const uint32_t* bits, int width, int height)
{
    std::vector<float> pixels(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i)
    {
        const uint32_t pixel = bits[i];
        const float alpha = float(pixel >> 24);
        pixels[i * 4 + 0] = alpha;
        pixels[i * 4 + 1] = float((pixel >> 16) & 0xFF) * alpha / 255;
        pixels[i * 4 + 2] = float((pixel >> 8) & 0xFF) * alpha / 255;
        pixels[i * 4 + 3] = float(pixel & 0xFF) * alpha / 255;
    }
    return pixels;
}

uint32_t Straight(const float* sum)
{
    const float alpha = std::clamp(sum[0], 0.0f, 255.0f);
    uint32_t pixel = uint32_t(std::lround(alpha)) << 24;
    if (alpha > 0)
        for (int channel = 1; channel < 4; ++channel)
        {
            const float value = std::clamp(sum[channel], 0.0f, alpha) * 255 / alpha;
            pixel |= uint32_t(std::lround(value)) << (8 * (3 - channel));
        }
    return pixel;
}

std::unique_ptr<MemoryImage> Made(std::vector<uint32_t>& pixels, int width, int height)
{
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

// For each destination position along one axis: the first source index and four weights.
struct CubicTaps
{
    std::vector<int> first;
    std::vector<std::array<float, 4>> weights;
};

CubicTaps MakeCubicTaps(int sourceLength, int destLength)
{
    CubicTaps taps;
    taps.first.resize(size_t(destLength));
    taps.weights.resize(size_t(destLength));
    const double ratio = double(sourceLength) / destLength;
    for (int d = 0; d < destLength; ++d)
    {
        const double position = (d + 0.5) * ratio - 0.5;
        const int index = int(std::floor(position));
        const double t = position - index;
        const double t2 = t * t;
        const double t3 = t2 * t;
        taps.first[size_t(d)] = index - 1;
        taps.weights[size_t(d)] = {float((-t3 + 2 * t2 - t) / 2), float((3 * t3 - 5 * t2 + 2) / 2),
                                   float((-3 * t3 + 4 * t2 + t) / 2), float((t3 - t2) / 2)};
    }
    return taps;
}

std::unique_ptr<MemoryImage> Enlarge(const uint32_t* bits, int sourceWidth, int sourceHeight, int width, int height)
{
    const std::vector<float> source = Premultiplied(bits, sourceWidth, sourceHeight);
    const CubicTaps across = MakeCubicTaps(sourceWidth, width);
    const CubicTaps down = MakeCubicTaps(sourceHeight, height);
    // Rows enlarged across first, then the columns of that.
    std::vector<float> rows(size_t(width) * size_t(sourceHeight) * 4);
    for (int y = 0; y < sourceHeight; ++y)
        for (int x = 0; x < width; ++x)
        {
            float* sum = &rows[(size_t(y) * size_t(width) + size_t(x)) * 4];
            for (int tap = 0; tap < 4; ++tap)
            {
                const int sx = std::clamp(across.first[size_t(x)] + tap, 0, sourceWidth - 1);
                const float weight = across.weights[size_t(x)][size_t(tap)];
                const float* from = &source[(size_t(y) * size_t(sourceWidth) + size_t(sx)) * 4];
                for (int channel = 0; channel < 4; ++channel)
                    sum[channel] += from[channel] * weight;
            }
        }
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            float sum[4] = {0, 0, 0, 0};
            for (int tap = 0; tap < 4; ++tap)
            {
                const int sy = std::clamp(down.first[size_t(y)] + tap, 0, sourceHeight - 1);
                const float weight = down.weights[size_t(y)][size_t(tap)];
                const float* from = &rows[(size_t(sy) * size_t(width) + size_t(x)) * 4];
                for (int channel = 0; channel < 4; ++channel)
                    sum[channel] += from[channel] * weight;
            }
            pixels[size_t(y) * size_t(width) + size_t(x)] = Straight(sum);
        }
    return Made(pixels, width, height);
}

// Each new pixel is the average of the source area it covers, partly covered pixels weighed by
// their share.
std::unique_ptr<MemoryImage> Reduce(const uint32_t* bits, int sourceWidth, int sourceHeight, int width, int height)
{
    const std::vector<float> source = Premultiplied(bits, sourceWidth, sourceHeight);
    const double across = double(sourceWidth) / width;
    const double down = double(sourceHeight) / height;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
    {
        const double top = y * down;
        const double bottom = top + down;
        for (int x = 0; x < width; ++x)
        {
            const double left = x * across;
            const double right = left + across;
            float sum[4] = {0, 0, 0, 0};
            for (int sy = int(top); sy < sourceHeight && sy < bottom; ++sy)
            {
                const double rowShare = std::min(bottom, sy + 1.0) - std::max(top, double(sy));
                for (int sx = int(left); sx < sourceWidth && sx < right; ++sx)
                {
                    const float share = float(rowShare * (std::min(right, sx + 1.0) - std::max(left, double(sx))));
                    const float* from = &source[(size_t(sy) * size_t(sourceWidth) + size_t(sx)) * 4];
                    for (int channel = 0; channel < 4; ++channel)
                        sum[channel] += from[channel] * share;
                }
            }
            const float area = float(across * down);
            for (float& channel : sum)
                channel /= area;
            pixels[size_t(y) * size_t(width) + size_t(x)] = Straight(sum);
        }
    }
    return Made(pixels, width, height);
}

} // namespace

PartEnlarger::PartEnlarger(Image* source)
{
    auto* memory = dynamic_cast<MemoryImage*>(source);
    const uint32_t* bits = memory != nullptr ? memory->GetBits() : nullptr;
    if (bits == nullptr || memory->GetWidth() < 1 || memory->GetHeight() < 1)
        return;
    width = memory->GetWidth();
    height = memory->GetHeight();
    pixels = Premultiplied(bits, width, height);
}

void PartEnlarger::Draw(double scale, int left, int top, MemoryImage& into) const
{
    const int outWidth = into.GetWidth();
    const int outHeight = into.GetHeight();
    uint32_t* out = into.GetBits();
    if (out == nullptr)
        return;
    const long fullWidth = Empty() || !(scale > 0) ? 0 : std::lround(width * scale);
    const long fullHeight = Empty() || !(scale > 0) ? 0 : std::lround(height * scale);
    // The taps of the window's columns and rows, as the whole enlargement would have them.
    auto taps = [](int sourceLength, long fullLength, int from, int count, std::vector<int>& first,
                   std::vector<std::array<float, 4>>& weights, std::vector<bool>& inside)
    {
        first.assign(size_t(count), 0);
        weights.assign(size_t(count), {});
        inside.assign(size_t(count), false);
        if (fullLength <= 0)
            return;
        const double ratio = double(sourceLength) / double(fullLength);
        for (int i = 0; i < count; ++i)
        {
            const long d = long(from) + i;
            if (d < 0 || d >= fullLength)
                continue;
            const double position = (double(d) + 0.5) * ratio - 0.5;
            const int index = int(std::floor(position));
            const double t = position - index;
            const double t2 = t * t;
            const double t3 = t2 * t;
            inside[size_t(i)] = true;
            first[size_t(i)] = index - 1;
            weights[size_t(i)] = {float((-t3 + 2 * t2 - t) / 2), float((3 * t3 - 5 * t2 + 2) / 2),
                                  float((-3 * t3 + 4 * t2 + t) / 2), float((t3 - t2) / 2)};
        }
    };
    std::vector<int> firstX, firstY;
    std::vector<std::array<float, 4>> weightsX, weightsY;
    std::vector<bool> insideX, insideY;
    taps(width, fullWidth, left, outWidth, firstX, weightsX, insideX);
    taps(height, fullHeight, top, outHeight, firstY, weightsY, insideY);
    for (int y = 0; y < outHeight; ++y)
        for (int x = 0; x < outWidth; ++x)
        {
            uint32_t& pixel = out[size_t(y) * size_t(outWidth) + size_t(x)];
            if (!insideX[size_t(x)] || !insideY[size_t(y)])
            {
                pixel = 0;
                continue;
            }
            float sum[4] = {0, 0, 0, 0};
            for (int row = 0; row < 4; ++row)
            {
                const int sy = std::clamp(firstY[size_t(y)] + row, 0, height - 1);
                const float rowWeight = weightsY[size_t(y)][size_t(row)];
                for (int column = 0; column < 4; ++column)
                {
                    const int sx = std::clamp(firstX[size_t(x)] + column, 0, width - 1);
                    const float weight = rowWeight * weightsX[size_t(x)][size_t(column)];
                    const float* from = &pixels[(size_t(sy) * size_t(width) + size_t(sx)) * 4];
                    for (int channel = 0; channel < 4; ++channel)
                        sum[channel] += from[channel] * weight;
                }
            }
            pixel = Straight(sum);
        }
    into.BitsChanged();
}

std::unique_ptr<MemoryImage> Resize(Image* source, int width, int height)
{
    if (source == nullptr || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return nullptr;
    const int sourceWidth = source->GetWidth();
    const int sourceHeight = source->GetHeight();
    auto* memory = dynamic_cast<MemoryImage*>(source);
    const uint32_t* bits = memory != nullptr ? memory->GetBits() : nullptr;
    if (sourceWidth < 1 || sourceHeight < 1)
        return nullptr;
    if (bits == nullptr)
    {
        // Not a picture in memory: the drawing interface's filtered stretch is all there is.
        auto image = std::make_unique<MemoryImage>();
        image->Create(width, height);
        Graphics graphics(image.get());
        graphics.SetFastStretch(false);
        graphics.DrawImage(source, Rect(0, 0, width, height), source->GetRect());
        return image;
    }
    if (width >= sourceWidth && height >= sourceHeight)
        return Enlarge(bits, sourceWidth, sourceHeight, width, height);
    return Reduce(bits, sourceWidth, sourceHeight, width, height);
}

} // namespace Vesk::PictureResize
