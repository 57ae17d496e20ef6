// The options dialog of the menu page and the pause dialog of a page being played, on the built
// game: the volumes and the screen mode change at once and are kept in the settings, the
// tutorial box reaches the player's option when the dialog has sunk out, the page clock stands
// still while the game is paused, and both close by their buttons and by Escape.
#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/Board.h"
#include "dialogs/Options.h"
#include "dialogs/Pause.h"
#include "framework/graphics/Image.h"
#include "framework/platform/Clock.h"
#include "framework/platform/Window.h"
#include "framework/platform/WindowMessage.h"
#include "framework/sound/MixerSoundManager.h"
#include "framework/sound/StreamingMusicInterface.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/Slider.h"
#include "framework/widgets/WidgetManager.h"
#include "publication/Cover.h"
#include "publication/Page.h"
#include "support/GameDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// The first page of the first set, a hidden-object page.
constexpr int kFirstGamePage = 2;

// Plays the player's part while the game waits in a dialog's own loop, where the test cannot
// step the game itself: the actions are queued before the dialog opens, and this widget, which
// ticks on every update (widgets under a modal dialog keep ticking), runs them in turn. An
// action returning false runs again at the next update. Should the dialog outlive its script by
// far, the test fails and the dialogs are killed, so that the wait ends.
class DialogScript : public Widget
{
public:
    explicit DialogScript(GameApp& app) : app(app) {}

    void Then(std::function<bool()> action)
    {
        actions.push_back(std::move(action));
        idle = 0;
    }
    void Wait(int updates)
    {
        Then([left = updates]() mutable { return --left <= 0; });
    }
    bool Finished() const { return next == actions.size(); }

    void Tick() override
    {
        Widget::Tick();
        if (next < actions.size())
        {
            if (actions[next]())
                ++next;
            return;
        }
        if (++idle == 3000 && (app.GetDialog(SettingsDialog::kDialogId) || app.GetDialog(Pause::kPauseDialogId)))
        {
            ADD_FAILURE() << "the dialog stayed after its script";
            app.KillDialog(SettingsDialog::kDialogId);
            app.KillDialog(Pause::kPauseDialogId);
        }
    }

private:
    GameApp& app;
    std::vector<std::function<bool()>> actions;
    size_t next = 0;
    int idle = 0;
};

class OptionsPause : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Launch());
        App().GetWidgetManager()->AddChild(&script);
        // No erase tutorial over the first page.
        App().sceneOption = false;
        const auto& desktop = App().config.desktop;
        Screen().modeZoom[0] = float(desktop.DT1 + desktop.DT2 + desktop.DT3 + desktop.DT4);
        game.Step(2);
    }

    void TearDown() override
    {
        if (script.manager != nullptr)
            App().GetWidgetManager()->RemoveChild(&script);
    }

    GameApp& App() { return game.Game(); }
    Page& Screen() { return *game.Game().pageScreen; }
    TestSupport::TestDriver& Driver() { return game.Driver(); }

    Options* OptionsDialog() { return dynamic_cast<Options*>(App().GetDialog(SettingsDialog::kDialogId)); }
    Pause* PauseDialog() { return dynamic_cast<Pause*>(App().GetDialog(Pause::kPauseDialogId)); }

    // A click on the middle of a drawn button or of a control, in screen coordinates.
    void Click(const SettingsDialog& dialog, const SettingsDialog::DrawnButton& button)
    {
        const int h = IMAGE_BLH_SIMPLE != nullptr ? IMAGE_BLH_SIMPLE->GetHeight() : 0;
        Click(dialog.x + button.x + button.w / 2, dialog.y + button.y + h / 2);
    }
    // In full screen the game's picture is scaled into the window, and the pointer with it.
    void Click(int x, int y)
    {
        const Platform::IntRect picture = App().GetWindow()->GetPictureRect();
        if (picture.width > 0 && picture.height > 0)
        {
            x = picture.x + (x * picture.width + picture.width / 2) / App().width;
            y = picture.y + (y * picture.height + picture.height / 2) / App().height;
        }
        Driver().MoveTo(x, y);
        Driver().Click(x, y);
    }

    // Queues a wait until the dialog lies in place.
    void WaitInPlace(const std::function<SettingsDialog*()>& dialog)
    {
        script.Then([dialog] { return dialog() != nullptr && dialog()->slideProgress == 1.0f; });
    }

    // The contents page, then the page's title.
    bool PlayFirstGamePage()
    {
        ButtonWidget& play = *Screen().playButton;
        game.Click(play.x + play.width / 2, play.y + play.height / 2);
        if (!game.WaitUntil([&] { return Screen().currentPage == 1 && !Screen().Flipping(); }, 1000, "the contents"))
            return false;
        for (const ContentsEntry& entry : App().content.titles)
        {
            if (entry.page != kFirstGamePage)
                continue;
            const int boardX = App().config.common.BoardX;
            const int boardY = App().config.common.BoardY;
            game.MoveTo(boardX + entry.x + std::min(20, entry.w / 2), boardY + entry.y + 2);
            game.Click(boardX + entry.x + std::min(20, entry.w / 2), boardY + entry.y + 2);
        }
        return game.WaitUntil(
            [&]
            {
                return !Screen().IsPublicationShown() && Screen().currentPage == kFirstGamePage &&
                       App().board->openSignalled && Screen().ListSlide() == 0;
            },
            3000, "the board plays the first page");
    }

    void OpenOptions()
    {
        ButtonWidget& options = *Screen().optionsButton;
        Click(options.x + options.width / 2, options.y + options.height / 2);
        // The loop may stand between a dialog's end and the next update: the click waits for it.
        game.Step(2);
    }

    GameDriver game;
    DialogScript script{game.Game()};
};

