#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "support/RecordingWidget.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace Vesk
{

using TestSupport::RecordingWidget;
using Lines = std::vector<std::string>;

namespace
{

// A manager for an 800 x 600 screen with a board covering it and the keyboard focus on it.
struct Screen
{
    Screen()
    {
        manager.ResizeDisplay({0, 0, 800, 600}, {0, 0, 800, 600});
        board.SetBounds(0, 0, 800, 600);
        manager.AddChild(&board);
        manager.SetFocusWidget(&board);
        board.Clear();
    }
    ~Screen() { manager.RemoveAllChildren(); }

    Widget* HitAt(int x, int y)
    {
        int localX = 0;
        int localY = 0;
        return manager.FindEnabledWidgetAt(x, y, localX, localY);
    }

    WidgetManager manager{nullptr};
    RecordingWidget board;
};

} // namespace

TEST(InputDispatchTest, HitTestingHonoursVisibilityInsetsFlagsAndDisabledWidgets)
{
    Screen screen;
    RecordingWidget panel, button, below;
    below.SetBounds(100, 100, 100, 100);
    panel.SetBounds(100, 100, 200, 200);
    button.SetBounds(10, 20, 50, 30);
    panel.AddChild(&button);
    screen.manager.AddChild(&below);
    screen.manager.AddChild(&panel);

    int localX = 0;
    int localY = 0;
    EXPECT_EQ(screen.manager.FindWidgetAt(115, 125, localX, localY), &button);
    EXPECT_EQ(localX, 5);
    EXPECT_EQ(localY, 5);
    EXPECT_EQ(screen.HitAt(150, 150), &panel);
    EXPECT_EQ(screen.HitAt(50, 50), &screen.board);

    // A widget that only holds others lets the pointer through where they are not.
    panel.pointerVisible = false;
    EXPECT_EQ(screen.HitAt(150, 150), &below);
    EXPECT_EQ(screen.HitAt(115, 125), &button);

    // Insets shrink the clickable area.
    button.insets = Insets(5, 5, 0, 0);
    EXPECT_EQ(screen.HitAt(112, 122), &below);
    EXPECT_EQ(screen.HitAt(116, 126), &button);

    // Hidden: neither the widget nor its children are hit.
    panel.SetShown(false);
    EXPECT_EQ(screen.HitAt(116, 126), &below);
    panel.SetShown(true);

    // A flags mod without Pointer takes the sub-tree out of hit testing.
    panel.flagsMod = FlagsMod(0, WidgetFlag::Pointer);
    EXPECT_EQ(screen.HitAt(116, 126), &below);
    panel.flagsMod = FlagsMod();

    // A disabled widget hides what lies below it from the pointer.
    button.SetDisabled(true);
    EXPECT_EQ(screen.manager.FindWidgetAt(116, 126, localX, localY), &button);
    EXPECT_EQ(screen.HitAt(116, 126), nullptr);
    screen.manager.ButtonPressed(116, 126, 1);
    screen.manager.ButtonReleased(116, 126, 1);
    EXPECT_TRUE(button.Lines("press").empty());
    EXPECT_TRUE(below.Lines("press").empty());
    EXPECT_TRUE(screen.board.Lines("press").empty());

    // Enabling it under a resting pointer tells it about the pointer.
    button.Clear();
    button.SetDisabled(false);
    EXPECT_EQ(button.Lines(), (Lines{"enter", "move 6,6"}));
}

TEST(InputDispatchTest, HoverFollowsThePointerAndADragKeepsItsWidget)
{
    Screen screen;
    RecordingWidget left, right;
    left.SetBounds(100, 100, 100, 100);
    right.SetBounds(300, 100, 100, 100);
    screen.manager.AddChild(&left);
    screen.manager.AddChild(&right);

    screen.manager.PointerMoved(150, 150);
    screen.manager.PointerMoved(150, 150); // no movement: no call
    screen.manager.PointerMoved(151, 150);
    EXPECT_EQ(left.Lines(), (Lines{"enter", "move 50,50", "move 51,50"}));
    EXPECT_TRUE(left.isHovered);

    // Press, drag across to the other widget and back, release.
    left.Clear();
    screen.manager.ButtonPressed(151, 150, 1);
    EXPECT_TRUE(left.isPressed);
    screen.manager.PointerMoved(350, 150);
    EXPECT_FALSE(left.isHovered);
    EXPECT_EQ(screen.manager.hoverWidget, nullptr);
    EXPECT_TRUE(right.Lines().empty()); // the drag belongs to the pressed widget
    screen.manager.PointerMoved(160, 160);
    EXPECT_TRUE(left.isHovered);
    screen.manager.ButtonReleased(160, 160, 1);
    EXPECT_FALSE(left.isPressed);
    EXPECT_EQ(left.Lines(),
              (Lines{"focus+", "press 51,50 1", "drag 250,50", "leave", "drag 60,60", "enter", "release 60,60 1"}));

    // Releasing outside: the release still goes to the pressed widget, then hover moves on.
    left.Clear();
    screen.manager.ButtonPressed(160, 160, -1);
    screen.manager.ButtonReleased(350, 160, -1);
    EXPECT_EQ(left.Lines(), (Lines{"press 60,60 -1", "release 250,60 -1", "leave"}));
    EXPECT_EQ(right.Lines(), (Lines{"enter", "move 50,60"}));

    screen.manager.PointerLeftWindow();
    EXPECT_EQ(right.Lines("leave").size(), 1u);
    EXPECT_FALSE(screen.manager.pointerInWindow);
}

TEST(InputDispatchTest, ASecondButtonGoesToTheCapturedWidgetUntilTheLastIsReleased)
{
    Screen screen;
    RecordingWidget target, other;
    target.SetBounds(100, 100, 100, 100);
    other.SetBounds(300, 100, 100, 100);
    screen.manager.AddChild(&target);
    screen.manager.AddChild(&other);

    screen.manager.ButtonPressed(120, 130, 1);
    screen.manager.ButtonPressed(350, 150, -1); // over the other widget
    EXPECT_EQ(target.Lines("press"), (Lines{"press 20,30 1", "press 250,50 -1"}));
    EXPECT_TRUE(other.Lines("press").empty());
    EXPECT_EQ(screen.manager.heldButtons, 3);

    screen.manager.ButtonReleased(350, 150, 1);
    EXPECT_EQ(screen.manager.capturedWidget, &target);
    screen.manager.PointerMoved(360, 150);
    EXPECT_EQ(target.Lines("drag"), (Lines{"drag 260,50"}));
    screen.manager.ButtonReleased(360, 150, -1);
    EXPECT_EQ(screen.manager.capturedWidget, nullptr);
    EXPECT_EQ(target.Lines("release"), (Lines{"release 250,50 1", "release 260,50 -1"}));
    EXPECT_EQ(screen.manager.lastPressedButton, -1);

    // The application losing the pointer releases every held button on the captured widget.
    target.Clear();
    screen.manager.ButtonPressed(120, 130, 3);
    screen.manager.ButtonPressed(120, 130, 1);
    screen.manager.ReleaseCapture();
    EXPECT_EQ(target.Lines("release"), (Lines{"release 20,30 1", "release 20,30 3"}));
    EXPECT_EQ(screen.manager.capturedWidget, nullptr);
    EXPECT_EQ(screen.manager.heldButtons, 0);

    // A widget removed in the middle of a gesture gets its release and is forgotten.
    target.Clear();
    screen.manager.ButtonPressed(120, 130, 1);
    screen.manager.RemoveChild(&target);
    EXPECT_EQ(target.Lines(), (Lines{"press 20,30 1", "leave", "release 20,30 1", "focus-"}));
    screen.manager.PointerMoved(125, 130);
    screen.manager.ButtonReleased(125, 130, 1);
    EXPECT_EQ(target.Lines().size(), 4u);
}

TEST(InputDispatchTest, AModalWidgetTakesThePointerAndFocusUntilItIsPopped)
{
    Screen screen;
    RecordingWidget dialog, other;
    dialog.SetBounds(200, 200, 200, 100);
    other.SetBounds(0, 0, 50, 50);
    screen.manager.AddChild(&dialog);
    screen.manager.PointerMoved(10, 10);
    screen.board.Clear();

    screen.manager.PushModal(&dialog);
    EXPECT_EQ(screen.manager.modalBase, &dialog);
    EXPECT_EQ(screen.board.Lines(), (Lines{"leave", "focus-"}));
    EXPECT_EQ(screen.manager.focusWidget, nullptr);
    EXPECT_EQ(screen.HitAt(10, 10), nullptr);
    EXPECT_EQ(screen.HitAt(250, 250), &dialog);
    screen.manager.ButtonPressed(10, 10, 1);
    screen.manager.ButtonReleased(10, 10, 1);
    EXPECT_TRUE(screen.board.Lines("press").empty());

    // Widgets added above the modal base take the pointer.
    screen.manager.AddChild(&other);
    EXPECT_EQ(screen.HitAt(10, 10), &other);
    screen.manager.RemoveChild(&other);

    // Only the last one pushed can be popped.
    screen.manager.PopModal(&screen.board);
    EXPECT_EQ(screen.manager.modalBase, &dialog);

    screen.manager.PopModal(&dialog);
    EXPECT_EQ(screen.manager.modalBase, nullptr);
    EXPECT_EQ(screen.manager.focusWidget, &screen.board);
    EXPECT_EQ(screen.board.Lines("focus"), (Lines{"focus-", "focus+"}));
    EXPECT_TRUE(screen.manager.modalStack.empty());
    EXPECT_EQ(screen.HitAt(10, 10), &screen.board);

    // Focus taken while the modal was up stays where it went.
    dialog.acceptsFocus = true;
    screen.manager.PushModal(&dialog);
    screen.manager.ButtonPressed(250, 250, 1);
    screen.manager.ButtonReleased(250, 250, 1);
    EXPECT_EQ(screen.manager.focusWidget, &dialog);
    screen.manager.PopModal(&dialog);
    EXPECT_EQ(screen.manager.focusWidget, &dialog);
}

TEST(InputDispatchTest, StackedModalsPopInOrderAndSkipABaseThatLeftTheTree)
{
    Screen screen;
    RecordingWidget first, second;
    first.SetBounds(100, 100, 100, 100);
    second.SetBounds(300, 100, 100, 100);
    screen.manager.AddChild(&first);
    screen.manager.AddChild(&second);

    screen.manager.PushModal(&first);
    screen.manager.PushModal(&second, FlagsMod(0, WidgetFlag::Pointer));
    EXPECT_EQ(screen.HitAt(150, 150), nullptr);
    EXPECT_EQ(screen.HitAt(350, 150), &second);
    screen.manager.PopModal(&second);
    EXPECT_EQ(screen.manager.modalBase, &first);
    EXPECT_EQ(screen.HitAt(150, 150), &first);
    EXPECT_EQ(screen.manager.belowModalFlagsMod, screen.manager.defaultBelowModalFlagsMod);

    // The first base leaves the tree while the second is up: popping the second pops both.
    screen.manager.PushModal(&second);
    screen.manager.RemoveChild(&first);
    EXPECT_EQ(screen.manager.modalStack.back().previousModalBase, nullptr);
    screen.manager.PopModal(&second);
    EXPECT_TRUE(screen.manager.modalStack.empty());
    EXPECT_EQ(screen.manager.modalBase, nullptr);
    EXPECT_EQ(screen.manager.focusWidget, &screen.board);
}

TEST(InputDispatchTest, KeysGoToTheFocusWidgetAndTabMovesTheFocus)
{
    Screen screen;
    RecordingWidget second, third, tabTarget;
    screen.manager.AddChild(&second);
    screen.manager.AddChild(&third);
    screen.manager.AddChild(&tabTarget);
    screen.board.tabNext = &second;
    second.tabNext = &third;
    third.tabPrevious = &second;

    // RecordingWidget logs keys instead of moving the focus; a plain widget moves it.
    struct TabWidget : RecordingWidget
    {
        void OnKeyPressed(int keyCode) override
        {
            RecordingWidget::OnKeyPressed(keyCode);
            Widget::OnKeyPressed(keyCode);
        }
    } first;
    first.tabNext = &second;
    screen.manager.AddChild(&first);
    screen.manager.SetFocusWidget(&first);
    screen.manager.KeyPressed(9);
    EXPECT_EQ(screen.manager.focusWidget, &second);
    screen.manager.SetFocusWidget(&third);
    screen.manager.KeyPressed(16);
    screen.manager.SetFocusWidget(&first);
    first.tabPrevious = &third;
    screen.manager.KeyPressed(9); // Shift held: backwards
    EXPECT_EQ(screen.manager.focusWidget, &third);
    screen.manager.KeyReleased(9);
    screen.manager.KeyReleased(16);

    // Ctrl+Tab reaches the default tab target as a character, and the focus widget sees
    // neither the character nor the key's release.
    screen.manager.defaultTabTarget = &tabTarget;
    third.Clear();
    screen.manager.KeyPressed(17);
    screen.manager.KeyPressed(9);
    screen.manager.CharTyped(9);
    screen.manager.KeyReleased(9);
    screen.manager.KeyReleased(17);
    EXPECT_EQ(tabTarget.Lines(), (Lines{"char 9"}));
    EXPECT_EQ(third.Lines(), (Lines{"key 17", "key 9", "keyup 17"}));

    // Other characters and the wheel go to the focus widget; key codes out of range are safe.
    third.Clear();
    screen.manager.CharTyped('a');
    screen.manager.WheelTurned(-2);
    screen.manager.KeyPressed(300);
    screen.manager.KeyPressed(-4);
    screen.manager.KeyReleased(300);
    EXPECT_EQ(third.Lines(), (Lines{"char 97", "wheel -2", "key 300", "key -4", "keyup 300"}));
    screen.manager.RemoveChild(&first);
}

TEST(InputDispatchTest, LosingTheApplicationFocusReleasesHeldKeysThenTheFocus)
{
    Screen screen;
    screen.manager.KeyPressed(16);
    screen.manager.KeyPressed('W');
    screen.manager.ButtonPressed(10, 10, 1);
    screen.board.Clear();
    screen.manager.AppFocusLost();
    EXPECT_EQ(screen.board.Lines(), (Lines{"keyup 16", "keyup 87", "focus-"}));
    EXPECT_EQ(screen.manager.physicalButtons, 0);
    EXPECT_FALSE(screen.manager.keyDown[16]);
    screen.manager.AppFocusLost(); // already lost: nothing
    EXPECT_EQ(screen.board.Lines().size(), 3u);

    // A focus set meanwhile is only told once the application is back.
    RecordingWidget other;
    other.SetBounds(0, 0, 50, 50);
    screen.manager.AddChild(&other);
    screen.manager.SetFocusWidget(&other);
    EXPECT_TRUE(other.Lines("focus").empty());
    screen.manager.AppFocusGained();
    EXPECT_EQ(other.Lines("focus"), (Lines{"focus+"}));

    // While without focus, a lost-focus mod can switch the tree's pointer off.
    screen.manager.lostFocusFlagsMod = FlagsMod(0, WidgetFlag::Pointer);
    screen.manager.AppFocusLost();
    EXPECT_EQ(screen.HitAt(10, 10), nullptr);
    screen.manager.AppFocusGained();
    EXPECT_EQ(screen.HitAt(10, 10), &other);
}

TEST(InputDispatchTest, PopupsCloseOnAPressOutsideThem)
{
    Screen screen;
    RecordingWidget popup;
    popup.SetBounds(100, 100, 50, 50);
    screen.manager.AddChild(&popup);
    screen.manager.popupWidget = &popup;
    screen.manager.ButtonPressed(120, 120, 1);
    screen.manager.ButtonReleased(120, 120, 1);
    EXPECT_TRUE(screen.manager.HasChild(&popup));
    screen.manager.ButtonPressed(10, 10, 1);
    EXPECT_FALSE(screen.manager.HasChild(&popup));
    EXPECT_EQ(screen.manager.popupWidget, nullptr);
    EXPECT_EQ(screen.board.Lines("press"), (Lines{"press 10,10 1"}));
}

TEST(InputDispatchTest, TheDisplayMappingScalesWindowPositionsOntoTheScreen)
{
    WidgetManager manager(nullptr);
    manager.ResizeDisplay({10, 20, 800, 600}, {100, 50, 1600, 1200});
    EXPECT_EQ(manager.width, 820);
    EXPECT_EQ(manager.height, 640);
    int x = 100;
    int y = 50;
    manager.RemapPointer(x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    x = 1699;
    y = 1249;
    manager.RemapPointer(x, y);
    EXPECT_EQ(x, 10 + 799);
    EXPECT_EQ(y, 20 + 599);

    // Far outside the window: no overflow, and no widget is hit.
    x = INT_MAX;
    y = INT_MIN;
    manager.RemapPointer(x, y);
    EXPECT_GT(x, 1000000);
    EXPECT_LT(y, -1000000);
    RecordingWidget board;
    board.SetBounds(0, 0, 820, 640);
    manager.AddChild(&board);
    manager.PointerMoved(x, y);
    manager.ButtonPressed(x, y, 1);
    manager.ButtonReleased(x, y, 1);
    EXPECT_TRUE(board.Lines().empty());

    // An empty source leaves positions alone.
    manager.ResizeDisplay({0, 0, 0, 0}, {0, 0, 0, 0});
    x = 5;
    y = 6;
    manager.RemapPointer(x, y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    manager.RemoveChild(&board);
}

} // namespace Vesk
