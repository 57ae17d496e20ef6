// The bell-ringer's page (the sequence memory game) played on the built game: entered from the
// contents, every round's show watched and its bells put into the tray in the order shown, to
// the name stamp and the save; a game lost on five wrong orders that is left and starts afresh
// when entered again; and the page entered from its sticker, where the replay button costs a try
// and the back button leaves. The order is read off the show as a player reads it off the
// screen (the picture in the lit window), and the bells are taken by their opaque pixels.
#include "app/GameApp.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MG3.h"
#include "publication/Page.h"
#include "support/GameDriver.h"
#include "support/GameMoves.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// Page 11 of the publication.
constexpr int kBellPage = 10;
constexpr int kBellMode = 3;

class MiniGame3Play : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().pageScreen, nullptr);
        ASSERT_EQ(App().content.pages[kBellPage].type, "MG3");
        ASSERT_NE(dynamic_cast<MG3*>(App().MiniGameOfMode(kBellMode)), nullptr);
        ASSERT_TRUE(game.RelaunchAtSetOf(kBellPage));
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    MG3& Bells() { return *dynamic_cast<MG3*>(App().MiniGameOfMode(kBellMode)); }
    int BoardX() { return App().config.common.BoardX; }
    int BoardY() { return App().config.common.BoardY; }

    // The camera has arrived, the panel is in place and the page-turn blur is over.
    bool WaitForPlay()
    {
        return game.WaitUntil(
            [&]
            {
                return Bells().shown && Bells().openSignalled && !Screen().IsPublicationShown() &&
                       Screen().ModeZoom(kBellMode) == 1 && Screen().ListSlide() == 0 && Screen().Blur() == 0;
            },
            4000, "the bell page is played");
    }

    bool BackOnThePublication()
    {
        return game.WaitUntil(
            [&]
            {
                return Screen().IsPublicationShown() && !Bells().shown && Screen().OpenGate() == 0 &&
                       !Screen().Flipping() && Screen().mode == -1;
            },
            4000, "back on the publication");
    }

    const MG3::Item& ItemAt(int index) { return Bells().CurrentRound().items[size_t(index)]; }

    // Watches the show to its end and says which bells the window showed, in turn; a screenshot
    // of the second one.
    std::vector<int> WatchShow(const std::string& screenshot)
    {
        return TestSupport::MG3WatchShow(game,
                                         [&]
                                         {
                                             if (!screenshot.empty())
                                                 game.Screenshot(screenshot);
                                         });
    }

    std::optional<Point> ItemPoint(int index) { return TestSupport::MG3ItemPoint(game, index); }
    Point DishPoint() { return TestSupport::MG3DishPoint(game); }
    // Drags bell index into the tray.
    bool DropByDrag(int index) { return TestSupport::MG3DropByDrag(game, index); }

    // Takes bell index with a click, carries it over with the pointer (a screenshot on the way)
    // and lays it in with a second click.
    bool DropByClicks(int index, const std::string& screenshot)
    {
        std::optional<Point> from = ItemPoint(index);
        if (!from)
            return false;
        const Point to = DishPoint();
        game.Click(*from);
        if (Bells().heldPiece != index)
        {
            ADD_FAILURE() << "a click takes bell " << ItemAt(index).key;
            return false;
        }
        for (int move = 1; move <= 10; ++move)
        {
            game.MoveTo(from->x + (to.x - from->x) * move / 10, from->y + (to.y - from->y) * move / 10);
            if (move == 7)
                game.Screenshot(screenshot);
        }
        game.Click(to);
        return Bells().heldPiece == -1;
    }

    void PressButton(ButtonWidget& button) { TestSupport::PressButton(game, button); }

    // One round: the show watched, the bells put in as it showed them, the round's end.
    void PlayRound(const std::string& name)
    {
        const int r = Bells().round;
        const std::vector<int> order = WatchShow("e2e/mg3-" + name + "-show.png");
        ASSERT_EQ(int(order.size()), Bells().Playable()) << "round " << r + 1;
        for (size_t step = 0; step < order.size(); ++step)
        {
            if (step == 1)
                ASSERT_TRUE(DropByClicks(order[step], "e2e/mg3-" + name + "-carrying.png"));
            else
                ASSERT_TRUE(DropByDrag(order[step]));
            EXPECT_GT(ItemAt(order[step]).found, 0) << "bell " << ItemAt(order[step]).key << " of round " << r + 1;
            game.Step(5);
            if (step + 2 == order.size())
                game.Screenshot("e2e/mg3-" + name + "-filling.png");
        }
        EXPECT_EQ(Bells().tries, MG3::kStartTries);
        ASSERT_TRUE(game.WaitUntil([&] { return Bells().RoundEnding(); }, 600, "the round ends"));
        game.Step(App().config.miniGame3.RCT / 4);
        game.Screenshot("e2e/mg3-" + name + "-whirl.png");
    }

    GameDriver game;
};

