// The player dialogs played on the built game: the first start's name, adding players with
// awkward names, switching between them with their progress kept apart, deleting one, the
// answers that cancel each dialog, and the question asked before the game quits.
#include "app/GameApp.h"
#include "app/SaveFile.h"
#include "dialogs/ProfileDialog.h"
#include "dialogs/ProfileListDialog.h"
#include "dialogs/ProfileNames.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/ListWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "publication/Page.h"
#include "support/GameDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using Profile::DeleteDialog;
using Profile::ExitDialog;
using Profile::FirstInputDialog;
using Profile::InputDialog;
using Profile::ListDialog;
using Profile::ProfileDialog;
using Profile::ProfileNames;
using Profile::WarningDialog;
using TestSupport::GameDriver;

constexpr int kDonePage = 2;
const std::string kDotted = "a.b/c";
const std::string kAccented = "Zo\xE9";

class Profiles : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(game.Launch()); }

    TestSupport::TestGameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }

    // Jumps to the end of the desk intro; the first start's name is asked then.
    void SkipIntro()
    {
        const auto& desktop = App().config.desktop;
        Screen().modeZoom[0] = float(desktop.DT1 + desktop.DT2 + desktop.DT3 + desktop.DT4);
        game.Step(2);
    }

    // Plays each dialog that comes up with the first handler that takes it.
    void OnDialogs(std::function<bool(Dialog&)> handler) { App().onDialog = std::move(handler); }

    bool WaitInPlace(ProfileDialog& dialog)
    {
        return game.WaitUntil([&] { return dialog.slideProgress >= 1; }, 500, "the dialog slid in");
    }

    void ClickButton(ProfileDialog& dialog, int id)
    {
        ASSERT_TRUE(WaitInPlace(dialog));
        for (const ProfileDialog::DrawnButton& button : dialog.buttons)
        {
            if (button.id != id)
                continue;
            game.Click(dialog.x + button.rect.x + button.rect.width / 2,
                       dialog.y + button.rect.y + button.rect.height / 2);
            return;
        }
        ADD_FAILURE() << "no button " << id;
    }

    void EscapeOn(ProfileDialog& dialog)
    {
        ASSERT_TRUE(WaitInPlace(dialog));
        game.Escape();
    }

    void ClickLine(ListDialog& dialog, int line)
    {
        ASSERT_TRUE(WaitInPlace(dialog));
        const ListWidget& list = *dialog.list;
        game.Click(list.x + list.width / 2, list.y + list.itemHeight * line + list.itemHeight / 2);
    }

    void ClickDeleteMark(ListDialog& dialog)
    {
        const auto& g = App().config.graphics;
        const int line = dialog.list->selectIdx;
        game.Click(dialog.x + g.LRX + 3, dialog.y + g.LRY + 25 * line + 12);
    }

    // Opens the player list with the profile button and plays it with play (the dialogs it opens
    // go to others); the loading that follows plays itself.
    void WithPlayerList(
        const std::function<void(ListDialog&)>& play,
        const std::function<bool(Dialog&)>& others = [](Dialog&) { return false; })
    {
        OnDialogs(
            [&](Dialog& dialog)
            {
                if (auto* list = dynamic_cast<ListDialog*>(&dialog))
                {
                    play(*list);
                    return true;
                }
                return others(dialog);
            });
        const ButtonWidget& button = *Screen().profileButton;
        game.Click(button.x + button.width / 2, button.y + button.height / 2);
        ASSERT_TRUE(game.WaitUntil([&] { return App().GetDialogCount() == 0; }, 500, "the dialogs closed"));
        OnDialogs({});
    }

    // Types a name into the add dialog and confirms it with OK.
    static std::function<bool(Dialog&)> NameTyper(Profiles& test, const std::vector<std::string>& names)
    {
        auto next = std::make_shared<size_t>(0);
        return [&test, names, next](Dialog& dialog)
        {
            auto* input = dynamic_cast<InputDialog*>(&dialog);
            if (input == nullptr || *next >= names.size())
                return false;
            EXPECT_TRUE(test.WaitInPlace(*input));
            test.game.Type(names[(*next)++]);
            test.ClickButton(*input, Dialog::kYesButtonId);
            return true;
        };
    }

    std::filesystem::path SaveOf(const std::string& player)
    {
        return SaveFile::PathFor(App().GetAppDataFolder(), player);
    }

    GameDriver game;
};

