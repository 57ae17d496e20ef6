#pragma once

#include "framework/graphics/Point.h"
#include "framework/graphics/Rect.h"

#include <vector>

namespace Vesk
{

class Widget;
class WidgetManager;

// A rectangle holding an ordered list of child widgets (back to front). The tree never owns its
// widgets: removing a child only detaches it, and whoever created a widget deletes it.
//
// TODO(widgets): this is the part of the widget tree the application base needs (children,
// bounds, dirty marks, ticking); the full container (flags, modal flags, z-order bands,
// iteration positions, overlays) replaces it.
class WidgetContainer
{
public:
    WidgetContainer() = default;
    virtual ~WidgetContainer() = default;
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;

    virtual Rect GetBounds() const { return {x, y, width, height}; }
    virtual void AddChild(Widget* widget);
    virtual void RemoveChild(Widget* widget);
    virtual bool HasChild(Widget* widget) const;
    virtual void InvalidateAll();
    virtual void Invalidate();
    virtual void Tick() { ++tickCount; }
    virtual void TickSmooth(float fraction) {}
    virtual void SystemColorsChangedTree();
    virtual void OnSystemColorsChanged() {}
    virtual Point GetAbsolutePosition() const;

    std::vector<Widget*> children;
    WidgetManager* manager = nullptr;
    WidgetContainer* parent = nullptr;
    int tickCount = 0;
    bool dirty = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

protected:
    void TickChildren();
    void TickSmoothChildren(float fraction);
    void AttachSubtree(Widget* widget, WidgetManager* newManager);
};

} // namespace Vesk
