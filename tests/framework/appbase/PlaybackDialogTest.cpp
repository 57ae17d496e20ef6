#include "framework/appbase/DemoJumpDialog.h"
#include "framework/appbase/DemoMarkerDialog.h"
#include "framework/platform/Window.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/ListWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk
{

using namespace Platform;
using TestSupport::TestApp;
using TestSupport::TestDriver;
using Lines = std::vector<std::string>;

namespace
{

// Records a run of about 3000 updates with a click every 100 updates and three markers.
void RecordWithMarkers(TestDriver& driver, const std::string& file)
{
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch("-record -demofile=" + file));
    for (int i = 0; i < 30; ++i)
    {
        if (i == 5)
            app.DemoAddMarker("Cover");
        if (i == 15)
            app.DemoAddMarker("Page <3>");
        if (i == 25)
            app.DemoAddMarker("Credits");
        driver.Click(10 + i, 20 + i);
        driver.RunUpdates(100);
    }
    driver.Close();
    driver.Pump();
    ASSERT_TRUE(app.isShutdown);
    driver.Destroy();
}

// Steps the loop (without the driver's update target) until the update count reaches target
// or the step budget runs out.
void StepUntil(VeskAppBase& app, int target, int steps = 200000)
{
    for (int i = 0; i < steps && app.updateCount < target && !app.isShutdown; ++i)
    {
        bool updated = false;
        app.UpdateAppStep(updated);
    }
}

void Steps(VeskAppBase& app, int count)
{
    for (int i = 0; i < count; ++i)
    {
        bool updated = false;
        app.UpdateAppStep(updated);
    }
}

// Where a list line lies on the screen.
Point LinePoint(Dialog& dialog, ListWidget& list, int index)
{
    return Point(dialog.x + list.x + 20,
                 dialog.y + list.y + 4 + index * list.GetItemHeight() + list.GetItemHeight() / 2);
}

} // namespace

TEST(PlaybackDialogTest, JumpTimesAreSecondsOrClockTimes)
{
    int seconds = -1;
    EXPECT_TRUE(DemoJumpDialog::ParseTime("90", seconds));
    EXPECT_EQ(seconds, 90);
    EXPECT_TRUE(DemoJumpDialog::ParseTime("1:30", seconds));
    EXPECT_EQ(seconds, 90);
    EXPECT_TRUE(DemoJumpDialog::ParseTime("01:02:03", seconds));
    EXPECT_EQ(seconds, 3723);
    EXPECT_TRUE(DemoJumpDialog::ParseTime("0", seconds));
    EXPECT_EQ(seconds, 0);
    seconds = 7;
    for (const char* bad : {"", ":", "1:", ":30", "1:60", "1:2:3:4", "-5", "1.5", "12a", "99999999", "25:00:00"})
    {
        EXPECT_FALSE(DemoJumpDialog::ParseTime(bad, seconds)) << bad;
        EXPECT_EQ(seconds, 7) << bad;
    }
    EXPECT_EQ(DemoMarkerDialog::FormatMarker({"Page 3", 372345}, 10), "Page 3 (01:02:03)");
    EXPECT_EQ(DemoMarkerDialog::FormatMarker({"", 0}, 10), " (00:00:00)");
}

TEST(PlaybackDialogTest, JumpToTimeTakesATypedTimeKeepsItAndStopsThePlaybackWhileOpen)
{
    TestDriver driver;
    RecordWithMarkers(driver, "marked.dmo");
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch("-play -demofile=marked.dmo"));
    int total = app.GetDemoTotalUpdates();
    ASSERT_GE(total, 3000);
    driver.RunUpdates(120);
    std::vector<uint32_t> before = driver.PresentedFrame();

    driver.Character('j');
    driver.Pump();
    auto* dialog = static_cast<DemoJumpDialog*>(app.GetDialog(VeskAppBase::kDemoJumpDialogId));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(app.IsDemoDialogOpen());
    EXPECT_EQ(dialog->header, "Jump To Time");
    EXPECT_EQ(app.GetWidgetManager()->focusWidget, dialog->edit.get());

    // The playback stands still, but the dialog is drawn and presented.
    int standing = app.updateCount;
    Steps(app, 300);
    EXPECT_EQ(app.updateCount, standing);
    const std::vector<uint32_t>& shown = driver.PresentedFrame();
    ASSERT_EQ(shown.size(), 800u * 600u);
    ASSERT_EQ(before.size(), 800u * 600u);
    EXPECT_EQ(shown[size_t(dialog->y + 40) * 800 + size_t(dialog->x + 12)], 0xFFFFFFFFu); // the outline
    EXPECT_NE(shown, before);

    // Typed keys go to the field (not to the playback controls, not to the game): only digits
    // and ":" get in.
    app.board->Clear();
    driver.Type("0:x1y0");
    driver.Pump();
    EXPECT_EQ(dialog->edit->text, "0:10");
    EXPECT_TRUE(app.board->Lines("char").empty());
    EXPECT_DOUBLE_EQ(app.updateSpeed, 1.0);

    // Enter: the dialog closes and the playback runs ahead to ten seconds before the end.
    driver.PressKey(KEYCODE_RETURN);
    driver.Pump();
    EXPECT_FALSE(app.IsDemoDialogOpen());
    StepUntil(app, total - 1000);
    EXPECT_EQ(app.updateCount, total - 1000);
    Steps(app, 20);
    EXPECT_FALSE(app.IsMuted());

    // The time typed is offered again, selected; a bad time keeps the dialog open with a hint;
    // Escape closes it without a jump.
    driver.Character('J');
    driver.Pump();
    dialog = static_cast<DemoJumpDialog*>(app.GetDialog(VeskAppBase::kDemoJumpDialogId));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->edit->text, "0:10");
    EXPECT_TRUE(dialog->edit->HasSelection());
    driver.Type("1:");
    driver.PressKey(KEYCODE_RETURN);
    driver.Pump();
    ASSERT_EQ(app.GetDialog(VeskAppBase::kDemoJumpDialogId), dialog);
    EXPECT_EQ(dialog->edit->text, "1:");
    EXPECT_NE(dialog->lines.find("no time"), std::string::npos);
    int at = app.updateCount;
    driver.PressKey(KEYCODE_ESCAPE);
    driver.Pump();
    EXPECT_FALSE(app.IsDemoDialogOpen());
    EXPECT_LE(app.demoJumpTarget, app.updateCount);
    driver.RunUpdates(5);
    EXPECT_EQ(app.updateCount, at + 5);

    // Cancel by the button: the pointer and the keys are the recording's again afterwards.
    size_t presses = app.board->Lines("press").size();
    driver.Character('j');
    driver.Pump();
    dialog = static_cast<DemoJumpDialog*>(app.GetDialog(VeskAppBase::kDemoJumpDialogId));
    ASSERT_NE(dialog, nullptr);
    Rect cancel = dialog->noButton->GetBounds();
    driver.KeyDown(KEYCODE_SHIFT);
    driver.Click(cancel.x + 10, cancel.y + 10);
    driver.Pump();
    Steps(app, 5);
    EXPECT_FALSE(app.IsDemoDialogOpen());
    EXPECT_FALSE(app.GetWidgetManager()->keyDown[KEYCODE_SHIFT]);
    EXPECT_NE(app.GetCursorX(), cancel.x + 10);
    EXPECT_EQ(app.board->Lines("press").size(), presses);

    // The playback still ends as recorded.
    driver.Character('0');
    EXPECT_TRUE(driver.RunUntilShutdown(10000));
    EXPECT_EQ(app.updateCount, total);
}

