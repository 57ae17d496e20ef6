#include "publication/Tutorial.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Transform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace Vesk
{

namespace
{

constexpr int kCentreX = 400;
constexpr int kCentreY = 300;
constexpr int kSamplesPerSide = 10;
constexpr uint32_t kCoveredAlpha = 128;

} // namespace

Tutorial::Tutorial(GameApp& app) : app(app)
{
    SetBounds(0, 0, 800, 600);
    shown = false;
    // The backdrop is a translucent darkening of the screen under it.
    translucent = true;
    hasTransparentParts = true;
}

Tutorial::~Tutorial() = default;

bool Tutorial::Begin(Image* source)
{
    auto* pixels = dynamic_cast<MemoryImage*>(source);
    if (pixels == nullptr || pixels->GetWidth() <= 0 || pixels->GetHeight() <= 0)
        return false;
    const uint32_t* bits = pixels->GetBits();
    if (bits == nullptr)
        return false;
    auto copy = std::make_unique<MemoryImage>();
    copy->SetBits(bits, pixels->GetWidth(), pixels->GetHeight());
    picture = std::move(copy);
    clock = 0;
    fading = false;
    finished = false;
    strokes = 0;
    strokeCooldown = 0;
    SetShown(true);
    Invalidate();
    return true;
}

void Tutorial::OnAttachedToManager(WidgetManager* newManager)
{
    Widget::OnAttachedToManager(newManager);
}

// --- Clocks ---------------------------------------------------------------------------------

void Tutorial::Tick()
{
    Widget::Tick();
    StepClock(1.0f);
}

void Tutorial::StepClock(float step)
{
    const auto& ispy = app.config.ispy;
    if (fading)
    {
        clock -= step;
        if (clock < 0)
        {
            clock = 0;
            fading = false;
            SetShown(false);
        }
    }
    else
        clock += step;
    if (strokeCooldown > 0)
        strokeCooldown = std::max(strokeCooldown - step, 0.0f);
    // The darkening and the card move until the last of their periods is over.
    float settled = float(std::max({ispy.st0, ispy.st1, ispy.st2, 0}));
    if (shown && (fading || clock - step < settled))
        Invalidate();
}

// --- Painting -------------------------------------------------------------------------------

float Tutorial::CardScale() const
{
    const auto& ispy = app.config.ispy;
    if (ispy.st1 > 0 && clock < float(ispy.st1))
        return clock / float(ispy.st1) * float(ispy.ss1) / 100;
    if (ispy.st2 > ispy.st1 && clock < float(ispy.st2))
        return ((clock - float(ispy.st1)) * float(ispy.ss2 - ispy.ss1) / float(ispy.st2 - ispy.st1) + float(ispy.ss1)) /
               100;
    return 1;
}

void Tutorial::Paint(Graphics& graphics)
{
    const auto& ispy = app.config.ispy;
    float darkness = float(std::clamp(app.config.common.COVERC, 0, 255));
    if (ispy.st0 > 0 && clock < float(ispy.st0))
        darkness *= clock / float(ispy.st0);
    if (int(darkness) > 0)
    {
        graphics.SetColor(Color(0, 0, 0, int(darkness)));
        graphics.FillRect(0, 0, 800, 600);
    }

    float scale = CardScale();
    if (scale <= 0)
        return;
    graphics.PushState();
    // While the card grows in it flashes up as white light; picture and card share the look.
    if (ispy.st1 > 0 && clock < float(ispy.st1))
    {
        graphics.SetDrawMode(DRAWMODE_ADDITIVE);
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, std::clamp(int(clock * 255 / float(ispy.st1)), 0, 255)));
    }
    Transform transform;
    if (scale != 1)
        transform.Scale(scale, scale);
    float cardY = float(kCentreY + ispy.dyb);
    if (IMAGE_TUTOR_BACK != nullptr)
        graphics.DrawImageTransform(IMAGE_TUTOR_BACK, transform, float(kCentreX), cardY);
    if (picture != nullptr)
        graphics.DrawImageTransform(picture.get(), transform, float(kCentreX), cardY + float(ispy.dyo - ispy.dyb));
    graphics.PopState();
}

// --- Pointer --------------------------------------------------------------------------------

Point Tutorial::ToPicture(int x, int y) const
{
    if (picture == nullptr)
        return {x, y};
    return {x + picture->GetWidth() / 2 - kCentreX, y + picture->GetHeight() / 2 - app.config.ispy.dyo - kCentreY};
}

bool Tutorial::IsOverPicture(int x, int y) const
{
    if (picture == nullptr)
        return false;
    Point at = ToPicture(x, y);
    return at.x >= 0 && at.y >= 0 && at.x < picture->GetWidth() && at.y < picture->GetHeight();
}

