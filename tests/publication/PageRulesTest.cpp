// The publication screen's rules where a literal reading went wrong: flip flags that outlive
// their flip, the last reachable page, a leave request while the tab slides away, the bonus
// count, done and unplayable pages. Played on the built game with the desk intro skipped.
#include "app/GameApp.h"
#include "board/Board.h"
#include "framework/widgets/ButtonWidget.h"
#include "publication/Page.h"
#include "support/GameDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

class PageRules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        App().sceneOption = false;
        const auto& desktop = App().config.desktop;
        Screen().modeZoom[0] = float(desktop.DT1 + desktop.DT2 + desktop.DT3 + desktop.DT4);
        game.Step(2);
        ASSERT_FALSE(Screen().IntroRunning());
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    int CornerY() { return App().config.common.BoardY + 520; }

    bool Settle()
    {
        bool still = game.WaitUntil([&] { return !Screen().Flipping(); }, 2000, "the publication lies still");
        game.Step(1);
        return still;
    }

    void ClickButton(ButtonWidget& button) { game.Click(button.x + button.width / 2, button.y + button.height / 2); }

    GameDriver game;
};

TEST_F(PageRules, FlipFlagsEndWithTheirFlipAndCornersStopAtTheLastReachablePage)
{
    // The play button turns to the contents without a jump, so the contents fade starts there.
    ClickButton(*Screen().playButton);
    ASSERT_TRUE(Screen().Flipping());
    EXPECT_FALSE(Screen().jumpFlip);
    EXPECT_TRUE(Screen().toContents);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Screen().currentPage, 1);

    // A jump to the mini-game list, then corner turns: one open page at a time from there.
    Screen().FlipToPage(App().lastReachablePage - 1);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Screen().currentPage, App().lastReachablePage - 1);
    EXPECT_FALSE(Screen().jumpFlip);
    EXPECT_FALSE(Screen().toContents);
    game.Click(765, CornerY());
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Screen().currentPage, App().lastReachablePage);
    // The last reachable page is the last open one: its corner no longer turns.
    game.Click(765, CornerY());
    EXPECT_FALSE(Screen().Flipping());
    EXPECT_EQ(Screen().queuedForward, 0);
    // Backward over the closed pages to the last open playable one.
    game.Click(35, CornerY());
    ASSERT_TRUE(Settle());
    game.Click(35, CornerY());
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(App().content.pages[size_t(Screen().currentPage)].open);
    EXPECT_LT(Screen().currentPage, App().lastReachablePage - 1);
}

TEST_F(PageRules, APageCannotBeLeftWhileItsTabSlidesAway)
{
    Screen().FlipToPage(2);
    ASSERT_TRUE(game.WaitUntil([&] { return !Screen().IsPublicationShown(); }, 1000, "page 2 is entered"));
    ASSERT_EQ(Screen().openGate, -1);
    Screen().RequestPageAction();
    Screen().OnButtonReleased(Page::kContentsNote);
    EXPECT_EQ(Screen().openGate, -1);
    EXPECT_GT(App().content.pictureItemCount, 0);
    EXPECT_EQ(game.Log().find(" Ending page 2"), std::string::npos);
    ASSERT_TRUE(game.WaitUntil([&] { return App().board->openSignalled; }, 1000, "the page opens"));
    Screen().RequestPageAction();
    EXPECT_NE(game.Log().find(" Ending page 2 of type 'Game'"), std::string::npos);
}

TEST_F(PageRules, ASecondBonusTakenWhileTheFirstPopsCountsBoth)
{
    App().bonusPicks[0] = {3, 0};
    App().bonusPicks[1] = {4, 1};
    App().bonusPickCount = 2;
    const int before = App().bonusesTaken;
    Screen().bonusAvailable = true;
    Screen().bonusIndex = 0;
    Screen().OnRelease(400, 300, 1);
    EXPECT_EQ(App().bonusPicks[0].page, -1);
    game.Step(5);
    Screen().bonusAvailable = true;
    Screen().bonusIndex = 101;
    Screen().OnRelease(400, 300, 1);
    EXPECT_EQ(App().bonusPicks[1].page, -1) << "a pick uncovered under a forward turn is taken too";
    EXPECT_EQ(App().bonusesTaken, before + 1);
    game.Step(int(App().config.pages.Bgt) + 2);
    EXPECT_EQ(App().bonusesTaken, before + 2);
    EXPECT_EQ(Screen().noteTimer, 0);
}

TEST_F(PageRules, ADonePageEnteredByItsTabStartsAfreshAndAnUnplayableOneStaysShut)
{
    PageRecord& record = App().content.pages[2];
    record.done = true;
    record.itemFound.fill(1.0);
    for (int slot = 0; slot < kListSlotCount; ++slot)
        record.listSlots[size_t(slot)] = slot;
    game.Click(765, CornerY());
    ASSERT_TRUE(Settle());
    game.Click(765, CornerY());
    ASSERT_TRUE(Settle());
    ASSERT_EQ(Screen().currentPage, 2);
    ASSERT_TRUE(Screen().actionButton->shown);
    ClickButton(*Screen().actionButton);
    ASSERT_FALSE(Screen().IsPublicationShown());
    EXPECT_FALSE(App().board->completed);
    for (int i = 0; i < App().content.pictureItemCount; ++i)
        EXPECT_EQ(App().content.pictureItems[size_t(i)].found, 0.0f) << i;

    // Back out, and give page 4 a folder without objects: its tab leaves the publication open.
    ASSERT_TRUE(game.WaitUntil([&] { return App().board->openSignalled; }, 1000, "the page opens"));
    Screen().RequestPageAction();
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().IsPublicationShown() && !Screen().Flipping(); }, 2000,
                               "back on the publication"));
    App().content.pages[4].dir = "images/pages/nowhere/";
    Screen().FlipToPage(4);
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(Screen().IsPublicationShown());
    EXPECT_EQ(Screen().openGate, 0);
    EXPECT_NE(game.Log().find("has nothing to find: it stays closed"), std::string::npos);
    EXPECT_TRUE(game.MessageBoxes().empty());
}

} // namespace
} // namespace Vesk
