// The options dialog of the menu page and the pause dialog of a page being played, on the built
// game: the volumes and the screen mode change at once and are kept in the settings, the
// tutorial box reaches the player's option when the dialog has sunk out, the page clock stands
// still while the game is paused, and both close by their buttons and by Escape. One test hears
// the volumes: the game's mixer plays into SDL's disk driver and the test measures what it wrote.
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
#include "support/TestOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>
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

// The sound device of the game made next is SDL's disk driver, which writes the mixed output
// (44100 Hz, stereo, 16-bit) to a file under the build's test output as fast as a sound card
// would play it. A base class, so that it is in place before the game is created.
class DiskAudioDevice
{
protected:
    DiskAudioDevice() : recording(TestSupport::TestOutput::Path("e2e/options-heard.raw"))
    {
        std::filesystem::create_directories(recording.parent_path());
        std::filesystem::remove(recording);
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
    }
    ~DiskAudioDevice()
    {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::unsetenv("SDL_DISKAUDIOFILE");
    }

    // How much the device has written so far, in whole frames.
    uintmax_t Written() const
    {
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(recording, error);
        return error ? 0 : size / kFrameBytes * kFrameBytes;
    }

    // The root mean square of the samples the device writes from position from on during the
    // given real time (the game's clock stands still meanwhile; the device's thread does not).
    double RmsFrom(uintmax_t from, int milliseconds) const
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        const uintmax_t to = Written();
        std::ifstream file(recording, std::ios::binary);
        file.seekg(std::streamoff(from));
        std::vector<char> bytes(to > from ? size_t(to - from) : 0);
        file.read(bytes.data(), std::streamsize(bytes.size()));
        EXPECT_GE(bytes.size(), size_t(milliseconds / 2 * 44100 / 1000 * kFrameBytes))
            << "the device wrote too little in " << milliseconds << " ms";
        if (size_t(file.gcount()) != bytes.size() || bytes.empty())
            return -1;
        double sum = 0;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        {
            const double sample = int16_t(uint16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
            sum += sample * sample;
        }
        return std::sqrt(sum / double(bytes.size() / 2));
    }
    // The level over a window that starts once what was mixed before a change has been written
    // (a device buffer and the file's own buffer lie between the mixer and the file).
    double RmsFromNow(int milliseconds) const
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        return RmsFrom(Written(), milliseconds);
    }

    static constexpr uintmax_t kFrameBytes = 4;
    const std::filesystem::path recording;
};

class OptionsHeard : protected DiskAudioDevice, public OptionsPause
{
protected:
    // A click on the slider's track at fraction of its width (0 is the very left: silence).
    void ClickSlider(const Slider& slider, double fraction)
    {
        Click(slider.x + int(slider.width * fraction), slider.y + slider.height / 2);
    }
};

TEST_F(OptionsHeard, TheVolumeSlidersChangeWhatTheSoundDeviceWrites)
{
    // The menu's tune has faded in, and the device is playing.
    game.Seconds(3);
    for (int waited = 0; waited < 2000 && Written() == 0; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GT(Written(), 0u) << "the disk driver writes " << recording << "\nlog:\n" << game.Log();

    double loudMusic = -1;
    double quietMusic = -1;
    double noMusic = -1;
    double click = -1;
    double silentClick = -1;
    double silentTip = -1;
    uintmax_t before = 0;
    auto then = [&](std::function<void()> action)
    {
        script.Then(
            [action]
            {
                action();
                return true;
            });
        // The game takes the clicks in its next updates.
        script.Wait(3);
    };
    WaitInPlace([&] { return OptionsDialog(); });
    // The effects off (the slider's click is then silent), the music at full volume.
    then(
        [&]
        {
            ClickSlider(*OptionsDialog()->soundSlider, 0);
            ClickSlider(*OptionsDialog()->musicSlider, 0.98);
        });
    then(
        [&]
        {
            EXPECT_EQ(App().GetSfxVolume(), 0);
            loudMusic = RmsFromNow(500);
            ClickSlider(*OptionsDialog()->musicSlider, 0.25);
        });
    then(
        [&]
        {
            quietMusic = RmsFromNow(500);
            ClickSlider(*OptionsDialog()->musicSlider, 0);
        });
    // With the music off, the effects alone: the sound slider's click as it is let go.
    then(
        [&]
        {
            noMusic = RmsFromNow(300);
            before = Written();
            ClickSlider(*OptionsDialog()->soundSlider, 0.75);
        });
    then(
        [&]
        {
            click = RmsFrom(before, 400);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            before = Written();
            ClickSlider(*OptionsDialog()->soundSlider, 0);
        });
    then(
        [&]
        {
            silentClick = RmsFrom(before, 400);
            // The tutorial box's sound, at no volume, twice to leave the box as it was.
            before = Written();
            const Checkbox& tutorial = *OptionsDialog()->tutorialCheckbox;
            Click(tutorial.x + 5, tutorial.y + tutorial.height / 2);
            Click(tutorial.x + 5, tutorial.y + tutorial.height / 2);
        });
    then(
        [&]
        {
            silentTip = RmsFrom(before, 400);
            Click(*OptionsDialog(), OptionsDialog()->closeButton);
        });
    OpenOptions();
    ASSERT_TRUE(script.Finished());

    EXPECT_GT(loudMusic, 300) << "the menu's tune is heard";
    EXPECT_GT(quietMusic, loudMusic * 0.1) << "a quarter of the volume is still heard";
    EXPECT_LT(quietMusic, loudMusic * 0.5) << "a quarter of the volume is quieter";
    EXPECT_EQ(noMusic, 0) << "the music at no volume is silent";
    EXPECT_GT(click, 100) << "the slider's click at three quarters of the volume";
    EXPECT_EQ(silentClick, 0) << "effects at no volume are silent";
    EXPECT_EQ(silentTip, 0) << "effects at no volume are silent";
}

} // namespace
} // namespace Vesk
