// The game test driver on the built game: start-up, screenshots, leaving and coming back with
// the player's save, and the screen points it picks for a page's hidden objects.
#include "support/GameDriver.h"

#include "framework/graphics/MemoryImage.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// A pixel's alpha in the item's own picture (palettized or not), 0 outside it.
int PictureAlpha(const PictureItem& item, int x, int y)
{
    auto* picture = dynamic_cast<MemoryImage*>(item.image.get());
    if (picture == nullptr || x < 0 || y < 0 || x >= picture->GetWidth() || y >= picture->GetHeight())
        return 0;
    const size_t at = size_t(y) * size_t(picture->GetWidth()) + size_t(x);
    if (picture->IsPalettized())
        return int(picture->GetPalette()[picture->GetColorIndices()[at]] >> 24);
    return int(picture->GetBits()[at] >> 24);
}

TEST(GameDriverTest, TheBuiltGameStartsShowsItsDeskAndKeepsThePlayersSaveAcrossRelaunches)
{
    GameDriver game;
    ASSERT_TRUE(game.Launch());
    EXPECT_NE(game.Log().find("Widgets created"), std::string::npos);
    game.Seconds(0.5);
    ASSERT_TRUE(game.Screenshot("e2e/game-driver-start.png"));
    const std::vector<uint32_t> screen = game.Driver().ScreenPixels();
    ASSERT_FALSE(screen.empty());
    EXPECT_TRUE(std::any_of(screen.begin(), screen.end(), [&](uint32_t pixel) { return pixel != screen[0]; }))
        << "the screen is one colour";

    const std::optional<SaveData> first = game.ReadSave();
    ASSERT_TRUE(first);
    ASSERT_EQ(int(first->pages.size()), game.Game().content.pageCount);
    ASSERT_TRUE(game.Relaunch());
    const std::optional<SaveData> again = game.ReadSave();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->pages.size(), first->pages.size());

    // Progress written while the game is away is what the game comes back with.
    SaveData progress = *again;
    progress.pages[2].done = true;
    progress.flags.bonusesTaken = 2;
    ASSERT_TRUE(game.Relaunch(progress));
    EXPECT_TRUE(game.Game().content.pages[2].done);
    EXPECT_EQ(game.Game().bonusesTaken, 2);
    EXPECT_TRUE(game.MessageBoxes().empty());
}

TEST(GameDriverTest, EveryHiddenObjectGetsAPointWhereAPressHitsItAndNoObjectAboveIt)
{
    GameDriver game;
    ASSERT_TRUE(game.Launch());
    GameApp& app = game.Game();
    app.LoadPageItems(app.content.pages[2].dir, 2);
    ASSERT_GT(app.content.pictureItemCount, 1);
    const int boardX = app.config.common.BoardX;
    const int boardY = app.config.common.BoardY;

    for (int index = 0; index < app.content.pictureItemCount; ++index)
    {
        const PictureItem& item = app.content.pictureItems[size_t(index)];
        const std::optional<Point> point = game.ItemScreenPoint(index);
        ASSERT_TRUE(point) << item.name;
        const int x = point->x - boardX;
        const int y = point->y - boardY;
        EXPECT_GT(x - item.x, 0) << item.name << ": the board never hits a picture's first column";
        EXPECT_GT(y - item.y, 0) << item.name;
        EXPECT_GT(PictureAlpha(item, x - item.x, y - item.y), 128) << item.name;
        for (int above = 0; above < index; ++above)
        {
            const PictureItem& other = app.content.pictureItems[size_t(above)];
            EXPECT_LE(PictureAlpha(other, x - other.x, y - other.y), 20) << item.name << " under " << other.name;
        }
    }

    // A found object is neither looked up nor pointed at.
    const std::string name = app.content.pictureItems[0].name;
    EXPECT_EQ(game.FindItem(name), 0);
    app.content.pictureItems[0].found = 1;
    EXPECT_NE(game.FindItem(name), 0);
    EXPECT_FALSE(game.ItemScreenPoint(0));
    EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(game.ClickItem(name)), "no unfound item");
}

} // namespace
} // namespace Vesk
