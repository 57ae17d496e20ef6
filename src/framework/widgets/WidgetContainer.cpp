#include "framework/widgets/WidgetContainer.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetFlag.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <vector>

namespace Vesk
{

WidgetContainer::~WidgetContainer()
{
    // Children outlive their container only as loose widgets.
    for (Widget* child : children)
        child->parent = nullptr;
}

Rect WidgetContainer::GetBounds()
{
    return {x, y, width, height};
}

bool WidgetContainer::OverlapsWidget(WidgetContainer* other)
{
    return other != nullptr && GetBounds().Intersects(other->GetBounds());
}

std::list<Widget*>::iterator WidgetContainer::FindChild(Widget* widget)
{
    return std::find(children.begin(), children.end(), widget);
}

// Children stay sorted by ascending zOrder. Walking forward from start, the widget goes just
// before the first child of its own zOrder; when the walk meets a higher zOrder first (or runs
// off the end), it goes just after the last child whose zOrder is not above its own.
void WidgetContainer::InsertWidget(Widget* widget, std::list<Widget*>::iterator start)
{
    auto found = start;
    while (found != children.end() && (*found)->zOrder < widget->zOrder)
        ++found;
    if (found != children.end() && (found == children.begin() || (*found)->zOrder == widget->zOrder))
    {
        children.insert(found, widget);
        return;
    }
    // Walk backward to the last child whose zOrder is at most the widget's.
    auto position = found;
    while (position != children.begin())
    {
        auto previous = std::prev(position);
        if ((*previous)->zOrder <= widget->zOrder)
            break;
        position = previous;
    }
    children.insert(position, widget);
}

std::list<Widget*>::iterator WidgetContainer::EraseEntry(std::list<Widget*>::iterator entry)
{
    if (entry == iterationPosition)
    {
        ++iterationPosition;
        iterationMoved = true;
    }
    return children.erase(entry);
}

void WidgetContainer::AddChild(Widget* widget)
{
    if (widget == nullptr || widget == this || HasChild(widget))
        return;
    if (widget->parent != nullptr)
        widget->parent->RemoveChild(widget);
    InsertWidget(widget, children.end());
    widget->manager = manager;
    widget->parent = this;
    if (manager != nullptr)
    {
        widget->OnAttachedToManager(manager);
        widget->InvalidateFully();
        manager->RefreshPointer();
    }
    Invalidate();
}

void WidgetContainer::DetachFromManager(Widget* widget)
{
    WidgetManager* oldManager = widget->manager;
    if (oldManager == nullptr)
        return;
    for (Widget* child : std::vector<Widget*>(widget->children.begin(), widget->children.end()))
        DetachFromManager(child);
    oldManager->DropWidgetReferences(widget);
    oldManager->ForgetModalReferences(widget);
    widget->OnDetachedFromManager(oldManager);
    widget->InvalidateFully();
    widget->manager = nullptr;
}

void WidgetContainer::RemoveChild(Widget* widget)
{
    auto found = FindChild(widget);
    if (found == children.end())
        return;
    DetachFromManager(widget);
    widget->parent = nullptr;
    // The detach hooks may have re-ordered the list.
    found = FindChild(widget);
    if (found != children.end())
        EraseEntry(found);
}

bool WidgetContainer::HasChild(Widget* widget)
{
    return widget != nullptr && FindChild(widget) != children.end();
}

void WidgetContainer::DropWidgetReferences(Widget* widget) {}

void WidgetContainer::RemoveAllChildren(bool deleteThem, bool recursive)
{
    while (!children.empty())
    {
        Widget* child = children.front();
        RemoveChild(child);
        if (!children.empty() && children.front() == child)
            children.pop_front(); // never loop on a child that refuses to leave
        if (recursive)
            child->RemoveAllChildren(deleteThem, recursive);
        if (deleteThem)
            delete child;
    }
}

void WidgetContainer::SetFocusWidget(Widget* widget) {}

int WidgetContainer::FindFirstOf(Widget* a, Widget* b)
{
    for (Widget* child : children)
    {
        if (child == b)
            return -1;
        if (child == a)
            return 1;
        if (int found = child->FindFirstOf(a, b); found != 0)
            return found;
    }
    return 0;
}

bool WidgetContainer::IsBeneath(Widget* a, Widget* b)
{
    return a != nullptr && FindFirstOf(a, b) > 0;
}

void WidgetContainer::InvalidateAll()
{
    Invalidate();
    for (Widget* child : children)
    {
        child->dirty = true;
        child->InvalidateAll();
    }
}

void WidgetContainer::RaiseChild(Widget* widget)
{
    auto found = FindChild(widget);
    if (found == children.end())
        return;
    EraseEntry(found);
    InsertWidget(widget, children.end());
    widget->OnStackingChanged();
}

void WidgetContainer::LowerChild(Widget* widget)
{
    auto found = FindChild(widget);
    if (found == children.end())
        return;
    EraseEntry(found);
    InsertWidget(widget, children.begin());
    widget->OnStackingChanged();
}

void WidgetContainer::PlaceChildBelow(Widget* widget, Widget* reference)
{
    auto found = FindChild(widget);
    if (found == children.end() || widget == reference || !HasChild(reference))
        return;
    EraseEntry(found);
    InsertWidget(widget, FindChild(reference));
    widget->OnStackingChanged();
}

void WidgetContainer::PlaceChildAbove(Widget* widget, Widget* reference)
{
    auto found = FindChild(widget);
    if (found == children.end() || widget == reference || !HasChild(reference))
        return;
    EraseEntry(found);
    InsertWidget(widget, std::next(FindChild(reference)));
    widget->OnStackingChanged();
}

Point WidgetContainer::GetAbsolutePosition()
{
    Point position{x, y};
    if (parent != nullptr)
    {
        Point above = parent->GetAbsolutePosition();
        position.x += above.x;
        position.y += above.y;
    }
    return position;
}

void WidgetContainer::InvalidateChild(Widget* child)
{
    if (child->dirty)
        return;
    Invalidate();
    child->dirty = true;
    if (parent != nullptr)
        return;
    if (child->translucent)
    {
        InvalidateChildFully(child);
        return;
    }
    auto found = FindChild(child);
    if (found == children.end())
        return;
    for (auto above = std::next(found); above != children.end(); ++above)
    {
        if ((*above)->shown && (*above)->OverlapsWidget(child))
            InvalidateChild(*above);
    }
}

void WidgetContainer::Invalidate()
{
    if (parent != nullptr)
        parent->InvalidateChild(static_cast<Widget*>(this));
    else
        dirty = true;
}

void WidgetContainer::InvalidateChildFully(Widget* child)
{
    InvalidateFully();
    child->dirty = true;
    if (parent != nullptr)
        return;
    auto found = FindChild(child);
    if (found == children.end())
        return;

    // What lies below shows through the child, or was covered by it: repaint down to the first
    // opaque sibling that covers the child's whole visible rectangle.
    Rect visible = child->GetBounds().Intersection(Rect(0, 0, width, height));
    auto below = std::make_reverse_iterator(found);
    for (; below != children.rend(); ++below)
    {
        Widget* sibling = *below;
        if (!sibling->shown)
            continue;
        bool covers = !visible.IsEmpty() && !sibling->hasTransparentParts && !sibling->translucent &&
                      sibling->ContainsPoint(visible.x, visible.y) &&
                      sibling->ContainsPoint(visible.x + visible.width - 1, visible.y + visible.height - 1);
        if (covers)
        {
            sibling->Invalidate();
            break;
        }
        if (sibling->OverlapsWidget(child))
            InvalidateChild(sibling);
    }
    // The list may have changed under the walk: find the child again.
    for (auto above = FindChild(child); above != children.end(); ++above)
    {
        if ((*above)->shown && (*above)->OverlapsWidget(child))
            InvalidateChild(*above);
    }
}

void WidgetContainer::InvalidateFully()
{
    if (parent != nullptr)
        parent->InvalidateChildFully(static_cast<Widget*>(this));
    else
        dirty = true;
}

void WidgetContainer::OnAttachedToManager(WidgetManager* newManager)
{
    for (Widget* child : std::vector<Widget*>(children.begin(), children.end()))
    {
        child->manager = newManager;
        child->OnAttachedToManager(newManager);
        Invalidate();
    }
}

void WidgetContainer::OnDetachedFromManager(WidgetManager* oldManager)
{
    for (Widget* child : std::vector<Widget*>(children.begin(), children.end()))
    {
        // A child detached first (RemoveChild detaches children before their parent) is not
        // told twice.
        if (child->manager == nullptr)
            continue;
        oldManager->DropWidgetReferences(child);
        child->OnDetachedFromManager(oldManager);
        child->manager = nullptr;
    }
    if (oldManager->popupWidget == this)
        oldManager->popupWidget = nullptr;
}

void WidgetContainer::Tick()
{
    ++tickCount;
}

void WidgetContainer::TickTree(ModalFlags& modalFlags)
{
    int flagsAbove = modalFlags.flagsAbove;
    int flagsBelow = modalFlags.flagsBelow;
    modalFlags.flagsAbove = flagsMod.Apply(flagsAbove);
    modalFlags.flagsBelow = flagsMod.Apply(flagsBelow);
    int flags = modalFlags.GetFlags();

    if (flags & WidgetFlag::InvalidateEachTick)
        Invalidate();
    if (manager != nullptr)
    {
        if ((flags & WidgetFlag::Tick) && manager->tickCount != lastManagerTick)
        {
            lastManagerTick = manager->tickCount;
            Tick();
        }
        iterationPosition = children.begin();
        // A child may detach this container from inside its Tick; the walk then ends.
        while (iterationPosition != children.end() && manager != nullptr)
        {
            iterationMoved = false;
            Widget* child = *iterationPosition;
            if (child == manager->modalBase)
                modalFlags.isAbove = true;
            child->TickTree(modalFlags);
            if (!iterationMoved)
                ++iterationPosition;
        }
        // An outer walk of this list (a modal loop run from inside a Tick) must not step on.
        iterationMoved = true;
    }

    modalFlags.flagsAbove = flagsAbove;
    modalFlags.flagsBelow = flagsBelow;
}

void WidgetContainer::TickSmooth(float fraction) {}

void WidgetContainer::TickSmoothTree(ModalFlags& modalFlags, float fraction)
{
    int flagsAbove = modalFlags.flagsAbove;
    int flagsBelow = modalFlags.flagsBelow;
    modalFlags.flagsAbove = flagsMod.Apply(flagsAbove);
    modalFlags.flagsBelow = flagsMod.Apply(flagsBelow);
    int flags = modalFlags.GetFlags();

    if (manager != nullptr)
    {
        if (flags & WidgetFlag::Tick)
            TickSmooth(fraction);
        iterationPosition = children.begin();
        while (iterationPosition != children.end() && manager != nullptr)
        {
            iterationMoved = false;
            Widget* child = *iterationPosition;
            if (child == manager->modalBase)
                modalFlags.isAbove = true;
            child->TickSmoothTree(modalFlags, fraction);
            if (!iterationMoved)
                ++iterationPosition;
        }
        iterationMoved = true;
    }

    modalFlags.flagsAbove = flagsAbove;
    modalFlags.flagsBelow = flagsBelow;
}

void WidgetContainer::Paint(Graphics& graphics) {}

void WidgetContainer::PaintTree(ModalFlags& modalFlags, Graphics& graphics)
{
    if (manager != nullptr && manager->lowestDeferredPriority < overlayPriority)
        manager->FlushDeferredOverlays(overlayPriority);

    int flagsAbove = modalFlags.flagsAbove;
    int flagsBelow = modalFlags.flagsBelow;
    modalFlags.flagsAbove = flagsMod.Apply(flagsAbove);
    modalFlags.flagsBelow = flagsMod.Apply(flagsBelow);
    int flags = modalFlags.GetFlags();

    if (clipToBounds && (flags & WidgetFlag::Clip))
        graphics.ClipRect(0, 0, width, height);
    if (!children.empty())
    {
        if (flags & WidgetFlag::Paint)
        {
            graphics.PushState();
            Paint(graphics);
            graphics.PopState();
        }
        for (Widget* child : children)
        {
            if (!child->shown)
            {
                if (child->dirty)
                    child->ClearDirtyTree();
                continue;
            }
            if (manager != nullptr && child == manager->modalBase)
                modalFlags.isAbove = true;
            Graphics childGraphics(graphics);
            childGraphics.Translate(child->x, child->y);
            child->PaintTree(modalFlags, childGraphics);
            child->dirty = false;
        }
    }
    else if (flags & WidgetFlag::Paint)
        Paint(graphics);

    modalFlags.flagsAbove = flagsAbove;
    modalFlags.flagsBelow = flagsBelow;
}

void WidgetContainer::ClearDirtyTree()
{
    dirty = false;
    for (Widget* child : children)
    {
        if (child->dirty)
            child->ClearDirtyTree();
    }
}

void WidgetContainer::SystemColorsChangedTree()
{
    OnSystemColorsChanged();
    for (Widget* child : std::vector<Widget*>(children.begin(), children.end()))
        child->SystemColorsChangedTree();
}

void WidgetContainer::OnSystemColorsChanged() {}

} // namespace Vesk
