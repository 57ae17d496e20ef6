#include "board/BoardBlur.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace Vesk
{
namespace
{

constexpr int kObjectsWidth = 767;
constexpr int kObjectsHeight = 532;
constexpr int kCopies = 32;

void DrawWithAlpha(Graphics& graphics, Image* image, int x, int y, double alpha)
{
    int value = std::clamp(int(alpha * 255 + 0.5), 0, 255);
    if (image == nullptr || value == 0)
        return;
    graphics.SetColor(Color(255, 255, 255, value));
    graphics.DrawImage(image, x, y);
}

} // namespace

const std::array<std::array<float, 2>, 32> BoardBlur::kOffsets = {{
    {0.5f, 0.2f},    {-0.5f, -0.2f},   {-0.2f, 0.5f},   {0.2f, -0.5f},    {0.26f, 0.39f},  {-0.13f, -0.26f},
    {-0.15f, 0.4f},  {0.88f, -1.24f},  {0.46f, 0.42f},  {-0.96f, -0.36f}, {-0.39f, 0.62f}, {0.11f, -0.16f},
    {0.22f, 0.29f},  {-0.29f, -0.97f}, {-0.99f, 0.81f}, {0.74f, -0.35f},  {0.31f, 0.33f},  {-0.57f, -0.87f},
    {-0.3f, 0.63f},  {0.83f, -0.87f},  {0.59f, 0.15f},  {-0.61f, -0.45f}, {-0.5f, 0.21f},  {0.84f, -0.7f},
    {0.24f, 0.36f},  {-0.2f, -0.6f},   {-0.78f, 0.58f}, {0.77f, -0.57f},  {0.9f, 0.52f},   {-0.67f, -0.74f},
    {-0.85f, 0.58f}, {0.38f, -0.87f},
}};

BoardBlur::BoardBlur() = default;
BoardBlur::~BoardBlur() = default;

void BoardBlur::Invalidate()
{
    backgroundMade = false;
    objectsMade = false;
    background = -1;
    backgroundSmear.reset();
    objects.reset();
    objectsSmear.reset();
}

void BoardBlur::InvalidateObjects()
{
    objectsMade = false;
}

void BoardBlur::Paint(Graphics& graphics, std::array<PictureItem, kMaxPictureItems>& items, int count, int boardX,
                      int boardY, double blur, double amplitude, double transparency)
{
    int last = Prepare(items, count, amplitude);
    if (last < 0)
        return;

    // A copy's strength and spread; the weights are the share of the picture that 32 copies of
    // that strength cover.
    double k = std::sin(std::numbers::pi * (1 - blur));
    double m = std::sin(std::numbers::pi / 2 * (1 - blur));
    double copyAlpha = std::clamp(transparency / 255, 0.0, 1.0);
    double backgroundWeight = (1 - std::pow(1 - k * copyAlpha, kCopies)) * k;
    double objectWeight = 1 - std::pow(1 - m * copyAlpha, kCopies);

    const PictureItem& back = items[size_t(last)];
    graphics.PushState();
    graphics.SetColorizeImages(false);
    graphics.DrawImage(back.image.get(), boardX + back.x, boardY + back.y);
    graphics.SetColorizeImages(true);
    DrawWithAlpha(graphics, backgroundSmear.get(), boardX + back.x, boardY + back.y, backgroundWeight);
    DrawWithAlpha(graphics, objects.get(), boardX + objectsX, boardY + objectsY, objectWeight * (1 - k));
    DrawWithAlpha(graphics, objectsSmear.get(), boardX + objectsX, boardY + objectsY, objectWeight * k);
    graphics.PopState();
}

int BoardBlur::Prepare(std::array<PictureItem, kMaxPictureItems>& items, int count, double amplitude)
{
    int last = -1;
    for (int index = std::min(count, kMaxPictureItems) - 1; index >= 0 && last < 0; --index)
        if (items[size_t(index)].found == 0 && items[size_t(index)].image != nullptr)
            last = index;
    if (last < 0)
        return -1;
    if (!backgroundMade || background != last)
    {
        background = last;
        MakeBackground(items, count, amplitude);
        objectsMade = false;
    }
    if (!objectsMade)
        MakeObjects(items, count, amplitude);
    return last;
}

void BoardBlur::MakeBackground(std::array<PictureItem, kMaxPictureItems>& items, int count, double amplitude)
{
    (void)count;
    auto* picture = dynamic_cast<MemoryImage*>(items[size_t(background)].image.get());
    backgroundSmear = picture != nullptr ? Smear(*picture, amplitude, true) : nullptr;
    backgroundMade = true;
}

void BoardBlur::MakeObjects(std::array<PictureItem, kMaxPictureItems>& items, int count, double amplitude)
{
    (void)count;
    // The objects' picture covers only where they lie, with room for the smear around them.
    int left = kObjectsWidth;
    int top = kObjectsHeight;
    int right = 0;
    int bottom = 0;
    for (int index = background - 1; index >= 0; --index)
    {
        const PictureItem& item = items[size_t(index)];
        if (item.found != 0 || item.image == nullptr)
            continue;
        left = std::min(left, item.x);
        top = std::min(top, item.y);
        right = std::max(right, item.x + item.image->GetWidth());
        bottom = std::max(bottom, item.y + item.image->GetHeight());
    }
    int margin = int(std::ceil(std::fabs(amplitude) * 1.3)) + 2;
    objectsX = std::max(left - margin, 0);
    objectsY = std::max(top - margin, 0);
    int width = std::min(right + margin, kObjectsWidth) - objectsX;
    int height = std::min(bottom + margin, kObjectsHeight) - objectsY;
    objectsMade = true;
    if (width <= 0 || height <= 0)
    {
        objects.reset();
        objectsSmear.reset();
        return;
    }
    objects = std::make_unique<MemoryImage>();
    objects->Create(width, height);
    {
        Graphics graphics(objects.get());
        for (int index = background - 1; index >= 0; --index)
        {
            const PictureItem& item = items[size_t(index)];
            if (item.found == 0 && item.image != nullptr)
                graphics.DrawImage(item.image.get(), item.x - objectsX, item.y - objectsY);
        }
    }
    objectsSmear = Smear(*objects, amplitude, false);
}

std::unique_ptr<MemoryImage> BoardBlur::Smear(MemoryImage& source, double spread, bool cutToPicture)
{
    int width = source.GetWidth();
    int height = source.GetHeight();
    auto result = std::make_unique<MemoryImage>();
    result->Create(width, height);
    if (width <= 0 || height <= 0)
        return result;

    // Half size: a quarter of the work, and the smear hides the lost detail.
    int halfWidth = (width + 1) / 2;
    int halfHeight = (height + 1) / 2;
    MemoryImage half;
    half.Create(halfWidth, halfHeight);
    {
        Graphics graphics(&half);
        graphics.DrawImage(&source, Rect(0, 0, halfWidth, halfHeight), source.GetRect());
    }
    const uint32_t* pixels = half.GetBits();
    size_t pixelCount = size_t(halfWidth) * size_t(halfHeight);
    if (pixels == nullptr)
        return result;

    // Premultiplied channels, so that transparent pixels add no colour.
    std::vector<uint32_t> premultiplied(pixelCount * 4);
    for (size_t p = 0; p < pixelCount; ++p)
    {
        uint32_t pixel = pixels[p];
        uint32_t alpha = pixel >> 24;
        premultiplied[p * 4] = alpha;
        premultiplied[p * 4 + 1] = ((pixel >> 16) & 0xFF) * alpha / 255;
        premultiplied[p * 4 + 2] = ((pixel >> 8) & 0xFF) * alpha / 255;
        premultiplied[p * 4 + 3] = (pixel & 0xFF) * alpha / 255;
    }
    std::vector<uint32_t> sums(pixelCount * 4, 0);
    std::vector<uint16_t> counts(pixelCount, 0);
    for (const auto& offset : kOffsets)
    {
        // A copy shows the picture moved by the offset; cut to the picture, the copy moved the
        // other way shows what lies inside it.
        int dx = int(std::lround(spread * offset[0] / 2));
        int dy = int(std::lround(spread * offset[1] / 2));
        int fromX = cutToPicture ? dx : -dx;
        int fromY = cutToPicture ? dy : -dy;
        int startX = std::max(0, -fromX);
        int endX = std::min(halfWidth, halfWidth - fromX);
        if (startX >= endX)
            continue;
        for (int y = 0; y < halfHeight; ++y)
        {
            int sourceY = y + fromY;
            if (sourceY < 0 || sourceY >= halfHeight)
                continue;
            const uint32_t* from = &premultiplied[(size_t(sourceY) * size_t(halfWidth) + size_t(startX + fromX)) * 4];
            uint32_t* to = &sums[(size_t(y) * size_t(halfWidth) + size_t(startX)) * 4];
            uint16_t* counted = &counts[size_t(y) * size_t(halfWidth) + size_t(startX)];
            for (int x = startX; x < endX; ++x, from += 4, to += 4, ++counted)
            {
                to[0] += from[0];
                to[1] += from[1];
                to[2] += from[2];
                to[3] += from[3];
                ++*counted;
            }
        }
    }

    std::vector<uint32_t> smeared(pixelCount);
    for (size_t p = 0; p < pixelCount; ++p)
    {
        uint32_t divisor = cutToPicture ? counts[p] : uint32_t(kCopies);
        if (divisor == 0)
        {
            smeared[p] = pixels[p];
            continue;
        }
        uint32_t alpha = sums[p * 4] / divisor;
        if (alpha == 0)
            continue;
        auto channel = [&](int c) { return std::min(sums[p * 4 + size_t(c)] / divisor * 255 / alpha, 255u); };
        smeared[p] = alpha << 24 | channel(1) << 16 | channel(2) << 8 | channel(3);
    }
    MemoryImage small;
    small.SetBits(smeared.data(), halfWidth, halfHeight);
    Graphics graphics(result.get());
    graphics.DrawImage(&small, Rect(0, 0, width, height), small.GetRect());
    return result;
}

} // namespace Vesk