TEST_F(Profiles, TheFirstStartAsksTheNameAndKeepsTheSaveUnderIt)
{
    bool asked = false;
    OnDialogs(
        [&](Dialog& dialog)
        {
            auto* first = dynamic_cast<FirstInputDialog*>(&dialog);
            if (first == nullptr)
                return false;
            asked = true;
            EXPECT_TRUE(WaitInPlace(*first));
            EXPECT_EQ(first->edit->text, App().texts.common.default_name);
            game.Key(Platform::KEYCODE_END);
            for (size_t typed = 0; typed < App().texts.common.default_name.size(); ++typed)
                game.Key(Platform::KEYCODE_BACK);
            game.Type("  " + kAccented + "|" + " ");
            EXPECT_EQ(first->edit->text, "  " + kAccented + " ") << "the list's separator is refused";
            game.Key(Platform::KEYCODE_RETURN);
            EXPECT_EQ(App().GetDialogCount(), 0) << "Enter ends it at once";
            return true;
        });
    SkipIntro();
    game.Step(5);
    ASSERT_TRUE(asked);
    EXPECT_EQ(App().playerName, kAccented);
    EXPECT_EQ(App().allPlayers, "0|" + kAccented + "|");
    EXPECT_TRUE(std::filesystem::exists(SaveOf(kAccented)));
    EXPECT_EQ(App().GetWidgetManager()->focusWidget, &Screen());
    // No folder of the offered name is left behind: the chosen name's is the only one.
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(SaveOf(kAccented).parent_path().parent_path()))
        folders.push_back(entry.path());
    EXPECT_EQ(folders, std::vector<std::filesystem::path>{SaveOf(kAccented).parent_path()});
}

TEST_F(Profiles, PlayersAreAddedSwitchedAndDeletedWithTheirProgressKeptApart)
{
    SkipIntro();
    game.Step(5);
    const std::string first = App().playerName;
    ASSERT_FALSE(first.empty());

    // Two players with awkward names, the second chosen.
    WithPlayerList(
        [&](ListDialog& list)
        {
            ClickLine(list, 1);
            ClickLine(list, 2);
            EXPECT_EQ(list.Players(), (std::vector<std::string>{first, kDotted, kAccented}));
            game.Step(2);
            game.Screenshot("e2e/player-list.png");
            ClickLine(list, 1);
            ClickButton(list, ListDialog::kOk);
        },
        NameTyper(*this, {kDotted, kAccented}));
    EXPECT_EQ(App().playerName, kDotted);
    EXPECT_EQ(App().allPlayers, "1|" + first + "|" + kDotted + "|" + kAccented + "|");
    ASSERT_TRUE(std::filesystem::exists(SaveOf(kDotted)));
    EXPECT_EQ(SaveOf(kDotted).parent_path().filename(), "a_fb_bc");
    EXPECT_FALSE(App().content.pages[kDonePage].done);

    App().content.pages[kDonePage].done = true;
    App().SaveGame();

    // Back to the first player: their own progress.
    WithPlayerList(
        [&](ListDialog& list)
        {
            EXPECT_EQ(list.list->selectIdx, 1) << "the current player is chosen";
            ClickLine(list, 0);
            ClickButton(list, ListDialog::kOk);
        });
    EXPECT_EQ(App().playerName, first);
    EXPECT_FALSE(App().content.pages[kDonePage].done);

    WithPlayerList(
        [&](ListDialog& list)
        {
            ClickLine(list, 1);
            ClickButton(list, ListDialog::kOk);
        });
    EXPECT_EQ(App().playerName, kDotted);
    EXPECT_TRUE(App().content.pages[kDonePage].done);

    // Deleting the accented player takes their folder only; the list keeps the rest even
    // though the dialog is then cancelled.
    WithPlayerList(
        [&](ListDialog& list)
        {
            ClickLine(list, 2);
            ClickDeleteMark(list);
            EXPECT_EQ(list.Players(), (std::vector<std::string>{first, kDotted}));
            EXPECT_EQ(list.list->selectIdx, 1) << "never the empty line";
            ClickButton(list, ListDialog::kCancel);
        },
        [&](Dialog& dialog)
        {
            auto* sure = dynamic_cast<DeleteDialog*>(&dialog);
            if (sure != nullptr)
                ClickButton(*sure, Dialog::kYesButtonId);
            return sure != nullptr;
        });
    EXPECT_FALSE(std::filesystem::exists(SaveOf(kAccented).parent_path()));
    EXPECT_TRUE(std::filesystem::exists(SaveOf(kDotted)));
    EXPECT_TRUE(std::filesystem::exists(SaveOf(first)));
    EXPECT_EQ(App().playerName, kDotted);
    EXPECT_EQ(App().allPlayers, "1|" + first + "|" + kDotted + "|");
}

