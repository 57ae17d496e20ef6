// The mini-game list page, played end to end on the built game: every entry of the list opens
// its mini-game, and the game's back button brings the player back to the list.
#include "app/GameApp.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MiniGame.h"
#include "publication/Page.h"
#include "support/GameDriver.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

TEST(MiniGameList, EveryEntryOpensItsGameAndItsBackButtonReturnsToTheList)
{
    GameDriver game;
    ASSERT_TRUE(game.Launch());
    // A player who has opened every page: the list shows every mini-game.
    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    for (int page = 2; page < game.Game().content.pageCount; ++page)
        save->pages[size_t(page)].open = true;
    save->flags.firstPagePending = false;
    save->flags.tutorialPending = false;
    ASSERT_TRUE(game.Relaunch(save));
    game.SkipIntro();
    GameApp& app = game.Game();
    Page& screen = *app.pageScreen;

    ButtonWidget& menu = *screen.miniGamesButton;
    game.Click(menu.x + menu.width / 2, menu.y + menu.height / 2);
    ASSERT_TRUE(game.WaitAtRest());
    const int listPage = screen.currentPage;
    ASSERT_EQ(app.content.pages[size_t(listPage)].type, "MGList");
    game.Step(100);
    game.Screenshot("e2e/mini-game-list.png");

    std::set<std::string> opened;
    const int entries = std::clamp(app.config.pages.MGNumber, 0, kMaxMiniGameEntries);
    ASSERT_EQ(entries, 8) << "the publication lists its eight mini-games";
    for (int index = 0; index < entries; ++index)
    {
        const MiniGameEntry& entry = app.content.miniGameEntries[size_t(index)];
        SCOPED_TRACE("entry " + std::to_string(index) + ": " + entry.titleText);
        ASSERT_TRUE(ContentModel::IsPage(entry.page));
        const std::string kind = app.content.pages[size_t(entry.page)].type;
        game.Click(entry.x + std::min(20, entry.w / 2), entry.y + 4);
        MiniGame* played = nullptr;
        ASSERT_TRUE(game.WaitUntil(
            [&]
            {
                played = app.ShownMiniGame();
                return played != nullptr && played->openSignalled && screen.Blur() == 0 && !screen.IsPublicationShown();
            },
            3000, "the " + kind + " page plays"));
        EXPECT_EQ(played->Kind(), kind);
        EXPECT_EQ(screen.currentPage, entry.page);
        opened.insert(kind);
        ButtonWidget& back = *played->backButton;
        game.Click(back.x + back.width / 2, back.y + back.height / 2);
        ASSERT_TRUE(game.WaitUntil(
            [&]
            {
                return screen.currentPage == listPage && screen.IsPublicationShown() && !screen.Flipping() &&
                       !screen.ZoomRunning();
            },
            3000, "back on the list"));
        EXPECT_EQ(app.ShownMiniGame(), nullptr);
        EXPECT_FALSE(app.content.pages[size_t(entry.page)].done) << "leaving a game does not win it";
    }
    EXPECT_EQ(opened, (std::set<std::string>{"MG1", "MG2", "MG3", "MG4", "MG5", "MG6", "MG8", "MG9"}));
    EXPECT_TRUE(game.MessageBoxes().empty());
}

} // namespace
} // namespace Vesk
