#pragma once

#include "framework/graphics/Rect.h"
#include "framework/widgets/FlagsMod.h"
#include "framework/widgets/ModalFlags.h"
#include "framework/widgets/ModalRecord.h"
#include "framework/widgets/WidgetContainer.h"
#include "framework/widgets/WidgetFlag.h"

#include <array>
#include <climits>
#include <utility>
#include <vector>

namespace Vesk
{

class Graphics;
class Image;
class VeskAppBase;
class Widget;

// The root of the widget tree, owned by the application. It turns the application's input
// events into calls on the right widget, keeps the keyboard focus, the pointer capture, the
// hover and the modal stack, ticks the tree once per fixed update and paints the dirty top-level
// widgets into the screen image. Only top-level widgets (its children) are painted, whole; a
// dirty widget deeper in the tree makes its top-level ancestor dirty.
//
// Pointer positions are in manager coordinates (after RemapPointer). Click codes: 1 left,
// 2 left double click, -1 right, -2 right double click, 3 middle. Each input operation notes
// the tick of the input and returns true.
//
// Single-threaded: the application's main thread calls everything here.
class WidgetManager : public WidgetContainer
{
public:
    explicit WidgetManager(VeskAppBase* app);
    ~WidgetManager() override;

    void DropWidgetReferences(Widget* widget) override;
    void SetFocusWidget(Widget* widget) override;

    // --- What the application calls --------------------------------------------------------

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
    // One logic step: every widget's Tick. Returns the manager's dirty flag.
    bool TickFrame();
    // Between logic steps in the smooth mode: TickSmooth. Returns the dirty flag.
    bool TickFrameSmooth(float fraction);
    // Paints the dirty top-level widgets into the screen image; true when any was painted.
    bool PaintScreen();
    // The picture's place: width = destRect.width + 2 x destRect.x, likewise the height;
    // RemapPointer maps window positions (sourceRect) onto destRect.
    void ResizeDisplay(const Rect& destRect, const Rect& sourceRect);
    // Converts a window position into manager coordinates, in place.
    void RemapPointer(int& x, int& y) const;

    // --- What widgets and game code call ---------------------------------------------------

    // Pushes a modal widget: widgets below it get belowModalFlagsMod (by default no pointer and
    // no focus). PopModal restores what was before.
    void PushModal(Widget* widget);
    void PushModal(Widget* widget, const FlagsMod& belowFlagsMod);
    // Nothing happens unless widget is the last one pushed.
    void PopModal(Widget* widget);
    void SetModalBase(Widget* widget, const FlagsMod& belowFlagsMod);
    void UpdateHover(int x, int y);
    // Re-derives the hover after the tree changed under a resting pointer.
    void RefreshPointer();
    // The widget the pointer would hit at (x, y), with the point in its local coordinates.
    Widget* FindWidgetAt(int x, int y, int& localX, int& localY);
    // As FindWidgetAt, but nothing when that widget is disabled: a disabled widget hides
    // everything below it from the pointer. All pointer input goes through it.
    Widget* FindEnabledWidgetAt(int x, int y, int& localX, int& localY);
    int GetEffectiveFlags() const;
    // Asks for widget's PaintOverlayAt to be called once this frame, after the widgets whose
    // overlayPriority is at most priority (valid only while PaintScreen runs).
    void DeferOverlay(Widget* widget, int priority);
    // Paints the deferred overlays in priority order until none below priority remain.
    void FlushDeferredOverlays(int priority);
    // Clears the widget from every modal record (it left the tree).
    void ForgetModalReferences(Widget* widget);

    VeskAppBase* app;
    Widget* defaultTabTarget = nullptr;
    Image* screenImage = nullptr;
    Graphics* currentGraphics = nullptr;
    // Removed from the tree when a press lands outside it.
    Widget* popupWidget = nullptr;
    std::vector<std::pair<Widget*, int>> deferredOverlays;
    int lowestDeferredPriority = INT_MAX;
    bool appHasFocus = true;
    Widget* focusWidget = nullptr;
    Widget* capturedWidget = nullptr;
    Widget* hoverWidget = nullptr;
    Widget* modalBase = nullptr;
    // Applied to flags while the application has no focus.
    FlagsMod lostFocusFlagsMod;
    FlagsMod belowModalFlagsMod;
    FlagsMod defaultBelowModalFlagsMod{0, WidgetFlag::Pointer | WidgetFlag::Focus};
    std::vector<ModalRecord> modalStack;
    Rect pointerDestRect;
    Rect pointerSourceRect;
    bool pointerInWindow = false;
    int lastPointerX = 0;
    int lastPointerY = 0;
    // Buttons held on capturedWidget (1 left, 2 right, 4 middle) and all buttons reported down.
    int heldButtons = 0;
    int physicalButtons = 0;
    int lastInputTick = 0;
    std::array<bool, 255> keyDown{};
    // 1 left, -1 right, 2 middle.
    int lastPressedButton = 0;
    int flags = WidgetFlag::ManagerDefault;

private:
    ModalFlags MakeModalFlags() const;
    void EnterWidget(Widget* widget);
    void LeaveWidget(Widget* widget);
    // Releases the given buttons (1 left, 2 right, 4 middle) on a widget, in that order.
    void ReleaseButtonsOn(Widget* widget, int buttons);
    Widget* FindIn(WidgetContainer* container, int x, int y, int incomingFlags, int& localX, int& localY);
};

} // namespace Vesk
