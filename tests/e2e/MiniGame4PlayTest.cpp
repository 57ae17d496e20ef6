// The apothecary shelf (the arrangement check game) played on the built game: entered from the
// contents and from its sticker, both rounds arranged with the mouse and checked to the name
// stamp and the save, and a game lost on five missed checks that is left and starts afresh when
// entered again. The moves are read off the pieces as they lie (their masks, pictures and places),
// as a player reads them off the screen.
#include "app/GameApp.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MG4.h"
#include "publication/Page.h"
#include "support/GameDriver.h"
#include "support/GameMoves.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// Page 13 of the publication.
constexpr int kShelfPage = 12;
constexpr int kShelfMode = 4;

class MiniGame4Play : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().pageScreen, nullptr);
        ASSERT_EQ(App().content.pages[kShelfPage].type, "MG4");
        ASSERT_NE(dynamic_cast<MG4*>(App().MiniGameOfMode(kShelfMode)), nullptr);
        ASSERT_TRUE(game.RelaunchAtSetOf(kShelfPage));
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    MG4& Shelf() { return *dynamic_cast<MG4*>(App().MiniGameOfMode(kShelfMode)); }
    int BoardX() { return App().config.common.BoardX; }
    int BoardY() { return App().config.common.BoardY; }

    // The camera has arrived, the panel is in place and the page-turn blur is over.
    bool WaitForPlay()
    {
        return game.WaitUntil(
            [&]
            {
                return Shelf().shown && Shelf().openSignalled && !Screen().IsPublicationShown() &&
                       Screen().ModeZoom(kShelfMode) == 1 && Screen().ListSlide() == 0 && Screen().Blur() == 0;
            },
            4000, "the shelf page is played");
    }

    bool BackOnThePublication()
    {
        return game.WaitUntil(
            [&]
            {
                return Screen().IsPublicationShown() && !Shelf().shown && Screen().OpenGate() == 0 &&
                       !Screen().Flipping() && Screen().mode == -1;
            },
            4000, "back on the publication");
    }

    const MG4::Piece& PieceAt(int index) { return Shelf().CurrentRound().pieces[size_t(index)]; }

    // Where a press takes piece index, and the piece dragged onto its place on the shelf.
    std::optional<Point> GrabPoint(int index) { return TestSupport::MG4GrabPoint(game, index); }
    bool PlaceByDrag(int index) { return TestSupport::MG4PlaceByDrag(game, index); }

    // Takes piece index with a click, carries it over with the pointer (a screenshot on the way)
    // and puts it down with a second click.
    bool PlaceByClicks(int index, const std::string& screenshot)
    {
        std::optional<Point> from = GrabPoint(index);
        if (!from)
            return false;
        const MG4::Piece& piece = PieceAt(index);
        const Point to{from->x + piece.targetX - piece.x, from->y + piece.targetY - piece.y};
        game.Click(*from);
        if (Shelf().heldPiece != index)
        {
            ADD_FAILURE() << "a click takes piece " << piece.key;
            return false;
        }
        for (int move = 1; move <= 10; ++move)
        {
            game.MoveTo(from->x + (to.x - from->x) * move / 10, from->y + (to.y - from->y) * move / 10);
            if (move == 6)
                game.Screenshot(screenshot);
        }
        game.Click(to);
        return Shelf().heldPiece == -1 && piece.x == piece.targetX && piece.y == piece.targetY;
    }

    void PressButton(ButtonWidget& button) { TestSupport::PressButton(game, button); }

    // Arranges the round's checked pieces and checks: the marks show, then the next round drops
    // in (or the page ends).
    void ArrangeAndCheck(const std::string& name)
    {
        const int r = Shelf().round;
        const int count = Shelf().PiecesToCheck();
        ASSERT_GT(count, 0);
        for (int index = 0; index < count; ++index)
        {
            if (index == 1)
                ASSERT_TRUE(PlaceByClicks(index, "e2e/mg4-" + name + "-carrying.png"));
            else
                ASSERT_TRUE(PlaceByDrag(index)) << "piece " << PieceAt(index).key << " of round " << r + 1;
            game.Step(3);
        }
        game.Screenshot("e2e/mg4-" + name + "-arranged.png");
        ASSERT_NE(Shelf().Judge(), MG4::Outcome::Restart);
        PressButton(*Shelf().checkButton);
        ASSERT_TRUE(Shelf().Checking());
        game.Step(App().config.miniGame4.ROUNDANIM / 3);
        game.Screenshot("e2e/mg4-" + name + "-checking.png");
        EXPECT_EQ(Shelf().tries, MG4::kStartTries);
    }

    GameDriver game;
};

