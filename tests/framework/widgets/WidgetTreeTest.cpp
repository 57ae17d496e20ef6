#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace Vesk
{

namespace
{

// Writes its name into a shared journal when it ticks or paints; runs an optional hook from
// its Tick.
struct Probe : Widget
{
    Probe(std::string name, std::vector<std::string>& journal) : name(std::move(name)), journal(journal) {}

    void Tick() override
    {
        Widget::Tick();
        journal.push_back("tick " + name);
        if (onTick)
        {
            auto hook = onTick;
            hook();
        }
    }
    void Paint(Graphics&) override { journal.push_back("paint " + name); }
    void OnStackingChanged() override { ++stackingChanges; }

    std::string name;
    std::vector<std::string>& journal;
    std::function<void()> onTick;
    int stackingChanges = 0;
};

std::vector<std::string> Names(const WidgetContainer& container)
{
    std::vector<std::string> names;
    for (Widget* child : container.children)
        names.push_back(static_cast<Probe*>(child)->name);
    return names;
}

using Names_t = std::vector<std::string>;

} // namespace

TEST(WidgetTreeTest, ChildrenKeepTheirZOrderBandsWhateverTheInsertionOrder)
{
    std::vector<std::string> journal;
    WidgetManager manager(nullptr);
    Probe a("a", journal), b("b", journal), c("c", journal), high("high", journal), low("low", journal);
    high.zOrder = 5;
    low.zOrder = -5;
    manager.AddChild(&high);
    manager.AddChild(&a);
    manager.AddChild(&b); // equal zOrder: the later one is on top
    manager.AddChild(&low);
    manager.AddChild(&a); // already a child: nothing
    EXPECT_EQ(Names(manager), (Names_t{"low", "a", "b", "high"}));

    manager.AddChild(&c);
    EXPECT_EQ(Names(manager), (Names_t{"low", "a", "b", "c", "high"}));
    manager.LowerChild(&c); // below its band, above the lower one
    EXPECT_EQ(Names(manager), (Names_t{"low", "c", "a", "b", "high"}));
    EXPECT_EQ(c.stackingChanges, 1);
    manager.RaiseChild(&c);
    EXPECT_EQ(Names(manager), (Names_t{"low", "a", "b", "c", "high"}));
    manager.PlaceChildBelow(&c, &a);
    EXPECT_EQ(Names(manager), (Names_t{"low", "c", "a", "b", "high"}));
    manager.PlaceChildAbove(&c, &a);
    EXPECT_EQ(Names(manager), (Names_t{"low", "a", "c", "b", "high"}));
    // A reference in another band cannot pull a widget out of its own.
    manager.PlaceChildAbove(&c, &high);
    EXPECT_EQ(Names(manager), (Names_t{"low", "a", "b", "c", "high"}));
    manager.PlaceChildBelow(&c, &low);
    EXPECT_EQ(Names(manager), (Names_t{"low", "c", "a", "b", "high"}));
    int changes = c.stackingChanges;
    Probe stranger("stranger", journal);
    manager.RaiseChild(&stranger); // not a child: nothing
    manager.PlaceChildAbove(&c, &stranger);
    EXPECT_EQ(stranger.stackingChanges, 0);
    EXPECT_EQ(c.stackingChanges, changes);
    EXPECT_FALSE(manager.HasChild(&stranger));

    EXPECT_TRUE(manager.IsBeneath(&low, &high));
    EXPECT_FALSE(manager.IsBeneath(&high, &low));
    EXPECT_FALSE(manager.IsBeneath(&a, &a));
    EXPECT_FALSE(manager.IsBeneath(&stranger, &a));
}

TEST(WidgetTreeTest, AWidgetRemovingItselfOrOthersFromItsTickNeitherSkipsNorRepeatsASibling)
{
    std::vector<std::string> journal;
    WidgetManager manager(nullptr);
    Probe a("a", journal), b("b", journal), c("c", journal), d("d", journal);
    for (Probe* probe : {&a, &b, &c, &d})
        manager.AddChild(probe);

    b.onTick = [&]() { manager.RemoveChild(&b); };
    manager.TickFrame();
    EXPECT_EQ(journal, (Names_t{"tick a", "tick b", "tick c", "tick d"}));
    EXPECT_EQ(Names(manager), (Names_t{"a", "c", "d"}));

    // Removing the next sibling: it is not visited.
    journal.clear();
    a.onTick = [&]() { manager.RemoveChild(&c); };
    manager.TickFrame();
    EXPECT_EQ(journal, (Names_t{"tick a", "tick d"}));

    // Raising itself into the part not yet walked: still one tick this frame.
    journal.clear();
    a.onTick = [&]() { manager.RaiseChild(&a); };
    manager.AddChild(&c);
    manager.TickFrame(); // a, d, c -> a raised to the end
    EXPECT_EQ(journal, (Names_t{"tick a", "tick d", "tick c"}));
    EXPECT_EQ(Names(manager), (Names_t{"d", "c", "a"}));

    // Adding a widget on top from a tick: it ticks in the same walk.
    journal.clear();
    a.onTick = nullptr;
    b.onTick = nullptr;
    d.onTick = [&]()
    {
        d.onTick = nullptr;
        manager.AddChild(&b);
    };
    manager.TickFrame();
    EXPECT_EQ(journal, (Names_t{"tick d", "tick c", "tick a", "tick b"}));

    // Hidden widgets tick.
    journal.clear();
    c.SetShown(false);
    manager.TickFrame();
    EXPECT_EQ(journal, (Names_t{"tick d", "tick c", "tick a", "tick b"}));
    EXPECT_EQ(c.tickCount, 4); // every frame but the one it was removed in
}

TEST(WidgetTreeTest, NestedChildrenTickAfterTheirParentAndFlagsModsSwitchTicksOff)
{
    std::vector<std::string> journal;
    WidgetManager manager(nullptr);
    Probe parent("parent", journal), child("child", journal), sibling("sibling", journal);
    parent.AddChild(&child);
    manager.AddChild(&parent);
    manager.AddChild(&sibling);
    EXPECT_EQ(child.manager, &manager);
    manager.TickFrame();
    EXPECT_EQ(journal, (Names_t{"tick parent", "tick child", "tick sibling"}));

    journal.clear();
    parent.flagsMod = FlagsMod(0, WidgetFlag::Tick);
    manager.TickFrame();
    EXPECT_EQ(journal, (Names_t{"tick sibling"}));

    // The child may switch ticking back on for itself.
    journal.clear();
    child.flagsMod = FlagsMod(WidgetFlag::Tick, 0);
    manager.TickFrame();
    EXPECT_EQ(journal, (Names_t{"tick child", "tick sibling"}));

    // A widget that invalidates itself every tick makes the frame dirty.
    parent.flagsMod = FlagsMod(WidgetFlag::InvalidateEachTick, 0);
    manager.PaintScreen();
    EXPECT_FALSE(manager.dirty);
    EXPECT_TRUE(manager.TickFrame());
    EXPECT_TRUE(parent.dirty);

    // Detached widgets do not tick.
    manager.RemoveChild(&parent);
    EXPECT_EQ(child.manager, nullptr);
    journal.clear();
    manager.TickFrame();
    EXPECT_EQ(journal, (Names_t{"tick sibling"}));
}

TEST(WidgetTreeTest, InvalidationRepaintsOnlyWhatCanShowAndStopsAtAnOpaqueCover)
{
    std::vector<std::string> journal;
    WidgetManager manager(nullptr);
    manager.ResizeDisplay({0, 0, 800, 600}, {0, 0, 800, 600});
    MemoryImage screen;
    screen.Create(800, 600);
    manager.screenImage = &screen;
    Probe ground("ground", journal), cover("cover", journal), sprite("sprite", journal), apart("apart", journal),
        over("over", journal);
    ground.SetBounds(0, 0, 800, 600);
    cover.SetBounds(100, 100, 300, 300);
    sprite.SetBounds(150, 150, 50, 50);
    apart.SetBounds(600, 0, 100, 100);
    over.SetBounds(180, 180, 100, 100);
    for (Probe* probe : {&ground, &cover, &sprite, &apart, &over})
        manager.AddChild(probe);
    manager.PaintScreen();
    journal.clear();

    // An opaque widget: itself and what overlaps it above.
    sprite.Invalidate();
    EXPECT_TRUE(manager.PaintScreen());
    EXPECT_EQ(journal, (Names_t{"paint sprite", "paint over"}));

    // Moving it: what was below repaints, down to the opaque cover that holds it whole.
    journal.clear();
    sprite.MoveTo(160, 160);
    manager.PaintScreen();
    EXPECT_EQ(journal, (Names_t{"paint cover", "paint sprite", "paint over"}));

    // A translucent widget shows what lies below it.
    journal.clear();
    sprite.translucent = true;
    sprite.Invalidate();
    manager.PaintScreen();
    EXPECT_EQ(journal, (Names_t{"paint cover", "paint sprite", "paint over"}));

    // A cover with transparent parts does not stop the walk.
    journal.clear();
    cover.hasTransparentParts = true;
    sprite.Invalidate();
    manager.PaintScreen();
    EXPECT_EQ(journal, (Names_t{"paint ground", "paint cover", "paint sprite", "paint apart", "paint over"}));

    // Nothing dirty: nothing painted.
    journal.clear();
    EXPECT_FALSE(manager.PaintScreen());
    EXPECT_TRUE(journal.empty());

    // Hiding repaints what it uncovered; a hidden widget is not painted.
    cover.hasTransparentParts = false;
    over.SetShown(false);
    manager.PaintScreen();
    journal.clear();
    over.Invalidate();
    manager.PaintScreen();
    EXPECT_TRUE(journal.empty());

    // Regression: a widget made dirty while hidden is repainted when shown again.
    over.SetShown(true);
    EXPECT_TRUE(manager.dirty);
    journal.clear();
    manager.PaintScreen();
    EXPECT_EQ(journal, (Names_t{"paint over"}));

    manager.InvalidateAll();
    journal.clear();
    manager.PaintScreen();
    EXPECT_EQ(journal, (Names_t{"paint ground", "paint cover", "paint sprite", "paint apart", "paint over"}));

    // The same for a hidden widget inside another: shown again, it and its parent repaint.
    Probe inner("inner", journal);
    inner.SetBounds(5, 5, 10, 10);
    apart.AddChild(&inner);
    inner.SetShown(false);
    manager.PaintScreen();
    inner.Invalidate();
    manager.PaintScreen();
    EXPECT_FALSE(inner.dirty);
    journal.clear();
    inner.SetShown(true);
    manager.PaintScreen();
    EXPECT_EQ(journal, (Names_t{"paint apart", "paint inner"}));
    apart.RemoveChild(&inner);
}

TEST(WidgetTreeTest, PaintingTranslatesClipsAndPaintsChildrenOverTheirParent)
{
    struct Box : Widget
    {
        explicit Box(uint32_t color) : color(Color::FromARGB(color)) {}
        void Paint(Graphics& graphics) override
        {
            graphics.SetColor(color);
            graphics.FillRect(-1000, -1000, 3000, 3000); // clipped to the bounds
        }
        Color color;
    };
    WidgetManager manager(nullptr);
    manager.ResizeDisplay({0, 0, 40, 30}, {0, 0, 40, 30});
    MemoryImage screen;
    screen.Create(40, 30);
    manager.screenImage = &screen;
    Box outer(0xFF0000FF), inner(0xFFFF0000), unclipped(0xFF00FF00);
    outer.SetBounds(10, 5, 20, 20);
    inner.SetBounds(5, 5, 4, 4);
    outer.AddChild(&inner);
    manager.AddChild(&outer);
    EXPECT_TRUE(manager.PaintScreen());
    auto at = [&](int x, int y) { return screen.GetBits()[y * 40 + x]; };
    EXPECT_EQ(at(9, 5), 0u);
    EXPECT_EQ(at(10, 5), 0xFF0000FFu);
    EXPECT_EQ(at(29, 24), 0xFF0000FFu);
    EXPECT_EQ(at(30, 24), 0u);
    EXPECT_EQ(at(15, 10), 0xFFFF0000u);
    EXPECT_EQ(at(18, 13), 0xFFFF0000u);
    EXPECT_EQ(at(19, 14), 0xFF0000FFu);

    // Without clipping a widget paints where it likes.
    unclipped.clipToBounds = false;
    unclipped.SetBounds(0, 0, 1, 1);
    manager.AddChild(&unclipped);
    manager.PaintScreen();
    EXPECT_EQ(at(39, 29), 0xFF00FF00u);
    manager.RemoveAllChildren();
}

TEST(WidgetTreeTest, DeferredOverlaysPaintInPriorityOrderBeforeWidgetsThatOutrankThem)
{
    std::vector<std::string> journal;
    struct Overlayer : Probe
    {
        using Probe::Probe;
        void Paint(Graphics& graphics) override
        {
            Probe::Paint(graphics);
            if (deferPriority >= 0)
                manager->DeferOverlay(this, deferPriority);
        }
        void PaintOverlayAt(Graphics& graphics, int priority) override
        {
            journal.push_back("overlay " + name + " " + std::to_string(priority));
        }
        int deferPriority = -1;
    };
    WidgetManager manager(nullptr);
    MemoryImage screen;
    screen.Create(10, 10);
    manager.screenImage = &screen;
    Overlayer low("low", journal), mid("mid", journal), dialog("dialog", journal), top("top", journal);
    low.deferPriority = 0;
    mid.deferPriority = 3;
    dialog.overlayPriority = 1;
    top.overlayPriority = 5;
    for (Overlayer* widget : {&low, &mid, &dialog, &top})
    {
        widget->SetBounds(0, 0, 10, 10);
        manager.AddChild(widget);
    }
    manager.PaintScreen();
    EXPECT_EQ(journal,
              (Names_t{"paint low", "paint mid", "overlay low 0", "paint dialog", "overlay mid 3", "paint top"}));
    EXPECT_TRUE(manager.deferredOverlays.empty());

    // An overlay request outside painting is dropped.
    manager.DeferOverlay(&low, 0);
    EXPECT_TRUE(manager.deferredOverlays.empty());
    manager.RemoveAllChildren();
}

TEST(WidgetTreeTest, ADestroyedWidgetLeavesNoReferenceBehind)
{
    WidgetManager manager(nullptr);
    manager.ResizeDisplay({0, 0, 100, 100}, {0, 0, 100, 100});
    Widget container;
    container.SetBounds(0, 0, 100, 100);
    manager.AddChild(&container);
    {
        Widget doomed;
        doomed.acceptsFocus = true;
        doomed.SetBounds(10, 10, 20, 20);
        container.AddChild(&doomed);
        manager.SetFocusWidget(&doomed);
        manager.PointerMoved(15, 15);
        manager.ButtonPressed(15, 15, 1);
        manager.defaultTabTarget = &doomed;
        EXPECT_EQ(manager.hoverWidget, &doomed);
        EXPECT_EQ(manager.capturedWidget, &doomed);
        EXPECT_EQ(manager.focusWidget, &doomed);
    }
    EXPECT_TRUE(container.children.empty());
    EXPECT_EQ(manager.hoverWidget, nullptr);
    EXPECT_EQ(manager.capturedWidget, nullptr);
    EXPECT_EQ(manager.focusWidget, nullptr);
    EXPECT_EQ(manager.defaultTabTarget, nullptr);
    // The rest of the gesture goes nowhere.
    manager.PointerMoved(16, 16);
    manager.ButtonReleased(16, 16, 1);
    manager.CharTyped(9);
    manager.RemoveChild(&container);

    // RemoveAllChildren can delete, recursively.
    auto* parent = new Widget;
    auto* child = new Widget;
    parent->AddChild(child);
    manager.AddChild(parent);
    manager.RemoveAllChildren(true, true);
    EXPECT_TRUE(manager.children.empty());
}

TEST(WidgetTreeTest, CountsDigitsAndDrawsNumbersFromADigitStrip)
{
    Widget widget;
    EXPECT_EQ(widget.CountDigits(0), 1);
    EXPECT_EQ(widget.CountDigits(9), 1);
    EXPECT_EQ(widget.CountDigits(10), 2);
    EXPECT_EQ(widget.CountDigits(999), 3);
    EXPECT_EQ(widget.CountDigits(1000000000), 10);
    EXPECT_EQ(widget.CountDigits(2147483647), 10);
    EXPECT_EQ(widget.CountDigits(-5), 1);

    // A strip of ten 2 x 1 cells; digit d is coloured d + 1 in blue.
    MemoryImage strip;
    std::vector<uint32_t> cells(20);
    for (int digit = 0; digit < 10; ++digit)
        cells[size_t(digit * 2)] = cells[size_t(digit * 2 + 1)] = 0xFF000000u | uint32_t(digit + 1);
    strip.SetBits(cells.data(), 20, 1);
    MemoryImage target;
    target.Create(12, 1);
    Graphics graphics(&target);
    widget.DrawNumberFromStrip(graphics, 407, 1, 0, &strip, 1);
    const uint32_t* bits = target.GetBits();
    std::vector<uint32_t> row(bits, bits + 12);
    EXPECT_EQ(row, (std::vector<uint32_t>{0, 0xFF000005u, 0xFF000005u, 0, 0xFF000001u, 0xFF000001u, 0, 0xFF000008u,
                                          0xFF000008u, 0, 0, 0}));
}

} // namespace Vesk
