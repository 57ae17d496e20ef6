// Dialogs: creating, finding and killing the application's dialogs.
#include "framework/appbase/VeskAppBase.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdio>

namespace Vesk
{

Dialog* VeskAppBase::NewDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode)
{
    return new Dialog(nullptr, nullptr, id, isModal, header, lines, footer, buttonMode);
}

Dialog* VeskAppBase::DoDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                              const std::string& footer, int buttonMode)
{
    KillDialog(id);
    Dialog* dialog = NewDialog(id, isModal, header, lines, footer, buttonMode);
    AddDialog(id, dialog);
    return dialog;
}

Dialog* VeskAppBase::GetDialog(int id)
{
    auto found = dialogMap.find(id);
    return found == dialogMap.end() ? nullptr : found->second;
}

void VeskAppBase::AddDialog(Dialog* dialog)
{
    if (dialog != nullptr)
        AddDialog(dialog->id, dialog);
}

void VeskAppBase::AddDialog(int id, Dialog* dialog)
{
    if (dialog == nullptr)
        return;
    KillDialog(id);
    if (dialog->width == 0)
    {
        int dialogWidth = width / 2;
        dialog->SetBounds((width - dialogWidth) / 2, height / 5, dialogWidth, dialog->GetPreferredHeight(dialogWidth));
    }
    dialogMap[id] = dialog;
    dialogList.push_back(dialog);
    widgetManager->AddChild(dialog);
    if (dialog->IsModal())
    {
        widgetManager->PushModal(dialog);
        ModalOpen();
    }
}

bool VeskAppBase::KillDialog(Dialog* dialog)
{
    for (const auto& [id, known] : dialogMap)
    {
        if (known == dialog)
            return KillDialog(id, true, true);
    }
    return false;
}

bool VeskAppBase::KillDialog(int id)
{
    return KillDialog(id, true, true);
}

bool VeskAppBase::KillDialog(int id, bool removeWidget, bool deleteWidget)
{
    auto found = dialogMap.find(id);
    if (found == dialogMap.end())
        return false;
    Dialog* dialog = found->second;
    dialogMap.erase(found);
    dialogList.erase(std::remove(dialogList.begin(), dialogList.end(), dialog), dialogList.end());
    if (removeWidget || deleteWidget)
        widgetManager->RemoveChild(dialog);
    if (dialog->IsModal())
    {
        ModalClose();
        widgetManager->PopModal(dialog);
    }
    if (deleteWidget)
        SafeDeleteWidget(dialog);
    return true;
}

void VeskAppBase::OnDialogButtonReleased(int dialogId, int buttonId)
{
    KillDialog(dialogId);
}

} // namespace Vesk
