#pragma once

#include "framework/graphics/Insets.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Vesk
{

class DialogButton;
class DialogListener;
class Font;
class Image;

// A draggable framed panel with a centred header, word-wrapped lines, a footer and up to two
// buttons, kept by the application in its list of dialogs (AddDialog, KillDialog). A modal
// dialog is the modal base while shown. Its buttons are children of the widget manager (not of
// the dialog) and stay just above it; the dialog listens to them and reports the presses and
// releases of ids 1000 and 1001 to its dialog listener (the application by default).
//
// The dialog owns its buttons and fonts; whoever made the dialog deletes it (the application
// for dialogs it was given). Palette: 0 header, 1 lines, 2 footer, 3 button text, 4 button
// hover text, 5 background, 6 outline.
class Dialog : public Widget, public ButtonListener
{
public:
    static constexpr int kNoResult = 2147483647;
    static constexpr int kYesButtonId = 1000;
    static constexpr int kNoButtonId = 1001;
    enum ButtonMode
    {
        BUTTONS_NONE = 0,
        BUTTONS_YES_NO = 1,
        BUTTONS_OK_CANCEL = 2,
        BUTTONS_FOOTER = 3,
    };

    // componentImage frames the dialog and buttonImage its buttons; either may be null.
    Dialog(Image* componentImage, Image* buttonImage, int id, bool isModal, const std::string& header,
           const std::string& lines, const std::string& footer, int buttonMode);
    ~Dialog() override;

    // Each keeps a copy of the font.
    virtual void SetButtonFont(Font* font);
    virtual void SetHeaderFont(Font* font);
    virtual void SetLinesFont(Font* font);
    // The height that shows everything at this width.
    virtual int GetPreferredHeight(int width);
    virtual bool IsModal();
    // Runs application update steps until the dialog has a result or leaves the tree; with
    // autoKill the application then removes it. Returns the result (the button id, or
    // kNoResult). The dialog may be deleted by the steps it runs; the result still arrives.
    virtual int WaitForResult(bool autoKill);

    void SetBounds(int x, int y, int width, int height) override;
    void SetPaletteRGBA(const int (*rows)[4], int count) override;
    void SetPaletteRGB(const int (*rows)[3], int count) override;
    void SetPaletteColor(int index, const Color& color) override;
    void OnAttachedToManager(WidgetManager* newManager) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void OnStackingChanged() override;
    void Paint(Graphics& graphics) override;
    void OnButtonPress(int x, int y, int buttonNumber, int clickCount) override;
    void OnButtonRelease(int x, int y, int buttonNumber, int clickCount) override;
    void OnPointerDrag(int x, int y) override;

    using ButtonListener::OnButtonPressed;
    void OnButtonPressed(int buttonId) override;
    void OnButtonReleased(int buttonId) override;

    int id;
    bool isModal;
    int result = kNoResult;
    Image* componentImage;
    std::string header;
    std::string lines;
    std::string footer;
    int buttonMode;
    std::unique_ptr<DialogButton> yesButton;
    std::unique_ptr<DialogButton> noButton;
    std::unique_ptr<Font> headerFont;
    std::unique_ptr<Font> linesFont;
    Insets backgroundInsets;
    Insets contentInsets{24, 24, 24, 24};
    int spaceAfterHeader = 10;
    int buttonHeight = 24;
    int buttonHorzSpacing = 8;
    int buttonSidePadding = 0;
    int textAlign = 0;
    int lineSpacingOffset = 0;
    DialogListener* dialogListener;
    bool dragging = false;
    int dragX = 0;
    int dragY = 0;

protected:
    // What WaitForResult needs to know after a step of the loop deleted the dialog (the
    // application deletes a dialog whose button was clicked).
    struct WaitState
    {
        bool alive = true;
        int result = kNoResult;
    };

    Font* GetHeaderFont();
    Font* GetLinesFont();
    // Gives the buttons the dialog's button text colours.
    void ApplyButtonColors();
    // Places the buttons along the bottom for the current bounds.
    void LayoutButtons();

    std::shared_ptr<WaitState> waitState = std::make_shared<WaitState>();
};

} // namespace Vesk
