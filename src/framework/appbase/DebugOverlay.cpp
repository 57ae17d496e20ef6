#include "framework/appbase/DebugOverlay.h"

#include "framework/graphics/SysFont.h"

#include <algorithm>

namespace Vesk
{

namespace
{

constexpr int kMargin = 10;
constexpr int kTimeAbove = 15;
constexpr uint32_t kTextColor = 0xFFFFFFFFu;

} // namespace

DebugOverlay::DebugOverlay() : font(std::make_unique<SysFont>("Tahoma", 8))
{
    font->shadow = true;
}

DebugOverlay::~DebugOverlay() = default;

bool DebugOverlay::Render(Text& target, const std::string& text)
{
    if (text == target.text)
        return false;
    target.text = text;
    target.picture = text.empty() ? ImageData() : font->RenderString(text, kTextColor);
    return true;
}

bool DebugOverlay::Prepare(const std::string& mainText, const std::string& timeText)
{
    bool changed = Render(main, mainText);
    return Render(time, timeText) || changed;
}

void DebugOverlay::DrawText(const Text& text, int x, int y, uint32_t* pixels, int width, int height)
{
    const ImageData& picture = text.picture;
    int left = std::max(x, 0);
    int top = std::max(y, 0);
    int right = std::min(x + picture.width, width);
    int bottom = std::min(y + picture.height, height);
    if (picture.pixels.empty() || left >= right || top >= bottom)
        return;
    Saved under;
    under.x = left;
    under.y = top;
    under.width = right - left;
    under.height = bottom - top;
    under.pixels.reserve(size_t(under.width) * size_t(under.height));
    for (int row = top; row < bottom; ++row)
    {
        uint32_t* line = pixels + size_t(row) * size_t(width);
        under.pixels.insert(under.pixels.end(), line + left, line + right);
        for (int column = left; column < right; ++column)
        {
            uint32_t source = picture.At(column - x, row - y);
            uint32_t alpha = source >> 24;
            if (alpha == 0)
                continue;
            uint32_t destination = line[column];
            uint32_t out = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
            {
                uint32_t s = (source >> shift) & 0xFF;
                uint32_t d = (destination >> shift) & 0xFF;
                out |= ((s * alpha + d * (255 - alpha) + 127) / 255) << shift;
            }
            line[column] = out;
        }
    }
    saved.push_back(std::move(under));
}

void DebugOverlay::Draw(uint32_t* pixels, int width, int height)
{
    saved.clear();
    if (pixels == nullptr)
        return;
    int mainY = height - kMargin - main.picture.height;
    DrawText(main, width - kMargin - main.picture.width, mainY, pixels, width, height);
    DrawText(time, width - kMargin - time.picture.width, mainY - kTimeAbove, pixels, width, height);
}

void DebugOverlay::Restore(uint32_t* pixels, int width, int height)
{
    // Last drawn first: the two texts may overlap.
    for (auto under = saved.rbegin(); pixels != nullptr && under != saved.rend(); ++under)
    {
        if (under->x + under->width > width || under->y + under->height > height)
            continue;
        for (int row = 0; row < under->height; ++row)
            std::copy_n(under->pixels.data() + size_t(row) * size_t(under->width), under->width,
                        pixels + size_t(under->y + row) * size_t(width) + size_t(under->x));
    }
    saved.clear();
}

} // namespace Vesk
