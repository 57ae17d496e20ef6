// The whole publication played through on the built game, as a new player plays it: the name
// asked at the first start, the intro watched, every page of every set in the order the game
// opens them (the hidden-object pages by their lists, each mini-game by its own winning moves),
// a bonus picture taken from under a page's corner, the final game, and the final scene. The
// run ends with every page done and stamped in save.dat and no error box on the way; the same
// run recorded as a demo plays back to the same state.
#include "app/GameApp.h"
#include "dialogs/ProfileDialog.h"
#include "framework/platform/Window.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/EditWidget.h"
#include "publication/Page.h"
#include "publication/Tutorial.h"
#include "scenes/UCD.h"
#include "support/GameDriver.h"
#include "support/GameMoves.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ORLO_PLAYTHROUGH_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ORLO_PLAYTHROUGH_SANITIZED 1
#endif
#endif

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;
namespace Moves = TestSupport;

const std::string kPlayerName = "Orla";
// The final game's page, the last of the publication's playable pages.
constexpr int kFinalPage = 17;

// The player reads on with a click high on the screen and answers a question with its first
// choice, until the scene ends or waits for the game.
void PlayAlong(GameDriver& game)
{
    UCD& scenes = *game.Game().scenePlayer;
    for (int update = 0; update < 8000 && scenes.Playing() && scenes.state != "Playtime"; ++update)
    {
        if (scenes.state == "Asking")
        {
            const int yes = scenes.FindButton("yes");
            ASSERT_GE(yes, 0);
            const UCD::SceneButton& button = scenes.buttons.at(size_t(yes));
            game.Click(button.x + button.width / 2, button.y + button.height / 2);
        }
        else if (scenes.state == "Waiting" || scenes.state == "WaitPause" || scenes.state == "Reading")
            game.Click(400, 20);
        else
            game.Step();
    }
}

// The name asked at the first start is typed over the offered one and taken with Enter. During
// a demo's playback the recorded keys answer it.
void AnswerTheFirstName(GameDriver& game, bool& asked)
{
    game.Game().onDialog = [&game, &asked](Dialog& dialog)
    {
        auto* first = dynamic_cast<Profile::FirstInputDialog*>(&dialog);
        if (first == nullptr)
            return false;
        asked = true;
        if (game.Game().IsPlayingDemo())
            return true;
        game.WaitUntil([&] { return first->slideProgress >= 1; }, 500, "the name dialog slid in");
        game.Key(Platform::KEYCODE_END);
        for (size_t typed = first->edit->text.size(); typed > 0; --typed)
            game.Key(Platform::KEYCODE_BACK);
        game.Type(kPlayerName);
        game.Key(Platform::KEYCODE_RETURN);
        return true;
    };
}

// The publication is shown at rest, no page of it played or stamped.
bool AtRest(Page& screen)
{
    return (screen.mode == -1 || screen.mode == Page::kModePublication) && screen.IsPublicationShown() &&
           !screen.Flipping();
}

// The publication lies at rest on its contents page (from wherever it lies).
bool BackToTheContents(GameDriver& game)
{
    Page& screen = *game.Game().pageScreen;
    if (!game.WaitUntil([&] { return AtRest(screen); }, 4000, "the publication lies open"))
        return false;
    return screen.currentPage == 0 || screen.currentPage == 1 || Moves::LeafTo(game, 1);
}

// Enters page from the contents, plays it to the end and waits until the publication is back.
void PlayPage(GameDriver& game, int page)
{
    GameApp& app = game.Game();
    Page& screen = *app.pageScreen;
    SCOPED_TRACE("page " + std::to_string(page) + " (" + app.content.pages[size_t(page)].type + ")");
    ASSERT_TRUE(BackToTheContents(game));
    ASSERT_TRUE(game.EnterFromContents(page));
    const int mode = Moves::ModeOfPageType(app.content.pages[size_t(page)].type);
    if (mode == 0)
    {
        // The first hidden-object page has the new player rub the eraser over a picture first.
        ASSERT_TRUE(game.RubAwayTutorial());
        ASSERT_TRUE(Moves::WaitForBoard(game, page));
        ASSERT_TRUE(Moves::PlayHiddenObjectPage(game, page));
    }
    else
    {
        ASSERT_TRUE(Moves::WaitForMiniGame(game, mode));
        ASSERT_TRUE(Moves::WinMiniGame(game, mode));
    }
    ASSERT_TRUE(game.WaitUntil([&] { return AtRest(screen); }, 6000, "back on the publication"));
    EXPECT_TRUE(app.content.pages[size_t(page)].done);
}