TEST_F(MiniGame3Play, EveryRoundPutInInTheOrderShownEndsThePageStampedAndSaved)
{
    ASSERT_TRUE(game.EnterFromContents(kBellPage));
    ASSERT_TRUE(WaitForPlay());
    ASSERT_EQ(Bells().RoundCount(), App().config.miniGame3.rounds);
    game.Screenshot("e2e/mg3-round1-start.png");

    for (int r = 0; r < Bells().RoundCount(); ++r)
    {
        ASSERT_EQ(Bells().round, r);
        EXPECT_EQ(Bells().Playable(), r == 0   ? App().config.miniGame3.items1
                                      : r == 1 ? App().config.miniGame3.items2
                                               : App().config.miniGame3.items3);
        PlayRound("round" + std::to_string(r + 1));
        if (r + 1 < Bells().RoundCount())
        {
            ASSERT_TRUE(game.WaitUntil([&] { return Bells().round == r + 1; }, 600, "the next round"));
            game.Step(30);
            game.Screenshot("e2e/mg3-round" + std::to_string(r + 2) + "-start.png");
        }
    }

    ASSERT_TRUE(game.WaitUntil([&] { return App().content.pages[kBellPage].done; }, 600, "the page is done"));
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == Page::kModeNameStamp; }, 3000, "the name stamp"));
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kBellPage].done);
    EXPECT_NE(game.Log().find(" Ending page 10 of type 'MG3'"), std::string::npos);
    EXPECT_EQ(game.Log().find("MG3:"), std::string::npos) << "the shipped set is read without complaint";
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(MiniGame3Play, FiveWrongOrdersFailThePageWhichStartsAfreshWhenEnteredAgain)
{
    ASSERT_TRUE(game.EnterFromContents(kBellPage));
    ASSERT_TRUE(WaitForPlay());
    const std::vector<int> order = WatchShow("");
    ASSERT_GE(order.size(), 2u);
    // The first bell in its turn, then the third before the second, five times.
    ASSERT_TRUE(DropByDrag(order[0]));
    for (int wrong = 1; wrong <= 5; ++wrong)
    {
        // Each wrong order plays the page's fail scene, and the bell goes back to the bench.
        ASSERT_TRUE(game.WaitUntil(
            [&]
            {
                const std::string state = App().SceneState();
                const MG3::Item& bell = ItemAt(order[2]);
                return (state.empty() || state == "Playtime") && bell.x == bell.homeX && bell.y == bell.homeY;
            },
            2000, "the fail scene is over and the bell home"));
        ASSERT_TRUE(DropByDrag(order[2]));
        EXPECT_EQ(ItemAt(order[2]).found, 0);
        if (wrong < 5)
        {
            EXPECT_EQ(Bells().tries, MG3::kStartTries - wrong);
            game.Step(10);
        }
        if (wrong == 3)
            game.Screenshot("e2e/mg3-tries-lost.png");
    }
    EXPECT_TRUE(Bells().finished);
    EXPECT_EQ(Bells().tries, 0);
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_FALSE(save->pages[kBellPage].done);

    // Entered again: the page turns in from its blur, a fresh game with a fresh show.
    ASSERT_TRUE(game.WaitAtRest());
    ASSERT_TRUE(game.EnterFromContents(kBellPage));
    ASSERT_TRUE(game.WaitUntil([&] { return Bells().shown && Screen().Blur() > 0.3 && Screen().Blur() < 0.8; }, 4000,
                               "the page turns in"));
    game.Screenshot("e2e/mg3-blur-in.png");
    ASSERT_TRUE(WaitForPlay());
    EXPECT_FALSE(Bells().finished);
    EXPECT_EQ(Bells().tries, MG3::kStartTries);
    EXPECT_EQ(Bells().round, 0);
    EXPECT_LT(Bells().ShowClock(), Bells().ShowEnd());
    for (const MG3::Item& item : Bells().CurrentRound().items)
        EXPECT_EQ(item.found, 0);
    const std::vector<int> again = WatchShow("");
    ASSERT_TRUE(DropByDrag(again[0]));
    EXPECT_EQ(Bells().tries, MG3::kStartTries);
    PressButton(*Bells().backButton);
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_FALSE(App().content.pages[kBellPage].done);
}

TEST_F(MiniGame3Play, ItsStickerLeadsInTheReplayCostsATryAndTheBackButtonLeaves)
{
    // On the contents page the set's stickers stick out on the right.
    game.Click(765, BoardY() + 520);
    ASSERT_TRUE(game.WaitAtRest());
    game.Step(120);
    ASSERT_TRUE(TestSupport::ClickSticker(game, kBellPage));
    ASSERT_TRUE(WaitForPlay());
    EXPECT_EQ(Screen().currentPage, kBellPage);

    const std::vector<int> order = WatchShow("");
    ASSERT_NE(Bells().replayButton, nullptr);
    PressButton(*Bells().replayButton);
    EXPECT_EQ(Bells().tries, MG3::kStartTries - 1);
    EXPECT_LT(Bells().ShowClock(), 100) << "the show starts again";
    EXPECT_EQ(WatchShow(""), order);

    PressButton(*Bells().backButton);
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_FALSE(App().content.pages[kBellPage].done);
    EXPECT_FALSE(Bells().finished);
}

} // namespace
} // namespace Vesk
