#pragma once

#include "framework/graphics/Point.h"
#include "framework/graphics/Rect.h"
#include "framework/widgets/FlagsMod.h"
#include "framework/widgets/ModalFlags.h"

#include <list>

namespace Vesk
{

class Graphics;
class Widget;
class WidgetManager;

// A rectangle holding an ordered list of child widgets, back to front: the first child is drawn
// first, the last lies on top. Children are kept sorted by ascending zOrder; among equal zOrders
// the most recently added or raised one is on top.
//
// The tree never owns its widgets: removing a child only detaches it, and whoever created a
// widget deletes it (or asks RemoveAllChildren to). A widget may add, remove or re-order
// children, itself included, from inside its Tick: the tick walk keeps its place in
// iterationPosition, which removals and re-orderings move on.
//
// Both Widget and WidgetManager derive from it. Coordinates are relative to the parent.
class WidgetContainer
{
public:
    WidgetContainer() = default;
    virtual ~WidgetContainer();
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;

    virtual Rect GetBounds();
    // Whether the two bounds rectangles overlap (touching edges do not).
    virtual bool OverlapsWidget(WidgetContainer* other);
    // Inserts the widget on top of the children of its zOrder and attaches it to this
    // container's manager. Nothing happens when it already is a child.
    virtual void AddChild(Widget* widget);
    // Detaches the widget (and its sub-tree) from the manager and from this container.
    virtual void RemoveChild(Widget* widget);
    // Direct children only.
    virtual bool HasChild(Widget* widget);
    // The manager forgets hover, capture, focus and modal base when they name the widget.
    virtual void DropWidgetReferences(Widget* widget);
    // Removes the children one by one from the first; recursive empties their sub-trees too,
    // deleteThem deletes each removed widget.
    virtual void RemoveAllChildren(bool deleteThem = false, bool recursive = false);
    virtual void SetFocusWidget(Widget* widget);
    // Walks the sub-tree depth first in child order: true when a is met before b, false when b
    // is met first (a widget is not beneath itself) or neither is met.
    virtual bool IsBeneath(Widget* a, Widget* b);
    // Marks this container and its whole sub-tree dirty.
    virtual void InvalidateAll();
    // Re-orderings: each does nothing when the widget is not a child and ends with the widget's
    // OnStackingChanged.
    virtual void RaiseChild(Widget* widget);
    virtual void LowerChild(Widget* widget);
    virtual void PlaceChildBelow(Widget* widget, Widget* reference);
    virtual void PlaceChildAbove(Widget* widget, Widget* reference);
    // The position in manager coordinates.
    virtual Point GetAbsolutePosition();
    // Marks a child dirty and, at the top level, the siblings above it that overlap it.
    virtual void InvalidateChild(Widget* child);
    virtual void Invalidate();
    // As InvalidateChild, and at the top level also what lies below the child (what shows
    // through it or where it was), down to the first opaque sibling that covers it.
    virtual void InvalidateChildFully(Widget* child);
    virtual void InvalidateFully();
    virtual void OnAttachedToManager(WidgetManager* newManager);
    virtual void OnDetachedFromManager(WidgetManager* oldManager);
    virtual void Tick();
    virtual void TickTree(ModalFlags& modalFlags);
    virtual void TickSmooth(float fraction);
    virtual void TickSmoothTree(ModalFlags& modalFlags, float fraction);
    virtual void Paint(Graphics& graphics);
    virtual void PaintTree(ModalFlags& modalFlags, Graphics& graphics);
    virtual void SystemColorsChangedTree();
    virtual void OnSystemColorsChanged();

    // Clears the dirty marks of this sub-tree. Used for sub-trees that are not painted (hidden),
    // so that a later Invalidate reaches their ancestors again.
    void ClearDirtyTree();

    std::list<Widget*> children;
    // Set while the sub-tree is attached; the manager's own is itself.
    WidgetManager* manager = nullptr;
    WidgetContainer* parent = nullptr;
    // The child the tick walk is about to visit.
    std::list<Widget*>::iterator iterationPosition = children.end();
    // Set when a removal or re-ordering moved iterationPosition on.
    bool iterationMoved = false;
    // The manager's tick count when Tick last ran (a widget ticks at most once per frame).
    int lastManagerTick = 0;
    // Counted by the base Tick; the manager's is the frame counter.
    int tickCount = 0;
    bool dirty = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // The widget's edges let lower widgets show through.
    bool translucent = false;
    bool clipToBounds = true;
    FlagsMod flagsMod;
    // Deferred overlays with a lower priority are painted before this widget.
    int overlayPriority = 0;
    int zOrder = 0;

protected:
    // Inserts into children walking from start, keeping the zOrder bands (see the .cpp).
    void InsertWidget(Widget* widget, std::list<Widget*>::iterator start);
    // Takes a child's entry out of the list, moving the tick walk on when it stood there.
    // Returns the position after the removed entry.
    std::list<Widget*>::iterator EraseEntry(std::list<Widget*>::iterator entry);
    std::list<Widget*>::iterator FindChild(Widget* widget);
    // Detaches a widget's sub-tree from the manager (children first).
    void DetachFromManager(Widget* widget);

private:
    // IsBeneath's walk: 1 when a is met first, -1 when b is, 0 when neither.
    int FindFirstOf(Widget* a, Widget* b);
};

} // namespace Vesk
