#pragma once

#include "framework/widgets/CheckboxListener.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/SliderListener.h"

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class Checkbox;
class GameApp;
class Slider;

// What the options and pause dialogs share: the window picture with the music and sound
// volume sliders, the full-screen and tutorial checkboxes and their labels, the rise from the
// bottom edge with a bounce over a darkening screen, the sinking out when closed, and the
// drawn buttons that grow while hovered. Volume and screen-mode changes apply at once; the
// tutorial box reaches the player's sceneOption once the dialog has sunk out.
//
// The controls are children of the widget manager (not of the dialog), placed in screen
// coordinates just above it. The application kills and deletes the dialog like any other.
class SettingsDialog : public Dialog, public SliderListener, public CheckboxListener
{
public:
    ~SettingsDialog() override;

    void OnAttachedToManager(WidgetManager* newManager) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    // Ignores what is asked for: the dialog sits at its resting position moved down by
    // slideOffset, with the size of the window picture.
    void SetBounds(int x, int y, int width, int height) override;
    void OnPointerMove(int x, int y) override;
    void OnPointerDrag(int x, int y) override;
    void OnReleaseAt(int x, int y) override;
    void OnSliderMoved(int id, double value) override;
    void OnCheckboxToggled(int id, bool checked) override;

    // Both dialogs are created under this id; the application may list one under another.
    static constexpr int kDialogId = 6;
    static constexpr int kMusicSliderId = 0;
    static constexpr int kSoundSliderId = 1;
    static constexpr int kFullScreenCheckboxId = 2;
    static constexpr int kTutorialCheckboxId = 4;

    // A button drawn on the window picture from the three-cel strip IMAGE_BLH_SIMPLE; it grows
    // to the right while hovered. (x, y, w) and the label position are dialog coordinates.
    struct DrawnButton
    {
        int x = 0;
        int y = 0;
        int w = 0;
        std::string label;
        int labelX = 0;
        int labelY = 0;
        bool hovered = false;
        bool pressed = false;
        float hoverAnim = 0;
    };

    // Where the dialog rests and how it slides (the "Graphics" keys of one of the dialogs).
    struct Motion
    {
        int x = 0;
        int y = 0;
        int jump = 0;
        double inStep = 0;
        double outStep = 0;
        // The bottom edge the slide-out heads for (the dialog's top ends there).
        int outEnd = 600;
    };

    GameApp& app;
    std::unique_ptr<Slider> musicSlider;
    std::unique_ptr<Slider> soundSlider;
    std::unique_ptr<Checkbox> fullScreenCheckbox;
    std::unique_ptr<Checkbox> tutorialCheckbox;
    // 0 below the screen, 1 in place.
    float slideProgress = 0;
    // How far below its resting position the dialog is drawn.
    int slideOffset = 0;
    // The slide-out has started.
    bool closing = false;

protected:
    SettingsDialog(const std::string& header, const std::string& lines, GameApp& app, const Motion& motion);

    // Escape held once the dialog is in place: closes it as its closing button would, silently.
    virtual void CloseByEscape() = 0;
    // The slide-out has ended: leave the application's dialogs.
    virtual void Remove() = 0;
    // Pixels a hovered button grows by.
    virtual double Growth(const DrawnButton& button) const = 0;
    // Painted after the labels, under the buttons.
    virtual void PaintUnderButtons(Graphics& graphics) {}

    void PaintDecoration(Graphics& graphics) const;
    // The tutorial box becomes the player's choice.
    void ApplyTutorialChoice();

    Motion motion;
    // The drawn buttons in painting order, set by the dialog that owns them.
    std::vector<DrawnButton*> buttons;

private:
    bool EscapeHeld() const;
    // Strictly inside the button's rectangle without growth.
    static bool ButtonContains(const DrawnButton& button, int x, int y);
    void AnimateHover(DrawnButton& button) const;
    void SlideIn();
    void SlideOut();
    void PaintDarkening(Graphics& graphics) const;
    void PaintLabels(Graphics& graphics) const;
    void PaintButton(Graphics& graphics, const DrawnButton& button) const;
};

} // namespace Vesk
