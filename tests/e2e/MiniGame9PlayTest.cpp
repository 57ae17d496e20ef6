// The fireflies page (the magnifying-glass capture) played on the built game: entered from the
// contents and from its sticker, the glass dragged over each wanted firefly and its button
// pressed, waiting fireflies dropping into the freed places, to the name stamp and the save; a
// game lost on presses over the bare meadow that is left and starts afresh when entered again;
// and the back button once the page has turned in.
#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MG9.h"
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

// Page 17 of the publication.
constexpr int kFirefliesPage = 16;

class MiniGame9Play : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().pageScreen, nullptr);
        ASSERT_EQ(App().content.pages[kFirefliesPage].type, "MG9");
        ASSERT_TRUE(game.RelaunchAtSetOf(kFirefliesPage));
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    MG9& Capture() { return *dynamic_cast<MG9*>(App().MiniGameOfMode(9)); }

    bool WaitForPlay() { return TestSupport::WaitForMiniGame(game, 9, 3000); }

    bool BackOnThePublication()
    {
        return game.WaitUntil(
            [&]
            {
                return Screen().IsPublicationShown() && !Capture().shown && Screen().OpenGate() == 0 &&
                       Screen().ModeZoom(9) == 0 && !Screen().Flipping() && Screen().mode != Page::kModeNameStamp;
            },
            4000, "back on the publication");
    }

    // A firefly still to catch whose portrait shows in the box, -1 none; where the glass sees it.
    int WantedFirefly() { return TestSupport::MG9WantedFirefly(game); }
    std::optional<Point> FireflyPoint(int index) { return TestSupport::MG9FireflyPoint(game, index); }

    Point GlassCentre() { return Point{Capture().GlassX(), Capture().GlassY()}; }
    Point ButtonPoint()
    {
        return Point{Capture().ButtonX() + IMAGE_GLASS_BTN->GetWidth() / 2,
                     Capture().ButtonY() + IMAGE_GLASS_BTN->GetHeight() / 2};
    }

    // The glass dragged by its lens until its centre lies over the point.
    void BringGlassTo(Point point)
    {
        game.Drag(GlassCentre(), point, 10);
        EXPECT_EQ(Capture().GlassX(), point.x);
        EXPECT_EQ(Capture().GlassY(), point.y);
    }

    // A wanted firefly caught: the glass over it, its button pressed and let go, and the firefly
    // settled in the box with a waiting one dropped into the place it frees.
    void CatchFirefly(const std::string& screenshot = "")
    {
        const int fly = WantedFirefly();
        ASSERT_GE(fly, 0);
        std::optional<Point> point = FireflyPoint(fly);
        ASSERT_TRUE(point.has_value()) << Capture().Objects()[size_t(fly)].key;
        BringGlassTo(*point);
        const Point button = ButtonPoint();
        game.Press(button.x, button.y);
        EXPECT_TRUE(Capture().ButtonDown());
        if (!screenshot.empty())
            game.Screenshot(screenshot);
        const int triesBefore = Capture().tries;
        game.Release(button.x, button.y);
        EXPECT_GT(Capture().Objects()[size_t(fly)].found, 0) << Capture().Objects()[size_t(fly)].key;
        EXPECT_EQ(Capture().tries, triesBefore) << "a firefly under the glass costs nothing";
        ASSERT_TRUE(game.WaitUntil(
            [&] {
                return Capture().finished ||
                       (Capture().Objects()[size_t(fly)].found >= 1 && Capture().ReloadObject() < 0);
            },
            400, "the firefly settles in the box"));
    }

    // A point of the meadow within the glass's reach (from its middle) where no firefly lies.
    std::optional<Point> BareMeadow()
    {
        const auto& config = App().config.miniGame9;
        for (int y = (config.Ly + config.LY) / 2; y < config.LY; y += 17)
            for (int x = (config.Lx + config.LX) / 2; x < config.LX; x += 17)
            {
                bool clear = true;
                for (const MG9::Object& fly : Capture().Objects())
                {
                    const int left = App().config.common.BoardX + fly.homeX - 4;
                    const int top = App().config.common.BoardY + fly.homeY - 4;
                    clear = clear &&
                            !(x >= left && y >= top && x < left + fly.width / 3 + 8 && y < top + fly.height / 3 + 8);
                }
                if (clear)
                    return Point{x, y};
            }
        return std::nullopt;
    }

    GameDriver game;
};

