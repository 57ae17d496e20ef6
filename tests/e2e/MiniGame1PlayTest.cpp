// The piece matching page played end to end on the built game: entered from the contents and
// from its sticker, its three rounds played with the mouse to the name stamp, and a game lost
// by wrong drops that starts afresh when entered again. The moves are read off the pieces as
// they lie (their pictures and places), as a player reads them off the screen.
#include "app/GameApp.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "minigames/MG1.h"
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

// Page 4 of the publication (0-based 3), the first set's mini-game.
constexpr int kPiecePage = 3;

class MiniGame1Play : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().pageScreen, nullptr);
        game_ = dynamic_cast<MG1*>(game.Game().MiniGameOfMode(1));
        ASSERT_NE(game_, nullptr);
        ASSERT_EQ(App().content.pages[kPiecePage].type, "MG1");
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    MG1& Pieces() { return *game_; }
    int BoardX() { return App().config.common.BoardX; }
    int BoardY() { return App().config.common.BoardY; }

    // The page is entered and playable: the camera in, the notes in place, the blur gone.
    bool WaitForPlay()
    {
        return game.WaitUntil(
            [&]
            {
                return Pieces().shown && !Screen().IsPublicationShown() && Pieces().openSignalled &&
                       Screen().ModeZoom(1) == 1 && Screen().ListSlide() == 0 && Screen().Blur() == 0;
            },
            3000, "the piece matching page plays");
    }

    // A point of loose piece index's picture that a press takes, and the middle of its outline.
    std::optional<Point> PiecePoint(int index) { return TestSupport::MG1PiecePoint(game, index); }
    Point OutlinePoint(int index) { return TestSupport::MG1OutlinePoint(game, index); }

    // A point over the picture outside piece index's own outline: a drop there is wrong.
    Point WrongPoint(int index)
    {
        const MG1::Piece& piece = Pieces().CurrentRound().pieces[size_t(index)];
        for (Point point : {Point{400, 250}, Point{150, 120}, Point{650, 120}, Point{300, 380}})
        {
            int x = point.x - BoardX() - piece.outlineX;
            int y = point.y - BoardY() - piece.outlineY;
            if (x < 0 || y < 0 || x > piece.outlineImage->GetWidth() || y > piece.outlineImage->GetHeight())
                return point;
        }
        return {BoardX() + 12, BoardY() + 12};
    }

    // Drags a loose piece of the round onto its own outline.
    bool PlacePiece(int index) { return TestSupport::MG1PlacePiece(game, index); }
    int LoosePiece() { return TestSupport::MG1LoosePiece(game); }

    // Places the pieces of the round the page asks for, one after the other, with a screenshot
    // part way; waits until the next round is in place.
    bool PlayRound(const std::string& screenshot)
    {
        const int round = Pieces().round;
        const int required = Pieces().RequiredInRound();
        if (required < 1)
        {
            ADD_FAILURE() << "round " << round + 1 << " asks for no pieces";
            return false;
        }
        for (int placed = 0; placed < required; ++placed)
        {
            if (placed == required / 2)
            {
                // Half way, a piece in the hand over the picture.
                int index = LoosePiece();
                std::optional<Point> from = PiecePoint(index);
                if (!from)
                    return false;
                Point wrong = WrongPoint(index);
                game.MoveTo(*from);
                game.Press(from->x, from->y);
                for (int step = 1; step <= 6; ++step)
                    game.MoveTo(from->x + (wrong.x - from->x) * step / 6, from->y + (wrong.y - from->y) * step / 6);
                game.Screenshot(screenshot);
                game.Release(wrong.x, wrong.y);
                game.Step(60);
                if (Pieces().tries != 4 - round)
                {
                    ADD_FAILURE() << "a drop beside the outlines costs a try";
                    return false;
                }
            }
            if (!PlacePiece(LoosePiece()))
                return false;
            game.Step(5);
        }
        if (round == MG1::kRounds - 1)
            return true;
        if (!game.WaitUntil([&] { return Pieces().roundTimer > 0 && Pieces().round == round + 1; }, 1000,
                            "the round changes"))
            return false;
        game.Step(20);
        game.Screenshot("e2e/mg1-round-change-" + std::to_string(round + 1) + ".png");
        return game.WaitUntil([&] { return Pieces().roundTimer == 0 && Screen().ListSlide() == 0; }, 1000,
                              "the next round is in place");
    }

    GameDriver game;
    MG1* game_ = nullptr;
};

