#pragma once

#include "framework/graphics/Rect.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/EditListener.h"

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class EditWidget;
class GameApp;
class Graphics;
class Image;

namespace Profile
{

// The shared look and motion of the player and confirmation dialogs: the window picture slides
// up from below the screen with a small bounce, the buttons are drawn by the dialog and grow
// while the pointer rests on them, and after a choice the window slides down again before the
// choice is reported. The standard Dialog buttons and drawing are not used; Dialog gives the
// modality, the result and WaitForResult. Escape chooses the dialog's cancel button once the
// dialog is in place, and only while it is the top modal one (a dialog it opened answers
// Escape itself).
//
// The caller creates the dialog and calls ShowModal; the application deletes it.
class ProfileDialog : public Dialog
{
public:
    static constexpr int kDialogId = 987;
    static constexpr int kListDialogId = 988;

    // Where the dialog rests and how it moves: the config keys X, Y, jump, in-step, out-step.
    struct Motion
    {
        int x = 0;
        int y = 0;
        int jump = 0;
        double inStep = 0.1;
        double outStep = 0.1;
    };

    // A button the dialog draws itself, as a stretched three-cel strip.
    struct DrawnButton
    {
        Rect rect;
        bool rightAnchored = false;
        std::string label;
        int labelX = 0;
        int id = 0;
        bool hovered = false;
        bool pressed = false;
        float hoverAnim = 0;
    };

    ~ProfileDialog() override;

    void Tick() override;
    void SetBounds(int x, int y, int width, int height) override;
    void Paint(Graphics& graphics) override;
    void OnPointerMove(int x, int y) override;
    void OnPress(int x, int y, int clickCode) override;
    void OnRelease(int x, int y, int clickCode) override;
    void OnKeyPressed(int keyCode) override;

    float slideProgress = 0;
    int slideOffset = 0;
    bool closing = false;
    int chosenButton = 0;
    std::vector<DrawnButton> buttons;

protected:
    ProfileDialog(GameApp& app, Widget* parentWidget, int dialogId, Image* windowImage, Image* boundsImage,
                  Image* buttonImage, int buttonMode, const Motion& motion, bool darken, const std::string& header);

    // Adds the dialog to the application and waits for its answer (the button id, or
    // kNoResult when it was taken away unanswered).
    int RunModal();
    // Starts the slide-out that ends in reporting buttonId.
    void Choose(int buttonId);
    // Runs when the slide-out has finished: Dialog's report by default.
    virtual void ReportChoice(int buttonId);
    virtual void OnSlidIn() {}
    // What the dialog draws between its window and its buttons.
    virtual void PaintContent(Graphics& graphics) {}
    // A warning's look: the heading centred at headingY in red (FONT_MAIN24), the text below it
    // wrapped in black (FONT_MAIN18).
    void PaintWarningText(Graphics& graphics, const std::string& heading, int headingY, const std::string& text, int x,
                          int y, int wrapWidth);
    // Moves widgets that follow the dialog.
    virtual void LayoutChildren() {}
    // The button Escape chooses; 0 for none.
    virtual int EscapeButton() const;
    // Whether this dialog is the one on top of the screen, taking the input.
    bool IsTopModal() const;
    // What takes the keys while the dialog is up. The focus is taken on the first tick, once
    // the dialog is the modal one, so that closing it gives the focus back to what had it.
    virtual Widget* KeyTarget() { return this; }

    void TickSlideIn();
    void TickSlideOut();
    void TickHover();
    void TickEscape();
    void PaintButton(Graphics& graphics, const DrawnButton& button);
    // A stretched three-cel strip (grown by growth pixels to the right or, right-anchored, to
    // the left) with caps measured on capImage.
    static void PaintStrip(Graphics& graphics, Image* strip, Image* capImage, const Rect& rect, int growth,
                           bool rightAnchored);

    GameApp& app;
    Widget* parentWidget;
    Image* windowImage;
    Motion motion;
    bool darken;
    bool focusTaken = false;
    // Escape was pressed since the last tick.
    bool escapePressed = false;
};

// Asks whether to quit; true when the player agrees.
class ExitDialog : public ProfileDialog
{
public:
    ExitDialog(GameApp& app, Widget* parentWidget, const std::string& header);
    bool ShowModal();

protected:
    void PaintContent(Graphics& graphics) override;
};

// Shown while the chosen player's game loads; it loads once slid in and closes by itself.
class LoadDialog : public ProfileDialog
{
public:
    LoadDialog(GameApp& app, Widget* parentWidget, const std::string& header);
    bool ShowModal();

    void Tick() override;
    void TickSmooth(float fraction) override;

protected:
    void OnSlidIn() override;
    void PaintContent(Graphics& graphics) override;
    int EscapeButton() const override { return 0; }

    bool smoothUpdates = false;
};

// A message with one button.
class WarningDialog : public ProfileDialog
{
public:
    WarningDialog(GameApp& app, const std::string& message);
    int ShowModal();

    void OnRelease(int x, int y, int clickCode) override;

protected:
    void PaintContent(Graphics& graphics) override;
    int EscapeButton() const override { return kYesButtonId; }

    std::string message;
};

// Asks whether to delete a player; true when the player agrees.
class DeleteDialog : public ProfileDialog
{
public:
    DeleteDialog(GameApp& app, const std::string& header);
    bool ShowModal();

protected:
    void PaintContent(Graphics& graphics) override;
};

// The name field the two name dialogs share; Enter ends the dialog at once with OK.
class NameDialog : public ProfileDialog, public EditListener
{
public:
    ~NameDialog() override;

    void Tick() override;
    void OnAttachedToManager(WidgetManager* newManager) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void OnEditText(int id, const std::string& text) override;
    bool AllowEditChar(int id, int character) override;
    bool AllowEditKey(int id, int keyCode) override;

    std::unique_ptr<EditWidget> edit;

protected:
    NameDialog(GameApp& app, Image* buttonImage, int buttonMode, bool darken, const std::string& header);
    void LayoutChildren() override;
    void PaintContent(Graphics& graphics) override;
    Widget* KeyTarget() override;
    // Shows the dialog; the name typed, cleaned, after OK or Enter, else "" (also when what was
    // typed is no usable name).
    std::string RunForName();

    // The field's text, kept where it outlives the dialog (the application deletes it).
    std::shared_ptr<std::string> typed;
};

// The first player's name; "" when nothing usable was typed.
class FirstInputDialog : public NameDialog
{
public:
    FirstInputDialog(GameApp& app, const std::string& header);
    std::string ShowModal();

protected:
    int EscapeButton() const override { return kNoButtonId; }
};

// A new player's name; "" when cancelled or nothing usable was typed.
class InputDialog : public NameDialog
{
public:
    InputDialog(GameApp& app, const std::string& header);
    std::string ShowModal();
};

} // namespace Profile
} // namespace Vesk