TEST_F(MiniGame4Play, BothRoundsArrangedAndCheckedEndThePageStampedAndSaved)
{
    ASSERT_TRUE(game.EnterFromContents(kShelfPage));
    game.Step(25);
    game.Screenshot("e2e/mg4-zooming-in.png");
    ASSERT_TRUE(WaitForPlay());
    ASSERT_EQ(Shelf().RoundCount(), 2);
    EXPECT_EQ(Shelf().PiecesToCheck(), App().config.miniGame4.items1);
    game.Screenshot("e2e/mg4-round1-start.png");

    ArrangeAndCheck("round1");
    ASSERT_TRUE(game.WaitUntil([&] { return Shelf().round == 1 && !Shelf().Checking(); }, 600, "the second round"));
    game.Step(20);
    game.Screenshot("e2e/mg4-round2-dropping-in.png");
    ASSERT_TRUE(game.WaitUntil([&] { return Shelf().roundFlash == 0; }, 200, "the second round in place"));
    game.Screenshot("e2e/mg4-round2-start.png");
    EXPECT_EQ(Shelf().PiecesToCheck(), App().config.miniGame4.items2);
    ArrangeAndCheck("round2");

    ASSERT_TRUE(game.WaitUntil([&] { return App().content.pages[kShelfPage].done; }, 600, "the page is done"));
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == Page::kModeNameStamp; }, 3000, "the name stamp"));
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kShelfPage].done);
    EXPECT_NE(game.Log().find(" Ending page 12 of type 'MG4'"), std::string::npos);
    EXPECT_EQ(game.Log().find("MG4:"), std::string::npos) << "the shipped set is read without complaint";
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(MiniGame4Play, FiveMissedChecksFailThePageWhichStartsAfreshWhenEnteredAgain)
{
    ASSERT_TRUE(game.EnterFromContents(kShelfPage));
    ASSERT_TRUE(WaitForPlay());
    // One jar on its place is not an arranged shelf: every check misses.
    ASSERT_TRUE(PlaceByDrag(0));
    for (int check = 1; check <= 5; ++check)
    {
        ASSERT_EQ(Shelf().Judge(), MG4::Outcome::Restart);
        PressButton(*Shelf().checkButton);
        ASSERT_TRUE(Shelf().Checking());
        if (check == 5)
        {
            game.Step(App().config.miniGame4.ROUNDANIM * 2 / 3);
            game.Screenshot("e2e/mg4-last-check.png");
            break;
        }
        ASSERT_TRUE(game.WaitUntil([&] { return !Shelf().Checking(); }, 600, "the check ends"));
        EXPECT_EQ(Shelf().tries, MG4::kStartTries - check);
        // The pieces go back to the bench.
        ASSERT_TRUE(game.WaitUntil([&] { return PieceAt(0).x == PieceAt(0).homeX && PieceAt(0).y == PieceAt(0).homeY; },
                                   600, "the pieces are back home"));
        if (check == 3)
            game.Screenshot("e2e/mg4-tries-lost.png");
    }
    ASSERT_TRUE(game.WaitUntil([&] { return Shelf().finished; }, 600, "the game is lost"));
    EXPECT_EQ(Shelf().tries, 0);
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_FALSE(save->pages[kShelfPage].done);

    // Entered again: the page turns in from its blur and plays from the start.
    ASSERT_TRUE(game.WaitAtRest());
    ASSERT_TRUE(game.EnterFromContents(kShelfPage));
    ASSERT_TRUE(game.WaitUntil([&] { return Shelf().shown && Screen().Blur() > 0.3 && Screen().Blur() < 0.8; }, 4000,
                               "the page turns in"));
    game.Screenshot("e2e/mg4-blur-in.png");
    ASSERT_TRUE(WaitForPlay());
    EXPECT_FALSE(Shelf().finished);
    EXPECT_EQ(Shelf().tries, MG4::kStartTries);
    EXPECT_EQ(Shelf().round, 0);
    EXPECT_EQ(PieceAt(0).x, PieceAt(0).homeX);
    ASSERT_TRUE(PlaceByDrag(0));
    // The back button works after the turn-in as well.
    PressButton(*Shelf().backButton);
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_FALSE(App().content.pages[kShelfPage].done);
}

TEST_F(MiniGame4Play, ItsStickerLeadsInResetIsFreeAndTheBackButtonLeaves)
{
    // On the contents page the set's stickers stick out on the right.
    game.Click(765, BoardY() + 520);
    ASSERT_TRUE(game.WaitAtRest());
    game.Step(120);
    const auto& set = App().content.sets[size_t(App().currentSet)];
    const int sticker = set.a == kShelfPage ? 0 : set.b == kShelfPage ? 1 : set.c == kShelfPage ? 2 : -1;
    ASSERT_GE(sticker, 0);
    ButtonWidget& button = *Screen().stickerButtons[size_t(sticker)];
    ASSERT_TRUE(button.shown);
    game.Click(button.x + button.width / 2, button.y + button.height / 2);
    ASSERT_TRUE(WaitForPlay());
    EXPECT_EQ(Screen().currentPage, kShelfPage);

    ASSERT_TRUE(PlaceByDrag(0));
    ASSERT_TRUE(PlaceByDrag(1));
    PressButton(*Shelf().resetButton);
    auto home = [&](int index)
    { return PieceAt(index).x == PieceAt(index).homeX && PieceAt(index).y == PieceAt(index).homeY; };
    ASSERT_TRUE(game.WaitUntil([&] { return home(0) && home(1); }, 600, "reset sends the pieces home"));
    EXPECT_EQ(Shelf().tries, MG4::kStartTries);

    PressButton(*Shelf().backButton);
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_FALSE(App().content.pages[kShelfPage].done);
    EXPECT_FALSE(Shelf().finished);
}

} // namespace
} // namespace Vesk
