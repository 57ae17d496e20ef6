#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Window.h"
#include "framework/platform/WindowMessage.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace Vesk
{

using namespace Platform;
using TestSupport::TestApp;
using TestSupport::TestDriver;

namespace
{

std::vector<uint32_t> QueuedMessages(VeskAppBase& app)
{
    std::vector<uint32_t> messages;
    for (const WindowMessage& message : app.GetDeferredMessages())
        messages.push_back(message.message);
    return messages;
}

struct VolumeLog : MusicInterface
{
    explicit VolumeLog(std::vector<double>& volumes) : volumes(volumes) {}
    void SetVolume(double volume) override { volumes.push_back(volume); }
    std::vector<double>& volumes;
};

struct FocusApp : TestApp
{
    std::vector<double> musicVolumes;
    int gained = 0;
    int lost = 0;
    MusicInterface* CreateMusicInterface() override { return new VolumeLog(musicVolumes); }
    void GotFocus() override { ++gained; }
    void LostFocus() override { ++lost; }
};

} // namespace

TEST(WindowInputTest, TheQueueCoalescesTimersAndDisplayChangesAndTakesNothingAfterAClose)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    driver.Pump();

    for (int i = 0; i < 5; ++i)
        driver.Send(WM_TIMER, 100);
    driver.MoveTo(10, 10);
    driver.Send(WM_TIMER, 100);
    driver.Send(WM_TIMER, 100);
    driver.Send(WM_SYSCOLORCHANGE);
    driver.Send(WM_DISPLAYCHANGE);
    driver.Send(WM_SYSCOLORCHANGE);
    EXPECT_EQ(QueuedMessages(app), (std::vector<uint32_t>{WM_TIMER, WM_MOUSEMOVE, WM_TIMER, WM_SYSCOLORCHANGE}));

    driver.Close();
    driver.Send(WM_KEYDOWN, 'A');
    driver.Send(WM_CLOSE);
    driver.MoveTo(20, 20);
    EXPECT_EQ(QueuedMessages(app).size(), 5u);
    EXPECT_EQ(QueuedMessages(app).back(), static_cast<uint32_t>(WM_CLOSE));

    driver.Pump();
    EXPECT_TRUE(app.isShutdown);
    EXPECT_TRUE(app.closing);
    EXPECT_TRUE(app.board->Lines("key").empty());
}

TEST(WindowInputTest, AltEnterTogglesTheScreenModeUnlessAModeWasForced)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    ASSERT_TRUE(app.windowed);
    ASSERT_TRUE(app.physicallyWindowed);

    driver.PressKey(KEYCODE_RETURN, TestDriver::Alt);
    driver.Pump();
    EXPECT_FALSE(app.windowed);
    EXPECT_FALSE(app.physicallyWindowed);
    EXPECT_TRUE(app.GetWindow()->IsFullScreen());
    // The Enter went to the system, not to the game; the key states are clear.
    EXPECT_TRUE(app.board->Lines("key 13").empty());
    EXPECT_TRUE(app.board->Lines("char").empty());
    EXPECT_FALSE(app.GetWidgetManager()->keyDown[KEYCODE_MENU]);

    driver.PressKey(KEYCODE_RETURN, TestDriver::Alt);
    driver.Pump();
    EXPECT_TRUE(app.windowed);
    EXPECT_TRUE(app.physicallyWindowed);
    EXPECT_FALSE(app.GetWindow()->IsFullScreen());

    app.forceWindowed = true;
    driver.PressKey(KEYCODE_RETURN, TestDriver::Alt);
    driver.Pump();
    EXPECT_TRUE(app.windowed);
    EXPECT_EQ(app.board->Lines("key 13").size(), 1u);

    // Alt+F4 closes the window.
    driver.PressKey(KEYCODE_F4, TestDriver::Alt);
    driver.Pump();
    EXPECT_TRUE(app.isShutdown);
}

TEST(WindowInputTest, WindowPlacementCentresOrKeepsTheWindowInsideTheWorkArea)
{
    int x = 0;
    int y = 0;
    VeskAppBase::PlaceWindow(0, 0, 1920, 1040, 806, 629, -1, -1, x, y);
    EXPECT_EQ(x, (1920 - 806) / 2);
    EXPECT_EQ(y, static_cast<int>((1040 - 629) * 0.382));

    VeskAppBase::PlaceWindow(0, 30, 1920, 1010, 806, 629, 5000, -300, x, y);
    EXPECT_EQ(x, 1920 - 4 - 806);
    EXPECT_EQ(y, 30 + 4);

    VeskAppBase::PlaceWindow(100, 0, 1820, 1040, 806, 629, -50, 2000, x, y);
    EXPECT_EQ(x, 104);
    EXPECT_EQ(y, 1040 - 4 - 629);

    VeskAppBase::PlaceWindow(0, 0, 1920, 1040, 806, 629, 300, 200, x, y);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 200);

    // A new window is placed by the same rule on the desktop it opens on.
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    IntRect work = Window::GetWorkArea();
    IntRect borders = app.GetWindow()->GetBorders();
    int expectedX = 0;
    int expectedY = 0;
    VeskAppBase::PlaceWindow(work.x, work.y, work.width, work.height, 800 + borders.x + borders.width,
                             600 + borders.y + borders.height, -1, -1, expectedX, expectedY);
    app.GetWindow()->GetPosition(x, y);
    EXPECT_EQ(x, expectedX);
    EXPECT_EQ(y, expectedY);
}