TEST_F(OptionsPause, EscapePausesThePageClockUntilContinue)
{
    ASSERT_TRUE(PlayFirstGamePage());
    game.Seconds(1);
    Board& board = *App().board;
    const uint32_t playedBefore = Platform::Clock::GetTickCount() - board.pageStartTime;

    Pause* pause = nullptr;
    WaitInPlace([&] { return PauseDialog(); });
    script.Then(
        [&]
        {
            EXPECT_TRUE(Screen().pauseOpen);
            game.Screenshot("e2e/pause.png");
            // A second Escape opens no second dialog.
            pause = PauseDialog();
            Driver().PressKey(Platform::KEYCODE_ESCAPE);
            return true;
        });
    script.Wait(300);
    script.Then(
        [&]
        {
            EXPECT_EQ(PauseDialog(), pause);
            EXPECT_EQ(App().GetWidgetManager()->modalBase, pause);
            EXPECT_EQ(pause->slideProgress, 1.0f);
            Click(*PauseDialog(), PauseDialog()->continueButton);
            return true;
        });
    game.Escape();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(PauseDialog(), nullptr);
    EXPECT_FALSE(Screen().pauseOpen);
    EXPECT_EQ(App().GetWidgetManager()->focusWidget, &Screen());

    // Some 4 s passed in the pause; the page counts none of them.
    game.Step();
    const uint32_t playedAfter = Platform::Clock::GetTickCount() - board.pageStartTime;
    EXPECT_LE(playedAfter - playedBefore, 50u);
    game.Seconds(1);
    EXPECT_GE(Platform::Clock::GetTickCount() - board.pageStartTime, playedAfter + 900) << "the clock runs again";

    // Escape held past the slide-in closes the dialog as soon as it is in place.
    Driver().KeyDown(Platform::KEYCODE_ESCAPE);
    int inPlaceUpdates = 0;
    script.Then(
        [&]
        {
            if (PauseDialog() != nullptr && PauseDialog()->slideProgress == 1.0f)
                ++inPlaceUpdates;
            return PauseDialog() != nullptr && PauseDialog()->closing;
        });
    script.Then(
        [&]
        {
            Driver().KeyUp(Platform::KEYCODE_ESCAPE);
            return true;
        });
    game.Step();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(inPlaceUpdates, 1);
    EXPECT_FALSE(Screen().pauseOpen);
    EXPECT_FALSE(App().isShutdown);

    // Quitting from the pause keeps a tutorial box changed on the way out.
    game.Step(2);
    WaitInPlace([&] { return PauseDialog(); });
    script.Then(
        [&]
        {
            const Checkbox& tutorial = *PauseDialog()->tutorialCheckbox;
            Click(tutorial.x + 5, tutorial.y + tutorial.height / 2);
            Click(*PauseDialog(), PauseDialog()->exitButton);
            return true;
        });
    game.Escape();
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(App().isShutdown);
    EXPECT_TRUE(App().sceneOption);
}

