#include "framework/appbase/DemoJumpDialog.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/EditWidget.h"

#include <cctype>

namespace Vesk
{

namespace
{

constexpr int kEditHeight = 24;
// The edit field sits this far below the text and above the buttons.
constexpr int kEditGap = 12;
constexpr int kMaxSeconds = 24 * 60 * 60;

} // namespace

DemoJumpDialog::DemoJumpDialog(VeskAppBase* app, const std::string& lastTime)
    : Dialog(nullptr, nullptr, VeskAppBase::kDemoJumpDialogId, true, app->GetString("DEMO_JUMP_TITLE", "Jump To Time"),
             app->GetString("DEMO_JUMP_PROMPT", "Seconds before the end of the recording (or m:ss, h:mm:ss):"), "",
             BUTTONS_OK_CANCEL),
      app(app)
{
    prompt = lines;
    edit = std::make_unique<EditWidget>(kEditId, this);
    edit->maxChars = 8;
    int seconds = 0;
    edit->SetText(ParseTime(lastTime, seconds) ? lastTime : std::string());
    // The old time is selected, so that typing replaces it.
    if (!edit->text.empty())
        edit->hilitePos = 0;
    AddChild(edit.get());
}

DemoJumpDialog::~DemoJumpDialog()
{
    RemoveChild(edit.get());
}

bool DemoJumpDialog::ParseTime(const std::string& text, int& seconds)
{
    if (text.empty() || text.size() > 12)
        return false;
    int parts[3] = {0, 0, 0};
    int count = 0;
    int digits = 0;
    for (char c : text)
    {
        if (c == ':')
        {
            if (digits == 0 || ++count >= 3)
                return false;
            digits = 0;
        }
        else if (std::isdigit(static_cast<unsigned char>(c)))
        {
            if (++digits > 6)
                return false;
            parts[count] = parts[count] * 10 + (c - '0');
        }
        else
            return false;
    }
    if (digits == 0)
        return false;
    int total = 0;
    for (int i = 0; i <= count; ++i)
    {
        // Minutes and seconds after the first part stay below 60.
        if (i > 0 && parts[i] >= 60)
            return false;
        total = total * 60 + parts[i];
        if (total > kMaxSeconds)
            return false;
    }
    seconds = total;
    return true;
}

int DemoJumpDialog::GetPreferredHeight(int dialogWidth)
{
    return Dialog::GetPreferredHeight(dialogWidth) + kEditHeight + 2 * kEditGap - 16;
}

void DemoJumpDialog::SetBounds(int newX, int newY, int newWidth, int newHeight)
{
    Dialog::SetBounds(newX, newY, newWidth, newHeight);
    int left = backgroundInsets.left + contentInsets.left;
    int right = backgroundInsets.right + contentInsets.right;
    int buttonsTop = newHeight - contentInsets.bottom - backgroundInsets.bottom - buttonHeight;
    edit->SetBounds(left, buttonsTop - kEditGap - kEditHeight, newWidth - left - right, kEditHeight);
}

void DemoJumpDialog::OnButtonReleased(int buttonId)
{
    result = buttonId;
    if (buttonId == kYesButtonId)
        Accept();
    else if (buttonId == kNoButtonId)
        Cancel();
}

void DemoJumpDialog::OnEditText(int id, const std::string& text)
{
    Accept();
}

bool DemoJumpDialog::AllowEditKey(int id, int keyCode)
{
    if (keyCode == Platform::KEYCODE_ESCAPE)
    {
        Cancel();
        return false;
    }
    // Digits arrive as typed characters; their key presses would drop the selection first, so
    // that a typed time would not replace the old one.
    bool digit = (keyCode >= '0' && keyCode <= '9') ||
                 (keyCode >= Platform::KEYCODE_NUMPAD0 && keyCode <= Platform::KEYCODE_NUMPAD0 + 9);
    return !digit;
}

bool DemoJumpDialog::AllowEditChar(int id, int character)
{
    return (character >= '0' && character <= '9') || character == ':';
}

void DemoJumpDialog::Accept()
{
    int seconds = 0;
    if (!ParseTime(edit->text, seconds))
    {
        lines = app->GetString("DEMO_JUMP_BAD_TIME", "That is no time. Type seconds such as 90, or 1:30 or 0:01:30:");
        SetBounds(x, y, width, GetPreferredHeight(width));
        InvalidateFully();
        return;
    }
    app->DemoJumpToTimeEntered(edit->text, seconds);
    app->CloseDemoDialog(id);
}

void DemoJumpDialog::Cancel()
{
    app->CloseDemoDialog(id);
}

} // namespace Vesk
