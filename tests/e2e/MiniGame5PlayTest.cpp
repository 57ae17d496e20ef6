// The customs scanner page (the scanner conveyor) played on the built game: entered from the
// contents and from its sticker, every round's smuggled goods clicked past the scanner to the
// name stamp and the save, a game lost on harmless bags that is left and starts afresh when
// entered again, and the back button once the page has turned in.
#include "app/GameApp.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MG5.h"
#include "publication/Page.h"
#include "support/GameDriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// Page 16 of the publication.
constexpr int kScannerPage = 15;
// The belt shows between the page's flaps (screen x).
constexpr int kBeltRight = 735;

class MiniGame5Play : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_NE(game.Game().pageScreen, nullptr);
        ASSERT_EQ(App().content.pages[kScannerPage].type, "MG5");
        ASSERT_TRUE(game.RelaunchAtSetOf(kScannerPage));
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    MG5& Scanner() { return *dynamic_cast<MG5*>(App().MiniGameOfMode(5)); }
    bool PlayTime()
    {
        const std::string state = App().SceneState();
        return state.empty() || state == "Playtime";
    }

    // The game is on the screen with the page turned in, its panel in place and no scene over it.
    bool WaitForPlay()
    {
        return game.WaitUntil(
            [&]
            {
                return Scanner().shown && Scanner().openSignalled && !Screen().IsPublicationShown() &&
                       Screen().ListSlide() == 0 && Screen().Blur() == 0 && PlayTime();
            },
            3000, "the scanner page is played");
    }

    // The camera has flown back out of the page and the publication lies at rest.
    bool BackOnThePublication()
    {
        return game.WaitUntil(
            [&]
            {
                return Screen().IsPublicationShown() && !Scanner().shown && Screen().OpenGate() == 0 &&
                       Screen().ModeZoom(5) == 0 && !Screen().Flipping() && Screen().mode != Page::kModeNameStamp;
            },
            4000, "back on the publication");
    }

    const std::vector<MG5::Object>& Belt() { return Scanner().Rounds()[size_t(Scanner().round)].objects; }

    // Where a player clicks a piece they see right of the screen's middle: a solid point near its
    // middle, clear of every other piece on the belt by a margin (the belt moves on while the
    // pointer gets there). None while the piece is not wholly in view there.
    std::optional<Point> PiecePoint(int index)
    {
        const auto& belt = Belt();
        const MG5::Object& piece = belt[size_t(index)];
        if (piece.found != 0 || piece.image == nullptr || piece.x < 410 || piece.x + piece.width > kBeltRight)
            return std::nullopt;
        DDImage& picture = *piece.image;
        auto clearOfOthers = [&](double x, double y)
        {
            for (size_t other = 0; other < belt.size(); ++other)
            {
                const MG5::Object& o = belt[other];
                if (int(other) != index && o.found == 0 && x > o.x - 12 && x < o.x + o.width + 12 && y > o.y - 4 &&
                    y < o.y + o.height + 4)
                    return false;
            }
            return true;
        };
        std::optional<Point> best;
        double nearest = 1e9;
        for (int y = 4; y < piece.height - 4; ++y)
            for (int x = 12; x < piece.width - 4; ++x)
            {
                const double distance = std::hypot(x - piece.width / 2.0, y - piece.height / 2.0);
                if (distance < nearest && picture.AlphaAt(x, y) > 200 && picture.AlphaAt(x - 8, y) > 200 &&
                    clearOfOthers(piece.x + x, piece.y + y))
                {
                    nearest = distance;
                    best = Point{int(piece.x) + x, int(piece.y) + y};
                }
            }
        return best;
    }

    // The next piece of the wanted kind that can be clicked now; -1 none.
    int ClickablePiece(bool suspicious)
    {
        const auto& belt = Belt();
        for (int index = 0; index < int(belt.size()); ++index)
            if (belt[size_t(index)].Suspicious() == suspicious && PiecePoint(index).has_value())
                return index;
        return -1;
    }

    // Clicks every smuggler of the present round as it comes past the scanner, until the round
    // is counted.
    void CatchRound(const std::string& name)
    {
        const int r = Scanner().round;
        bool shotScanning = false;
        bool shotFading = false;
        for (int update = 0; update < 8000; ++update)
        {
            if (Scanner().finished || Scanner().round != r || Scanner().RoundChangeDue())
                return;
            if (!shotScanning)
                for (const MG5::Object& piece : Belt())
                    if (piece.Suspicious() && piece.x > Scanner().ScannerLine() - piece.width / 2 + 10 &&
                        piece.x < Scanner().ScannerLine() - 10)
                    {
                        game.Screenshot("e2e/mg5-" + name + "-scanning.png");
                        shotScanning = true;
                        break;
                    }
            const int index = PlayTime() ? ClickablePiece(true) : -1;
            if (index < 0)
            {
                game.Step();
                continue;
            }
            const std::optional<Point> point = PiecePoint(index);
            game.Click(*point);
            EXPECT_GT(Belt()[size_t(index)].found, 0) << Belt()[size_t(index)].key;
            if (!shotFading)
            {
                game.Step(3);
                game.Screenshot("e2e/mg5-" + name + "-caught.png");
                shotFading = true;
            }
        }
        ADD_FAILURE() << "round " << r + 1 << " never ended";
    }

    GameDriver game;
};