void Tutorial::PointAt(int x, int y)
{
    lastPointer = {x, y};
    int cursor = IsOverPicture(x, y) ? kEraserCursor : 0;
    if (app.GetCursor() != cursor)
        app.SetCursor(cursor);
}

void Tutorial::OnPointerMove(int x, int y)
{
    PointAt(x, y);
}

void Tutorial::OnPress(int x, int y, int clickCode)
{
    (void)clickCode;
    strokes = 0;
    // A press can come before any move over the tutorial (it appeared under a still pointer):
    // the rubbing then starts where the pointer is, not where it was last seen.
    PointAt(x, y);
}

void Tutorial::OnPointerDrag(int x, int y)
{
    if (finished || picture == nullptr)
        return;
    EraseSegment(ToPicture(lastPointer.x, lastPointer.y), ToPicture(x, y));
    lastPointer = {x, y};
    if (strokeCooldown <= 0 && app.GetCursor() == kEraserCursor)
    {
        ++strokes;
        app.PlaySample(SOUND_OBJ_FIND);
        strokeCooldown = kStrokeCooldown;
    }
    if (float(CoverageCount()) < float(app.config.ispy.EPCta * 100))
        Judge();
}

void Tutorial::OnRelease(int x, int y, int clickCode)
{
    (void)x;
    (void)y;
    (void)clickCode;
    if (finished || picture == nullptr)
        return;
    Judge();
}

void Tutorial::Judge()
{
    const auto& ispy = app.config.ispy;
    if (float(CoverageCount()) > float(ispy.EPCt * 100))
    {
        if (strokes > 0)
            app.PlayScene("scenes/t_notenough.scr");
        return;
    }
    app.PlayScene("scenes/t_good.scr");
    fading = true;
    finished = true;
    clock = float(ispy.st2);
    Invalidate();
}

// --- Erasing --------------------------------------------------------------------------------

void Tutorial::EraseSegment(Point from, Point to)
{
    int radius = std::max(app.config.ispy.EPRt, 1);
    int dx = to.x - from.x;
    int dy = to.y - from.y;
    int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i <= steps; ++i)
    {
        // One pixel at a time along the longer axis, the other axis rounded to the line.
        int x = steps == 0 ? from.x : from.x + int(std::lround(double(dx) * i / steps));
        int y = steps == 0 ? from.y : from.y + int(std::lround(double(dy) * i / steps));
        EraseDisc(x, y, radius);
    }
    picture->BitsChanged();
    Invalidate();
}

void Tutorial::EraseDisc(int centerX, int centerY, int radius)
{
    // In 64 bits: the radius comes from the data and may be far larger than the picture.
    const int64_t width = picture->GetWidth();
    const int64_t height = picture->GetHeight();
    const int64_t left = std::max<int64_t>(int64_t(centerX) - radius, 0);
    const int64_t right = std::min<int64_t>(int64_t(centerX) + radius, width - 1);
    const int64_t top = std::max<int64_t>(int64_t(centerY) - radius, 0);
    const int64_t bottom = std::min<int64_t>(int64_t(centerY) + radius, height - 1);
    if (left > right || top > bottom)
        return;
    uint32_t* bits = picture->GetBits();
    const int64_t radiusSquared = int64_t(radius) * radius;
    const double radiusInv = 1.0 / radius;
    for (int64_t y = top; y <= bottom; ++y)
    {
        uint32_t* row = bits + size_t(y * width);
        const int64_t ry = y - centerY;
        for (int64_t x = left; x <= right; ++x)
        {
            const int64_t rx = x - centerX;
            const int64_t squared = rx * rx + ry * ry;
            if (squared > radiusSquared)
                continue;
            // The centre goes clear, the rim keeps its alpha: alpha scales with the distance.
            uint32_t pixel = row[x];
            uint32_t alpha = pixel >> 24;
            uint32_t worn = uint32_t(double(alpha) * std::sqrt(double(squared)) * radiusInv);
            row[x] = (std::min(worn, alpha) << 24) | (pixel & 0x00FFFFFFu);
        }
    }
}

int Tutorial::CoverageCount()
{
    if (picture == nullptr || picture->GetWidth() <= 0 || picture->GetHeight() <= 0)
        return 0;
    const uint32_t* bits = picture->GetBits();
    if (bits == nullptr)
        return 0;
    const int width = picture->GetWidth();
    const int height = picture->GetHeight();
    const int columnStep = (width - 1) / (kSamplesPerSide - 1);
    const int rowStep = (height - 1) / (kSamplesPerSide - 1);
    int count = 0;
    for (int row = 0; row < kSamplesPerSide; ++row)
    {
        int y = row * rowStep;
        for (int column = 0; column < kSamplesPerSide; ++column)
        {
            int x = column * columnStep;
            if ((bits[size_t(y) * size_t(width) + size_t(x)] >> 24) > kCoveredAlpha)
                ++count;
        }
    }
    return count;
}

} // namespace Vesk
