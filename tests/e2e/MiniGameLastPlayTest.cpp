// The final game played on the built game, from a save in which every other page is done: the
// journal opened at its last game through the menu's mini-game list and a turn back, every note
// taken off the strip and pressed onto its own page while the pages are turned with their
// corners, to the final scene and a save with every page stamped; and a game lost on five notes
// pressed onto the wrong page, left, and entered again afresh. The notes' pages are read off
// the notes as a player reads them off the strip.
#include "app/GameApp.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MGLast.h"
#include "publication/Page.h"
#include "support/GameDriver.h"
#include "support/GameMoves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// Page 18 of the publication.
constexpr int kFinalPage = 17;
constexpr int kFinalMode = 10;

class MiniGame10Play : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        ASSERT_EQ(App().content.pages[kFinalPage].type, "MGLast");
        ASSERT_NE(dynamic_cast<MGLast*>(App().MiniGameOfMode(kFinalMode)), nullptr);
        std::optional<SaveData> save = game.ReadSave();
        ASSERT_TRUE(save.has_value());
        for (int row = 2; row < kFinalPage; ++row)
            save->pages[size_t(row)].open = save->pages[size_t(row)].done = true;
        save->flags.firstPagePending = false;
        save->flags.tutorialPending = false;
        ASSERT_TRUE(game.Relaunch(save));
        game.SkipIntro();
        ASSERT_TRUE(game.WaitAtRest());
        ASSERT_TRUE(App().content.pages[kFinalPage].open);
        ASSERT_FALSE(Final().Notes().empty()) << "the built set has notes";
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    MGLast& Final() { return *dynamic_cast<MGLast*>(App().MiniGameOfMode(kFinalMode)); }
    int BoardY() { return App().config.common.BoardY; }

    void PressButton(ButtonWidget& button) { TestSupport::PressButton(game, button); }
    void ClickForwardCorner() { game.Click(765, BoardY() + 520); }
    void ClickBackwardCorner() { game.Click(35, BoardY() + 520); }

    // From the cover: the menu's mini-game list, one page back to the final game, and in.
    bool EnterFinalGame() { return TestSupport::EnterFinalGame(game); }

    bool LeafTo(int row) { return TestSupport::LeafTo(game, row); }

    // Takes note index off the strip and presses it onto the page lying open.
    void PressNoteOntoPage(int index, const std::string& screenshot = "")
    {
        ASSERT_TRUE(TestSupport::MGLastPressNote(game, index,
                                                 [&]
                                                 {
                                                     if (!screenshot.empty())
                                                         game.Screenshot(screenshot);
                                                 }));
    }

    GameDriver game;
};

TEST_F(MiniGame10Play, EveryNotePressedOntoItsPageStampsTheJournalToTheFinalScene)
{
    ASSERT_TRUE(EnterFinalGame());
    EXPECT_EQ(Screen().mode, kFinalMode);
    game.Screenshot("e2e/mglast-start.png");
    // Notes of the last pages first: one corner click back from each page to the next.
    std::vector<int> order;
    for (int index = 0; index < int(Final().Notes().size()); ++index)
        order.push_back(index);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return Final().Notes()[size_t(a)].page > Final().Notes()[size_t(b)].page; });
    int pressed = 0;
    for (int index : order)
    {
        const int row = Final().Notes()[size_t(index)].page;
        ASSERT_TRUE(LeafTo(row));
        PressNoteOntoPage(index, pressed == 3 ? "e2e/mglast-note-held.png" : "");
        ++pressed;
        if (pressed < int(order.size()))
        {
            EXPECT_TRUE(App().content.pages[size_t(row)].stamped) << "page " << row;
            EXPECT_EQ(Final().Notes()[size_t(index)].found, 1);
        }
        if (pressed == 5)
            game.Screenshot("e2e/mglast-stamped.png");
    }
    EXPECT_EQ(Final().tries, 5);
    ASSERT_TRUE(game.WaitUntil([&] { return Screen().IsPublicationShown() && !Final().shown; }, 4000,
                               "back on the publication"));
    EXPECT_TRUE(App().content.pages[kFinalPage].done);
    EXPECT_NE(game.Log().find("scenes/final.scr"), std::string::npos);
    EXPECT_NE(game.Log().find(" Ending page 17 of type 'MGLast'"), std::string::npos);
    EXPECT_EQ(game.Log().find("MGLast:"), std::string::npos) << "the shipped notes are read without complaint";
    game.Step(300);
    game.Screenshot("e2e/mglast-after.png");

    std::optional<SaveData> save = game.ReadSave();
    ASSERT_TRUE(save.has_value());
    EXPECT_TRUE(save->pages[kFinalPage].done);
    for (const MGLast::Note& note : Final().Notes())
    {
        EXPECT_TRUE(save->pages[size_t(note.page)].stamped) << "page " << note.page;
        EXPECT_TRUE(save->pages[size_t(note.page)].notePrepared) << "page " << note.page;
    }
}

TEST_F(MiniGame10Play, FiveNotesOnTheWrongPageLoseTheGameWhichStartsAfreshWhenEnteredAgain)
{
    ASSERT_TRUE(EnterFinalGame());
    // The publication lies at the final game's own page, which no note belongs to.
    for (int wrong = 1; wrong <= 5; ++wrong)
    {
        PressNoteOntoPage(0, wrong == 4 ? "e2e/mglast-wrong-page.png" : "");
        if (wrong < 5)
        {
            EXPECT_EQ(Final().tries, 5 - wrong);
            EXPECT_FALSE(Final().finished);
            ASSERT_TRUE(game.WaitUntil([&] { return App().SceneState().empty(); }, 2000, "the scene is over"));
        }
    }
    EXPECT_TRUE(Final().finished);
    EXPECT_NE(game.Log().find("scenes/page_18_fail.scr"), std::string::npos);
    ASSERT_TRUE(game.WaitUntil([&]
                               { return Screen().IsPublicationShown() && !Final().shown && Screen().OpenGate() == 0; },
                               4000, "the page is left"));
    EXPECT_EQ(Screen().currentPage, kFinalPage);
    EXPECT_FALSE(App().content.pages[kFinalPage].done);
    EXPECT_NE(Screen().mode, kFinalMode);
    EXPECT_FALSE(App().content.pages[size_t(Final().Notes()[0].page)].stamped);
    // The page before carries its note's empty place (under the strip while the game is played).
    ClickBackwardCorner();
    ASSERT_TRUE(game.WaitAtRest());
    game.Step(100);
    game.Screenshot("e2e/mglast-place-on-page.png");
    ClickForwardCorner();
    ASSERT_TRUE(game.WaitAtRest());

    ASSERT_TRUE(EnterFinalGame());
    EXPECT_EQ(Final().tries, 5);
    EXPECT_FALSE(Final().finished);
    EXPECT_EQ(Final().Notes()[0].found, 0);
    game.Screenshot("e2e/mglast-again.png");
}

} // namespace
} // namespace Vesk
