#pragma once

#include "framework/widgets/Dialog.h"
#include "framework/widgets/EditListener.h"

#include <memory>
#include <string>

namespace Vesk
{

class EditWidget;
class VeskAppBase;

// The playback's "Jump To Time" dialog (key "J" while a demo plays back): one edit field for
// the time before the end of the recording to run ahead to, in seconds or as m:ss or h:mm:ss.
// OK or Enter jumps there and keeps the text for next time; Cancel or Escape closes it. A text
// that is no time keeps the dialog open with a hint. While it is open the playback stands still
// and live input goes to it (see VeskAppBase::IsDemoDialogOpen).
//
// Made and added by the application, which deletes it when it closes.
class DemoJumpDialog : public Dialog, public EditListener
{
public:
    static constexpr int kEditId = 1;

    DemoJumpDialog(VeskAppBase* app, const std::string& lastTime);
    ~DemoJumpDialog() override;

    // Seconds from "90", "1:30" or "0:01:30" (each part after the first below 60); false for
    // anything else, including an empty text and values beyond a day.
    static bool ParseTime(const std::string& text, int& seconds);

    // Places the edit field between the text and the buttons.
    void SetBounds(int x, int y, int width, int height) override;
    void OnButtonReleased(int buttonId) override;

    void OnEditText(int id, const std::string& text) override;
    bool AllowEditKey(int id, int keyCode) override;
    bool AllowEditChar(int id, int character) override;

    // The height that shows everything at this width, the edit field included.
    int GetPreferredHeight(int width) override;

    std::unique_ptr<EditWidget> edit;

private:
    // Jumps to the time in the field and closes; with a bad time shows the hint instead.
    void Accept();
    void Cancel();

    VeskAppBase* app;
    std::string prompt;
};

} // namespace Vesk
