// The publication played end to end on the built game: the desk intro, leafing through the
// pages, entering hidden-object pages from the contents, playing them to the end and coming
// back with the page stamped and the next set open.
#include "app/GameApp.h"
#include "board/Board.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "publication/Page.h"
#include "publication/Tutorial.h"
#include "support/GameDriver.h"
#include "support/GameMoves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// The first page of the first set, a twelve-name hidden-object page.
constexpr int kFirstGamePage = 2;

class PublicationPlay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().pageScreen, nullptr);
        ASSERT_NE(game.Game().board, nullptr);
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    Board& TheBoard() { return *game.Game().board; }
    int BoardX() { return App().config.common.BoardX; }
    int BoardY() { return App().config.common.BoardY; }

    void SkipIntro() { game.SkipIntro(); }

    bool PlayIntro()
    {
        return game.WaitUntil([&] { return !Screen().IntroRunning(); }, 2000, "the desk intro ends");
    }

    bool WaitAtRest() { return game.WaitAtRest(); }

    // The bottom-right corner, where a click turns the page forward.
    void ClickForwardCorner() { game.Click(765, BoardY() + 520); }
    void ClickBackwardCorner() { game.Click(35, BoardY() + 520); }

    bool EnterFromContents(int page)
    {
        return game.EnterFromContents(page) &&
               game.WaitUntil([&] { return !Screen().IsPublicationShown(); }, 1000, "the publication is hidden");
    }

    bool PlayFromContents(int page) { return EnterFromContents(page) && WaitForBoard(page); }

    // The page is being played: the publication hidden, the notes in place.
    bool WaitForBoard(int page) { return TestSupport::WaitForBoard(game, page); }

    bool RubAwayTutorial() { return game.RubAwayTutorial(); }

    // Finds the first count entries of the list not yet complete, an item at a time.
    bool FindListed(int count) { return TestSupport::FindListed(game, count); }

    bool PlayToTheEnd(int page) { return TestSupport::PlayHiddenObjectPage(game, page); }

    GameDriver game;
};

TEST_F(PublicationPlay, TheDeskIntroFliesOntoThePublicationAndShowsTheMenu)
{
    game.WaitUntil([&] { return Screen().cameraPhase == 1; }, 500, "the first leg starts");
    game.Step(60);
    EXPECT_NE(Screen().cameraScale, 1.0) << "the camera is still on its way";
    game.Screenshot("e2e/desk-intro.png");
    ASSERT_TRUE(PlayIntro());
    EXPECT_EQ(Screen().cameraPhase, 3);
    EXPECT_EQ(Screen().cameraX, 1100);
    EXPECT_EQ(Screen().cameraY, 700);
    EXPECT_EQ(Screen().cameraScale, 1.0);
    game.Step(2);
    EXPECT_TRUE(Screen().playButton->shown);
    EXPECT_TRUE(Screen().exitButton->shown);
    game.Screenshot("e2e/cover-menu.png");
}

TEST_F(PublicationPlay, ACornerClickTurnsOnePageAndThreeQuickClicksTurnThree)
{
    SkipIntro();
    ClickForwardCorner();
    ASSERT_TRUE(Screen().Flipping());
    game.Step(8);
    game.Screenshot("e2e/page-mid-turn.png");
    ASSERT_TRUE(WaitAtRest());
    EXPECT_EQ(Screen().currentPage, 1);
    EXPECT_EQ(Screen().queuedForward, 0);

    // Three clicks while the first turn is still under way: three pages, the later ones faster.
    ClickForwardCorner();
    ClickForwardCorner();
    ClickForwardCorner();
    EXPECT_EQ(Screen().queuedForward, 3);
    ASSERT_TRUE(WaitAtRest());
    EXPECT_EQ(Screen().currentPage, 4);

    // A drag that ends short of the middle lets the page fall back.
    game.Drag({765, BoardY() + 520}, {400, BoardY() + 480}, 10);
    ASSERT_TRUE(WaitAtRest());
    EXPECT_EQ(Screen().currentPage, 4);
    ClickBackwardCorner();
    ASSERT_TRUE(WaitAtRest());
    EXPECT_EQ(Screen().currentPage, 3);
}