TEST_F(MiniGame9Play, EveryWantedFireflyCaughtEndsThePageStampedAndSaved)
{
    ASSERT_TRUE(game.EnterFromContents(kFirefliesPage));
    ASSERT_TRUE(WaitForPlay());
    const int needed = Capture().RequiredFinds();
    EXPECT_EQ(needed, App().content.pages[kFirefliesPage].itemCount);
    int waiting = 0;
    for (const MG9::Object& fly : Capture().Objects())
        waiting += fly.Wanted() ? 0 : 1;
    EXPECT_GT(waiting, 0) << "some fireflies wait for a place in the box";
    game.Step(320);
    game.Screenshot("e2e/mg9-start.png");

    int catches = 0;
    for (int catchCount = 0; catchCount < needed && !Capture().finished && WantedFirefly() >= 0; ++catchCount)
    {
        CatchFirefly(catchCount == 1 ? "e2e/mg9-glass-over-firefly.png" : "");
        if (catchCount == 0)
        {
            // A waiting firefly has taken the first caught one's place in the box.
            int dropped = 0;
            for (const MG9::Object& fly : Capture().Objects())
                dropped += fly.Wanted() ? 1 : 0;
            EXPECT_EQ(dropped, int(Capture().Objects().size()) - waiting + 1);
        }
        if (catchCount == 3)
            game.Screenshot("e2e/mg9-box-half-full.png");
        ++catches;
    }
    // The last two are caught at once.
    EXPECT_EQ(catches, needed - 2);

    ASSERT_TRUE(game.WaitUntil([&] { return App().content.pages[kFirefliesPage].done; }, 400, "the page is done"));
    EXPECT_EQ(Capture().tries, MG9::kStartTries);
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == Page::kModeNameStamp; }, 2000, "the name stamp"));
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kFirefliesPage].done);
    EXPECT_NE(game.Log().find(" Ending page 16 of type 'MG9'"), std::string::npos);
    EXPECT_EQ(game.Log().find("MG9:"), std::string::npos) << "the shipped set is read without complaint";
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(MiniGame9Play, FivePressesOverTheBareMeadowFailThePageWhichStartsAfreshWhenEnteredAgain)
{
    ASSERT_TRUE(game.EnterFromContents(kFirefliesPage));
    ASSERT_TRUE(WaitForPlay());
    // One firefly caught first, so that the fresh start shows.
    CatchFirefly();

    std::optional<Point> bare = BareMeadow();
    ASSERT_TRUE(bare.has_value());
    BringGlassTo(*bare);
    for (int miss = 1; miss <= 4; ++miss)
    {
        game.Click(ButtonPoint());
        game.Step(3);
        ASSERT_EQ(Capture().tries, MG9::kStartTries - miss);
        EXPECT_FALSE(Capture().finished);
    }
    game.Step(70);
    game.Screenshot("e2e/mg9-last-try.png");
    game.Click(ButtonPoint());
    EXPECT_TRUE(Capture().finished);
    EXPECT_EQ(Capture().tries, 0);
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    EXPECT_TRUE(!save.has_value() || !save->pages[kFirefliesPage].done);
    EXPECT_FALSE(App().content.pages[kFirefliesPage].done);
    EXPECT_EQ(Capture().Background(), nullptr) << "the pictures are freed on leaving";

    ASSERT_TRUE(game.EnterFromContents(kFirefliesPage));
    ASSERT_TRUE(
        game.WaitUntil([&] { return Screen().Blur() > 0.3 && Screen().Blur() < 0.8; }, 2000, "the page turns in"));
    game.Screenshot("e2e/mg9-blur-in.png");
    ASSERT_TRUE(WaitForPlay());
    EXPECT_FALSE(Capture().finished);
    EXPECT_EQ(Capture().tries, MG9::kStartTries);
    EXPECT_EQ(Capture().FoundCount(), 0);
}

TEST_F(MiniGame9Play, ItsStickerLeadsIntoThePageWhichTheBackButtonLeaves)
{
    game.Click(765, App().config.common.BoardY + 520);
    ASSERT_TRUE(game.WaitAtRest());
    game.Step(120);
    ASSERT_TRUE(TestSupport::ClickSticker(game, kFirefliesPage));
    ASSERT_TRUE(WaitForPlay());
    EXPECT_EQ(Screen().currentPage, kFirefliesPage);
    CatchFirefly();

    ButtonWidget& back = *Capture().backButton;
    game.Click(back.x + back.width / 2, back.y + back.height / 2);
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_FALSE(App().content.pages[kFirefliesPage].done);
}

} // namespace
} // namespace Vesk
