#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ListListener.h"
#include "framework/widgets/ListWidget.h"
#include "framework/widgets/ScrollListener.h"
#include "framework/widgets/ScrollbarWidget.h"
#include "framework/widgets/ScrollbuttonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "support/FakeFont.h"
#include "support/WidgetScreen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

using TestSupport::FakeFont;
using Lines = std::vector<std::string>;

namespace
{

struct Recorder : ListListener, ScrollListener
{
    void OnListClicked(int id, int index, int clickCount) override
    {
        calls.push_back("clicked " + std::to_string(index) + " " + std::to_string(clickCount));
    }
    void OnListClosed(int id) override { calls.push_back("closed " + std::to_string(id)); }
    void OnListHighlightChanged(int id, int oldIndex, int newIndex) override
    {
        calls.push_back("hilite " + std::to_string(oldIndex) + " " + std::to_string(newIndex));
    }
    void OnScrolled(int id, double position) override { positions.push_back(position); }

    Lines calls;
    std::vector<double> positions;
};

using Screen = TestSupport::WidgetScreen;

} // namespace

TEST(ListAndScrollbarTest, AScrollbarWithNothingToScrollIsDisabledAndCanHide)
{
    Recorder recorder;
    FakeFont font(1); // 7-pixel lines
    ListWidget list(1, &font, &recorder);
    ScrollbarWidget bar(1, nullptr);
    bar.ResizeScrollbar(0, 0, 16, 43);
    list.SetScrollbar(&bar);
    list.SetBounds(0, 0, 100, 43); // (43 - 8) / 7 = 5 lines fit
    EXPECT_DOUBLE_EQ(list.pageSize, 5.0);
    for (const char* line : {"one", "two", "three"})
        list.AddLine(line, false);
    EXPECT_EQ(bar.maxValue, 3.0);
    EXPECT_EQ(bar.pageSize, 5.0);
    EXPECT_TRUE(bar.disabled);
    EXPECT_TRUE(bar.upButton->disabled);
    EXPECT_TRUE(bar.downButton->disabled);
    EXPECT_TRUE(bar.shown);
    bar.SetInvisIfNoScroll(true);
    EXPECT_FALSE(bar.shown);

    for (const char* line : {"four", "five", "six", "seven"})
        list.AddLine(line, false);
    EXPECT_FALSE(bar.disabled);
    EXPECT_TRUE(bar.shown);
    EXPECT_FALSE(bar.downButton->disabled);
    bar.SetValue(100);
    EXPECT_EQ(bar.value, 2.0);
    EXPECT_TRUE(bar.AtBottom());
    EXPECT_EQ(list.position, 2.0); // the list follows its scrollbar
    list.RemoveAll();
    EXPECT_EQ(bar.value, 0.0);
    EXPECT_TRUE(bar.disabled);
    EXPECT_EQ(list.position, 0.0);
}