TEST_F(PublicationPlay, APageIsPlayedToTheEndStampedAndRecorded)
{
    SkipIntro();
    ASSERT_TRUE(EnterFromContents(kFirstGamePage));
    ASSERT_TRUE(App().tutorial->shown) << "a new player rubs the eraser over a first picture";
    game.Step(80);
    game.Screenshot("e2e/erase-tutorial.png");
    ASSERT_TRUE(RubAwayTutorial());
    ASSERT_TRUE(WaitForBoard(kFirstGamePage));
    game.Screenshot("e2e/board-with-notes.png");
    ASSERT_TRUE(FindListed(1));
    game.Step(10);
    game.Screenshot("e2e/board-mid-strike.png");
    ASSERT_TRUE(PlayToTheEnd(kFirstGamePage));

    // Back on the publication: the name is stamped on the page, then the contents lie open.
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == Page::kModeNameStamp; }, 2000, "the name stamp"));
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == -1 && Screen().currentPage == 1; }, 3000,
                               "the publication is back at the contents"));
    EXPECT_TRUE(game.Log().find(" Ending page 2 of type 'Game'") != std::string::npos);
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kFirstGamePage].done);
    EXPECT_FALSE(save->flags.firstPagePending);
    ClickForwardCorner();
    game.Step(12);
    game.Screenshot("e2e/stamped-page-turning.png");
    ASSERT_TRUE(WaitAtRest());
    EXPECT_EQ(Screen().currentPage, kFirstGamePage);
    game.Step(2);
    EXPECT_EQ(Screen().actionButton->x, App().config.pages.ArrUX) << "the tab is back in its place";
    game.Screenshot("e2e/stamped-page.png");
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(PublicationPlay, AnUnfinishedPageResumesAndADonePageReplaysFromScratch)
{
    App().sceneOption = false;
    SkipIntro();
    ASSERT_TRUE(PlayFromContents(kFirstGamePage));
    ASSERT_TRUE(FindListed(3));
    const auto list = TheBoard().listSlots;
    int found = 0;
    for (int i = 0; i < App().content.pictureItemCount; ++i)
        found += App().content.pictureItems[size_t(i)].found > 0 ? 1 : 0;

    // Leave through the back button and come back through the page's title.
    TheBoard().OnButtonReleased(Board::kBackButtonId);
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().IsPublicationShown() && Screen().currentPage == 1; }, 2000,
                               "back at the contents"));
    ASSERT_TRUE(PlayFromContents(kFirstGamePage));
    EXPECT_EQ(TheBoard().listSlots, list);
    int foundAgain = 0;
    for (int i = 0; i < App().content.pictureItemCount; ++i)
        foundAgain += App().content.pictureItems[size_t(i)].found > 0 ? 1 : 0;
    EXPECT_EQ(foundAgain, found);

    ASSERT_TRUE(PlayToTheEnd(kFirstGamePage));
    ASSERT_TRUE(
        game.WaitUntil([&] { return Screen().mode == -1 && Screen().currentPage == 1; }, 4000, "back at the contents"));
    // The done page's title replays it with nothing found.
    ASSERT_TRUE(PlayFromContents(kFirstGamePage));
    for (int i = 0; i < App().content.pictureItemCount; ++i)
        EXPECT_EQ(App().content.pictureItems[size_t(i)].found, 0.0f) << i;
    EXPECT_FALSE(TheBoard().completed);
}

TEST_F(PublicationPlay, CompletingASetOpensTheNextAndTheBonusUnderACornerIsTaken)
{
    // The first set's other two pages are done already.
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    const PageSet firstSet = App().content.sets[0];
    const PageSet secondSet = App().content.sets[1];
    for (int page : {firstSet.b, firstSet.c})
        save->pages[size_t(page)].done = true;
    save->flags.firstPagePending = false;
    ASSERT_TRUE(game.Relaunch(save));
    SkipIntro();
    ASSERT_EQ(App().currentSet, 0);
    ASSERT_TRUE(PlayFromContents(firstSet.a));
    ASSERT_TRUE(PlayToTheEnd(firstSet.a));
    EXPECT_EQ(App().currentSet, 1);
    const std::string log = game.Log();
    EXPECT_LT(log.find("PlayScene done"), log.find("Trying to change set\r\nPlayScene newtri\r\nSets changed"));
    EXPECT_NE(log.find("PlayScene newtri"), std::string::npos);
    for (int page : {secondSet.a, secondSet.b, secondSet.c})
        EXPECT_TRUE(App().content.pages[size_t(page)].open) << page;
    ASSERT_EQ(App().bonusPickCount, App().config.pages.AfterSet[1]);
    ASSERT_GT(App().bonusPickCount, 0);
    const BonusPick pick = App().bonusPicks[0];
    EXPECT_NE(pick.page, firstSet.a) << "the page just played gets no pick";
    ASSERT_TRUE(
        game.WaitUntil([&] { return Screen().mode == -1 && !Screen().Flipping(); }, 4000, "back on the publication"));

    // Turn to the page before the pick's page and lift the corner far over it.
    const int bonusesBefore = App().bonusesTaken;
    ASSERT_TRUE(TestSupport::TakeBonus(game, 0,
                                       [&]
                                       {
                                           EXPECT_EQ(Screen().currentPage, pick.page - 1);
                                           EXPECT_TRUE(Screen().bonusAvailable);
                                           game.Screenshot("e2e/bonus-under-corner.png");
                                       }));
    EXPECT_EQ(App().bonusPicks[0].page, -1) << "the pick is taken";
    EXPECT_EQ(App().bonusesTaken, bonusesBefore + 1);
}

