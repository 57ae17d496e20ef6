#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Clock.h"
#include "framework/platform/Window.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <vector>

namespace Vesk
{

using Platform::Clock;
using TestSupport::TestApp;
using TestSupport::TestDriver;

TEST(MainLoopTest, RunsFixedUpdatesOnTheVirtualClockAndPresentsWhatWasPainted)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    uint32_t start = Clock::GetTickCount();
    EXPECT_EQ(driver.RunUpdates(100), 100);
    // Game time moves one frame per update, exactly.
    EXPECT_EQ(Clock::GetTickCount() - start, 1000u);
    EXPECT_EQ(app.board->ticks, 100);
    EXPECT_TRUE(app.loadingThreadCompleted);
    EXPECT_EQ(app.loadingCompletedCalls, 1);

    app.Fill(0xFF336699u);
    int draws = app.drawCount;
    driver.RunUpdates(2);
    EXPECT_GT(app.drawCount, draws);
    ASSERT_EQ(driver.PresentedFrame().size(), 800u * 600u);
    EXPECT_EQ(driver.PresentedFrame()[300 * 800 + 400], 0xFF336699u);
    EXPECT_EQ(driver.Pixel(799, 599), 0xFF336699u);

    // Nothing dirty: the screen is presented again only once a second.
    app.board->invalidateEachTick = false;
    driver.RunUpdates(5);
    draws = app.drawCount;
    driver.RunUpdates(50);
    EXPECT_EQ(app.drawCount, draws);
    driver.RunUpdates(60);
    EXPECT_EQ(app.drawCount, draws + 1);
}

TEST(MainLoopTest, AStallOwesAtMost200MillisecondsAndAtMostTenUpdatesRunBeforeADraw)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    app.board->invalidateEachTick = true;
    driver.RunUpdates(20);
    // Let the loop reach a wait, so that no time is owed.
    uint32_t waited = Clock::LoopNow();
    for (int step = 0; step < 100 && Clock::LoopNow() == waited; ++step)
    {
        bool updated = false;
        app.UpdateAppStep(updated);
    }

    driver.Stall(500);
    uint32_t loopTime = Clock::LoopNow();
    int updatesBefore = app.updateCount;
    int drawsBefore = app.drawCount;
    int longestRun = 0;
    int run = 0;
    int lastDraws = app.drawCount;
    // Step until the loop waits again: everything in between ran back to back.
    for (int step = 0; step < 1000 && Clock::LoopNow() == loopTime; ++step)
    {
        int updates = app.updateCount;
        bool updated = false;
        app.UpdateAppStep(updated);
        run += app.updateCount - updates;
        if (app.drawCount != lastDraws)
        {
            lastDraws = app.drawCount;
            longestRun = std::max(longestRun, run);
            run = 0;
        }
    }
    longestRun = std::max(longestRun, run);
    EXPECT_EQ(app.updateCount - updatesBefore, 20); // 200 ms of the 500 are caught up
    EXPECT_LE(longestRun, 10);
    EXPECT_GE(longestRun, 9);
    EXPECT_GE(app.drawCount - drawsBefore, 2);
}

TEST(MainLoopTest, WhileMinimizedUpdatesContinueButNothingIsTickedOrPainted)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    app.board->invalidateEachTick = true;
    driver.RunUpdates(10);
    EXPECT_FALSE(app.IsMuted());

    driver.Minimize(true);
    driver.Pump();
    EXPECT_TRUE(app.minimized);
    EXPECT_TRUE(app.IsMuted());
    int updates = app.updateCount;
    int draws = app.drawCount;
    int ticks = app.board->ticks;
    EXPECT_EQ(driver.RunUpdates(300), 300);
    EXPECT_EQ(app.updateCount, updates + 300);
    EXPECT_EQ(app.drawCount, draws);
    EXPECT_EQ(app.board->ticks, ticks);

    driver.Minimize(false);
    driver.RunUpdates(3);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_GT(app.drawCount, draws);
    EXPECT_GT(app.board->ticks, ticks);
}

