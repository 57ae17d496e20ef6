// The coloured-glass page (the differences game) played on the built game: entered from the
// contents and from its sticker, every round's differences clicked on one side or the other to
// the name stamp and the save, and a game whose misclicks lock the pointer out, which is left
// unfinished with the back button and starts afresh when entered again.
#include "app/GameApp.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MG6.h"
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

// Page 10 of the publication.
constexpr int kGlassPage = 9;

class MiniGame6Play : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().pageScreen, nullptr);
        ASSERT_EQ(App().content.pages[kGlassPage].type, "MG6");
        ASSERT_TRUE(game.RelaunchAtSetOf(kGlassPage));
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    MG6& Glass() { return *dynamic_cast<MG6*>(App().MiniGameOfMode(6)); }

    // The game is on the screen with its notes in place and the page-turn blur over.
    bool WaitForPlay() { return TestSupport::WaitForMiniGame(game, 6, 3000); }

    bool BackOnThePublication() { return TestSupport::BackOnThePublication(game, 6); }

    // Clicks the round's differences, on the left and the right picture by turns, until the
    // round has its share.
    void FindRound(const std::string& screenshot)
    {
        const int r = Glass().round;
        const int needed = Glass().RequiredFinds();
        ASSERT_GT(needed, 0);
        for (int index = 0; index < needed; ++index)
        {
            const MG6::Difference& difference = Glass().RoundAt(r).differences[size_t(index)];
            const MG6::Picture& side = index % 2 == 0 ? difference.left : difference.right;
            ASSERT_NE(side.image, nullptr) << difference.key;
            game.Click(TestSupport::MG6PatchPoint(game, r, index, index % 2 == 0));
            ASSERT_GT(difference.found, 0) << "difference " << difference.key << " of round " << r + 1;
            EXPECT_EQ(Glass().missCount, 0);
            game.Step(index + 1 == needed ? 1 : 20);
            if (index == 2)
                game.Screenshot(screenshot);
        }
    }

    GameDriver game;
};

TEST_F(MiniGame6Play, EveryRoundsDifferencesFoundEndThePageStampedAndSaved)
{
    ASSERT_TRUE(game.EnterFromContents(kGlassPage));
    ASSERT_TRUE(WaitForPlay());
    ASSERT_EQ(Glass().RoundCount(), 2);
    EXPECT_EQ(Glass().DifferencesLeft(), 5);
    game.Screenshot("e2e/mg6-round1-start.png");

    FindRound("e2e/mg6-round1-finding.png");
    ASSERT_TRUE(game.WaitUntil([&] { return Glass().round == 1; }, 300, "the second round"));
    game.Step(10);
    EXPECT_EQ(Glass().DifferencesLeft(), 5);
    game.Screenshot("e2e/mg6-round2-start.png");
    FindRound("e2e/mg6-round2-finding.png");

    ASSERT_TRUE(game.WaitUntil([&] { return App().content.pages[kGlassPage].done; }, 300, "the page is done"));
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == Page::kModeNameStamp; }, 2000, "the name stamp"));
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_FALSE(Glass().shown);
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kGlassPage].done);
    EXPECT_NE(game.Log().find(" Ending page 9 of type 'MG6'"), std::string::npos);
    EXPECT_EQ(game.Log().find("MG6:"), std::string::npos) << "the shipped set is read without complaint";
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(MiniGame6Play, MisclicksLockThePointerOutAndAPageLeftUnfinishedStartsAfresh)
{
    ASSERT_TRUE(game.EnterFromContents(kGlassPage));
    ASSERT_TRUE(WaitForPlay());
    const MG6::Difference& first = Glass().RoundAt(0).differences[0];
    game.Click(TestSupport::MG6PatchPoint(game, 0, 0, false));
    ASSERT_GT(first.found, 0);
    game.Step(40);

    // The bench between the two windows: nothing to find there.
    const Point bench{App().config.common.BoardX + 383, App().config.common.BoardY + 220};
    const int allowed = App().config.miniGame6.MIS;
    ASSERT_GT(allowed, 0);
    for (int miss = 1; miss < allowed; ++miss)
        game.Click(bench);
    EXPECT_FALSE(Glass().LockedOut());
    game.Click(bench);
    ASSERT_TRUE(Glass().LockedOut());
    game.Step(5);
    game.Screenshot("e2e/mg6-lockout.png");
    const MG6::Difference& second = Glass().RoundAt(0).differences[1];
    game.Click(TestSupport::MG6PatchPoint(game, 0, 1, true));
    EXPECT_EQ(second.found, 0) << "no find while locked out";
    ASSERT_TRUE(game.WaitUntil([&] { return !Glass().LockedOut(); }, 1000, "the lock-out ends"));
    EXPECT_EQ(App().GetCursor(), 0);

    // Left with the back button: the page is not done and comes back from the start.
    ButtonWidget& back = *Glass().backButton;
    game.Click(back.x + back.width / 2, back.y + back.height / 2);
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    EXPECT_TRUE(!save.has_value() || !save->pages[kGlassPage].done);
    EXPECT_FALSE(App().content.pages[kGlassPage].done);
    EXPECT_EQ(Glass().Background(), nullptr) << "the pictures are freed on leaving";

    ASSERT_TRUE(game.EnterFromContents(kGlassPage));
    ASSERT_TRUE(
        game.WaitUntil([&] { return Screen().Blur() > 0.3 && Screen().Blur() < 0.8; }, 2000, "the page turns in"));
    game.Screenshot("e2e/mg6-blur-in.png");
    ASSERT_TRUE(WaitForPlay());
    EXPECT_FALSE(Glass().finished);
    EXPECT_EQ(Glass().round, 0);
    EXPECT_EQ(Glass().DifferencesLeft(), 5);
    EXPECT_FALSE(Glass().LockedOut());
    EXPECT_EQ(Glass().missCount, 0);
}

TEST_F(MiniGame6Play, ItsStickerLeadsIntoThePage)
{
    // On the contents page the set's stickers stick out on the right.
    game.Click(765, App().config.common.BoardY + 520);
    ASSERT_TRUE(game.WaitAtRest());
    game.Step(120);
    ASSERT_TRUE(TestSupport::ClickSticker(game, kGlassPage));
    ASSERT_TRUE(WaitForPlay());
    EXPECT_EQ(Screen().currentPage, kGlassPage);
    EXPECT_EQ(Glass().round, 0);
    game.Screenshot("e2e/mg6-from-sticker.png");
}

} // namespace
} // namespace Vesk
