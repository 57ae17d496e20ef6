#include "dialogs/SettingsDialog.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/Slider.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>

namespace Vesk
{

namespace
{

// The checkbox's hot area reaches this far to the right of the box, over its label.
constexpr int kCheckboxLabelReach = 230;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

int WidthOf(const Image* image)
{
    return image != nullptr ? image->GetWidth() : 0;
}

int HeightOf(const Image* image)
{
    return image != nullptr ? image->GetHeight() : 0;
}

} // namespace

SettingsDialog::SettingsDialog(const std::string& header, const std::string& lines, GameApp& app, const Motion& motion)
    : Dialog(IMAGE_W_OPTIONS, IMAGE_404, kDialogId, true, header, lines, "", BUTTONS_NONE), app(app), motion(motion)
{
    contentInsets = Insets(23, app.config.graphics.HY, 23, 20);
    spaceAfterHeader = 30;
    const Color white(255, 255, 255, 255);
    const Color black(0, 0, 0, 255);
    SetPaletteColor(3, white);
    SetPaletteColor(4, white);
    SetPaletteColor(0, black);
    SetPaletteColor(1, black);
    SetHeaderFont(FONT_MAIN24);
    SetButtonFont(FONT_MAIN22);
    SetLinesFont(FONT_MAIN18);

    musicSlider = std::make_unique<Slider>(nullptr, IMAGE_SLIDER_THUMB, kMusicSliderId, this);
    musicSlider->SetValue(app.GetMusicVolume());
    soundSlider = std::make_unique<Slider>(nullptr, IMAGE_SLIDER_THUMB, kSoundSliderId, this);
    soundSlider->SetValue(app.GetSfxVolume());
    fullScreenCheckbox = std::make_unique<Checkbox>(IMAGE_CHECKBOX, kFullScreenCheckboxId, this);
    tutorialCheckbox = std::make_unique<Checkbox>(IMAGE_CHECKBOX, kTutorialCheckboxId, this);

    slideOffset = kScreenHeight - motion.y;
    // The darkening covers the whole screen, far outside the dialog.
    clipToBounds = false;
    app.PlaySample(SOUND_WINDOW_MOVE);
}

SettingsDialog::~SettingsDialog()
{
    musicSlider.reset();
    soundSlider.reset();
    fullScreenCheckbox.reset();
    tutorialCheckbox.reset();
}

// --- The controls ---------------------------------------------------------------------------

void SettingsDialog::OnAttachedToManager(WidgetManager* newManager)
{
    Dialog::OnAttachedToManager(newManager);
    for (Slider* slider : {musicSlider.get(), soundSlider.get()})
    {
        slider->zOrder = zOrder;
        newManager->AddChild(slider);
    }
    // The picture holds the unchecked box on its left half and the checked box on its right.
    const int half = WidthOf(IMAGE_CHECKBOX) / 2;
    const int boxHeight = HeightOf(IMAGE_CHECKBOX);
    for (Checkbox* checkbox : {fullScreenCheckbox.get(), tutorialCheckbox.get()})
    {
        checkbox->uncheckedRect = Rect(0, 0, half, boxHeight);
        checkbox->checkedRect = Rect(half, 0, half, boxHeight);
        checkbox->zOrder = zOrder;
    }
    fullScreenCheckbox->SetChecked(!app.windowed, false);
    newManager->AddChild(fullScreenCheckbox.get());
    tutorialCheckbox->SetChecked(app.sceneOption, false);
    newManager->AddChild(tutorialCheckbox.get());
}

void SettingsDialog::OnDetachedFromManager(WidgetManager* oldManager)
{
    Dialog::OnDetachedFromManager(oldManager);
    oldManager->RemoveChild(musicSlider.get());
    oldManager->RemoveChild(soundSlider.get());
    oldManager->RemoveChild(fullScreenCheckbox.get());
    oldManager->RemoveChild(tutorialCheckbox.get());
}

void SettingsDialog::SetBounds(int, int, int, int)
{
    const auto& layout = app.config.graphics;
    const int left = motion.x;
    const int top = motion.y + slideOffset;
    Dialog::SetBounds(left, top, WidthOf(IMAGE_W_OPTIONS), HeightOf(IMAGE_W_OPTIONS));
    musicSlider->SetBounds(left + layout.SX, top + layout.S1Y, layout.SW, layout.SH);
    soundSlider->SetBounds(left + layout.SX, top + layout.S2Y, layout.SW, layout.SH);
    const int boxWidth = WidthOf(IMAGE_CHECKBOX) / 2 + kCheckboxLabelReach;
    const int boxHeight = HeightOf(IMAGE_CHECKBOX);
    fullScreenCheckbox->SetBounds(left + layout.CX, top + layout.C1Y, boxWidth, boxHeight);
    tutorialCheckbox->SetBounds(left + layout.CX, top + layout.C2Y, boxWidth, boxHeight);
}

void SettingsDialog::OnSliderMoved(int id, double value)
{
    if (id == kMusicSliderId)
        app.SetMusicVolume(value);
    if (id != kSoundSliderId)
        return;
    app.SetSfxVolume(value);
    // Heard once, at the new level, when the slider is let go.
    if (!soundSlider->dragging)
        app.PlaySample(SOUND_CLICK);
}

void SettingsDialog::OnCheckboxToggled(int id, bool checked)
{
    if (id == kFullScreenCheckboxId)
    {
        // A game that may not run in a window keeps the box ticked (the nested toggle switches
        // to the full screen it already has).
        if (app.forceFullScreen && !checked)
            fullScreenCheckbox->SetChecked(true, true);
        app.SwitchScreenMode(!fullScreenCheckbox->IsChecked(), app.Is3DAccelerated(), false);
    }
    app.PlaySample(SOUND_TIP);
}

void SettingsDialog::ApplyTutorialChoice()
{
    app.sceneOption = tutorialCheckbox->IsChecked();
}

// --- The slide ------------------------------------------------------------------------------

void SettingsDialog::Tick()
{
    Dialog::Tick();
    for (DrawnButton* button : buttons)
        AnimateHover(*button);
    if (EscapeHeld() && !app.IsMuted() && slideProgress == 1.0f)
        CloseByEscape();
    if (!closing && slideProgress < 1)
        SlideIn();
    if (closing && slideProgress > 0)
        SlideOut();
}

bool SettingsDialog::EscapeHeld() const
{
    return manager != nullptr && manager->keyDown[Platform::KEYCODE_ESCAPE];
}

void SettingsDialog::AnimateHover(DrawnButton& button) const
{
    const double step = app.config.graphics.BDT;
    if (button.hovered)
        button.hoverAnim = float(std::min(1.0, button.hoverAnim + step));
    else
        button.hoverAnim = float(std::max(0.0, button.hoverAnim - step));
}

void SettingsDialog::SlideIn()
{
    slideProgress += motion.inStep;
    if (slideProgress >= 1)
    {
        slideProgress = 1;
        slideOffset = 0;
        SetBounds(0, 0, 0, 0);
        return;
    }
    // The path runs from the bottom edge to 2 jumps above the resting place; the part beyond one
    // jump folds back, and the sine rounds the overshoot off to about 0.64 jumps at its peak.
    const int jump = motion.jump;
    int offset = int(float(2 * jump - motion.y + kScreenHeight) * (1.0f - slideProgress) - float(2 * jump));
    if (offset < -jump)
        offset = -offset - 2 * jump;
    if (offset < 0)
    {
        constexpr float kQuarterTurn = 1.5707964f;
        const float sine = float(std::sin(double(float(offset) * kQuarterTurn / float(jump))));
        offset = int(float(jump) * sine / kQuarterTurn);
    }
    slideOffset = offset;
    SetBounds(0, 0, 0, 0);
}

void SettingsDialog::SlideOut()
{
    slideProgress -= motion.outStep;
    if (slideProgress <= 0)
    {
        slideProgress = 0;
        ApplyTutorialChoice();
        Remove();
        return;
    }
    slideOffset = int(float(motion.outEnd - motion.y) * (1.0f - slideProgress));
    SetBounds(0, 0, 0, 0);
}

// --- Painting -------------------------------------------------------------------------------

void SettingsDialog::Paint(Graphics& graphics)
{
    PaintDarkening(graphics);
    Dialog::Paint(graphics);
    PaintLabels(graphics);
    PaintUnderButtons(graphics);
    for (const DrawnButton* button : buttons)
        PaintButton(graphics, *button);
    PaintDecoration(graphics);
}

void SettingsDialog::PaintDarkening(Graphics& graphics) const
{
    graphics.SetColorizeImages(true);
    graphics.SetColor(Color(0, 0, 0, int(slideProgress * 255 * app.config.graphics.BLACK)));
    graphics.FillRect(-motion.x, -motion.y - slideOffset, kScreenWidth, kScreenHeight);
    graphics.SetColorizeImages(false);
}

void SettingsDialog::PaintLabels(Graphics& graphics) const
{
    const auto& layout = app.config.graphics;
    const auto& texts = app.texts.interface;
    graphics.SetFont(FONT_MAIN18);
    graphics.SetColor(Color(0, 0, 0, 255));
    graphics.DrawString(texts.options_control1, layout.TX, layout.T1Y);
    graphics.DrawString(texts.options_control2, layout.TX, layout.T2Y);
    graphics.DrawString(texts.options_control3, layout.TX, layout.T3Y);
    graphics.DrawString(texts.options_control4, layout.TX, layout.T4Y);
}

void SettingsDialog::PaintButton(Graphics& graphics, const DrawnButton& button) const
{
    Image* strip = IMAGE_BLH_SIMPLE;
    if (strip != nullptr)
    {
        // Left cap, stretched middle, right cap: the button grows to the right only.
        const int cap = WidthOf(IMAGE_BLN_SIMPLE) / 3;
        const int cel = strip->GetWidth() / 3;
        const int h = strip->GetHeight();
        const double growth = Growth(button);
        graphics.DrawImage(strip, button.x, button.y, Rect(0, 0, cel, h));
        graphics.DrawImage(strip, Rect(button.x + cap, button.y, int(button.w - 2 * cap + growth), h),
                           Rect(cel, 0, cel, h));
        graphics.DrawImage(strip, int(button.x + button.w - cap + growth), button.y, Rect(2 * cel, 0, cel, h));
    }
    graphics.SetColor(button.pressed ? Color(0, 0, 0, 255) : Color(255, 255, 255, 255));
    graphics.SetFont(FONT_MAIN22);
    graphics.DrawString(button.label, button.labelX, button.labelY);
}

void SettingsDialog::PaintDecoration(Graphics& graphics) const
{
    if (IMAGE_DECOR_O != nullptr)
        graphics.DrawImage(IMAGE_DECOR_O, app.config.graphics.DX, app.config.graphics.DY);
}

// --- The pointer ----------------------------------------------------------------------------

bool SettingsDialog::ButtonContains(const DrawnButton& button, int x, int y)
{
    return button.x < x && x < button.x + button.w && button.y < y && y < button.y + HeightOf(IMAGE_BLH_SIMPLE);
}

void SettingsDialog::OnPointerMove(int x, int y)
{
    for (DrawnButton* button : buttons)
    {
        button->hovered = ButtonContains(*button, x, y);
        if (!button->hovered)
            button->pressed = false;
    }
}

void SettingsDialog::OnPointerDrag(int x, int y)
{
    OnPointerMove(x, y);
}

void SettingsDialog::OnReleaseAt(int, int) {}

} // namespace Vesk
