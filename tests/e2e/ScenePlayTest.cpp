// Scenes played over the built game: scripts written beside main.pak, played through the game
// application, watched on screen and answered with the pointer.
#include "app/GameApp.h"
#include "board/Board.h"
#include "framework/widgets/ButtonWidget.h"
#include "publication/Page.h"
#include "scenes/UCD.h"
#include "support/GameDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// Pictures of the built game that stand in for character and button art.
constexpr const char* kCharacterArt = "images/interface/but_play";

class ScenePlay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().scenePlayer, nullptr);
        game.Game().playScenes = true;
        // The intro was skipped when the game started: the player is idle.
        game.Step();
        ASSERT_FALSE(Player().Playing());
    }

    UCD& Player() { return *game.Game().scenePlayer; }

    void Play(const std::string& name, const std::string& script)
    {
        game.Driver().Folder().WriteFile("scenes/" + name, script);
        game.Game().PlayScene("scenes/" + name);
    }

    bool WaitForState(const std::string& state)
    {
        return game.WaitUntil([&] { return Player().state == state; }, 2000, "the scene reaches " + state);
    }

    std::string Text(int character) { return Player().characters.at(size_t(character)).text; }

    void ClickButton(int index)
    {
        const UCD::SceneButton& button = Player().buttons.at(size_t(index));
        game.Click(button.x + button.width / 2, button.y + button.height / 2);
    }

    GameDriver game;
};

