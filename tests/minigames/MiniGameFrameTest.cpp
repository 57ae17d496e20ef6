// The frame every mini-game shares: when its rules run (shown, not paused, no scene in the way),
// the "open" event, the tries and the failure, the done sequence and the back button.
#include "app/Resources.h"
#include "framework/platform/Clock.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MiniGame.h"
#include "support/FakePublication.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using Platform::Clock;
using TestSupport::FakePublication;
using TestSupport::TempFolder;
using TestSupport::TestGameApp;

constexpr int kPage = 3;

// The game application with the scene player's events recorded and its state set by the test.
struct SceneRecordingApp : TestGameApp
{
    void PlayScene(const std::string& event) override { scenes.push_back(event); }
    std::string SceneState() const override { return sceneState; }
    std::vector<std::string> scenes;
    std::string sceneState;
};

// A game whose rules only count their runs; a wrong move or a win on demand.
class CountingGame : public MiniGame
{
public:
    explicit CountingGame(GameApp& app) : MiniGame(app, "MG1", 31) {}
    void LoadPicture(const std::string&) override {}
    using MiniGame::Fail;
    using MiniGame::LoseTry;
    using MiniGame::RunDoneSequence;

    int rulesRun = 0;

protected:
    void TickRules(float) override { ++rulesRun; }
    const std::string& Objective() const override { return objective; }
    void PaintPlayArea(Graphics&) override {}

private:
    std::string objective = "Mend the map";
};

class MiniGameFrameTest : public ::testing::Test
{
protected:
    MiniGameFrameTest()
    {
        Clock::UseVirtualClock();
        app.SetAppDataFolder((folder / "share").string());
        app.content.pageCount = 8;
        app.content.pages[kPage].type = "MG1";
        host.page = kPage;
        game.host = &host;
        game.StartGame(300, 6);
        game.SetShown(true);
    }
    ~MiniGameFrameTest() override
    {
        ResetResourceIdentifiers();
        Clock::UseRealClock();
    }

    TempFolder folder;
    SceneRecordingApp app;
    FakePublication host;
    CountingGame game{app};
};

TEST_F(MiniGameFrameTest, RulesRunOnlyWhileShownUnpausedAndNoSceneHoldsTheGame)
{
    game.SetShown(false);
    game.Tick();
    EXPECT_EQ(game.rulesRun, 0) << "a hidden game does nothing";
    EXPECT_TRUE(app.scenes.empty());

    game.SetShown(true);
    host.openGate = -1;
    game.Tick();
    EXPECT_EQ(game.rulesRun, 1);
    EXPECT_TRUE(app.scenes.empty()) << "no \"open\" while the tab still slides away";
    host.openGate = 0;
    game.Tick();
    game.Tick();
    EXPECT_EQ(app.scenes, std::vector<std::string>{"open"}) << "\"open\" is sent once";
    EXPECT_EQ(host.slideRequests, std::vector<int>{-1});

    // Paused: no rules, and the paused time does not count on the game's clock.
    const uint32_t started = game.startTime;
    host.pauseOpen = true;
    game.Tick();
    Clock::AdvanceFrame(5000);
    game.Tick();
    EXPECT_EQ(game.rulesRun, 3);
    host.pauseOpen = false;
    game.Tick();
    EXPECT_EQ(game.rulesRun, 4);
    EXPECT_EQ(game.startTime, started + 5000);

    app.sceneState = "Reading";
    game.Tick();
    EXPECT_EQ(game.rulesRun, 4) << "a scene that is not waiting for the game holds it";
    app.sceneState = "Playtime";
    game.Tick();
    EXPECT_EQ(game.rulesRun, 5);
}

TEST_F(MiniGameFrameTest, TheFifthWrongMoveFailsOnceAndStopsTheGame)
{
    for (int wrong = 0; wrong < 4; ++wrong)
        game.LoseTry();
    EXPECT_EQ(game.tries, 1);
    EXPECT_FALSE(game.finished);
    EXPECT_EQ(host.pageActions, 0);
    game.LoseTry();
    EXPECT_EQ(game.tries, 0);
    EXPECT_TRUE(game.finished);
    EXPECT_TRUE(host.pageComplete);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_EQ(app.scenes, std::vector<std::string>{"fail"});

    // Nothing more comes of a failed game: no sixth try, no late win, no rules.
    game.LoseTry();
    game.RunDoneSequence();
    game.Tick();
    EXPECT_EQ(game.tries, 0);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_EQ(app.scenes, std::vector<std::string>{"fail"});
    EXPECT_FALSE(app.content.pages[kPage].done);
    EXPECT_EQ(game.rulesRun, 0);

    // A new start is a fresh game.
    game.StartGame(300, 6);
    EXPECT_FALSE(game.finished);
    EXPECT_EQ(game.tries, MiniGame::kStartTries);
}

TEST_F(MiniGameFrameTest, TheDoneSequenceMarksThePageOnceAndLeavesIt)
{
    game.RunDoneSequence();
    EXPECT_TRUE(game.finished);
    EXPECT_TRUE(app.content.pages[kPage].done);
    EXPECT_EQ(host.redrawnPage, kPage);
    EXPECT_TRUE(host.pageComplete);
    EXPECT_EQ(host.pageActions, 1);
    ASSERT_FALSE(app.scenes.empty());
    EXPECT_EQ(app.scenes.front(), "done");
    game.RunDoneSequence();
    game.Fail();
    EXPECT_EQ(host.pageActions, 1) << "an ended game ends once";
}

TEST_F(MiniGameFrameTest, TheBackButtonLeavesThePageOnlyWhenNoPageTurnBlurRuns)
{
    host.blur = 0.5;
    game.OnButtonReleased(31);
    EXPECT_EQ(host.pageActions, 0);
    host.blur = 0;
    game.OnButtonReleased(30);
    EXPECT_EQ(host.pageActions, 0) << "another game's button";
    game.OnButtonReleased(31);
    EXPECT_EQ(host.pageActions, 1);
}

} // namespace
} // namespace Vesk