TEST_F(OptionsPause, OptionsChangeVolumesScreenModeAndTutorialAndKeepThem)
{
    auto* music = dynamic_cast<StreamingMusicInterface*>(App().GetMusicInterface());
    auto* sounds = dynamic_cast<MixerSoundManager*>(App().GetSoundManager());
    ASSERT_NE(music, nullptr);
    ASSERT_NE(sounds, nullptr);
    ASSERT_TRUE(App().windowed) << "a new player's game starts in a window";
    const bool was3D = App().Is3DAccelerated();
    double musicVolume = -1;
    double sfxVolume = -1;

    WaitInPlace([&] { return OptionsDialog(); });
    script.Then(
        [&]
        {
            Options& options = *OptionsDialog();
            game.Screenshot("e2e/options.png");
            EXPECT_TRUE(options.tutorialCheckbox->IsChecked() == App().sceneOption);
            EXPECT_FALSE(options.fullScreenCheckbox->IsChecked());
            const Slider& musicSlider = *options.musicSlider;
            Click(musicSlider.x + musicSlider.width / 4, musicSlider.y + musicSlider.height / 2);
            const Slider& soundSlider = *options.soundSlider;
            Click(soundSlider.x + soundSlider.width * 3 / 4, soundSlider.y + soundSlider.height / 2);
            return true;
        });
    script.Wait(2);
    script.Then(
        [&]
        {
            Options& options = *OptionsDialog();
            musicVolume = App().GetMusicVolume();
            sfxVolume = App().GetSfxVolume();
            EXPECT_EQ(musicVolume, options.musicSlider->value);
            EXPECT_EQ(sfxVolume, options.soundSlider->value);
            EXPECT_GT(sfxVolume, musicVolume + 0.3);
            EXPECT_EQ(music->GetGlobalVolume(), int(musicVolume * 100)) << "heard at once";
            EXPECT_EQ(sounds->GetVolumeScale(), sfxVolume);
            const Checkbox& tutorial = *options.tutorialCheckbox;
            Click(tutorial.x + 5, tutorial.y + tutorial.height / 2);
            const Checkbox& fullScreen = *options.fullScreenCheckbox;
            Click(fullScreen.x + 5, fullScreen.y + fullScreen.height / 2);
            return true;
        });
    script.Wait(2);
    // The desktop hands the new window the focus.
    script.Then(
        [&]
        {
            Driver().SetFocus(true);
            return true;
        });
    script.Wait(2);
    script.Then(
        [&]
        {
            EXPECT_FALSE(App().windowed) << "seen at once";
            EXPECT_TRUE(App().GetWindow()->IsFullScreen());
            EXPECT_EQ(App().Is3DAccelerated(), was3D);
            EXPECT_FALSE(App().sceneOption) << "the tutorial box counts once the dialog has sunk out";
            EXPECT_TRUE(OptionsDialog()->tutorialCheckbox->IsChecked());
            // A game that may not run in a window keeps the box ticked.
            App().forceFullScreen = true;
            const Checkbox& fullScreen = *OptionsDialog()->fullScreenCheckbox;
            Click(fullScreen.x + 5, fullScreen.y + fullScreen.height / 2);
            return true;
        });
    script.Wait(2);
    script.Then(
        [&]
        {
            EXPECT_TRUE(OptionsDialog()->fullScreenCheckbox->IsChecked());
            EXPECT_FALSE(App().windowed);
            App().forceFullScreen = false;
            Click(*OptionsDialog(), OptionsDialog()->closeButton);
            return true;
        });
    OpenOptions();
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(OptionsDialog(), nullptr);
    EXPECT_TRUE(App().sceneOption);
    EXPECT_EQ(App().GetWidgetManager()->focusWidget, &Screen());

    // Escape closes it too, without reaching the menu page (where it would quit).
    WaitInPlace([&] { return OptionsDialog(); });
    script.Then(
        [&]
        {
            Driver().KeyDown(Platform::KEYCODE_ESCAPE);
            return true;
        });
    script.Then([&] { return OptionsDialog()->closing; });
    script.Then(
        [&]
        {
            Driver().KeyUp(Platform::KEYCODE_ESCAPE);
            return true;
        });
    OpenOptions();
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(OptionsDialog(), nullptr);
    EXPECT_FALSE(App().isShutdown);

    // Kept in the settings for the next start.
    App().GetWidgetManager()->RemoveChild(&script);
    ASSERT_TRUE(game.Relaunch());
    EXPECT_EQ(App().GetMusicVolume(), int(musicVolume * 100) / 100.0);
    EXPECT_EQ(App().GetSfxVolume(), int(sfxVolume * 100) / 100.0);
    EXPECT_FALSE(App().windowed);
    EXPECT_TRUE(App().sceneOption);
}

} // namespace
} // namespace Vesk