TEST(WindowInputTest, LosingFocusMutesAndReleasesHeldKeysAndButtons)
{
    TestDriver driver;
    auto& app = driver.Create<FocusApp>();
    ASSERT_TRUE(driver.Launch());
    driver.RunUpdates(2);
    ASSERT_FALSE(app.musicVolumes.empty());
    EXPECT_DOUBLE_EQ(app.musicVolumes.back(), 0.85);

    driver.KeyDown('W');
    driver.Press(100, 100);
    driver.Pump();
    EXPECT_TRUE(app.mouseCaptured);
    app.board->Clear();

    driver.SetFocus(false);
    driver.Pump();
    EXPECT_TRUE(app.IsMuted());
    EXPECT_DOUBLE_EQ(app.musicVolumes.back(), 0.0);
    EXPECT_EQ(app.lost, 1);
    EXPECT_FALSE(app.mouseCaptured);
    EXPECT_EQ(app.board->log, (std::vector<std::string>{"keyup 87", "focus-", "release 100,100 1"}));

    driver.SetFocus(true);
    driver.Pump();
    EXPECT_FALSE(app.IsMuted());
    EXPECT_DOUBLE_EQ(app.musicVolumes.back(), 0.85);
    EXPECT_EQ(app.gained, 1);

    // A player's own mute survives focus changes; with muting on focus loss off nothing changes.
    app.Mute();
    driver.SetFocus(false);
    driver.SetFocus(true);
    driver.Pump();
    EXPECT_TRUE(app.IsMuted());
    app.Unmute();
    EXPECT_FALSE(app.IsMuted());
    app.muteOnLostFocus = false;
    driver.SetFocus(false);
    driver.Pump();
    EXPECT_FALSE(app.IsMuted());
}

TEST(WindowInputTest, MakeWindowTakesTheFocusFromTheActiveWindow)
{
    TestDriver driver;
    auto& app = driver.Create<FocusApp>();
    ASSERT_TRUE(driver.Launch());
    driver.SetFocus(false);
    driver.Pump();
    ASSERT_TRUE(app.IsMuted());
    app.board->Clear();

    // The window is made again (full screen) and is the active one: headless, an open window is.
    ASSERT_TRUE(app.GetWindow()->HasInputFocus());
    app.SwitchScreenMode(false);
    EXPECT_TRUE(app.hasFocus);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(app.gained, 1);
    EXPECT_EQ(app.board->log, (std::vector<std::string>{"focus+"}));
}

TEST(WindowInputTest, ClickCodesAndCaptureWhileAButtonStaysHeld)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());

    driver.DoubleClick(30, 40, -1);
    driver.Click(31, 41, 3);
    driver.DoubleClick(32, 42, 1);
    driver.Pump();
    EXPECT_EQ(app.board->Lines("press"), (std::vector<std::string>{"press 30,40 -1", "press 30,40 -2", "press 31,41 3",
                                                                   "press 32,42 1", "press 32,42 2"}));
    EXPECT_FALSE(app.mouseCaptured);

    app.board->Clear();
    driver.Press(50, 50, 1);
    driver.Press(50, 50, -1);
    driver.Release(50, 50, 1);
    driver.Pump();
    EXPECT_TRUE(app.mouseCaptured);
    EXPECT_EQ(app.GetWidgetManager()->capturedWidget, app.board.get());
    driver.MoveTo(60, 70);
    driver.Release(60, 70, -1);
    driver.Pump();
    EXPECT_FALSE(app.mouseCaptured);
    EXPECT_EQ(app.GetWidgetManager()->capturedWidget, nullptr);
    EXPECT_EQ(app.board->Lines("release"), (std::vector<std::string>{"release 50,50 1", "release 60,70 -1"}));
    // Every button message moves the pointer first; with a button held that is a drag.
    EXPECT_EQ(app.board->Lines("drag"),
              (std::vector<std::string>{"drag 50,50", "drag 50,50", "drag 60,70", "drag 60,70"}));

    driver.Wheel(-2);
    driver.Pump();
    EXPECT_EQ(app.board->Lines("wheel"), (std::vector<std::string>{"wheel -2"}));
}