TEST_F(MiniGame1Play, ThreeRoundsArePlayedToTheNameStampAndThePageIsSavedDone)
{
    game.SkipIntro();
    ASSERT_TRUE(game.EnterFromContents(kPiecePage));
    game.Step(30);
    game.Screenshot("e2e/mg1-zooming-in.png");
    ASSERT_TRUE(WaitForPlay());
    game.Screenshot("e2e/mg1-round1-start.png");
    EXPECT_EQ(Pieces().RequiredInRound(), App().content.pages[kPiecePage].itemCount);

    ASSERT_TRUE(PlayRound("e2e/mg1-round1.png"));
    EXPECT_EQ(Pieces().round, 1);
    ASSERT_TRUE(PlayRound("e2e/mg1-round2.png"));
    EXPECT_EQ(Pieces().round, 2);
    ASSERT_TRUE(PlayRound("e2e/mg1-round3.png"));
    EXPECT_EQ(Pieces().tries, 2);

    ASSERT_TRUE(game.WaitUntil([&] { return App().content.pages[kPiecePage].done; }, 200, "the page is done"));
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == Page::kModeNameStamp; }, 3000, "the name stamp"));
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == -1 && Screen().IsPublicationShown(); }, 3000,
                               "the publication is back"));
    EXPECT_FALSE(Pieces().shown);
    EXPECT_TRUE(game.Log().find(" Ending page 3 of type 'MG1'") != std::string::npos);
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kPiecePage].done);
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(MiniGame1Play, FiveWrongDropsFailThePageWhichThenStartsAfresh)
{
    game.SkipIntro();
    ASSERT_TRUE(game.EnterFromContents(kPiecePage));
    ASSERT_TRUE(WaitForPlay());
    ASSERT_TRUE(PlacePiece(LoosePiece()));
    game.Step(60);

    for (int drop = 1; drop <= 5; ++drop)
    {
        int index = LoosePiece();
        std::optional<Point> from = PiecePoint(index);
        ASSERT_TRUE(from.has_value());
        game.Drag(*from, WrongPoint(index));
        game.Step(40);
        if (drop == 3)
            game.Screenshot("e2e/mg1-tries-lost.png");
        if (drop < 5)
        {
            EXPECT_EQ(Pieces().tries, 5 - drop);
        }
    }
    EXPECT_TRUE(Pieces().finished);
    EXPECT_EQ(Pieces().tries, 0);
    ASSERT_TRUE(game.WaitUntil([&] { return !Pieces().shown && Screen().IsPublicationShown(); }, 2000,
                               "the failed page is left"));
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == -1 && !Screen().Flipping(); }, 3000,
                               "the publication is back at rest"));
    EXPECT_FALSE(App().content.pages[kPiecePage].done);

    // Entered again: five tries, the first round, nothing placed.
    ASSERT_TRUE(game.WaitAtRest());
    ASSERT_TRUE(game.EnterFromContents(kPiecePage));
    ASSERT_TRUE(WaitForPlay());
    EXPECT_EQ(Pieces().tries, 5);
    EXPECT_EQ(Pieces().round, 0);
    EXPECT_EQ(Pieces().PlacedInRound(), 0);
    EXPECT_FALSE(Pieces().finished);
    ASSERT_TRUE(PlacePiece(LoosePiece()));
}

TEST_F(MiniGame1Play, TheStickerLeadsIntoThePageAndTheBackButtonLeavesIt)
{
    App().sceneOption = false;
    game.SkipIntro();
    // On the contents page the set's stickers stick out on the right; the third is this page's.
    game.Click(765, BoardY() + 520);
    ASSERT_TRUE(game.WaitAtRest());
    game.Step(120);
    ASSERT_EQ(App().content.sets[0].c, kPiecePage);
    ButtonWidget& sticker = *Screen().stickerButtons[2];
    ASSERT_TRUE(sticker.shown);
    game.Click(sticker.x + sticker.width / 2, sticker.y + sticker.height / 2);
    ASSERT_TRUE(WaitForPlay());
    EXPECT_EQ(Screen().currentPage, kPiecePage);
    // The game draws no stickers: they must not catch the clicks meant for the pieces either.
    int localX = 0;
    int localY = 0;
    for (auto& each : Screen().stickerButtons)
        EXPECT_EQ(App().GetWidgetManager()->FindEnabledWidgetAt(each->x + each->width / 2, each->y + each->height / 2,
                                                                localX, localY),
                  game_);

    ButtonWidget& back = *Pieces().backButton;
    game.Click(back.x + back.width / 2, back.y + back.height / 2);
    ASSERT_TRUE(
        game.WaitUntil([&] { return !Pieces().shown && Screen().IsPublicationShown(); }, 2000, "the page is left"));
    EXPECT_FALSE(App().content.pages[kPiecePage].done);
    EXPECT_EQ(Pieces().tries, 5);
    EXPECT_TRUE(sticker.shown);
    EXPECT_FALSE(sticker.disabled);
}

} // namespace
} // namespace Vesk
