#pragma once

namespace Vesk
{

// Told about the presses and releases of a dialog's buttons (ids 1000 and 1001).
class DialogListener
{
public:
    virtual ~DialogListener() = default;

    virtual void OnDialogButtonPressed(int dialogId, int buttonId) {}
    virtual void OnDialogButtonReleased(int dialogId, int buttonId) {}
};

} // namespace Vesk
