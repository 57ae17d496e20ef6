#pragma once

namespace Vesk
{

// Told about a button's presses, releases and hovering. Every screen and dialog with buttons
// is one. The release while hovered is the click.
class ButtonListener
{
public:
    virtual ~ButtonListener() = default;

    virtual void OnButtonPressed(int id, int clickCount) { OnButtonPressed(id); }
    virtual void OnButtonPressed(int id) {}
    virtual void OnButtonReleased(int id) {}
    virtual void OnButtonHeldTick(int id) {}
    virtual void OnButtonPointerEnter(int id) {}
    virtual void OnButtonPointerLeave(int id) {}
    virtual void OnButtonPointerMove(int id, int x, int y) {}
};

} // namespace Vesk
