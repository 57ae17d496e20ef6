// The insects page (the magnifier search) played on the built game: entered from the contents
// and from its sticker, the insect on top of the card pile found under the glass one after
// another to the name stamp and the save, a game lost on wrong insects that is left and starts
// afresh when entered again, and the back button once the page has turned in.
#include "app/GameApp.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MG8.h"
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

// Page 14 of the publication.
constexpr int kInsectsPage = 13;

class MiniGame8Play : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().pageScreen, nullptr);
        ASSERT_EQ(App().content.pages[kInsectsPage].type, "MG8");
        ASSERT_TRUE(game.RelaunchAtSetOf(kInsectsPage));
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    MG8& Search() { return *dynamic_cast<MG8*>(App().MiniGameOfMode(8)); }

    // The game is on the screen with the page turned in and its panel in place.
    bool WaitForPlay() { return TestSupport::WaitForMiniGame(game, 8, 3000); }

    // The camera has flown back out of the page and the publication lies at rest.
    bool BackOnThePublication()
    {
        return game.WaitUntil(
            [&]
            {
                return Screen().IsPublicationShown() && !Search().shown && Screen().OpenGate() == 0 &&
                       Screen().ModeZoom(8) == 0 && !Screen().Flipping() && Screen().mode != Page::kModeNameStamp;
            },
            4000, "back on the publication");
    }

    // The insect whose card lies on top of the pile: the one the player looks for now.
    int InsectOnTop()
    {
        const int wanted = Search().WantedObject();
        EXPECT_GE(wanted, 0) << "a card on the pile";
        return wanted;
    }

    // Where a player sees an insect: the opaque pixel of its picture nearest the middle that no
    // insect lying over it covers.
    std::optional<Point> InsectPoint(int index) { return TestSupport::MG8InsectPoint(game, index); }

    // The glass brought over the insect on top of the pile, then a click on it.
    void FindInsectOnTop(const std::string& screenshot = "")
    {
        const int insect = InsectOnTop();
        ASSERT_GE(insect, 0);
        std::optional<Point> point = InsectPoint(insect);
        ASSERT_TRUE(point.has_value()) << Search().Objects()[size_t(insect)].key;
        game.MoveTo(point->x - 40, point->y - 30);
        game.MoveTo(*point);
        if (!screenshot.empty())
            game.Screenshot(screenshot);
        const int wantedBefore = Search().Wanted();
        game.Click(*point);
        EXPECT_GT(Search().Objects()[size_t(insect)].found, 0) << Search().Objects()[size_t(insect)].key;
        ASSERT_TRUE(game.WaitUntil([&] { return Search().finished || Search().Wanted() == wantedBefore - 1; }, 300,
                                   "the card slides off the pile"));
    }

    GameDriver game;
};

TEST_F(MiniGame8Play, EveryInsectInItsTurnEndsThePageStampedAndSaved)
{
    ASSERT_TRUE(game.EnterFromContents(kInsectsPage));
    ASSERT_TRUE(WaitForPlay());
    const int needed = Search().RequiredFinds();
    EXPECT_EQ(needed, App().content.pages[kInsectsPage].itemCount);
    EXPECT_GT(int(Search().Order().size()), 0);
    EXPECT_EQ(Search().Wanted(), needed);
    game.Screenshot("e2e/mg8-start.png");

    for (int find = 0; find < needed; ++find)
    {
        FindInsectOnTop(find == 2 ? "e2e/mg8-glass-over-insect.png" : "");
        EXPECT_EQ(Search().tries, MG8::kStartTries) << "every insect in its turn costs nothing";
        if (find == 3)
        {
            // The glass near the card pile, fading out below its rectangle.
            game.MoveTo(App().config.miniGame8.GX - 140, App().config.miniGame8.GY + 25);
            game.Screenshot("e2e/mg8-glass-fading.png");
        }
    }

    ASSERT_TRUE(game.WaitUntil([&] { return App().content.pages[kInsectsPage].done; }, 300, "the page is done"));
    EXPECT_EQ(App().GetCursor(), 0) << "the pointer is back for the scene and the stamp";
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == Page::kModeNameStamp; }, 2000, "the name stamp"));
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kInsectsPage].done);
    EXPECT_NE(game.Log().find(" Ending page 13 of type 'MG8'"), std::string::npos);
    EXPECT_EQ(game.Log().find("MG8:"), std::string::npos) << "the shipped set is read without complaint";
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(MiniGame8Play, FiveWrongInsectsFailThePageWhichStartsAfreshWhenEnteredAgain)
{
    ASSERT_TRUE(game.EnterFromContents(kInsectsPage));
    ASSERT_TRUE(WaitForPlay());
    // One insect found first, so that the fresh start shows.
    FindInsectOnTop();

    // The insect at the bottom of the pile is wanted last: clicking it now is wrong.
    const int bottom = Search().Order()[0];
    ASSERT_NE(bottom, Search().WantedObject());
    std::optional<Point> wrong = InsectPoint(bottom);
    ASSERT_TRUE(wrong.has_value());
    for (int miss = 1; miss <= 4; ++miss)
    {
        game.Click(*wrong);
        game.Step(3);
        ASSERT_EQ(Search().tries, MG8::kStartTries - miss);
        EXPECT_FALSE(Search().finished);
    }
    // The tries counter has counted up and shows the one try left.
    game.Step(70);
    game.MoveTo(wrong->x + 3, wrong->y);
    game.Screenshot("e2e/mg8-last-try.png");
    game.Click(*wrong);
    EXPECT_TRUE(Search().finished);
    EXPECT_EQ(Search().tries, 0);
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_EQ(App().GetCursor(), 0);
    std::optional<SaveData> save = game.ReadSave();
    EXPECT_TRUE(!save.has_value() || !save->pages[kInsectsPage].done);
    EXPECT_FALSE(App().content.pages[kInsectsPage].done);
    EXPECT_EQ(Search().Background(), nullptr) << "the pictures are freed on leaving";

    // The page is played again from the start, turning in from a blur now that a page was left
    // (and only once the blur is over may the back button act).
    ASSERT_TRUE(game.EnterFromContents(kInsectsPage));
    ASSERT_TRUE(
        game.WaitUntil([&] { return Screen().Blur() > 0.3 && Screen().Blur() < 0.8; }, 2000, "the page turns in"));
    game.Screenshot("e2e/mg8-blur-in.png");
    ASSERT_TRUE(WaitForPlay());
    EXPECT_FALSE(Search().finished);
    EXPECT_EQ(Search().tries, MG8::kStartTries);
    EXPECT_EQ(Search().FoundCount(), 0);
    EXPECT_EQ(Search().Wanted(), Search().RequiredFinds());
}

TEST_F(MiniGame8Play, ItsStickerLeadsIntoThePageWhichTheBackButtonLeaves)
{
    // On the contents page the set's stickers stick out on the right.
    game.Click(765, App().config.common.BoardY + 520);
    ASSERT_TRUE(game.WaitAtRest());
    game.Step(120);
    ASSERT_TRUE(TestSupport::ClickSticker(game, kInsectsPage));
    ASSERT_TRUE(WaitForPlay());
    EXPECT_EQ(Screen().currentPage, kInsectsPage);
    FindInsectOnTop();

    // The back button leaves the page unfinished.
    ButtonWidget& back = *Search().backButton;
    game.Click(back.x + back.width / 2, back.y + back.height / 2);
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_FALSE(App().content.pages[kInsectsPage].done);
}

} // namespace
} // namespace Vesk
