#pragma once

namespace Vesk
{

// Told when a checkbox is toggled by the player (or by SetChecked with notify).
class CheckboxListener
{
public:
    virtual ~CheckboxListener() = default;

    virtual void OnCheckboxToggled(int id, bool checked) {}
};

} // namespace Vesk
