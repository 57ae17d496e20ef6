#pragma once

namespace Vesk
{

// The bits of a widget flag mask: what the widgets of a sub-tree may do this frame. The mask
// travels down the tree during ticking, painting and hit testing, changed on the way by each
// widget's FlagsMod and, below a modal widget, by the manager's below-modal mod.
struct WidgetFlag
{
    // Tick and TickSmooth are called.
    static constexpr int Tick = 0x01;
    // The widget is marked dirty on every tick.
    static constexpr int InvalidateEachTick = 0x02;
    // Paint is called.
    static constexpr int Paint = 0x04;
    // A widget whose clipToBounds is set paints clipped to its bounds.
    static constexpr int Clip = 0x08;
    // The widget can be hit by the pointer.
    static constexpr int Pointer = 0x10;
    // The widget may keep the keyboard focus under a modal widget.
    static constexpr int Focus = 0x20;

    // What the widget manager itself allows: everything but InvalidateEachTick.
    static constexpr int ManagerDefault = Tick | Paint | Clip | Pointer | Focus;
};

} // namespace Vesk