TEST_F(Profiles, TheOnlyPlayerStaysAndEveryDialogCancels)
{
    SkipIntro();
    game.Step(5);
    const std::string only = App().playerName;
    std::vector<std::string> warnings;
    auto warnAndCancel = [&](Dialog& dialog)
    {
        if (auto* warning = dynamic_cast<WarningDialog*>(&dialog))
        {
            warnings.push_back(warning->header);
            ClickButton(*warning, Dialog::kYesButtonId);
            return true;
        }
        if (auto* input = dynamic_cast<InputDialog*>(&dialog))
        {
            EXPECT_TRUE(WaitInPlace(*input));
            game.Type("Nobody");
            if (warnings.empty())
                EscapeOn(*input);
            else
                ClickButton(*input, Dialog::kNoButtonId);
            return true;
        }
        return false;
    };
    WithPlayerList(
        [&](ListDialog& list)
        {
            ClickLine(list, 0);
            ClickDeleteMark(list);
            ASSERT_EQ(warnings, (std::vector<std::string>{App().texts.interface.list_lastsel}));
            ClickLine(list, 1); // cancelled with Escape
            ClickLine(list, 1); // cancelled with its button
            EXPECT_EQ(list.Players(), std::vector<std::string>{only});
            EscapeOn(list);
        },
        warnAndCancel);
    EXPECT_EQ(App().playerName, only);
    EXPECT_EQ(App().allPlayers, "0|" + only + "|");
    EXPECT_TRUE(std::filesystem::exists(SaveOf(only)));

    // A second player, then the delete question answered no both ways.
    WithPlayerList(
        [&](ListDialog& list)
        {
            ClickLine(list, 1);
            ClickDeleteMark(list);
            ClickDeleteMark(list);
            EXPECT_EQ(list.Players(), (std::vector<std::string>{only, "Ben"}));
            ClickButton(list, ListDialog::kCancel);
        },
        [&, answered = 0](Dialog& dialog) mutable
        {
            if (auto* input = dynamic_cast<InputDialog*>(&dialog))
            {
                EXPECT_TRUE(WaitInPlace(*input));
                game.Type("Ben");
                game.Key(Platform::KEYCODE_RETURN);
                return true;
            }
            auto* sure = dynamic_cast<DeleteDialog*>(&dialog);
            if (sure == nullptr)
                return false;
            if (answered++ == 0)
                EscapeOn(*sure);
            else
                ClickButton(*sure, Dialog::kNoButtonId);
            return true;
        });
    EXPECT_EQ(App().playerName, only);
    EXPECT_TRUE(std::filesystem::exists(SaveOf(only)));
}