TEST(MainLoopTest, UpdatesFasterThanTheRefreshRateTurnSmoothModeOffAfterThreeGroups)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    app.board->invalidateEachTick = true;

    // Paced updates (100 per second of loop time) never count as too fast.
    app.vsyncBroken = false;
    driver.RunUpdates(600);
    EXPECT_FALSE(app.vsyncBroken);

    // Smooth mode (full screen, vsync-locked): presenting does not wait for a display refresh
    // here, so updates run as fast as frames are presented. The first check after 100 updates
    // is the baseline; each later group of 100 that took 800 ms or less is a strike.
    app.vsyncLockedUpdates = true;
    app.physicallyWindowed = false;
    app.refreshRate = 100;
    app.vsyncStrikes = 0;
    app.vsyncCheckUpdates = 0;
    app.vsyncCheckStarted = false;
    uint32_t loopTime = Clock::LoopNow();
    int smoothTicks = app.board->smoothTicks;
    driver.RunUpdates(399);
    EXPECT_FALSE(app.vsyncBroken);
    EXPECT_EQ(app.vsyncStrikes, 2);
    EXPECT_EQ(Clock::LoopNow(), loopTime); // no waiting at all
    EXPECT_GT(app.board->smoothTicks, smoothTicks);
    driver.RunUpdates(1); // the third strike
    EXPECT_TRUE(app.vsyncBroken);
}

namespace
{

struct Victim : Widget
{
    explicit Victim(bool& deleted) : deleted(deleted) {}
    ~Victim() override { deleted = true; }
    bool& deleted;
};

// Runs nested loops from its key handler and its tick, as a modal dialog does.
struct Nester : Widget
{
    std::function<void()> onKey;
    std::function<void()> onTick;
    void OnKeyPressed(int keyCode) override
    {
        if (onKey)
            onKey();
    }
    void Tick() override
    {
        Widget::Tick();
        if (onTick)
        {
            auto run = std::move(onTick);
            onTick = nullptr;
            run();
        }
    }
};

void RunNestedSteps(VeskAppBase& app, int steps)
{
    for (int i = 0; i < steps; ++i)
    {
        bool updated = false;
        app.UpdateAppStep(updated);
    }
}

} // namespace

TEST(MainLoopTest, SafeDeletedWidgetsLiveUntilTheirModalLoopLevelReturns)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    Nester nester;
    nester.SetBounds(0, 0, 800, 600);
    app.GetWidgetManager()->AddChild(&nester);
    app.GetWidgetManager()->SetFocusWidget(&nester);

    bool outerDeleted = false;
    bool innerDeleted = false;
    auto* outer = new Victim(outerDeleted);
    auto* inner = new Victim(innerDeleted);
    app.GetWidgetManager()->AddChild(outer);
    bool outerAliveAfterNestedLoop = false;
    bool innerAliveInDeeperLoop = false;
    bool innerDeletedBackAtItsLevel = false;
    int depthOfKey = 0;
    int depthOfTick = 0;

    nester.onKey = [&]()
    {
        depthOfKey = app.updateNestingDepth;
        app.SafeDeleteWidget(outer);
        nester.onTick = [&]()
        {
            depthOfTick = app.updateNestingDepth;
            app.SafeDeleteWidget(inner);
            RunNestedSteps(app, 40); // a loop one level deeper
            innerAliveInDeeperLoop = !innerDeleted;
        };
        RunNestedSteps(app, 60);
        innerDeletedBackAtItsLevel = innerDeleted;
        outerAliveAfterNestedLoop = !outerDeleted;
    };
    driver.PressKey('K');
    driver.Pump(); // the key's handler runs the nested loops
    driver.RunUpdates(1);

    EXPECT_EQ(depthOfKey, 1);
    EXPECT_EQ(depthOfTick, 2);
    EXPECT_TRUE(innerAliveInDeeperLoop);
    EXPECT_TRUE(innerDeletedBackAtItsLevel);
    EXPECT_TRUE(outerAliveAfterNestedLoop);
    EXPECT_TRUE(outerDeleted);
    EXPECT_FALSE(app.GetWidgetManager()->HasChild(outer));
    app.GetWidgetManager()->RemoveChild(&nester);
}