TEST(ListAndScrollbarTest, SortingUsesPaddedKeysAndMovesEveryColumnAlong)
{
    FakeFont font(1);
    ListWidget names(1, &font, nullptr);
    ListWidget scores(2, &font, nullptr);
    names.SetChildList(&scores);
    int first = names.AddLine("10", false);
    names.AddLine("9", false);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(scores.lines, (Lines{"", ""}));
    scores.SetLine(0, "ten");
    scores.SetLine(1, "nine");
    names.SetLineColor(1, Color(1, 2, 3));
    names.SetSelect(1);

    names.Sort(true); // "10" < "9" as text
    EXPECT_EQ(names.lines, (Lines{"10", "9"}));
    names.sortKeyPadding = 2; // "09" < "10"
    names.Sort(true);
    EXPECT_EQ(names.lines, (Lines{"9", "10"}));
    EXPECT_EQ(scores.lines, (Lines{"nine", "ten"}));
    EXPECT_EQ(names.lineColors[0], Color(1, 2, 3));
    EXPECT_EQ(scores.lineColors[0], Color(1, 2, 3));
    EXPECT_EQ(names.selectIdx, 0); // the selection stays on its line
    EXPECT_EQ(scores.selectIdx, 0);
    names.Sort(false);
    EXPECT_EQ(names.lines, (Lines{"10", "9"}));

    // The second column breaks ties.
    names.SetLine(1, "10");
    scores.SetLine(0, "b");
    scores.SetLine(1, "a");
    names.Sort(true);
    EXPECT_EQ(scores.lines, (Lines{"a", "b"}));

    // Alphabetical insertion, removal and look-ups act on every column.
    names.RemoveAll();
    for (const char* name : {"mara", "anton", "zoe", "kim"})
        names.AddLine(name, true);
    EXPECT_EQ(names.lines, (Lines{"anton", "kim", "mara", "zoe"}));
    EXPECT_EQ(scores.lines.size(), 4u);
    EXPECT_EQ(names.GetLineIdx("mara"), 2);
    EXPECT_EQ(names.GetLineIdx("nobody"), -1);
    names.SetSelect(2);
    names.RemoveLine(0);
    EXPECT_EQ(names.lines, (Lines{"kim", "mara", "zoe"}));
    EXPECT_EQ(scores.lines.size(), 3u);
    EXPECT_EQ(names.selectIdx, 1);
    names.RemoveLine(1);
    EXPECT_EQ(names.selectIdx, -1);
    names.RemoveLine(17); // out of range: nothing
    names.SetLineColor(-3, Color());
    EXPECT_EQ(names.GetStringAt(99), "");
    EXPECT_EQ(names.GetLineCount(), 2);

    // A chain cannot be closed into a circle.
    scores.SetChildList(&names);
    EXPECT_EQ(scores.childList, nullptr);
}

TEST(ListAndScrollbarTest, TheLineUnderThePointerIsHighlightedAndClicksReportIt)
{
    Screen screen;
    Recorder recorder;
    FakeFont font(2); // 14-pixel lines
    ListWidget list(5, &font, &recorder);
    ListWidget second(6, &font, nullptr);
    list.SetChildList(&second);
    list.SetBounds(100, 100, 200, 100);
    for (const char* line : {"apple", "pear", "plum"})
        list.AddLine(line, false);
    screen.manager.AddChild(&list);

    screen.manager.PointerMoved(150, 100 + 4 + 14 + 3); // the second line
    EXPECT_EQ(list.hiliteIdx, 1);
    EXPECT_EQ(second.hiliteIdx, 1);
    screen.manager.PointerMoved(150, 100 + 4 + 14 + 5);
    screen.manager.PointerMoved(150, 100 + 90); // below the lines
    EXPECT_EQ(list.hiliteIdx, -1);
    screen.manager.PointerMoved(150, 100 + 5);
    screen.manager.ButtonPressed(150, 100 + 5, 2);
    screen.manager.ButtonReleased(150, 100 + 5, 2);
    screen.manager.PointerMoved(500, 500);
    EXPECT_EQ(recorder.calls, (Lines{"hilite -1 1", "hilite 1 -1", "hilite -1 0", "clicked 0 2"}));
    EXPECT_EQ(list.hiliteIdx, -1);
    EXPECT_EQ(list.GetOptimalWidth(), 5 * 8 + 16);
    EXPECT_EQ(list.GetOptimalHeight(), 3 * 14 + 8);

    // Painting: the selection bar in navy, lines in their colours.
    list.SetSelect(2);
    screen.manager.InvalidateAll();
    screen.manager.PaintScreen();
    auto pixel = [&](int x, int y) { return screen.image.GetBits()[(100 + y) * 800 + 100 + x]; };
    EXPECT_EQ(pixel(1, 4 + 28 + 1), 0xFF000080u);
    EXPECT_EQ(pixel(1, 4 + 1), 0xFFFFFFFFu);
    auto* drawn = static_cast<FakeFont*>(list.font.get());
    ASSERT_EQ(drawn->calls.size(), 3u);
    EXPECT_EQ(drawn->calls[0].color, Color(0, 0, 0));
    EXPECT_EQ(drawn->calls[2].color, Color(255, 255, 255));
    EXPECT_EQ(drawn->calls[2].y, 4 + 28 + 10);

    // Leaving the tree closes the list for its listener.
    screen.manager.RemoveChild(&list);
    EXPECT_EQ(recorder.calls.back(), "closed 5");
}