// Plays the sets in the order the game opens them, until lastSet is done (all of them with -1);
// the first bonus picture drawn is taken as soon as there is one.
void PlaySets(GameDriver& game, int lastSet)
{
    GameApp& app = game.Game();
    const ContentModel& content = app.content;
    bool bonusTaken = false;
    for (int played = 0; played < content.setCount; ++played)
    {
        const int set = app.currentSet;
        ASSERT_GE(set, 0);
        const PageSet pages = content.sets[size_t(set)];
        for (int page : {pages.a, pages.b, pages.c})
        {
            ASSERT_TRUE(content.pages[size_t(page)].open) << "page " << page << " of set " << set;
            if (!content.pages[size_t(page)].done)
            {
                ASSERT_NO_FATAL_FAILURE(PlayPage(game, page));
            }
        }
        if (!bonusTaken && app.bonusPickCount > 0)
        {
            ASSERT_TRUE(BackToTheContents(game));
            ASSERT_TRUE(Moves::TakeBonus(game, 0));
            bonusTaken = true;
        }
        if (set == lastSet)
            return;
        if (set + 1 == content.setCount)
            return;
        ASSERT_EQ(app.currentSet, set + 1) << "finishing set " << set << " opens the next";
    }
}

// A new player starts: the name asked, the logos and the intro (watched with watchIntro, or
// left as soon as it starts), and the desk's camera flown onto the cover.
void StartNewPlayer(GameDriver& game, bool watchIntro, const std::string& commandLine = "")
{
    bool asked = false;
    AnswerTheFirstName(game, asked);
    game.Game().playScenes = watchIntro;
    ASSERT_TRUE(game.Launch(commandLine));
    // Nothing here looks at the window: the frames are painted but not presented, which saves a
    // good part of a frame's cost over the thirty thousand frames of the run.
    game.Game().presentFrames = false;
    Page& screen = *game.Game().pageScreen;
    if (watchIntro)
    {
        ASSERT_EQ(game.Game().scenePlayer->lastEvent, "intro");
        ASSERT_NO_FATAL_FAILURE(PlayAlong(game));
    }
    ASSERT_TRUE(game.WaitUntil([&] { return !screen.IntroRunning(); }, 3000, "the desk intro ends"));
    // Scenes from here on are left as soon as they start: they only cost time.
    game.Game().playScenes = false;
    ASSERT_TRUE(game.WaitUntil([&] { return asked && game.Game().GetDialogCount() == 0; }, 3000,
                               "the first start's name is asked"));
    ASSERT_TRUE(game.WaitAtRest());
    game.Game().onDialog = nullptr;
    EXPECT_EQ(game.Game().playerName, kPlayerName);
}

// The final game, entered from the menu's mini-game list and one page back, won; its final
// scene is watched as it starts.
void PlayTheFinalGame(GameDriver& game)
{
    GameApp& app = game.Game();
    UCD& scenes = *app.scenePlayer;
    ASSERT_TRUE(app.content.pages[kFinalPage].open) << "every set done opens the final game";
    ASSERT_TRUE(BackToTheContents(game));
    ASSERT_TRUE(Moves::EnterFinalGame(game));
    ASSERT_TRUE(Moves::WinMGLast(game));

    // From the done scene on, the story is played as the player sees it.
    game.Game().playScenes = true;
    bool finalStarted = false;
    for (int update = 0; update < 20000 && !finalStarted; ++update)
    {
        finalStarted = scenes.Playing() && scenes.lastEvent == "scenes/final.scr";
        if (finalStarted)
            break;
        if (scenes.Playing() && scenes.state != "Playtime")
            ASSERT_NO_FATAL_FAILURE(PlayAlong(game));
        else
            game.Step();
    }
    ASSERT_TRUE(finalStarted) << "the final scene starts";
    game.Step(50);
    game.Screenshot("e2e/playthrough-final-scene.png");
    ASSERT_NO_FATAL_FAILURE(PlayAlong(game));
}

TEST(PlayThrough, ANewPlayerPlaysTheWholePublicationToTheFinalSceneInUnderAMinute)
{
    const auto started = std::chrono::steady_clock::now();
    GameDriver game;
    ASSERT_NO_FATAL_FAILURE(StartNewPlayer(game, true));
    GameApp& app = game.Game();
    ASSERT_EQ(app.currentSet, 0);
    ASSERT_NO_FATAL_FAILURE(PlaySets(game, -1));
    EXPECT_EQ(app.bonusesTaken, 1);
    ASSERT_NO_FATAL_FAILURE(PlayTheFinalGame(game));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    for (int page = 2; page <= kFinalPage; ++page)
    {
        EXPECT_TRUE(save->pages[size_t(page)].open) << page;
        EXPECT_TRUE(save->pages[size_t(page)].done) << page;
        if (page < kFinalPage)
        {
            EXPECT_TRUE(save->pages[size_t(page)].stamped) << page;
        }
    }
    EXPECT_FALSE(save->flags.introPending);
    EXPECT_FALSE(save->flags.tutorialPending);
    EXPECT_FALSE(save->flags.firstPagePending);
    EXPECT_EQ(save->flags.bonusesTaken, 1);
    EXPECT_NE(game.Log().find("scenes/final.scr"), std::string::npos);
    for (const auto& box : game.MessageBoxes())
        ADD_FAILURE() << "an error box: " << box.caption << ": " << box.text;
    std::cout << "The whole publication took " << seconds << " s\n";
#ifndef ORLO_PLAYTHROUGH_SANITIZED
    EXPECT_LT(seconds, 60.0) << "the whole run";
#endif
}