TEST_F(Profiles, ANameThatWouldOverfillTheStoredListIsRefused)
{
    SkipIntro();
    game.Step(5);
    const std::string first = App().playerName;
    // Settings read a longer list back as empty: every player would be lost at the next save.
    std::vector<std::string> players{first, std::string(300, 'x'), std::string(300, 'y'), "z"};
    const size_t room = ProfileNames::kLongestList - 2 - ProfileNames::Format(int(players.size()), players).size();
    players[3] += std::string(room, 'z');
    ASSERT_TRUE(ProfileNames::Fits(players));
    App().allPlayers = ProfileNames::Format(0, players);
    const std::string stored = App().allPlayers;

    std::vector<std::string> warnings;
    int asked = 0;
    WithPlayerList(
        [&](ListDialog& list)
        {
            ClickLine(list, 4);
            EXPECT_EQ(list.Players(), players);
            ClickButton(list, ListDialog::kCancel);
        },
        [&](Dialog& dialog)
        {
            if (auto* warning = dynamic_cast<WarningDialog*>(&dialog))
            {
                warnings.push_back(warning->header);
                if (warnings.size() == 1 && WaitInPlace(*warning))
                    game.Screenshot("e2e/player-list-full.png");
                ClickButton(*warning, Dialog::kYesButtonId);
                return true;
            }
            auto* input = dynamic_cast<InputDialog*>(&dialog);
            if (input == nullptr)
                return false;
            EXPECT_TRUE(WaitInPlace(*input));
            // A new name that does not fit, then a name already listed, each asked again.
            if (asked < 2)
            {
                game.Type(asked++ == 0 ? "Ben" : first);
                ClickButton(*input, Dialog::kYesButtonId);
            }
            else
            {
                ++asked;
                EscapeOn(*input);
            }
            return true;
        });
    EXPECT_EQ(asked, 3) << "the name is asked again";
    EXPECT_EQ(warnings,
              (std::vector<std::string>{App().texts.interface.list_full, App().texts.interface.list_exists_name}));
    EXPECT_NE(App().texts.interface.list_full, App().texts.interface.list_exists_name);
    EXPECT_EQ(App().allPlayers, stored);
    EXPECT_FALSE(std::filesystem::exists(SaveOf("Ben").parent_path()));
}

TEST_F(Profiles, OkWithoutAChoiceWarnsAndTheListStays)
{
    SkipIntro();
    game.Step(5);
    const std::string current = App().playerName;
    App().allPlayers = "1|Anna|Ben|";
    std::vector<std::string> warnings;
    WithPlayerList(
        [&](ListDialog& list)
        {
            EXPECT_EQ(list.list->selectIdx, -1) << "the current player is not listed";
            ClickButton(list, ListDialog::kOk);
            EXPECT_EQ(warnings, std::vector<std::string>{App().texts.interface.list_nosel});
            EXPECT_FALSE(list.closing) << "warned before any slide-out";
            EXPECT_EQ(list.slideProgress, 1.0f);
            ClickButton(list, ListDialog::kCancel);
        },
        [&](Dialog& dialog)
        {
            auto* warning = dynamic_cast<WarningDialog*>(&dialog);
            if (warning != nullptr)
            {
                warnings.push_back(warning->header);
                ClickButton(*warning, Dialog::kYesButtonId);
            }
            return warning != nullptr;
        });
    EXPECT_EQ(App().playerName, current) << "Cancel changes no player";
}

TEST_F(Profiles, ClosingTheWindowAsksAndNoKeepsPlaying)
{
    SkipIntro();
    game.Step(5);
    App().answerOnItsOwn = false;
    int asked = 0;
    OnDialogs(
        [&](Dialog& dialog)
        {
            auto* exit = dynamic_cast<ExitDialog*>(&dialog);
            if (exit == nullptr)
                return false;
            ++asked;
            if (asked == 1)
            {
                EXPECT_TRUE(WaitInPlace(*exit));
                game.Screenshot("e2e/exit-dialog.png");
                ClickButton(*exit, Dialog::kNoButtonId);
            }
            else if (asked == 2)
                EscapeOn(*exit);
            else
            {
                EXPECT_TRUE(WaitInPlace(*exit));
                game.Driver().Close();
                game.Step(2);
                EXPECT_EQ(App().GetDialogCount(), 1) << "a second close asks no second time";
                ClickButton(*exit, Dialog::kYesButtonId);
            }
            return true;
        });
    game.Driver().Close();
    game.Step(20);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(App().isShutdown);

    game.Escape();
    game.Step(20);
    EXPECT_EQ(asked, 2) << "Escape on the cover asks too";
    EXPECT_FALSE(App().isShutdown);
    EXPECT_EQ(App().GetWidgetManager()->focusWidget, &Screen());

    game.Driver().Close();
    game.Step(20);
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(App().isShutdown);
}

} // namespace
} // namespace Vesk