TEST_F(ScenePlay, ACharacterSlidesInAndSpeaksUntilClicked)
{
    Play("speak.scr", std::string("[char ann ") + kCharacterArt +
                          " 300 200 20]\n[frame 100 450 600][color 255 255 0]\n[in ann]Hello there.[wait]\nBye.");
    ASSERT_TRUE(Player().shown);
    ASSERT_TRUE(WaitForState("Waiting"));
    const UCD::Character& ann = Player().characters.at(0);
    EXPECT_EQ(ann.x, 300);
    EXPECT_EQ(ann.text, "Hello there.");
    EXPECT_TRUE(game.Screenshot("e2e/scene-character.png"));
    game.Click(400, 300);
    ASSERT_TRUE(game.WaitUntil([&] { return !Player().Playing(); }, 500, "the scene ends"));
    EXPECT_FALSE(Player().shown);
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(ScenePlay, TypingPausesAndClicksShowTheRestAtOnce)
{
    Play("pause.scr", std::string("[char ann ") + kCharacterArt + " 300 200 0][pause 500]x[wait]A long line[wait]");
    game.Step(40);
    EXPECT_EQ(Text(0), "");
    ASSERT_TRUE(WaitForState("Waiting"));
    EXPECT_EQ(Text(0), "x");
    game.Click(400, 300);
    game.Step(2);
    // Typing one letter per 40 ms, until a click shows the rest.
    EXPECT_LT(Text(0).size(), std::string("xA long line").size());
    game.Click(400, 300);
    EXPECT_EQ(Text(0), "xA long line");
}

TEST_F(ScenePlay, TheAnswerToAChoiceChangesWhatFollows)
{
    Play("choice.scr", std::string("[char ann ") + kCharacterArt +
                           " 300 200 0][typing 0]Pick one.\n[btn images/interface/but_exit 100 100 left]"
                           "[btn images/interface/but_options 500 100 right][ask][new]\n"
                           "[if left]Went left.[endif][if right]Went right.[endif][wait]");
    ASSERT_TRUE(WaitForState("Asking"));
    ASSERT_EQ(Player().buttons.size(), 2u);
    ClickButton(1);
    ASSERT_TRUE(WaitForState("Waiting"));
    EXPECT_EQ(Player().reader.answer, "right");
    EXPECT_EQ(Text(0), "Went right.");
    EXPECT_TRUE(Player().buttons.empty());
}

TEST_F(ScenePlay, SkipEndsTheSceneFromAnyState)
{
    Play("skip.scr", std::string("[char ann ") + kCharacterArt +
                         " 300 200 0][btn images/interface/but_exit 100 100 skip][in ann][pause 100000]Never.");
    ASSERT_TRUE(WaitForState("Pause"));
    ClickButton(0);
    ASSERT_TRUE(game.WaitUntil([&] { return !Player().Playing(); }, 10, "the scene is skipped"));
    EXPECT_FALSE(Player().shown);
    EXPECT_TRUE(Player().buttons.empty());
    EXPECT_EQ(Text(0), "");
    EXPECT_GE(Player().characters.at(0).x, 800);
}

TEST_F(ScenePlay, PressesInThePassThroughRectangleReachTheScreenBelow)
{
    game.Game().pageScreen->SetShown(false);
    Play("window.scr", "[window 100 100 700 500][wait]");
    ASSERT_TRUE(WaitForState("Waiting"));
    game.Game().board->pressX = -1;
    game.Click(400, 300);
    EXPECT_EQ(game.Game().board->pressX, 400);
    EXPECT_EQ(Player().state, "Waiting");
    // Outside it the click is the scene's.
    game.Click(50, 50);
    EXPECT_TRUE(game.WaitUntil([&] { return !Player().Playing(); }, 10, "the scene ends"));
}

// Script slips that would hold a scene up: a character named twice is one character, a slide
// speed of 0 and a glide of no time arrive at once, and a scripted page drag is let go when the
// scene ends.
TEST_F(ScenePlay, ScriptSlipsDoNotHoldTheSceneUp)
{
    Play("slips.scr", std::string("[char ann ") + kCharacterArt + " 300 200 5][char ann " + kCharacterArt +
                          " 100 200 0][in ann][move ann 50 60 0][drag_page 400 100 5][pause 50]");
    ASSERT_TRUE(WaitForState("Pause"));
    ASSERT_EQ(Player().characters.size(), 1u);
    game.Step();
    EXPECT_EQ(Player().characters[0].x, 50);
    EXPECT_EQ(Player().characters[0].y, 60);
    EXPECT_GT(Player().dragRate, 0);
    ASSERT_TRUE(game.WaitUntil([&] { return !Player().Playing(); }, 100, "the scene ends"));
    EXPECT_EQ(Player().dragRate, 0);
}

TEST_F(ScenePlay, AMissingScriptLeavesNothingOnScreen)
{
    game.Game().PlayScene("scenes/none.scr");
    EXPECT_FALSE(Player().shown);
    game.Step();
    EXPECT_FALSE(Player().Playing());
    EXPECT_FALSE(Player().shown);
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(ScenePlay, AFadeWhitensTheScreenAndALoopOfCommandsDoesNotHangTheGame)
{
    auto brightness = [](uint32_t pixel) { return ((pixel >> 16) & 255) + ((pixel >> 8) & 255) + (pixel & 255); };
    Play("fade.scr", "[FTW 200][pause 100000]");
    game.Step(10);
    const uint32_t halfway = brightness(game.ScreenPixel(400, 300));
    game.Step(20);
    EXPECT_TRUE(game.Screenshot("e2e/scene-fade.png"));
    EXPECT_EQ(brightness(game.ScreenPixel(400, 300)), 3u * 255u);
    EXPECT_LT(halfway, 3u * 255u);

    Play("loop.scr", "[a][goto a]");
    game.Step(3);
    EXPECT_EQ(Player().state, "Reading");
}

// The shipped intro, answered "yes" at its question and clicked through, plays to its end with no
// scene error.
TEST_F(ScenePlay, TheShippedIntroPlaysThroughWithoutSceneErrors)
{
    game.Game().introPending = true;
    game.Game().PlayScene("intro");
    bool screenshotTaken = false;
    bool choiceShown = false;
    for (int update = 0; update < 5000 && Player().Playing(); ++update)
    {
        if (Player().state == "Waiting" && !screenshotTaken)
        {
            game.Step();
            screenshotTaken = game.Screenshot("e2e/scene-intro.png");
        }
        // Clicks make the text appear at once and go on after each wait.
        if (Player().state == "Waiting" || Player().state == "WaitPause" || Player().state == "Reading")
            game.Click(400, 590);
        else if (Player().state == "Asking")
        {
            if (!choiceShown)
            {
                game.Step(30);
                choiceShown = game.Screenshot("e2e/scene-choice.png");
            }
            const int yes = Player().FindButton("yes");
            ASSERT_GE(yes, 0);
            ClickButton(yes);
        }
        else
            game.Step();
    }
    EXPECT_FALSE(Player().Playing());
    EXPECT_EQ(Player().reader.answer, "yes");
    EXPECT_TRUE(screenshotTaken);
    EXPECT_TRUE(choiceShown) << "the intro asks the player";
    for (const auto& box : game.MessageBoxes())
        ADD_FAILURE() << box.caption << ": " << box.text;
}

// A hidden-object page with its scenes: the open scene and the first-time tutorial over the
// board (which lets the player's first find through and then goes on), the page played to the
// end, the done scene, then the name stamp, with no scene error on the way.
TEST_F(ScenePlay, APagesScenesPlayAroundItsGameAndTheNameStampFollows)
{
    GameApp& app = game.Game();
    Page& screen = *app.pageScreen;
    app.tutorialPending = false;
    app.firstPagePending = false;
    const auto& desktop = app.config.desktop;
    screen.modeZoom[0] = float(desktop.DT1 + desktop.DT2 + desktop.DT3 + desktop.DT4);
    game.Step(2);
    game.Click(screen.playButton->x + 10, screen.playButton->y + 10);
    ASSERT_TRUE(game.WaitUntil([&] { return screen.currentPage == 1 && !screen.Flipping(); }, 1000, "the contents"));
    const ContentsEntry& title = app.content.titles[0];
    ASSERT_EQ(title.page, 2);
    game.Click(app.config.common.BoardX + title.x + 20, app.config.common.BoardY + title.y + 2);
    ASSERT_TRUE(game.WaitUntil([&] { return Player().Playing(); }, 2000, "the page's open scene"));
    EXPECT_EQ(Player().lastEvent, "open");

    // Clicks high on the screen (outside any pass-through window) move the scenes on.
    bool speaking = false;
    auto playThrough = [&](const std::string& until)
    {
        for (int update = 0; update < 6000 && Player().Playing() && Player().state != until; ++update)
        {
            if (!speaking && Player().state == "WaitPause")
                speaking = game.Screenshot("e2e/scene-over-board.png");
            if (Player().state == "Waiting" || Player().state == "WaitPause" || Player().state == "Reading")
                game.Click(400, 20);
            else
                game.Step();
        }
    };
    playThrough("Playtime");
    ASSERT_EQ(Player().state, "Playtime") << "the tutorial waits for the player's first find";
    game.Screenshot("e2e/scene-tutorial-over-board.png");
    Board& board = *app.board;
    auto findNext = [&]
    {
        for (int slot = 0; slot < board.slotCount; ++slot)
        {
            const int item = board.listSlots[size_t(slot)];
            if (item >= 0 && app.content.pictureItems[size_t(item)].found == 0)
                return game.ClickItem(app.content.pictureItems[size_t(item)].name);
        }
        return false;
    };
    ASSERT_TRUE(findNext());
    EXPECT_TRUE(game.WaitUntil([&] { return Player().state != "Playtime"; }, 500, "the find lets the tutorial go on"));
    playThrough("");
    ASSERT_FALSE(Player().Playing());

    for (int clicks = 0; clicks < 200 && !board.completed; ++clicks)
    {
        if (!findNext())
            game.Step(10);
        game.Step(5);
    }
    ASSERT_TRUE(game.WaitUntil([&] { return Player().Playing(); }, 1000, "the done scene"));
    EXPECT_EQ(Player().lastEvent, "done");
    playThrough("");
    ASSERT_TRUE(game.WaitUntil([&] { return screen.mode == Page::kModeNameStamp; }, 3000, "the name stamp"));
    ASSERT_TRUE(game.WaitUntil([&] { return screen.mode == -1 && !screen.Flipping(); }, 3000, "back on the journal"));
    const std::string log = game.Log();
    EXPECT_LT(log.find("PlayScene open"), log.find("PlayScene done"));
    for (const auto& box : game.MessageBoxes())
        ADD_FAILURE() << box.caption << ": " << box.text;
}

} // namespace
} // namespace Vesk
