// The ferry's cargo page (the container sorting game) played on the built game: entered from
// the contents and from its sticker, every round sorted with the mouse to the name stamp and the
// save, and a game lost on wrong drops that is left and starts afresh when entered again.
#include "app/GameApp.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MG2.h"
#include "publication/Page.h"
#include "support/GameDriver.h"
#include "support/GameMoves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// Page 7 of the publication.
constexpr int kCargoPage = 6;

class MiniGame2Play : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().pageScreen, nullptr);
        ASSERT_EQ(App().content.pages[kCargoPage].type, "MG2");
        ASSERT_TRUE(game.RelaunchAtSetOf(kCargoPage));
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    MG2& Cargo() { return *dynamic_cast<MG2*>(App().MiniGameOfMode(2)); }

    // The game is on the screen with its notes in place and the page-turn blur over.
    bool WaitForPlay() { return TestSupport::WaitForMiniGame(game, 2, 3000); }

    bool BackOnThePublication() { return TestSupport::BackOnThePublication(game, 2); }

    // Where a player sees the item, and the middle of the container it belongs in.
    Point ItemPoint(int index) { return TestSupport::MG2ItemPoint(game, index); }
    Point ContainerPoint(int index) { return TestSupport::MG2ContainerPoint(game, index); }

    // Drags the round's first loose items into their containers until the round has enough.
    void SortRound(const std::string& screenshot)
    {
        const int r = Cargo().round;
        const int needed = Cargo().NeededInRound(r);
        ASSERT_GT(needed, 0);
        int dropped = 0;
        for (int index = 0; dropped < needed && index < int(Cargo().rounds[size_t(r)].items.size()); ++index)
        {
            const MG2::Item& item = Cargo().rounds[size_t(r)].items[size_t(index)];
            if (item.found != 0 || item.pieceImage == nullptr)
                continue;
            game.Drag(ItemPoint(index), ContainerPoint(index), 10);
            ASSERT_GT(item.found, 0) << "item " << item.key << " of round " << r + 1 << " is in its container";
            ++dropped;
            game.Step(5);
            if (dropped == 2)
                game.Screenshot(screenshot);
        }
        EXPECT_EQ(Cargo().tries, MG2::kStartTries);
    }

    GameDriver game;
};

TEST_F(MiniGame2Play, EveryRoundSortedEndsThePageStampedAndSaved)
{
    ASSERT_TRUE(game.EnterFromContents(kCargoPage));
    ASSERT_TRUE(WaitForPlay());
    ASSERT_EQ(Cargo().RoundCount(), 2);
    game.Screenshot("e2e/mg2-round1-start.png");

    SortRound("e2e/mg2-round1-sorting.png");
    ASSERT_TRUE(game.WaitUntil([&] { return Cargo().round == 1; }, 300, "the second round"));
    game.Step(10);
    game.Screenshot("e2e/mg2-round2-start.png");
    SortRound("e2e/mg2-round2-sorting.png");

    ASSERT_TRUE(game.WaitUntil([&] { return App().content.pages[kCargoPage].done; }, 300, "the page is done"));
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == Page::kModeNameStamp; }, 2000, "the name stamp"));
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_FALSE(Cargo().shown);
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kCargoPage].done);
    EXPECT_NE(game.Log().find(" Ending page 6 of type 'MG2'"), std::string::npos);
    EXPECT_EQ(game.Log().find("MG2:"), std::string::npos) << "the shipped set is read without complaint";
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(MiniGame2Play, FiveWrongDropsFailThePageWhichStartsAfreshWhenEnteredAgain)
{
    ASSERT_TRUE(game.EnterFromContents(kCargoPage));
    ASSERT_TRUE(WaitForPlay());
    // One item put away first, so that the fresh start shows.
    game.Drag(ItemPoint(0), ContainerPoint(0), 10);
    game.Step(5);
    ASSERT_GT(Cargo().rounds[0].items[0].found, 0);

    // The open deck above the containers, away from the notes.
    const Point deck{App().config.common.BoardX + 380, App().config.common.BoardY + 40};
    for (int wrong = 1; wrong <= 4; ++wrong)
    {
        game.Drag(ItemPoint(1), deck, 10);
        game.Step(3);
        ASSERT_EQ(Cargo().tries, MG2::kStartTries - wrong);
    }
    // The last try: the item in hand over the deck.
    const Point from = ItemPoint(1);
    game.Press(from.x, from.y);
    for (int move = 1; move <= 10; ++move)
        game.MoveTo(from.x + (deck.x - from.x) * move / 10, from.y + (deck.y - from.y) * move / 10);
    game.Screenshot("e2e/mg2-last-try.png");
    game.Release(deck.x, deck.y);
    EXPECT_TRUE(Cargo().finished);
    EXPECT_EQ(Cargo().tries, 0);
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_FALSE(save->pages[kCargoPage].done);

    // The page is played again from the start, turning in from a blur now that a page was left.
    ASSERT_TRUE(game.EnterFromContents(kCargoPage));
    ASSERT_TRUE(
        game.WaitUntil([&] { return Screen().Blur() > 0.3 && Screen().Blur() < 0.8; }, 2000, "the page turns in"));
    game.Screenshot("e2e/mg2-blur-in.png");
    ASSERT_TRUE(WaitForPlay());
    EXPECT_FALSE(Cargo().finished);
    EXPECT_EQ(Cargo().tries, MG2::kStartTries);
    EXPECT_EQ(Cargo().round, 0);
    EXPECT_EQ(Cargo().PlacedInRound(0), 0);
    EXPECT_EQ(Cargo().rounds[0].items[0].found, 0);
    game.Screenshot("e2e/mg2-again.png");
}

TEST_F(MiniGame2Play, ItsStickerLeadsIntoThePage)
{
    // On the contents page the set's stickers stick out on the right.
    game.Click(765, App().config.common.BoardY + 520);
    ASSERT_TRUE(game.WaitAtRest());
    game.Step(120);
    ASSERT_TRUE(TestSupport::ClickSticker(game, kCargoPage));
    ASSERT_TRUE(WaitForPlay());
    EXPECT_EQ(Screen().currentPage, kCargoPage);
    EXPECT_EQ(Cargo().round, 0);
}

} // namespace
} // namespace Vesk