TEST(ListAndScrollbarTest, TheMarginAboveTheLinesHighlightedNothing)
{
    Screen screen;
    FakeFont font(2); // 14-pixel lines
    ListWidget list(5, &font, nullptr);
    list.SetBounds(100, 100, 200, 100);
    for (const char* line : {"apple", "pear", "plum", "fig"})
        list.AddLine(line, false);
    screen.manager.AddChild(&list);

    screen.manager.PointerMoved(150, 100 + 1);
    EXPECT_EQ(list.hiliteIdx, 0);
    list.OnScrolled(1, 2.5); // the margin then belongs to line 2, the first one shown
    screen.manager.PointerMoved(150, 100 + 2);
    EXPECT_EQ(list.hiliteIdx, 2);
    screen.manager.PointerMoved(150, 100 + 4 + 7 + 1); // half a line below that: line 3
    EXPECT_EQ(list.hiliteIdx, 3);
}

TEST(ListAndScrollbarTest, HoldingAnArrowStepsOnceThenEveryTickAfterTwentyFive)
{
    Screen screen;
    Recorder recorder;
    ScrollbarWidget bar(3, &recorder);
    bar.ResizeScrollbar(400, 100, 16, 200);
    bar.SetPageSize(10);
    bar.SetMaxValue(100);
    screen.manager.AddChild(&bar);
    EXPECT_EQ(bar.downButton->GetBounds(), Rect(0, 184, 16, 16));
    EXPECT_EQ(bar.GetTrackSize(), 168);
    EXPECT_EQ(bar.GetThumbSize(), 17);
    EXPECT_EQ(bar.GetThumbPosition(), 16);

    screen.manager.PointerMoved(408, 100 + 190);
    screen.manager.ButtonPressed(408, 100 + 190, 1);
    EXPECT_EQ(bar.value, 1.0);
    for (int tick = 1; tick <= 24; ++tick)
        screen.manager.TickFrame();
    EXPECT_EQ(bar.value, 1.0);
    screen.manager.TickFrame();
    EXPECT_EQ(bar.value, 2.0);
    screen.manager.TickFrame();
    EXPECT_EQ(bar.value, 3.0);
    screen.manager.ButtonReleased(408, 100 + 190, 1);
    screen.manager.TickFrame();
    EXPECT_EQ(bar.value, 3.0);

    // The up arrow at the top stays at 0.
    bar.SetValue(0);
    screen.manager.PointerMoved(408, 105);
    screen.manager.ButtonPressed(408, 105, 1);
    screen.manager.ButtonReleased(408, 105, 1);
    EXPECT_EQ(bar.value, 0.0);
    EXPECT_FALSE(recorder.positions.empty());
}