TEST(MainLoopTest, LoadingThreadProgressAndCompletion)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    app.loadingMilliseconds = 150;
    ASSERT_TRUE(driver.Init());
    app.loadingProgressTotal = 4;
    app.loadingProgressCurrent = 2;
    EXPECT_EQ(app.GetLoadingThreadProgress(), 0.0); // not started yet
    driver.Start(false);
    EXPECT_DOUBLE_EQ(app.GetLoadingThreadProgress(), 0.5);
    app.loadingProgressCurrent = 9;
    EXPECT_DOUBLE_EQ(app.GetLoadingThreadProgress(), 1.0);
    app.loadingProgressCurrent = 1;
    app.loadingProgressTotal = 0;
    EXPECT_EQ(app.GetLoadingThreadProgress(), 0.0);
    app.loadingProgressTotal = 4;

    // Updates go on while the thread loads; completion is seen by the loop.
    while (!app.loadingThreadDone)
        driver.RunUpdates(1);
    driver.RunUpdates(1);
    EXPECT_TRUE(app.loadingThreadCompleted);
    EXPECT_FALSE(app.loadingThreadThrottle);
    EXPECT_EQ(app.loadingCompletedCalls, 1);
    EXPECT_DOUBLE_EQ(app.GetLoadingThreadProgress(), 1.0); // even though 1 of 4 was counted
}

namespace
{

struct DialogApp : TestApp
{
    int opened = 0;
    int closed = 0;
    void ModalOpen() override { ++opened; }
    void ModalClose() override { ++closed; }
};

} // namespace

TEST(MainLoopTest, DialogsAreKeptByIdAndModalOnesRuleThePointer)
{
    TestDriver driver;
    auto& app = driver.Create<DialogApp>();
    ASSERT_TRUE(driver.Launch());
    WidgetManager& manager = *app.GetWidgetManager();

    EXPECT_FALSE(app.KillDialog(42));
    EXPECT_EQ(app.GetDialogCount(), 0);

    Dialog* dialog = app.DoDialog(7, true, "Header", "Some lines", "", Dialog::BUTTONS_YES_NO);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(app.GetDialog(7), dialog);
    EXPECT_EQ(app.GetDialogCount(), 1);
    EXPECT_EQ(dialog->x, 200);
    EXPECT_EQ(dialog->y, 120);
    EXPECT_EQ(dialog->width, 400);
    EXPECT_EQ(dialog->height, dialog->GetPreferredHeight(400));
    EXPECT_TRUE(manager.HasChild(dialog));
    EXPECT_EQ(manager.modalBase, dialog);
    EXPECT_EQ(app.opened, 1);

    // Below a modal dialog the board gets no pointer.
    driver.Click(20, 20);
    driver.RunUpdates(1);
    EXPECT_TRUE(app.board->Lines("press").empty());

    EXPECT_FALSE(app.KillDialog(8));
    EXPECT_EQ(app.GetDialogCount(), 1);
    EXPECT_TRUE(app.KillDialog(7));
    EXPECT_EQ(app.GetDialogCount(), 0);
    EXPECT_EQ(app.GetDialog(7), nullptr);
    EXPECT_FALSE(manager.HasChild(dialog));
    EXPECT_EQ(manager.modalBase, nullptr);
    EXPECT_EQ(app.closed, 1);
    driver.RunUpdates(1); // the dialog is deleted by the loop

    driver.Click(20, 20);
    driver.RunUpdates(1);
    EXPECT_EQ(app.board->Lines("press").size(), 1u);
}

namespace
{

// The desktop's screen-saver timeout as the platform layer reads it, for one test.
struct ScreenSaverTimeout
{
    explicit ScreenSaverTimeout(const char* seconds) { ::setenv("VESK_SCREENSAVER_TIMEOUT", seconds, 1); }
    ~ScreenSaverTimeout() { ::unsetenv("VESK_SCREENSAVER_TIMEOUT"); }
};

// Runs loop steps until the loop clock has moved on by ms.
void RunFor(VeskAppBase& app, uint32_t ms)
{
    uint32_t start = Clock::LoopNow();
    for (long guard = 0; Clock::LoopNow() - start < ms && guard < 1000000; ++guard)
    {
        bool updated = false;
        if (!app.UpdateAppStep(updated))
            break;
    }
}

struct PaintCounter : Widget
{
    void Paint(Graphics&) override { ++paints; }
    int paints = 0;
};

} // namespace

