#include "framework/widgets/WidgetContainer.h"

#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Vesk
{

void WidgetContainer::AttachSubtree(Widget* widget, WidgetManager* newManager)
{
    widget->manager = newManager;
    for (Widget* child : widget->children)
        AttachSubtree(child, newManager);
}

void WidgetContainer::AddChild(Widget* widget)
{
    if (widget == nullptr || HasChild(widget))
        return;
    if (widget->parent != nullptr)
        widget->parent->RemoveChild(widget);
    children.push_back(widget);
    widget->parent = this;
    if (manager != nullptr)
        AttachSubtree(widget, manager);
    widget->Invalidate();
}

void WidgetContainer::RemoveChild(Widget* widget)
{
    auto found = std::find(children.begin(), children.end(), widget);
    if (found == children.end())
        return;
    children.erase(found);
    if (manager != nullptr)
    {
        manager->DropWidgetReferences(widget);
        manager->dirty = true;
        AttachSubtree(widget, nullptr);
    }
    widget->parent = nullptr;
}

bool WidgetContainer::HasChild(Widget* widget) const
{
    return std::find(children.begin(), children.end(), widget) != children.end();
}

void WidgetContainer::Invalidate()
{
    dirty = true;
    if (parent != nullptr)
        parent->Invalidate();
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

void WidgetContainer::SystemColorsChangedTree()
{
    OnSystemColorsChanged();
    for (Widget* child : std::vector<Widget*>(children))
        child->SystemColorsChangedTree();
}

Point WidgetContainer::GetAbsolutePosition() const
{
    Point position{x, y};
    if (parent != nullptr && parent != manager)
    {
        Point above = parent->GetAbsolutePosition();
        position.x += above.x;
        position.y += above.y;
    }
    return position;
}

void WidgetContainer::TickChildren()
{
    // A copy, so a widget may add or remove widgets from inside its Tick.
    for (Widget* child : std::vector<Widget*>(children))
    {
        if (child->parent != this)
            continue;
        child->Tick();
        child->TickChildren();
    }
}

void WidgetContainer::TickSmoothChildren(float fraction)
{
    for (Widget* child : std::vector<Widget*>(children))
    {
        if (child->parent != this)
            continue;
        child->TickSmooth(fraction);
        child->TickSmoothChildren(fraction);
    }
}

} // namespace Vesk