TEST_F(MiniGame5Play, EveryRoundsSmugglersCaughtEndThePageStampedAndSaved)
{
    ASSERT_TRUE(game.EnterFromContents(kScannerPage));
    ASSERT_TRUE(WaitForPlay());
    ASSERT_EQ(Scanner().RoundCount(), 3);
    for (int r = 0; r < 3; ++r)
        EXPECT_GT(Scanner().RequiredCatches(r), 0);
    game.Screenshot("e2e/mg5-start.png");

    for (int r = 0; r < 3; ++r)
    {
        const std::string name = "round" + std::to_string(r + 1);
        SCOPED_TRACE(name);
        CatchRound(name);
        EXPECT_EQ(Scanner().tries, MG5::kStartTries) << "every smuggler caught, nothing harmless clicked";
        if (r < 2)
        {
            ASSERT_TRUE(game.WaitUntil([&] { return Scanner().round == r + 1 && PlayTime(); }, 2000, "the next round"));
            game.Step(150);
            game.Screenshot("e2e/mg5-round" + std::to_string(r + 2) + "-start.png");
        }
    }

    ASSERT_TRUE(game.WaitUntil([&] { return App().content.pages[kScannerPage].done; }, 300, "the page is done"));
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().mode == Page::kModeNameStamp; }, 2000, "the name stamp"));
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kScannerPage].done);
    EXPECT_NE(game.Log().find(" Ending page 15 of type 'MG5'"), std::string::npos);
    EXPECT_EQ(game.Log().find("MG5:"), std::string::npos) << "the shipped set is read without complaint";
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST_F(MiniGame5Play, HarmlessBagsClickedFailThePageWhichStartsAfreshWhenEnteredAgain)
{
    ASSERT_TRUE(game.EnterFromContents(kScannerPage));
    ASSERT_TRUE(WaitForPlay());
    int clicks = 0;
    for (int update = 0; update < 20000 && !Scanner().finished; ++update)
    {
        const int index = PlayTime() ? ClickablePiece(false) : -1;
        if (index < 0)
        {
            game.Step();
            continue;
        }
        const int before = Scanner().tries;
        const std::optional<Point> point = PiecePoint(index);
        if (before == 1)
        {
            game.MoveTo(*point);
            game.Screenshot("e2e/mg5-last-try.png");
        }
        game.Click(*point);
        ++clicks;
        EXPECT_EQ(Scanner().tries, before - 1) << "a harmless bag costs a try";
    }
    EXPECT_TRUE(Scanner().finished);
    EXPECT_EQ(Scanner().tries, 0);
    EXPECT_GE(clicks, 1);
    ASSERT_TRUE(BackOnThePublication());
    std::optional<SaveData> save = game.ReadSave();
    EXPECT_TRUE(!save.has_value() || !save->pages[kScannerPage].done);
    EXPECT_FALSE(App().content.pages[kScannerPage].done);
    EXPECT_TRUE(Scanner().Rounds()[0].objects.empty()) << "the pictures are freed on leaving";

    // Played again from the start, turning in from a blur now that a page was left.
    ASSERT_TRUE(game.EnterFromContents(kScannerPage));
    ASSERT_TRUE(
        game.WaitUntil([&] { return Screen().Blur() > 0.3 && Screen().Blur() < 0.8; }, 2000, "the page turns in"));
    game.Screenshot("e2e/mg5-blur-in.png");
    ASSERT_TRUE(WaitForPlay());
    EXPECT_FALSE(Scanner().finished);
    EXPECT_EQ(Scanner().tries, MG5::kStartTries);
    EXPECT_EQ(Scanner().round, 0);
    EXPECT_EQ(Scanner().CaughtCount(), 0);
    for (const MG5::Object& piece : Belt())
        EXPECT_LT(piece.x, 800) << "the belt starts full";
}

TEST_F(MiniGame5Play, ItsStickerLeadsIntoThePageWhichTheBackButtonLeaves)
{
    // On the contents page the set's stickers stick out on the right.
    game.Click(765, App().config.common.BoardY + 520);
    ASSERT_TRUE(game.WaitAtRest());
    game.Step(120);
    int k = 0;
    while (k < 3 && (k == 0   ? App().content.sets[App().currentSet].a
                     : k == 1 ? App().content.sets[App().currentSet].b
                              : App().content.sets[App().currentSet].c) != kScannerPage)
        ++k;
    ASSERT_LT(k, 3);
    ButtonWidget& sticker = *Screen().stickerButtons[size_t(k)];
    ASSERT_TRUE(sticker.shown);
    game.Click(sticker.x + sticker.width / 2, sticker.y + sticker.height / 2);
    ASSERT_TRUE(WaitForPlay());
    EXPECT_EQ(Screen().currentPage, kScannerPage);
    // A click on the belt's left half changes nothing.
    ASSERT_TRUE(game.WaitUntil([&] { return Belt()[0].x > 150 && Belt()[0].x < 250; }, 1000, "a piece on the left"));
    game.Click(int(Belt()[0].x) + Belt()[0].width / 2, int(Belt()[0].y) + Belt()[0].height / 2);
    EXPECT_EQ(Scanner().tries, MG5::kStartTries);
    EXPECT_EQ(Belt()[0].found, 0);

    // The back button leaves the page unfinished.
    ButtonWidget& back = *Scanner().backButton;
    game.Click(back.x + back.width / 2, back.y + back.height / 2);
    ASSERT_TRUE(BackOnThePublication());
    EXPECT_FALSE(App().content.pages[kScannerPage].done);
}

} // namespace
} // namespace Vesk
