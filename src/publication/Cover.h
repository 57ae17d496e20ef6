#pragma once

#include "framework/widgets/Widget.h"

namespace Vesk
{

class GameApp;

// The black veil laid over the whole window while the game is inactive (the application is
// muted, as when its window loses the focus). It lies above every other screen and is shown
// only while it has some strength; the hidden-object board fades it in and out every update,
// through the publication screen, which forwards to SetAlpha.
//
// One veil lives for the whole run; the game application creates it hidden with the other
// screens and deletes it.
class Cover : public Widget
{
public:
    static constexpr int kZOrder = 3000;

    explicit Cover(GameApp& app);
    ~Cover() override;

    void OnAttachedToManager(WidgetManager* newManager) override;
    void Paint(Graphics& graphics) override;

    // Sets the veil's strength, clamped to 0..1: shown while above 0, hidden at 0. Repaints only
    // when the strength changes.
    void SetAlpha(double newAlpha);
    // One step of the fade: while the application is muted the veil darkens by Common/COVERT per
    // step up to 1, otherwise it clears by as much and hides at 0. step is 1.0 per 10 ms update;
    // a speed of 0 or below completes the fade at once.
    void Fade(float step);

    GameApp& app;
    // The strength, 0 (clear) .. 1 (Common/COVERC of black).
    float alpha = 0;
};

} // namespace Vesk