TEST(WindowInputTest, KeysAndTheCharactersTheWindowSystemTypes)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    driver.PressKey(KEYCODE_ESCAPE);
    driver.PressKey('C', TestDriver::Ctrl);
    driver.Type("a\xE9");
    // Alt+R is a system character the game swallows.
    driver.PressKey('R', TestDriver::Alt);
    driver.Pump();
    EXPECT_EQ(app.board->Lines("char"), (std::vector<std::string>{"char 27", "char 3", "char 97", "char 233"}));
    EXPECT_EQ(app.board->Lines("key "),
              (std::vector<std::string>{"key 27", "key 17", "key 67", "key 65", "key 18", "key 82"}));
    EXPECT_FALSE(app.heldCtrl);
    EXPECT_FALSE(app.heldAlt);
}

TEST(WindowInputTest, CursorsAndTheSoftwareCursorOnThePresentedFrame)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    app.Fill(0xFF000000u);
    MemoryImage red(&app.GetImageSet());
    std::vector<uint32_t> redPixels(16, 0xFFFF0000u);
    red.SetBits(redPixels.data(), 4, 4);
    app.SetCursorImage(12, &red, 1, 1);
    app.SetCursorImage(1, &red, 1, 1);

    driver.MoveTo(100, 100);
    app.SetCursor(12); // the board cursor is always drawn by the game
    driver.RunUpdates(3);
    EXPECT_EQ(app.GetCursor(), 12);
    ASSERT_EQ(driver.PresentedFrame().size(), 800u * 600u);
    EXPECT_EQ(driver.PresentedFrame()[99 * 800 + 99], 0xFFFF0000u);
    EXPECT_EQ(driver.PresentedFrame()[102 * 800 + 102], 0xFFFF0000u);
    EXPECT_EQ(driver.PresentedFrame()[103 * 800 + 103], 0xFF000000u);
    EXPECT_EQ(driver.Pixel(100, 100), 0xFF000000u); // the screen image is untouched

    // The cursor follows the pointer even when nothing else changes.
    driver.MoveTo(300, 200);
    driver.RunUpdates(3);
    EXPECT_EQ(driver.PresentedFrame()[199 * 800 + 299], 0xFFFF0000u);
    EXPECT_EQ(driver.PresentedFrame()[99 * 800 + 99], 0xFF000000u);

    // Other numbers use their picture only with custom cursors on.
    app.SetCursor(1);
    driver.RunUpdates(3);
    EXPECT_EQ(driver.PresentedFrame()[199 * 800 + 299], 0xFF000000u);
    app.EnableCustomCursors(true);
    driver.RunUpdates(3);
    EXPECT_EQ(driver.PresentedFrame()[199 * 800 + 299], 0xFFFF0000u);

    // Leaving the window hides it.
    driver.PointerLeaves();
    driver.RunUpdates(3);
    EXPECT_FALSE(app.mouseInWindow);
    EXPECT_EQ(app.board->Lines("leave").size(), 1u);
    EXPECT_EQ(driver.PresentedFrame()[199 * 800 + 299], 0xFF000000u);
    app.SetCursorImage(12, nullptr);
    app.SetCursorImage(1, nullptr);
}

TEST(WindowInputTest, DebugKeysTakeScreenshotsAndDumpImages)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    app.Fill(0xFF204060u);

    // Off by default: the game sees the key.
    driver.PressKey(KEYCODE_F11);
    driver.Pump();
    EXPECT_EQ(app.board->Lines("key 122").size(), 1u);
    std::filesystem::path shots = std::filesystem::path(app.GetAppDataFolder()) / "_screenshots";
    EXPECT_FALSE(std::filesystem::exists(shots));

    app.debugKeysEnabled = true;
    driver.PressKey(KEYCODE_F11);
    driver.PressKey(KEYCODE_F11);
    driver.PressKey(KEYCODE_F11, TestDriver::Shift);
    driver.Pump();
    EXPECT_TRUE(std::filesystem::exists(shots / "image1.png"));
    EXPECT_TRUE(std::filesystem::exists(shots / "image2.png"));
    std::filesystem::path dump = std::filesystem::path(app.GetAppDataFolder()) / "_dump";
    EXPECT_TRUE(std::filesystem::exists(dump / "imagelist.html"));
    EXPECT_NE(driver.Folder().ReadFile((dump / "imagelist.html").string()).find("Total Image Allocation:"),
              std::string::npos);
    EXPECT_EQ(app.board->Lines("key 122").size(), 1u);

    driver.PressKey(KEYCODE_F8, TestDriver::Shift);
    driver.Pump();
    ASSERT_FALSE(driver.MessageBoxes().empty());
    EXPECT_EQ(driver.MessageBoxes().back().caption, "Mode Switch");
    EXPECT_EQ(driver.MessageBoxes().back().text, std::string("3D-Mode: ") + (app.Is3DAccelerated() ? "ON" : "OFF"));
}

} // namespace Vesk
