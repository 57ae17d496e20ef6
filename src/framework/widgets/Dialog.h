#pragma once

#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <string>

namespace Vesk
{

class DialogListener;
class Image;

// A framed panel with a header, text, a footer and up to two buttons, kept by the application
// in its list of dialogs (AddDialog, KillDialog). A modal dialog is the modal base while shown.
//
// TODO(widgets): the application's bookkeeping needs only this much; the frame, fonts, the two
// buttons, dragging and the measured preferred height come with the standard controls.
class Dialog : public Widget, public ButtonListener
{
public:
    static constexpr int kNoResult = 2147483647;
    enum ButtonMode
    {
        BUTTONS_NONE = 0,
        BUTTONS_YES_NO = 1,
        BUTTONS_OK_CANCEL = 2,
        BUTTONS_FOOTER = 3,
    };

    Dialog(Image* componentImage, Image* buttonImage, int id, bool isModal, const std::string& header,
           const std::string& lines, const std::string& footer, int buttonMode);
    ~Dialog() override = default;

    bool IsModal() const { return isModal; }
    virtual int GetPreferredHeight(int width);
    // Runs application update steps until the dialog has a result or leaves the tree; with
    // autoKill the application then removes it. Returns the result (the button id).
    int WaitForResult(bool autoKill);

    void OnButtonPressed(int id) override;
    void OnButtonReleased(int id) override;

    int id;
    bool isModal;
    int result = kNoResult;
    Image* componentImage;
    Image* buttonImage;
    std::string header;
    std::string lines;
    std::string footer;
    int buttonMode;
    DialogListener* dialogListener = nullptr;
};

} // namespace Vesk
