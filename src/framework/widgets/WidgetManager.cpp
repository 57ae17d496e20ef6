#include "framework/widgets/WidgetManager.h"

#include "framework/widgets/Widget.h"

#include <algorithm>
#include <cstdlib>

namespace Vesk
{

namespace
{

int ButtonBit(int clickCode)
{
    return clickCode < 0 ? 2 : clickCode == 3 ? 4 : 1;
}

Widget* FindIn(WidgetContainer* container, int x, int y, int& localX, int& localY)
{
    for (auto it = container->children.rbegin(); it != container->children.rend(); ++it)
    {
        Widget* child = *it;
        if (!child->shown)
            continue;
        if (Widget* inner = FindIn(child, x - child->x, y - child->y, localX, localY))
            return inner;
        if (child->pointerVisible && child->ContainsPoint(x, y))
        {
            localX = x - child->x;
            localY = y - child->y;
            return child;
        }
    }
    return nullptr;
}

} // namespace

WidgetManager::WidgetManager(VeskAppBase* app) : app(app)
{
    manager = this;
}

WidgetManager::~WidgetManager()
{
    for (Widget* child : std::vector<Widget*>(children))
        RemoveChild(child);
}

bool WidgetManager::TickFrame()
{
    ++tickCount;
    TickChildren();
    return dirty;
}

void WidgetManager::TickFrameSmooth(float fraction)
{
    TickSmoothChildren(fraction);
}

bool WidgetManager::PaintScreen()
{
    bool painted = false;
    for (Widget* child : children)
    {
        if (child->dirty && child->shown)
            painted = true;
        child->dirty = false;
    }
    if (dirty)
        painted = painted || !children.empty();
    dirty = false;
    return painted;
}

bool WidgetManager::IsAtOrAboveModalBase(Widget* topLevel) const
{
    if (modalBase == nullptr)
        return true;
    auto base = std::find(children.begin(), children.end(), modalBase);
    auto self = std::find(children.begin(), children.end(), topLevel);
    return base == children.end() || self >= base;
}

Widget* WidgetManager::FindWidgetAt(int x, int y, int& localX, int& localY)
{
    for (auto it = children.rbegin(); it != children.rend(); ++it)
    {
        Widget* child = *it;
        if (!child->shown || !IsAtOrAboveModalBase(child))
            continue;
        Widget* found = FindIn(child, x - child->x, y - child->y, localX, localY);
        if (found == nullptr && child->pointerVisible && child->ContainsPoint(x, y))
        {
            localX = x - child->x;
            localY = y - child->y;
            found = child;
        }
        if (found != nullptr)
            return found->disabled ? nullptr : found;
    }
    return nullptr;
}

void WidgetManager::LeaveHover()
{
    Widget* old = hoverWidget;
    hoverWidget = nullptr;
    if (old != nullptr)
    {
        old->isHovered = false;
        old->OnPointerLeave();
    }
}

void WidgetManager::UpdateHover(int x, int y)
{
    bool moved = x != lastPointerX || y != lastPointerY;
    lastPointerX = x;
    lastPointerY = y;
    int localX = 0;
    int localY = 0;
    Widget* found = FindWidgetAt(x, y, localX, localY);
    if (found == hoverWidget)
    {
        if (!moved || found == nullptr)
            return;
    }
    else
    {
        LeaveHover();
        hoverWidget = found;
        if (found == nullptr)
            return;
        found->isHovered = true;
        found->OnPointerEnter();
    }
    found->OnPointerMove(localX, localY);
}

bool WidgetManager::PointerMoved(int x, int y)
{
    lastInputTick = tickCount;
    pointerInWindow = true;
    if (heldButtons == 0 || capturedWidget == nullptr)
    {
        UpdateHover(x, y);
        return true;
    }
    lastPointerX = x;
    lastPointerY = y;
    if (hoverWidget != capturedWidget)
        LeaveHover();
    Point origin = capturedWidget->GetAbsolutePosition();
    capturedWidget->OnPointerDrag(x - origin.x, y - origin.y);
    int localX = 0;
    int localY = 0;
    if (capturedWidget != nullptr && FindWidgetAt(x, y, localX, localY) == capturedWidget)
    {
        if (hoverWidget == nullptr)
        {
            hoverWidget = capturedWidget;
            hoverWidget->isHovered = true;
            hoverWidget->OnPointerEnter();
        }
    }
    else
        LeaveHover();
    return true;
}

bool WidgetManager::ButtonPressed(int x, int y, int clickCode)
{
    lastInputTick = tickCount;
    int bit = ButtonBit(clickCode);
    physicalButtons |= bit;
    UpdateHover(x, y);
    int localX = 0;
    int localY = 0;
    Widget* target = FindWidgetAt(x, y, localX, localY);
    if (capturedWidget != nullptr)
        target = capturedWidget;
    heldButtons |= bit;
    lastPressedButton = clickCode < 0 ? -1 : clickCode == 3 ? 2 : 1;
    capturedWidget = target;
    if (target == nullptr)
        return true;
    if (target->AcceptsFocus())
        SetFocusWidget(target);
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
    LeaveHover();
    return true;
}

bool WidgetManager::WheelTurned(int delta)
{
    lastInputTick = tickCount;
    if (focusWidget != nullptr)
        focusWidget->OnWheel(delta);
    return true;
}

bool WidgetManager::CharTyped(int character)
{
    lastInputTick = tickCount;
    if (focusWidget != nullptr)
        focusWidget->OnCharTyped(character);
    return true;
}

bool WidgetManager::KeyPressed(int keyCode)
{
    lastInputTick = tickCount;
    if (keyCode >= 0 && keyCode <= 254)
        keyDown[keyCode] = true;
    if (focusWidget != nullptr)
        focusWidget->OnKeyPressed(keyCode);
    return true;
}

bool WidgetManager::KeyReleased(int keyCode)
{
    lastInputTick = tickCount;
    if (keyCode >= 0 && keyCode <= 254)
        keyDown[keyCode] = false;
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
        if (keyDown[key])
            KeyReleased(key);
    }
    appHasFocus = false;
    if (focusWidget != nullptr)
        focusWidget->OnFocusLost();
    return true;
}

