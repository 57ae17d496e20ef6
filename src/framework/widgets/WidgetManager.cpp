#include "framework/widgets/WidgetManager.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"

#include <algorithm>
#include <cstdint>

namespace Vesk
{

namespace
{

// The held-button bit of a click code: 2 right, 4 middle, else 1 left.
int ButtonBit(int clickCode)
{
    return clickCode < 0 ? 2 : clickCode == 3 ? 4 : 1;
}

} // namespace

WidgetManager::WidgetManager(VeskAppBase* app) : app(app)
{
    manager = this;
}

WidgetManager::~WidgetManager()
{
    RemoveAllChildren(false, false);
}

// ---------------------------------------------------------------------------------------------
// Flags and hit testing

int WidgetManager::GetEffectiveFlags() const
{
    return appHasFocus ? flags : lostFocusFlagsMod.Apply(flags);
}

ModalFlags WidgetManager::MakeModalFlags() const
{
    ModalFlags modalFlags;
    modalFlags.flagsAbove = GetEffectiveFlags();
    modalFlags.flagsBelow = belowModalFlagsMod.Apply(modalFlags.flagsAbove);
    modalFlags.isAbove = modalBase == nullptr;
    return modalFlags;
}

Widget* WidgetManager::FindIn(WidgetContainer* container, int x, int y, int incomingFlags, int& localX, int& localY)
{
    bool belowModal = false;
    for (auto it = container->children.rbegin(); it != container->children.rend(); ++it)
    {
        Widget* child = *it;
        int childFlags = child->flagsMod.Apply(container->flagsMod.Apply(incomingFlags));
        if (belowModal)
            childFlags = belowModalFlagsMod.Apply(childFlags);
        if ((childFlags & WidgetFlag::Pointer) && child->shown)
        {
            if (Widget* inner = FindIn(child, x - child->x, y - child->y, childFlags, localX, localY))
                return inner;
            if (child->pointerVisible && child->GetInnerRect().Contains(x, y) &&
                child->AcceptsPointAt(x - child->x, y - child->y))
            {
                localX = x - child->x;
                localY = y - child->y;
                return child;
            }
        }
        if (child == modalBase)
            belowModal = true;
    }
    return nullptr;
}

Widget* WidgetManager::FindWidgetAt(int x, int y, int& localX, int& localY)
{
    localX = 0;
    localY = 0;
    return FindIn(this, x, y, GetEffectiveFlags(), localX, localY);
}

Widget* WidgetManager::FindEnabledWidgetAt(int x, int y, int& localX, int& localY)
{
    Widget* found = FindWidgetAt(x, y, localX, localY);
    return found != nullptr && found->disabled ? nullptr : found;
}

// ---------------------------------------------------------------------------------------------
// Ticking and painting

bool WidgetManager::TickFrame()
{
    ModalFlags modalFlags = MakeModalFlags();
    ++tickCount;
    lastManagerTick = tickCount;
    TickTree(modalFlags);
    return dirty;
}

bool WidgetManager::TickFrameSmooth(float fraction)
{
    ModalFlags modalFlags = MakeModalFlags();
    TickSmoothTree(modalFlags, fraction);
    return dirty;
}

bool WidgetManager::PaintScreen()
{
    ModalFlags modalFlags = MakeModalFlags();
    int dirtyCount =
        static_cast<int>(std::count_if(children.begin(), children.end(), [](Widget* w) { return w->dirty; }));
    lowestDeferredPriority = INT_MAX;
    deferredOverlays.clear();

    Graphics graphics(screenImage);
    currentGraphics = &graphics;
    auto* display = dynamic_cast<DDImage*>(screenImage);
    bool locked = display != nullptr && display->HasSurface() && display->LockSurface();

    bool painted = false;
    if (dirtyCount > 0)
    {
        Graphics screen(graphics);
        screen.Translate(-pointerDestRect.x, -pointerDestRect.y);
        bool accelerated = app != nullptr && app->Is3DAccelerated();
        for (Widget* child : children)
        {
            if (child == modalBase)
                modalFlags.isAbove = true;
            if (!child->dirty)
                continue;
            if (!child->shown)
            {
                child->ClearDirtyTree();
                continue;
            }
            Graphics childGraphics(screen);
            childGraphics.SetFastStretch(!accelerated);
            childGraphics.SetLinearBlend(accelerated);
            childGraphics.Translate(child->x, child->y);
            child->PaintTree(modalFlags, childGraphics);
            child->dirty = false;
            painted = true;
        }
    }
    while (!deferredOverlays.empty())
        FlushDeferredOverlays(INT_MAX);

    if (locked)
        display->UnlockSurface();
    currentGraphics = nullptr;
    dirty = false;
    return painted;
}

void WidgetManager::DeferOverlay(Widget* widget, int priority)
{
    if (widget == nullptr || currentGraphics == nullptr)
        return;
    deferredOverlays.emplace_back(widget, priority);
    lowestDeferredPriority = std::min(lowestDeferredPriority, priority);
}

void WidgetManager::FlushDeferredOverlays(int priority)
{
    if (currentGraphics == nullptr)
    {
        deferredOverlays.clear();
        lowestDeferredPriority = INT_MAX;
        return;
    }
    do
    {
        // The batch of the lowest priority; an overlay may ask for more while it paints.
        std::vector<Widget*> batch;
        int batchPriority = lowestDeferredPriority;
        auto rest = std::stable_partition(deferredOverlays.begin(), deferredOverlays.end(),
                                          [&](const auto& entry) { return entry.second != batchPriority; });
        for (auto it = rest; it != deferredOverlays.end(); ++it)
            batch.push_back(it->first);
        deferredOverlays.erase(rest, deferredOverlays.end());
        lowestDeferredPriority = INT_MAX;
        for (const auto& entry : deferredOverlays)
            lowestDeferredPriority = std::min(lowestDeferredPriority, entry.second);

        for (Widget* widget : batch)
        {
            Graphics overlay(*currentGraphics);
            overlay.Translate(-pointerDestRect.x, -pointerDestRect.y);
            Point position = widget->GetAbsolutePosition();
            overlay.Translate(position.x, position.y);
            widget->PaintOverlayAt(overlay, batchPriority);
        }
    } while (!deferredOverlays.empty() && lowestDeferredPriority < priority);
}

// ---------------------------------------------------------------------------------------------
// Hover and pointer input

void WidgetManager::EnterWidget(Widget* widget)
{
    widget->isHovered = true;
    widget->OnPointerEnter();
    if (widget->showHandOnHover)
        widget->ShowHandCursor(true);
}

void WidgetManager::LeaveWidget(Widget* widget)
{
    widget->isHovered = false;
    widget->OnPointerLeave();
    if (widget->showHandOnHover)
        widget->ShowHandCursor(false);
}

void WidgetManager::UpdateHover(int x, int y)
{
    bool moved = x != lastPointerX || y != lastPointerY;
    lastPointerX = x;
    lastPointerY = y;
    int localX = 0;
    int localY = 0;
    Widget* found = FindEnabledWidgetAt(x, y, localX, localY);
    if (found == hoverWidget)
    {
        if (!moved || found == nullptr)
            return;
    }
    else
    {
        if (Widget* old = hoverWidget)
        {
            hoverWidget = nullptr;
            LeaveWidget(old);
        }
        hoverWidget = found;
        if (found == nullptr)
            return;
        EnterWidget(found);
        // The enter hook may have removed it.
        if (hoverWidget != found)
            return;
    }
    found->OnPointerMove(localX, localY);
}

void WidgetManager::RefreshPointer()
{
    if (capturedWidget == nullptr)
    {
        if (pointerInWindow)
            UpdateHover(lastPointerX, lastPointerY);
        return;
    }
    if (hoverWidget == nullptr)
        return;
    int localX = 0;
    int localY = 0;
    if (FindEnabledWidgetAt(lastPointerX, lastPointerY, localX, localY) != capturedWidget)
    {
        Widget* old = hoverWidget;
        hoverWidget = nullptr;
        LeaveWidget(old);
    }
}

bool WidgetManager::PointerMoved(int x, int y)
{
    lastInputTick = tickCount;
    pointerInWindow = true;
    if (heldButtons == 0)
    {
        UpdateHover(x, y);
        return true;
    }

    // A drag: the captured widget follows the pointer and is hovered only while under it.
    lastPointerX = x;
    lastPointerY = y;
    if (hoverWidget != nullptr && hoverWidget != capturedWidget)
    {
        Widget* old = hoverWidget;
        hoverWidget = nullptr;
        LeaveWidget(old);
    }
    if (capturedWidget != nullptr)
    {
        Point origin = capturedWidget->GetAbsolutePosition();
        capturedWidget->OnPointerDrag(x - origin.x, y - origin.y);
    }
    int localX = 0;
    int localY = 0;
    Widget* under = FindEnabledWidgetAt(x, y, localX, localY);
    if (capturedWidget == nullptr || under != capturedWidget)
    {
        if (Widget* old = hoverWidget)
        {
            hoverWidget = nullptr;
            LeaveWidget(old);
        }
    }
    else if (hoverWidget == nullptr)
    {
        hoverWidget = capturedWidget;
        EnterWidget(capturedWidget);
    }
    return true;
}

bool WidgetManager::ButtonPressed(int x, int y, int clickCode)
{
    lastInputTick = tickCount;
    int bit = ButtonBit(clickCode);
    physicalButtons |= bit;
    UpdateHover(x, y);

    if (Widget* popup = popupWidget)
    {
        Point origin = popup->GetAbsolutePosition();
        if (!Rect(origin.x, origin.y, popup->width, popup->height).Contains(x, y))
        {
            popupWidget = nullptr;
            if (popup->parent != nullptr)
                popup->parent->RemoveChild(popup);
        }
    }

    int localX = 0;
    int localY = 0;
    Widget* target = FindEnabledWidgetAt(x, y, localX, localY);
    if (capturedWidget != nullptr)
    {
        // A further button while one is held goes to the widget that has the capture, in its
        // own coordinates.
        target = capturedWidget;
        Point origin = target->GetAbsolutePosition();
        localX = x - origin.x;
        localY = y - origin.y;
    }
    heldButtons |= bit;
    lastPressedButton = clickCode < 0 ? -1 : clickCode == 3 ? 2 : 1;
    capturedWidget = target;
    if (target == nullptr)
        return true;
    if (target->AcceptsFocus())
        SetFocusWidget(target);
    if (capturedWidget != target)
        return true; // a focus hook removed it
    target->isPressed = true;
    target->OnPress(localX, localY, clickCode);
    return true;
}

bool WidgetManager::ButtonReleased(int x, int y, int clickCode)
{
    lastInputTick = tickCount;
    int bit = ButtonBit(clickCode);
    physicalButtons &= ~bit;
    if (capturedWidget != nullptr && (heldButtons & bit) != 0)
    {
        heldButtons &= ~bit;
        Widget* widget = capturedWidget;
        if (heldButtons == 0)
            capturedWidget = nullptr;
        widget->isPressed = false;
        Point origin = widget->GetAbsolutePosition();
        widget->OnRelease(x - origin.x, y - origin.y, clickCode);
    }
    else
        heldButtons &= ~bit;
    UpdateHover(x, y);
    return true;
}

bool WidgetManager::PointerLeftWindow()
{
    lastInputTick = tickCount;
    pointerInWindow = false;
    if (Widget* old = hoverWidget)
    {
        hoverWidget = nullptr;
        LeaveWidget(old);
    }
    return true;
}

bool WidgetManager::WheelTurned(int delta)
{
    lastInputTick = tickCount;
    if (focusWidget != nullptr)
        focusWidget->OnWheel(delta);
    return true;
}

void WidgetManager::ReleaseButtonsOn(Widget* widget, int buttons)
{
    static constexpr int kButtons[3][2] = {{1, 1}, {2, -1}, {4, 3}};
    for (const auto& button : kButtons)
    {
        if ((buttons & button[0]) == 0)
            continue;
        widget->isPressed = false;
        Point origin = widget->GetAbsolutePosition();
        widget->OnRelease(lastPointerX - origin.x, lastPointerY - origin.y, button[1]);
    }
}

void WidgetManager::ReleaseCapture()
{
    Widget* widget = capturedWidget;
    int buttons = heldButtons;
    capturedWidget = nullptr;
    heldButtons = 0;
    if (widget != nullptr && buttons != 0)
        ReleaseButtonsOn(widget, buttons);
}

// ---------------------------------------------------------------------------------------------
// Keyboard input and focus

bool WidgetManager::CharTyped(int character)
{
    lastInputTick = tickCount;
    if (character == 9 && keyDown[17])
    {
        if (defaultTabTarget != nullptr)
            defaultTabTarget->OnCharTyped(9);
        return true;
    }
    if (focusWidget != nullptr)
        focusWidget->OnCharTyped(character);
    return true;
}

bool WidgetManager::KeyPressed(int keyCode)
{
    lastInputTick = tickCount;
    if (keyCode >= 0 && keyCode <= 254)
        keyDown[static_cast<size_t>(keyCode)] = true;
    if (focusWidget != nullptr)
        focusWidget->OnKeyPressed(keyCode);
    return true;
}

bool WidgetManager::KeyReleased(int keyCode)
{
    lastInputTick = tickCount;
    if (keyCode >= 0 && keyCode <= 254)
        keyDown[static_cast<size_t>(keyCode)] = false;
    if (keyCode == 9 && keyDown[17])
        return true;
    if (focusWidget != nullptr)
        focusWidget->OnKeyReleased(keyCode);
    return true;
}

bool WidgetManager::AppFocusGained()
{
    lastInputTick = tickCount;
    if (appHasFocus)
        return true;
    appHasFocus = true;
    if (focusWidget != nullptr)
        focusWidget->OnFocusGained();
    return true;
}

bool WidgetManager::AppFocusLost()
{
    lastInputTick = tickCount;
    if (!appHasFocus)
        return true;
    physicalButtons = 0;
    for (int key = 0; key <= 254; ++key)
    {
        if (keyDown[static_cast<size_t>(key)])
            KeyReleased(key);
    }
    appHasFocus = false;
    if (focusWidget != nullptr)
        focusWidget->OnFocusLost();
    return true;
}

void WidgetManager::SetFocusWidget(Widget* widget)
{
    if (widget == focusWidget)
        return;
    if (Widget* old = focusWidget)
    {
        focusWidget = nullptr;
        old->OnFocusLost();
    }
    if (widget != nullptr && widget->manager == this)
    {
        focusWidget = widget;
        if (appHasFocus)
            widget->OnFocusGained();
    }
}

void WidgetManager::DropWidgetReferences(Widget* widget)
{
    if (widget == nullptr)
        return;
    if (widget == hoverWidget)
    {
        hoverWidget = nullptr;
        LeaveWidget(widget);
    }
    if (widget == capturedWidget)
    {
        int buttons = heldButtons;
        capturedWidget = nullptr;
        heldButtons = 0;
        ReleaseButtonsOn(widget, buttons);
    }
    if (widget == focusWidget)
    {
        focusWidget = nullptr;
        widget->OnFocusLost();
    }
    if (widget == modalBase)
        modalBase = nullptr;
    std::erase_if(deferredOverlays, [widget](const auto& entry) { return entry.first == widget; });
}

void WidgetManager::ForgetModalReferences(Widget* widget)
{
    for (ModalRecord& record : modalStack)
    {
        if (record.previousModalBase == widget)
            record.previousModalBase = nullptr;
        if (record.previousFocus == widget)
            record.previousFocus = nullptr;
    }
    if (defaultTabTarget == widget)
        defaultTabTarget = nullptr;
}

// ---------------------------------------------------------------------------------------------
// The modal stack

void WidgetManager::SetModalBase(Widget* widget, const FlagsMod& belowFlagsMod)
{
    modalBase = widget;
    belowModalFlagsMod = belowFlagsMod;
    if (widget == nullptr)
        return;
    if (belowFlagsMod.removeFlags & WidgetFlag::Pointer)
    {
        if (hoverWidget != nullptr && IsBeneath(hoverWidget, widget))
        {
            Widget* old = hoverWidget;
            hoverWidget = nullptr;
            LeaveWidget(old);
        }
        if (capturedWidget != nullptr && IsBeneath(capturedWidget, widget))
        {
            Widget* captured = capturedWidget;
            int buttons = heldButtons;
            capturedWidget = nullptr;
            heldButtons = 0;
            ReleaseButtonsOn(captured, buttons);
        }
    }
    if ((belowFlagsMod.removeFlags & WidgetFlag::Focus) && focusWidget != nullptr && IsBeneath(focusWidget, widget))
    {
        Widget* old = focusWidget;
        focusWidget = nullptr;
        old->OnFocusLost();
    }
}

void WidgetManager::PushModal(Widget* widget)
{
    PushModal(widget, defaultBelowModalFlagsMod);
}

void WidgetManager::PushModal(Widget* widget, const FlagsMod& belowFlagsMod)
{
    modalStack.push_back({widget, modalBase, focusWidget, belowModalFlagsMod});
    SetModalBase(widget, belowFlagsMod);
}

void WidgetManager::PopModal(Widget* widget)
{
    if (modalStack.empty() || modalStack.back().modalWidget != widget)
        return;
    while (!modalStack.empty())
    {
        ModalRecord record = modalStack.back();
        SetModalBase(record.previousModalBase, record.previousBelowModalFlagsMod);
        if (focusWidget == nullptr && record.previousFocus != nullptr && record.previousFocus->manager == this)
        {
            focusWidget = record.previousFocus;
            if (appHasFocus)
                focusWidget->OnFocusGained();
        }
        modalStack.pop_back();
        // A record whose previous base left the tree hands on to the one below it.
        if (record.previousModalBase != nullptr || modalStack.empty())
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// The display

void WidgetManager::ResizeDisplay(const Rect& destRect, const Rect& sourceRect)
{
    width = destRect.width + 2 * destRect.x;
    height = destRect.height + 2 * destRect.y;
    pointerDestRect = destRect;
    pointerSourceRect = sourceRect;
}

void WidgetManager::RemapPointer(int& x, int& y) const
{
    if (pointerSourceRect.width <= 0 || pointerSourceRect.height <= 0)
        return;
    // 64-bit, so that positions far outside the window cannot overflow.
    auto map = [](int value, int sourceStart, int sourceSize, int destStart, int destSize)
    {
        int64_t mapped = (int64_t(value) - sourceStart) * destSize / sourceSize + destStart;
        return static_cast<int>(std::clamp<int64_t>(mapped, INT_MIN / 2, INT_MAX / 2));
    };
    x = map(x, pointerSourceRect.x, pointerSourceRect.width, pointerDestRect.x, pointerDestRect.width);
    y = map(y, pointerSourceRect.y, pointerSourceRect.height, pointerDestRect.y, pointerDestRect.height);
}

} // namespace Vesk