// What a run leaves in the game: the pages' progress, the set, the bonuses, the player.
struct RunState
{
    std::vector<std::vector<bool>> pages;
    int currentSet = -1;
    int bonusesTaken = 0;
    std::vector<int> bonusPages;
    std::string player;

    bool operator==(const RunState&) const = default;
};

RunState StateOf(const GameApp& app)
{
    RunState state;
    for (int page = 0; page < app.content.pageCount; ++page)
    {
        const auto& record = app.content.pages[size_t(page)];
        state.pages.push_back({record.open, record.done, record.stamped, record.notePrepared});
    }
    state.currentSet = app.currentSet;
    state.bonusesTaken = app.bonusesTaken;
    for (int pick = 0; pick < app.bonusPickCount; ++pick)
        state.bonusPages.push_back(app.bonusPicks[size_t(pick)].page);
    state.player = app.playerName;
    return state;
}

// The whole publication played through as above (its scenes skipped as they start, the same way
// in both runs), recorded with -record; a second, fresh game played back with -play from that
// file alone ends in the same state.
TEST(PlayThrough, TheWholeGameRecordedAsADemoPlaysBackToTheSameState)
{
#ifdef ORLO_PLAYTHROUGH_SANITIZED
    GTEST_SKIP() << "two whole runs take about ten minutes under the sanitizers: the release build replays "
                    "the whole game, and the whole run itself is played here too";
#endif
    std::string demo;
    RunState recorded;
    {
        GameDriver game;
        const std::string demoPath = (game.Driver().Folder().Path() / "playthrough.dmo").string();
        ASSERT_NO_FATAL_FAILURE(StartNewPlayer(game, false, "-record -demofile=" + demoPath));
        ASSERT_TRUE(game.Game().IsRecordingDemo());
        ASSERT_NO_FATAL_FAILURE(PlaySets(game, -1));
        ASSERT_EQ(game.Game().bonusesTaken, 1);
        ASSERT_TRUE(BackToTheContents(game));
        ASSERT_TRUE(Moves::EnterFinalGame(game));
        ASSERT_TRUE(Moves::WinMGLast(game));
        ASSERT_TRUE(game.WaitUntil([&] { return game.Log().find("scenes/final.scr") != std::string::npos; }, 4000,
                                   "the final scene"));
        ASSERT_TRUE(BackToTheContents(game));
        game.Driver().Close();
        ASSERT_TRUE(game.Driver().RunUntilShutdown());
        recorded = StateOf(game.Game());
        game.Driver().Destroy();
        std::ifstream file(demoPath, std::ios::binary);
        demo.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>{});
        EXPECT_TRUE(game.MessageBoxes().empty());
    }
    ASSERT_FALSE(demo.empty()) << "the demo file is written";

    GameDriver game;
    game.Driver().Folder().WriteFile("playthrough.dmo", demo);
    bool asked = false;
    AnswerTheFirstName(game, asked);
    ASSERT_TRUE(game.Launch("-play -demofile=" + (game.Driver().Folder().Path() / "playthrough.dmo").string()));
    ASSERT_TRUE(game.Game().IsPlayingDemo());
    game.Game().presentFrames = false;
    ASSERT_TRUE(game.Driver().RunUntilShutdown());
    EXPECT_TRUE(asked);
    const RunState played = StateOf(game.Game());
    EXPECT_TRUE(played.pages[kFinalPage][1]) << "the final game is won in the playback too";
    EXPECT_EQ(played.pages, recorded.pages);
    EXPECT_EQ(played.currentSet, recorded.currentSet);
    EXPECT_EQ(played.bonusesTaken, recorded.bonusesTaken);
    EXPECT_EQ(played.bonusPages, recorded.bonusPages);
    EXPECT_EQ(played.player, recorded.player);
    EXPECT_TRUE(game.MessageBoxes().empty());
}

} // namespace
} // namespace Vesk