TEST(MainLoopTest, TheIdlePauseEndsOnTheNextInputWithAFullRepaint)
{
    ScreenSaverTimeout timeout("5"); // the pause starts after 3 s without input
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    PaintCounter counter;
    counter.SetBounds(0, 0, 10, 10);
    app.GetWidgetManager()->AddChild(&counter);

    RunFor(app, 2500);
    EXPECT_FALSE(app.idlePaused);
    RunFor(app, 2000);
    ASSERT_TRUE(app.idlePaused);
    int updates = app.updateCount;
    int draws = app.drawCount;
    int paints = counter.paints;
    RunFor(app, 5000);
    EXPECT_EQ(app.updateCount, updates);
    EXPECT_EQ(app.drawCount, draws);

    driver.MoveTo(10, 10);
    EXPECT_EQ(driver.RunUpdates(3), 3);
    EXPECT_FALSE(app.idlePaused);
    EXPECT_GT(app.drawCount, draws);
    EXPECT_GT(counter.paints, paints) << "everything is painted again";
    EXPECT_EQ(app.board->Lines("move").size(), 1u);
    app.GetWidgetManager()->RemoveChild(&counter);
}

TEST(MainLoopTest, TheIdlePauseFollowsTheScreenSaverTimeoutReadEveryTenSeconds)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    // No timeout: never a pause.
    RunFor(app, 20000);
    EXPECT_FALSE(app.idlePaused);
    EXPECT_GE(app.updateCount, 1990);

    {
        ScreenSaverTimeout timeout("5");
        RunFor(app, 11000);
        EXPECT_TRUE(app.idlePaused);
    }
    // The timeout went away: the pause ends at the next check, without input.
    int updates = app.updateCount;
    RunFor(app, 11000);
    EXPECT_FALSE(app.idlePaused);
    EXPECT_GT(app.updateCount, updates);

    // Full screen knows no idle pause.
    ScreenSaverTimeout timeout("5");
    app.SwitchScreenMode(false);
    RunFor(app, 20000);
    EXPECT_FALSE(app.idlePaused);
}

namespace
{

// Loads until the test lets it finish.
struct SlowLoadingApp : TestApp
{
    void LoadingThreadProc() override
    {
        while (!finish)
            Clock::RealSleep(1);
    }
    std::atomic<bool> finish{false};
};

} // namespace

TEST(MainLoopTest, WhileLoadingAMovedSoftwareCursorIsPresentedWithinOneRefresh)
{
    TestDriver driver;
    auto& app = driver.Create<SlowLoadingApp>();
    ASSERT_TRUE(driver.Init());
    driver.Start(false);
    app.Fill(0xFF000000u);
    MemoryImage red(&app.GetImageSet());
    std::vector<uint32_t> redPixels(16, 0xFFFF0000u);
    red.SetBits(redPixels.data(), 4, 4);
    app.SetCursorImage(12, &red, 1, 1);
    app.SetCursor(12);
    driver.MoveTo(100, 100);
    driver.RunUpdates(20);
    // The driver destroys the app when the test ends: its loading thread must have left the
    // test's loading procedure by then.
    auto finishLoading = [&app]
    {
        app.finish = true;
        while (!app.loadingThreadDone)
            Clock::RealSleep(1);
    };
    if (app.GetWindow()->GetShownPictureCursor() >= 0)
    {
        finishLoading();
        GTEST_SKIP() << "the video driver moves a colour cursor itself";
    }

    // Frames are presented about 20 times a second while loading; the pointer is not held to that.
    uint32_t period = 1000u / static_cast<uint32_t>(app.refreshRate);
    uint32_t slowest = 0;
    for (int step = 1; step <= 30; ++step)
    {
        int x = 100 + step * 5;
        driver.MoveTo(x, 100);
        uint32_t moved = Clock::LoopNow();
        for (int guard = 0; guard < 1000; ++guard)
        {
            const std::vector<uint32_t>& frame = driver.PresentedFrame();
            if (frame.size() == 800u * 600u && frame[100 * 800 + x + 2] == 0xFFFF0000u)
                break;
            bool updated = false;
            app.UpdateAppStep(updated);
        }
        slowest = std::max(slowest, Clock::LoopNow() - moved);
    }
    EXPECT_FALSE(app.loadingThreadDone);
    EXPECT_LE(slowest, period);
    finishLoading();
    app.SetCursorImage(12, nullptr);
}

} // namespace Vesk
