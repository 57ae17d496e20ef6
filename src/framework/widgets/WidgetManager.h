#pragma once

#include "framework/widgets/WidgetContainer.h"

#include <array>
#include <vector>

namespace Vesk
{

class VeskAppBase;
class ScreenImage;

// The root of the widget tree, owned by the application: it receives the application's input,
// keeps keyboard focus, pointer capture, hover and the modal stack, ticks the tree once per
// fixed update and paints the dirty top-level widgets into the screen image.
//
// Pointer positions are in manager coordinates (after RemapPointer). Click codes: 1 left,
// 2 left double click, -1 right, -2 right double click, 3 middle.
//
// TODO(widgets): what the application base calls, with simple dispatch (hit test of shown,
// enabled widgets from the top, capture, focus, a plain modal stack). The full tree brings the
// widget flags, the modal flags, overlays and painting through Graphics; PaintScreen below
// only reports and clears the dirty top-level widgets until then.
class WidgetManager : public WidgetContainer
{
public:
    explicit WidgetManager(VeskAppBase* app);
    ~WidgetManager() override;

    // One fixed update: every widget's Tick. True when something became dirty.
    bool TickFrame();
    void TickFrameSmooth(float fraction);
    // Paints the dirty top-level widgets; true when anything was painted.
    bool PaintScreen();

    bool PointerMoved(int x, int y);
    bool ButtonPressed(int x, int y, int clickCode);
    bool ButtonReleased(int x, int y, int clickCode);
    bool PointerLeftWindow();
    bool WheelTurned(int delta);
    bool CharTyped(int character);
    bool KeyPressed(int keyCode);
    bool KeyReleased(int keyCode);
    bool AppFocusGained();
    bool AppFocusLost();
    // The application lost the pointer: every held button is released on the captured widget.
    void ReleaseCapture();

    void SetFocusWidget(Widget* widget);
    void PushModal(Widget* widget);
    void PopModal(Widget* widget);
    // Forgets every reference to a widget that leaves the tree.
    void DropWidgetReferences(Widget* widget);
    Widget* FindWidgetAt(int x, int y, int& localX, int& localY);

    // The picture's place in the window: width = destRect.width + 2 x destRect.x, likewise the
    // height; RemapPointer maps window coordinates (sourceRect) onto it.
    void ResizeDisplay(const Rect& destRect, const Rect& sourceRect);
    Point RemapPointer(int x, int y) const;

    void RemoveChild(Widget* widget) override;

    VeskAppBase* app;
    ScreenImage* screenImage = nullptr;
    Widget* focusWidget = nullptr;
    Widget* capturedWidget = nullptr;
    Widget* hoverWidget = nullptr;
    Widget* modalBase = nullptr;
    std::vector<Widget*> modalStack;
    Rect pointerDestRect;
    Rect pointerSourceRect;
    bool appHasFocus = true;
    bool pointerInWindow = false;
    int lastPointerX = 0;
    int lastPointerY = 0;
    int heldButtons = 0;
    int physicalButtons = 0;
    int lastInputTick = 0;
    int lastPressedButton = 0;
    std::array<bool, 255> keyDown{};

private:
    void UpdateHover(int x, int y);
    void LeaveHover();
    void ReleaseButtonsOn(Widget* widget, int buttons);
    bool IsAtOrAboveModalBase(Widget* topLevel) const;
};

} // namespace Vesk