void WidgetManager::ReleaseButtonsOn(Widget* widget, int buttons)
{
    static const int codes[3][2] = {{1, 1}, {2, -1}, {4, 3}};
    for (const auto& code : codes)
    {
        if ((buttons & code[0]) == 0)
            continue;
        widget->isPressed = false;
        Point origin = widget->GetAbsolutePosition();
        widget->OnRelease(lastPointerX - origin.x, lastPointerY - origin.y, code[1]);
    }
}

void WidgetManager::ReleaseCapture()
{
    if (capturedWidget != nullptr && heldButtons != 0)
        ReleaseButtonsOn(capturedWidget, heldButtons);
    capturedWidget = nullptr;
    heldButtons = 0;
}

void WidgetManager::SetFocusWidget(Widget* widget)
{
    if (widget == focusWidget)
        return;
    if (focusWidget != nullptr)
        focusWidget->OnFocusLost();
    if (widget != nullptr && widget->manager == this)
    {
        focusWidget = widget;
        if (appHasFocus)
            widget->OnFocusGained();
    }
    else
        focusWidget = nullptr;
}

void WidgetManager::PushModal(Widget* widget)
{
    modalStack.push_back(widget);
    modalBase = widget;
    if (focusWidget != nullptr && !IsAtOrAboveModalBase(focusWidget))
        SetFocusWidget(nullptr);
}

void WidgetManager::PopModal(Widget* widget)
{
    if (modalStack.empty() || modalStack.back() != widget)
        return;
    modalStack.pop_back();
    modalBase = modalStack.empty() ? nullptr : modalStack.back();
}

void WidgetManager::DropWidgetReferences(Widget* widget)
{
    if (widget == hoverWidget)
        LeaveHover();
    if (widget == capturedWidget)
    {
        capturedWidget = nullptr;
        ReleaseButtonsOn(widget, heldButtons);
        heldButtons = 0;
    }
    if (widget == focusWidget)
    {
        focusWidget = nullptr;
        widget->OnFocusLost();
    }
    if (widget == modalBase)
        modalBase = nullptr;
    modalStack.erase(std::remove(modalStack.begin(), modalStack.end(), widget), modalStack.end());
    if (modalBase == nullptr && !modalStack.empty())
        modalBase = modalStack.back();
}

void WidgetManager::RemoveChild(Widget* widget)
{
    WidgetContainer::RemoveChild(widget);
}

void WidgetManager::ResizeDisplay(const Rect& destRect, const Rect& sourceRect)
{
    width = destRect.width + 2 * destRect.x;
    height = destRect.height + 2 * destRect.y;
    pointerDestRect = destRect;
    pointerSourceRect = sourceRect;
}

Point WidgetManager::RemapPointer(int x, int y) const
{
    if (pointerSourceRect.width <= 0 || pointerSourceRect.height <= 0)
        return {x, y};
    return {(x - pointerSourceRect.x) * pointerDestRect.width / pointerSourceRect.width + pointerDestRect.x,
            (y - pointerSourceRect.y) * pointerDestRect.height / pointerSourceRect.height + pointerDestRect.y};
}

} // namespace Vesk