TEST(ListAndScrollbarTest, TheTrackPagesWhileHeldAndTheThumbDrags)
{
    Screen screen;
    Recorder recorder;
    ScrollbarWidget bar(3, &recorder);
    bar.ResizeScrollbar(400, 100, 16, 200);
    bar.SetPageSize(10);
    bar.SetMaxValue(100);
    screen.manager.AddChild(&bar);

    // A press near the bottom of the track pages forward, then again every five ticks from
    // the 25th, until the thumb reaches the pointer.
    screen.manager.PointerMoved(408, 100 + 150);
    screen.manager.ButtonPressed(408, 100 + 150, 1);
    EXPECT_EQ(bar.value, 10.0);
    EXPECT_EQ(bar.pagingState, 2);
    for (int tick = 0; tick < 24; ++tick)
        screen.manager.TickFrame();
    EXPECT_EQ(bar.value, 10.0);
    screen.manager.TickFrame();
    EXPECT_EQ(bar.value, 20.0);
    for (int tick = 0; tick < 5; ++tick)
        screen.manager.TickFrame();
    EXPECT_EQ(bar.value, 30.0);
    for (int tick = 0; tick < 200; ++tick)
        screen.manager.TickFrame();
    EXPECT_EQ(bar.pagingState, 0);
    EXPECT_EQ(bar.ThumbCompare(8, 150), 0);
    double reached = bar.value;
    screen.manager.ButtonReleased(408, 100 + 150, 1);
    EXPECT_EQ(bar.value, reached);

    // Dragging the thumb moves the value in proportion: the whole travel is 90.
    bar.SetValue(0);
    int thumb = bar.GetThumbPosition();
    screen.manager.PointerMoved(408, 100 + thumb + 2);
    screen.manager.ButtonPressed(408, 100 + thumb + 2, 1);
    EXPECT_TRUE(bar.pressedOnThumb);
    int travel = bar.GetTrackSize() - bar.GetThumbSize();
    screen.manager.PointerMoved(408, 100 + thumb + 2 + travel / 2);
    EXPECT_NEAR(bar.value, 45.0, 0.5);
    screen.manager.PointerMoved(408, 5000);
    EXPECT_EQ(bar.value, 90.0);
    EXPECT_TRUE(bar.AtBottom());
    screen.manager.ButtonReleased(408, 5000, 1);
    EXPECT_FALSE(bar.pressedOnThumb);
    bar.SetValue(0);
    bar.GoToBottom();
    EXPECT_EQ(bar.value, 90.0);

    // The wheel over a list scrolls its scrollbar by five lines.
    FakeFont font(1);
    ListWidget list(1, &font, nullptr);
    list.SetScrollbar(&bar);
    for (int i = 0; i < 30; ++i)
        list.AddLine(std::to_string(i), false);
    list.SetBounds(0, 0, 100, 78); // ten lines
    bar.SetValue(10);
    list.OnWheel(1);
    EXPECT_EQ(bar.value, 5.0);
    EXPECT_EQ(list.position, 5.0);
    list.OnWheel(-3);
    EXPECT_EQ(bar.value, 10.0);
    list.SetScrollbar(nullptr);
    EXPECT_EQ(bar.listener, nullptr);
}

TEST(ListAndScrollbarTest, EitherOfAListAndItsScrollbarMayBeDestroyedFirst)
{
    FakeFont font(1);
    auto list = std::make_unique<ListWidget>(1, &font, nullptr);
    auto bar = std::make_unique<ScrollbarWidget>(2, nullptr);
    list->SetScrollbar(bar.get());
    bar.reset();
    list->AddLine("still fine", false);
    list->OnWheel(1);
    list->SetBounds(0, 0, 50, 50);
    EXPECT_EQ(list->scrollbar, nullptr); // the link went with the scrollbar

    bar = std::make_unique<ScrollbarWidget>(3, nullptr);
    list->SetScrollbar(bar.get());
    list.reset();
    EXPECT_EQ(bar->listener, nullptr);
    bar->SetMaxValue(10);
    bar->SetValue(3); // tells no one

    // Chained columns unlink each other whichever goes first.
    auto first = std::make_unique<ListWidget>(4, &font, nullptr);
    auto second = std::make_unique<ListWidget>(5, &font, nullptr);
    first->SetChildList(second.get());
    second.reset();
    EXPECT_EQ(first->childList, nullptr);
    first->AddLine("alone", false);
    EXPECT_EQ(first->GetLineCount(), 1);
}

} // namespace Vesk
