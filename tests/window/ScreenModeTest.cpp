// The options dialog's full-screen box on a real X window: the built game runs on SDL's x11 video
// driver (a virtual X server from with-x-display.sh), the box is ticked and unticked in the
// dialog, and the window SDL holds changes its mode and size each time.
#include "app/GameApp.h"
#include "app/Resources.h"
#include "dialogs/Options.h"
#include "framework/platform/Window.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/WidgetManager.h"
#include "publication/Page.h"
#include "support/GameDriver.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// The game's one SDL window (the game makes no other).
SDL_Window* GameWindow()
{
    for (Uint32 id = 1; id < 64; ++id)
    {
        if (SDL_Window* window = SDL_GetWindowFromID(id))
            return window;
    }
    return nullptr;
}

struct WindowState
{
    bool fullScreen = false;
    int width = 0;
    int height = 0;
};

WindowState StateOf(SDL_Window* window)
{
    WindowState state;
    if (window == nullptr)
        return state;
    state.fullScreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_GetWindowSize(window, &state.width, &state.height);
    return state;
}

class ScreenMode : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0')
            GTEST_SKIP() << "no X display: run this test through tests/window/with-x-display.sh (ctest does), "
                            "which starts a virtual X server when xvfb-run is installed (Debian package xvfb)";
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_TRUE(game.Launch());
        // Past the desk intro, and the first start's name taken as offered.
        const auto& desktop = App().config.desktop;
        App().pageScreen->modeZoom[0] = float(desktop.DT1 + desktop.DT2 + desktop.DT3 + desktop.DT4);
        game.Step(5);
    }

    TestSupport::TestGameApp& App() { return game.Game(); }
    Options* OptionsDialog() { return dynamic_cast<Options*>(App().GetDialog(SettingsDialog::kDialogId)); }

    // A click at a point of the game's picture, which full screen scales into the window.
    void Click(int x, int y)
    {
        const Platform::IntRect picture = App().GetWindow()->GetPictureRect();
        if (picture.width > 0 && picture.height > 0)
        {
            x = picture.x + (x * picture.width + picture.width / 2) / App().width;
            y = picture.y + (y * picture.height + picture.height / 2) / App().height;
        }
        game.Click(x, y);
    }
    void ClickFullScreenBox()
    {
        const Checkbox& box = *OptionsDialog()->fullScreenCheckbox;
        Click(box.x + 5, box.y + box.height / 2);
    }

    // Runs the game (which takes the X server's events in its updates) until the window is in
    // the wanted mode, for at most five seconds of real time: the window manager and the server
    // answer at their own pace.
    WindowState WaitForMode(bool fullScreen, int width, int height)
    {
        WindowState state;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        do
        {
            game.Step();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            state = StateOf(GameWindow());
        } while ((state.fullScreen != fullScreen || state.width != width || state.height != height) &&
                 std::chrono::steady_clock::now() < until);
        return state;
    }

    GameDriver game;
};

TEST_F(ScreenMode, TheFullScreenBoxSwitchesTheRealWindowAndBack)
{
    SDL_Window* window = GameWindow();
    ASSERT_NE(window, nullptr) << "the game made no SDL window";
    ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
    SDL_Rect desktop{};
    ASSERT_EQ(SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &desktop), 0) << SDL_GetError();
    ASSERT_GT(desktop.w, App().width) << "the screen is larger than the game's picture";
    const WindowState before = StateOf(window);
    EXPECT_FALSE(before.fullScreen) << "a new player's game starts in a window";
    EXPECT_EQ(before.width, App().width);
    EXPECT_EQ(before.height, App().height);

    WindowState full;
    WindowState back;
    bool played = false;
    App().onDialog = [&](Dialog& dialog)
    {
        if (&dialog != OptionsDialog())
            return false;
        played = true;
        if (!game.WaitUntil([&] { return OptionsDialog()->slideProgress == 1.0f; }, 500, "the options in place"))
            return true;
        ClickFullScreenBox();
        full = WaitForMode(true, desktop.w, desktop.h);
        game.Screenshot("window/options-full-screen.png");
        EXPECT_TRUE(OptionsDialog()->fullScreenCheckbox->IsChecked());
        ClickFullScreenBox();
        back = WaitForMode(false, App().width, App().height);
        EXPECT_FALSE(OptionsDialog()->fullScreenCheckbox->IsChecked());
        const SettingsDialog::DrawnButton& close = OptionsDialog()->closeButton;
        const int h = IMAGE_BLH_SIMPLE != nullptr ? IMAGE_BLH_SIMPLE->GetHeight() : 0;
        Click(OptionsDialog()->x + close.x + close.w / 2, OptionsDialog()->y + close.y + h / 2);
        return true;
    };
    const ButtonWidget& options = *App().pageScreen->optionsButton;
    Click(options.x + options.width / 2, options.y + options.height / 2);
    ASSERT_TRUE(game.WaitUntil([&] { return OptionsDialog() == nullptr; }, 1000, "the options closed"));
    App().onDialog = {};
    ASSERT_TRUE(played) << "the options dialog did not open";

    EXPECT_TRUE(full.fullScreen) << "the window's flags";
    EXPECT_EQ(full.width, desktop.w) << "the window covers the screen";
    EXPECT_EQ(full.height, desktop.h);
    EXPECT_FALSE(back.fullScreen);
    EXPECT_EQ(back.width, App().width) << "the window has the game's size again";
    EXPECT_EQ(back.height, App().height);
    EXPECT_TRUE(App().windowed);
}

} // namespace
} // namespace Vesk
