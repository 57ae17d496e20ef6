// A new player's first journey through the shipped publication, with every scene played as a
// player meets it: the logos and the intro with its question, the contents tutorial that waits
// for the player's own page turn, the erase tutorial, the first page's opening scene and its
// tutorial that waits for the first find, the page played to the end, its done scene and the
// name stamp. Nothing on the way may show an error box.
#include "app/GameApp.h"
#include "board/Board.h"
#include "framework/widgets/ButtonWidget.h"
#include "publication/Page.h"
#include "scenes/UCD.h"
#include "support/GameDriver.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

TEST(FirstJourney, ANewPlayerIsToldTheStoryAndPlaysTheFirstPage)
{
    GameDriver game;
    game.Game().playScenes = true;
    ASSERT_TRUE(game.Launch());
    GameApp& app = game.Game();
    Page& screen = *app.pageScreen;
    UCD& scenes = *app.scenePlayer;
    Board& board = *app.board;
    const int boardY = app.config.common.BoardY;

    // The player reads on with a click high on the screen and answers a question with its first
    // choice; a scene waiting for the game ("Playtime") hands back to the test.
    auto playAlong = [&]
    {
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
    };
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

    // The logos and the intro, over the desk.
    ASSERT_EQ(scenes.lastEvent, "intro");
    playAlong();
    EXPECT_FALSE(scenes.Playing());
    EXPECT_FALSE(app.introPending);
    ASSERT_TRUE(game.WaitUntil([&] { return !screen.IntroRunning(); }, 2000, "the desk intro ends"));

    // The contents tutorial shows a page being dragged, then waits for the player to turn one.
    game.Step(2);
    game.Click(screen.playButton->x + 10, screen.playButton->y + 10);
    ASSERT_TRUE(game.WaitUntil([&] { return scenes.Playing(); }, 2000, "the contents tutorial"));
    playAlong();
    ASSERT_EQ(scenes.state, "Playtime");
    game.Drag({765, boardY + 520}, {120, boardY + 460}, 16);
    playAlong();
    ASSERT_TRUE(game.WaitUntil([&] { return !scenes.Playing() && !screen.Flipping(); }, 2000, "the page turned"));
    EXPECT_EQ(screen.currentPage, 2);
    game.Step(2);
    EXPECT_FALSE(app.tutorialPending);

    // The tab enters the page; the first time the eraser is tried out first.
    ASSERT_TRUE(screen.actionButton->shown);
    game.Click(screen.actionButton->x + screen.actionButton->width / 2,
               screen.actionButton->y + screen.actionButton->height / 2);
    ASSERT_FALSE(screen.IsPublicationShown());
    ASSERT_TRUE(game.RubAwayTutorial());
    playAlong();

    // The page opens with its scene and its tutorial, which lets the first find through.
    ASSERT_TRUE(game.WaitUntil([&] { return scenes.Playing() && scenes.lastEvent == "open"; }, 2000, "the open scene"));
    playAlong();
    ASSERT_EQ(scenes.state, "Playtime");
    ASSERT_TRUE(findNext());
    ASSERT_TRUE(game.WaitUntil([&] { return scenes.state != "Playtime"; }, 500, "the first find"));
    playAlong();

    // The rest of the list, the done scene, and the name stamped on the way back.
    for (int clicks = 0; clicks < 200 && !board.completed; ++clicks)
    {
        if (!findNext())
            game.Step(10);
        game.Step(5);
    }
    ASSERT_TRUE(board.completed);
    ASSERT_TRUE(game.WaitUntil([&] { return scenes.Playing() && scenes.lastEvent == "done"; }, 1000, "the done scene"));
    playAlong();
    ASSERT_TRUE(game.WaitUntil([&] { return screen.mode == Page::kModeNameStamp; }, 3000, "the name stamp"));
    ASSERT_TRUE(game.WaitUntil([&] { return screen.mode == -1 && !screen.Flipping() && screen.currentPage == 1; }, 4000,
                               "back at the contents"));
    game.Step(60);
    EXPECT_EQ(screen.contentsFade, 0) << "the contents note has peeled away on the contents page";
    game.Screenshot("e2e/first-journey-end.png");
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[2].done);
    EXPECT_FALSE(save->flags.introPending);
    EXPECT_FALSE(save->flags.tutorialPending);
    for (const auto& box : game.MessageBoxes())
        ADD_FAILURE() << box.caption << ": " << box.text;
}

} // namespace
} // namespace Vesk
