#pragma once

#include "framework/graphics/Point.h"
#include "framework/widgets/Widget.h"

#include <memory>

namespace Vesk
{

class GameApp;
class Image;
class MemoryImage;

// The erase tutorial: a practice screen on which the player rubs a picture away with the eraser
// cursor. The screen darkens, a card with the picture on it grows in, and dragging over the
// picture wears its alpha away; once enough of it is gone the tutorial praises the player
// (the scene "scenes/t_good.scr") and shrinks away, and a release that leaves too much of it
// asks for more rubbing ("scenes/t_notenough.scr").
//
// One tutorial lives for the whole run; the game application creates it hidden with the other
// screens and shows it through Begin. Its clocks run once per fixed update from Tick, so it plays
// the same in windowed and smooth modes.
class Tutorial : public Widget
{
public:
    static constexpr int kEraserCursor = 12;
    // Steps between two strokes that each play the rubbing sound.
    static constexpr float kStrokeCooldown = 53;

    explicit Tutorial(GameApp& app);
    ~Tutorial() override;

    // Shows the tutorial from its start (clock 0, not finished) with a fresh copy of source to
    // rub away; source itself is never changed. False, and nothing shown, when source has no
    // pixels.
    [[nodiscard]] bool Begin(Image* source);

    void OnAttachedToManager(WidgetManager* newManager) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnPointerMove(int x, int y) override;
    void OnPress(int x, int y, int clickCode) override;
    void OnRelease(int x, int y, int clickCode) override;
    void OnPointerDrag(int x, int y) override;

    // Advances the clocks by step (1.0 per 10 ms update): the grow-in clock, or the fade-out that
    // hides the tutorial when it has run back to 0, and the stroke cooldown.
    void StepClock(float step);
    // How much of the picture is left: of a grid of 10 x 10 samples from its top-left pixel,
    // (width - 1) / 9 and (height - 1) / 9 pixels apart, the number whose alpha is above 128
    // (0 without a picture).
    int CoverageCount();

    GameApp& app;
    // The grow-in clock, in steps; it runs back down while fading.
    float clock = 0;
    // The pointer at the previous move, press or drag (screen coordinates).
    Point lastPointer;
    // The fade-out after success runs.
    bool fading = false;
    // The tutorial was passed: drags and releases do nothing more.
    bool finished = false;
    // The picture being rubbed away (a copy owned here).
    std::unique_ptr<MemoryImage> picture;
    // Steps until a drag may start a new stroke.
    float strokeCooldown = 0;
    // Strokes started since the last press.
    int strokes = 0;

private:
    // The screen point in the picture's pixels (the picture is centred at (400, 300 + dyo)).
    Point ToPicture(int x, int y) const;
    bool IsOverPicture(int x, int y) const;
    void PointAt(int x, int y);
    // Wears the alpha away in a disc of radius ISpy/EPRt around each point of the straight line
    // between the two picture points.
    void EraseSegment(Point from, Point to);
    void EraseDisc(int centerX, int centerY, int radius);
    // The release's verdict: passed when little enough is left, else more rubbing is asked for
    // when the player rubbed since the press.
    void Judge();
    // The card's scale at the current clock; nothing is drawn at 0 or below.
    float CardScale() const;
};

} // namespace Vesk
