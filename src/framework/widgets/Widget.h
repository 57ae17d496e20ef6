#pragma once

#include "framework/widgets/WidgetContainer.h"

namespace Vesk
{

class Graphics;

// A shown, hit, focused, pressed and painted rectangle of the widget tree: every screen,
// dialog and control is one. Subclasses override the operations below.
//
// TODO(widgets): the operations the application base dispatches to; palettes, insets, tab
// order, overlays and the text helpers join when the widget tree is built.
class Widget : public WidgetContainer
{
public:
    Widget() = default;
    ~Widget() override = default;

    virtual void SetShown(bool shown);
    virtual void SetDisabled(bool disabled);
    virtual void SetBounds(int x, int y, int width, int height);
    void SetBoundsRect(const Rect& rect) { SetBounds(rect.x, rect.y, rect.width, rect.height); }
    virtual bool AcceptsFocus() const { return acceptsFocus; }
    virtual bool ContainsPoint(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }

    virtual void Paint(Graphics& graphics) {}
    virtual void OnFocusGained() { hasFocus = true; }
    virtual void OnFocusLost() { hasFocus = false; }
    virtual void OnCharTyped(int character) {}
    virtual void OnKeyPressed(int keyCode) {}
    virtual void OnKeyReleased(int keyCode) {}
    virtual void OnPointerEnter() {}
    virtual void OnPointerLeave() {}
    virtual void OnPointerMove(int x, int y) {}
    virtual void OnPress(int x, int y, int clickCode) {}
    virtual void OnRelease(int x, int y, int clickCode) {}
    virtual void OnPointerDrag(int x, int y) {}
    virtual void OnWheel(int delta) {}

    bool shown = true;
    bool pointerVisible = true;
    bool disabled = false;
    bool hasFocus = false;
    bool isPressed = false;
    bool isHovered = false;
    bool acceptsFocus = false;
};

} // namespace Vesk
