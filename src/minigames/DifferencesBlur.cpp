#include "minigames/DifferencesBlur.h"

#include "board/BoardBlur.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{
namespace
{

constexpr int kBoardWidth = 767;
constexpr int kBoardHeight = 532;

void DrawWithAlpha(Graphics& graphics, Image* image, int x, int y, double alpha)
{
    int value = std::clamp(int(alpha * 255 + 0.5), 0, 255);
    if (image == nullptr || value == 0)
        return;
    graphics.SetColor(Color(255, 255, 255, value));
    graphics.DrawImage(image, x, y);
}

// What count layers of the given alpha cover together.
double Coverage(double alpha, int count)
{
    return 1 - std::pow(1 - std::clamp(alpha, 0.0, 1.0), count);
}

} // namespace

DifferencesBlur::DifferencesBlur() = default;
DifferencesBlur::~DifferencesBlur() = default;

void DifferencesBlur::Invalidate()
{
    prepared = false;
    background = {};
    backgroundSmear.reset();
    pieces = {};
    ghosts = {};
}

void DifferencesBlur::Prepare(const Placed& background, const std::vector<Placed>& extras,
                              const std::vector<Placed>& patches, double amplitude)
{
    Invalidate();
    this->background = background;
    if (auto* picture = dynamic_cast<MemoryImage*>(background.image);
        picture != nullptr && picture->GetWidth() > 0 && picture->GetHeight() > 0)
        backgroundSmear = BoardBlur::Smear(*picture, amplitude, true);
    std::vector<Placed> all = extras;
    all.insert(all.end(), patches.begin(), patches.end());
    pieces = Compose(all, 0);
    ghosts = Compose(all, int(std::ceil(std::fabs(amplitude) * 1.6)) + 2);
    if (ghosts.image != nullptr)
        ghosts.image = BoardBlur::Smear(*ghosts.image, amplitude, false);
    prepared = true;
}

DifferencesBlur::Layer DifferencesBlur::Compose(const std::vector<Placed>& pictures, int margin)
{
    int left = kBoardWidth;
    int top = kBoardHeight;
    int right = 0;
    int bottom = 0;
    for (const Placed& placed : pictures)
    {
        if (placed.image == nullptr)
            continue;
        left = std::min(left, placed.x);
        top = std::min(top, placed.y);
        right = std::max(right, placed.x + placed.image->GetWidth());
        bottom = std::max(bottom, placed.y + placed.image->GetHeight());
    }
    Layer layer;
    layer.x = std::max(left - margin, 0);
    layer.y = std::max(top - margin, 0);
    int width = std::min(right + margin, kBoardWidth) - layer.x;
    int height = std::min(bottom + margin, kBoardHeight) - layer.y;
    if (width <= 0 || height <= 0)
        return layer;
    layer.image = std::make_unique<MemoryImage>();
    layer.image->Create(width, height);
    Graphics graphics(layer.image.get());
    for (const Placed& placed : pictures)
        if (placed.image != nullptr)
            graphics.DrawImage(placed.image, placed.x - layer.x, placed.y - layer.y);
    return layer;
}

void DifferencesBlur::Paint(Graphics& graphics, int boardX, int boardY, double blur, double transparency) const
{
    if (!prepared)
        return;
    // The copies' spread rises and falls with the turn (k); their strength grows as the turn
    // comes to rest (n). Ghosts of the windows and patches spread with k; what of them lies in
    // place adds to the sharp pieces.
    const double k = std::sin(std::numbers::pi * (1 - blur));
    const double n = std::sin(std::numbers::pi / 2 * (1 - blur));
    const double ghost = Coverage(n * std::clamp(transparency / 255, 0.0, 1.0), kCopies);
    const double piecesAlpha = 1 - (1 - n) * (1 - ghost * (1 - k));

    graphics.PushState();
    graphics.SetColorizeImages(false);
    if (background.image != nullptr)
        graphics.DrawImage(background.image, boardX + background.x, boardY + background.y);
    graphics.SetColorizeImages(true);
    DrawWithAlpha(graphics, backgroundSmear.get(), boardX + background.x, boardY + background.y,
                  Coverage(n, kCopies) * k);
    DrawWithAlpha(graphics, ghosts.image.get(), boardX + ghosts.x, boardY + ghosts.y, ghost * k);
    DrawWithAlpha(graphics, pieces.image.get(), boardX + pieces.x, boardY + pieces.y, piecesAlpha);
    graphics.PopState();
}

} // namespace Vesk
