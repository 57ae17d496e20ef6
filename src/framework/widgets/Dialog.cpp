#include "framework/widgets/Dialog.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/widgets/DialogListener.h"

namespace Vesk
{

Dialog::Dialog(Image* componentImage, Image* buttonImage, int id, bool isModal, const std::string& header,
               const std::string& lines, const std::string& footer, int buttonMode)
    : id(id), isModal(isModal), componentImage(componentImage), buttonImage(buttonImage), header(header), lines(lines),
      footer(footer), buttonMode(buttonMode), dialogListener(gAppBase)
{
}

int Dialog::GetPreferredHeight(int width)
{
    // Insets, then a line per part and the buttons; measured text comes with the fonts.
    int height = 48;
    if (!header.empty())
        height += 24;
    if (!lines.empty())
        height += 10 + 20;
    if (!footer.empty() && buttonMode != BUTTONS_FOOTER)
        height += 8 + 20;
    if (buttonMode != BUTTONS_NONE)
        height += 8 + 24 + 8;
    return height;
}

int Dialog::WaitForResult(bool autoKill)
{
    while (gAppBase != nullptr && manager != nullptr && result == kNoResult)
    {
        bool updated = false;
        if (!gAppBase->UpdateAppStep(updated))
            break;
    }
    int answer = result;
    if (autoKill && gAppBase != nullptr)
        gAppBase->KillDialog(id);
    return answer;
}

void Dialog::OnButtonPressed(int buttonId)
{
    if ((buttonId == 1000 || buttonId == 1001) && dialogListener != nullptr)
        dialogListener->OnDialogButtonPressed(id, buttonId);
}

void Dialog::OnButtonReleased(int buttonId)
{
    if (buttonId != 1000 && buttonId != 1001)
        return;
    result = buttonId;
    if (dialogListener != nullptr)
        dialogListener->OnDialogButtonReleased(id, buttonId);
}

} // namespace Vesk