TEST_F(PublicationPlay, WildClickingBringsTheEraserAndLocksTheBoard)
{
    App().sceneOption = false;
    SkipIntro();
    ASSERT_TRUE(PlayFromContents(kFirstGamePage));
    // A spot of the page clear of every listed item.
    std::optional<Point> empty;
    for (int y = 40; y < 500 && !empty; y += 16)
        for (int x = 40; x < 740 && !empty; x += 16)
        {
            bool clear = true;
            for (int slot = 0; slot < TheBoard().slotCount; ++slot)
            {
                int item = TheBoard().listSlots[size_t(slot)];
                for (int i = 0; i < App().content.pictureItemCount && item >= 0; ++i)
                {
                    const PictureItem& candidate = App().content.pictureItems[size_t(i)];
                    bool sameName = candidate.name == App().content.pictureItems[size_t(item)].name;
                    if (sameName && candidate.image && x > candidate.x - 8 &&
                        x < candidate.x + candidate.image->GetWidth() + 8 && y > candidate.y - 8 &&
                        y < candidate.y + candidate.image->GetHeight() + 8)
                        clear = false;
                }
            }
            if (clear)
                empty = Point{BoardX() + x, BoardY() + y};
        }
    ASSERT_TRUE(empty.has_value());
    for (int click = 0; click < App().config.ispy.MIS + 1 && TheBoard().penaltyTime <= 0; ++click)
        game.Click(*empty);
    EXPECT_GT(TheBoard().penaltyTime, 0) << "the board is locked";
    game.Step(5);
    game.Screenshot("e2e/board-eraser.png");
    const int item = TheBoard().listSlots[0];
    const std::string name = App().content.pictureItems[size_t(item)].name;
    ASSERT_TRUE(game.ClickItem(name));
    game.Step(30);
    EXPECT_EQ(App().content.pictureItems[size_t(item)].found, 0.0f) << "a locked board finds nothing";
}

// Every hidden-object page of the publication, reached with the sets before it done, is played
// to the end by clicking the names on its list.
class EveryHiddenObjectPage : public PublicationPlay, public ::testing::WithParamInterface<int>
{
};

TEST_P(EveryHiddenObjectPage, IsPlayedToTheEnd)
{
    const int page = GetParam();
    ASSERT_EQ(App().content.pages[size_t(page)].type, page == 7 ? "NGame" : "Game");
    ASSERT_TRUE(game.RelaunchAtSetOf(page));
    ASSERT_TRUE(PlayFromContents(page));
    ASSERT_TRUE(PlayToTheEnd(page));
    ASSERT_TRUE(
        game.WaitUntil([&] { return Screen().mode == -1 && !Screen().Flipping(); }, 4000, "back on the publication"));
    std::optional<SaveData> after = game.ReadSave();
    ASSERT_TRUE(after.has_value());
    EXPECT_TRUE(after->pages[size_t(page)].done);
    EXPECT_TRUE(game.MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Publication, EveryHiddenObjectPage, ::testing::Values(2, 4, 5, 7, 8, 11, 14),
                         [](const ::testing::TestParamInfo<int>& info)
                         { return "Page" + std::to_string(info.param + 1); });

TEST_F(PublicationPlay, AStickerLeadsIntoItsPage)
{
    App().sceneOption = false;
    SkipIntro();
    // On the contents page the first set's stickers stick out on the right.
    ClickForwardCorner();
    ASSERT_TRUE(WaitAtRest());
    game.Step(120);
    ASSERT_FALSE(App().tutorialPending);
    ButtonWidget& sticker = *Screen().stickerButtons[1];
    ASSERT_EQ(App().content.pages[size_t(App().content.sets[0].b)].type, "Game");
    ASSERT_TRUE(sticker.shown);
    game.Click(sticker.x + sticker.width / 2, sticker.y + sticker.height / 2);
    ASSERT_TRUE(WaitForBoard(App().content.sets[0].b));
}

TEST_F(PublicationPlay, EscapeOnTheCoverQuits)
{
    SkipIntro();
    game.Escape();
    game.Step(5);
    EXPECT_TRUE(App().isShutdown);
}

} // namespace
} // namespace Vesk
