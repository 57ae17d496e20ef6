#include "framework/platform/Clock.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

} // namespace Vesk