TEST(PlaybackDialogTest, MarkerListJumpsToAMarkerAheadAndIgnoresPassedOnes)
{
    TestDriver driver;
    RecordWithMarkers(driver, "marked.dmo");
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch("-play -demofile=marked.dmo"));
    const std::vector<DemoFile::Marker>& markers = app.GetDemoMarkers();
    ASSERT_EQ(markers.size(), 3u);
    StepUntil(app, markers[0].updateCount + 50);

    driver.Character('l');
    driver.Pump();
    auto* dialog = static_cast<DemoMarkerDialog*>(app.GetDialog(VeskAppBase::kDemoMarkerDialogId));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->header, "Marker List");
    ListWidget& list = *dialog->list;
    ASSERT_EQ(list.GetLineCount(), 3);
    EXPECT_EQ(list.GetStringAt(0), DemoMarkerDialog::FormatMarker(markers[0], 10));
    EXPECT_EQ(list.GetStringAt(1), "Page <3> (00:00:" + std::to_string(markers[1].updateCount / 100) + ")");
    // The passed marker is greyed, the others keep the list's text colour.
    EXPECT_NE(list.lineColors[0], list.lineColors[1]);
    EXPECT_EQ(list.lineColors[1], list.lineColors[2]);
    Steps(app, 50);
    // The list is on screen: its white background inside the dialog.
    Point third = LinePoint(*dialog, list, 2);
    EXPECT_EQ(driver.Pixel(dialog->x + list.x + list.width - 3, third.y), 0xFFFFFFFFu);

    // A passed marker cannot be chosen.
    int standing = app.updateCount;
    Point first = LinePoint(*dialog, list, 0);
    driver.MoveTo(first.x, first.y);
    driver.Click(first.x, first.y);
    driver.Pump();
    Steps(app, 50);
    EXPECT_EQ(app.GetDialog(VeskAppBase::kDemoMarkerDialogId), dialog);
    EXPECT_EQ(app.updateCount, standing);

    // The third one lies ahead: the playback runs to it.
    driver.MoveTo(third.x, third.y);
    driver.Click(third.x, third.y);
    driver.Pump();
    EXPECT_FALSE(app.IsDemoDialogOpen());
    StepUntil(app, markers[2].updateCount);
    EXPECT_EQ(app.updateCount, markers[2].updateCount);

    // Escape closes the list; a recording without markers says so and has no lines.
    driver.Character('L');
    driver.Pump();
    ASSERT_TRUE(app.IsDemoDialogOpen());
    driver.PressKey(KEYCODE_ESCAPE);
    driver.Pump();
    EXPECT_FALSE(app.IsDemoDialogOpen());
    DemoMarkerDialog empty(&app, {}, 0);
    EXPECT_EQ(empty.lines, "This recording has no markers.");
    EXPECT_EQ(empty.GetPreferredHeight(400), empty.Dialog::GetPreferredHeight(400));
}

TEST(PlaybackDialogTest, APausedPlaybackStillTakesTheWindowsMessagesAndCanBeResumed)
{
    TestDriver driver;
    RecordWithMarkers(driver, "marked.dmo");
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch("-play -demofile=marked.dmo"));
    driver.RunUpdates(100);
    driver.Character('p');
    driver.Pump();
    Steps(app, 100);
    int paused = app.updateCount;
    EXPECT_TRUE(app.demoPaused);

    // "p" again, typed on the keyboard: it comes through the window's event queue, which only
    // the loop's message step reads.
    ASSERT_TRUE(Window::SimulateText("p"));
    Steps(app, 200);
    EXPECT_FALSE(app.demoPaused);
    EXPECT_GT(app.updateCount, paused);
}

} // namespace Vesk
