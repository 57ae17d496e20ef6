#include "framework/platform/Window.h"

#include "framework/platform/Clock.h"
#include "framework/platform/InstanceLock.h"
#include "framework/platform/WindowMessage.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace Vesk::Platform
{

namespace
{

// SDL key codes and modifier bits, as the keyboard delivers them.
constexpr int32_t kSdlScancodeMask = 1 << 30;
constexpr int32_t kSdlF1 = 58 | kSdlScancodeMask;
constexpr int32_t kSdlLeft = 80 | kSdlScancodeMask;
constexpr int32_t kSdlLeftCtrl = 224 | kSdlScancodeMask;
constexpr int32_t kSdlLeftAlt = 226 | kSdlScancodeMask;

std::vector<WindowMessage> Drain(Window& window)
{
    std::vector<WindowMessage> messages;
    WindowMessage message;
    while (window.PollMessage(message))
    {
        if (message.message == WM_KEYDOWN || message.message == WM_KEYUP || message.message == WM_CHAR ||
            message.message == WM_SYSKEYDOWN || message.message == WM_SYSKEYUP || message.message == WM_SYSCHAR)
            messages.push_back(message);
    }
    return messages;
}

std::string Describe(const std::vector<WindowMessage>& messages)
{
    std::string text;
    for (const WindowMessage& message : messages)
    {
        const char* name = message.message == WM_KEYDOWN      ? "down"
                           : message.message == WM_KEYUP      ? "up"
                           : message.message == WM_CHAR       ? "char"
                           : message.message == WM_SYSKEYDOWN ? "sysdown"
                           : message.message == WM_SYSKEYUP   ? "sysup"
                                                              : "syschar";
        text += std::string(name) + " " + std::to_string(message.wParam) + "; ";
    }
    return text;
}

} // namespace

TEST(WindowTest, KeysBecomeVirtualKeyMessagesWithTheCharactersTheGameExpects)
{
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::string error;
    ASSERT_TRUE(Window::StartVideo(error)) << error;
    {
        Window window;
        ASSERT_EQ(window.Create(WindowRequest()), RESULT_OK) << window.GetErrorText();
        Drain(window);

        Window::SimulateKey(27, true); // Escape
        Window::SimulateKey(27, false);
        Window::SimulateKey('\r', true);
        Window::SimulateKey('\b', true);
        Window::SimulateKey('\t', true);
        Window::SimulateKey(kSdlF1, true);
        Window::SimulateKey(kSdlLeft, true);
        EXPECT_EQ(Describe(Drain(window)),
                  "down 27; char 27; up 27; down 13; char 13; down 8; char 8; down 9; char 9; down 112; down 37; ");

        // Control+letter types 1..26; the letter itself gives no text.
        Window::SimulateKey(kSdlLeftCtrl, true);
        Window::SimulateKey('c', true);
        Window::SimulateKey('c', false);
        Window::SimulateKey('v', true);
        Window::SimulateKey(kSdlLeftCtrl, false);
        EXPECT_EQ(Describe(Drain(window)), "down 17; down 67; char 3; up 67; down 86; char 22; up 17; ");

        // With Alt held keys are system keys; Alt+Enter types a system character.
        Window::SimulateKey(kSdlLeftAlt, true);
        Window::SimulateKey('\r', true);
        Window::SimulateKey('\r', false);
        Window::SimulateKey(kSdlLeftAlt, false);
        EXPECT_EQ(Describe(Drain(window)), "sysdown 18; sysdown 13; syschar 13; sysup 13; sysup 18; ");

        // Typed text arrives as Latin-1; characters beyond it are dropped.
        Window::SimulateText("a\xC3\xA9\xE2\x82\xAC!");
        EXPECT_EQ(Describe(Drain(window)), "char 97; char 233; char 33; ");
    }
    Window::StopVideo();
}

TEST(WindowTest, KeyCodesFollowTheVirtualKeyNumbers)
{
    EXPECT_EQ(KeyCodeFromSdl('a'), 'A');
    EXPECT_EQ(KeyCodeFromSdl('z'), 'Z');
    EXPECT_EQ(KeyCodeFromSdl('7'), '7');
    EXPECT_EQ(KeyCodeFromSdl(' '), 32);
    EXPECT_EQ(KeyCodeFromSdl(kSdlF1 + 11), KEYCODE_F12);
    EXPECT_EQ(KeyCodeFromSdl(kSdlLeft), KEYCODE_LEFT);
    EXPECT_EQ(KeyCodeFromSdl(kSdlLeft + 2), KEYCODE_UP); // SDL numbers left, down, up in a row
    EXPECT_EQ(KeyCodeFromSdl(kSdlLeftCtrl + 4), KEYCODE_CONTROL);
    EXPECT_EQ(KeyCodeFromSdl(kSdlLeftAlt), KEYCODE_MENU);
    EXPECT_EQ(KeyCodeFromSdl('-'), KEYCODE_OEM_MINUS);
    EXPECT_EQ(KeyCodeFromSdl(0x7FFFFFF), KEYCODE_UNKNOWN);
}

TEST(ClockTest, TheVirtualClockMovesOnlyWithFramesAndWaits)
{
    Clock::UseVirtualClock(5000);
    EXPECT_TRUE(Clock::IsFrameDriven());
    EXPECT_TRUE(Clock::HasSimulatedWaits());
    EXPECT_EQ(Clock::GetTickCount(), 5000u);
    uint32_t realBefore = Clock::RealNow();
    Clock::LoopSleep(60000); // a minute, instantly
    EXPECT_LT(Clock::RealNow() - realBefore, 1000u);
    EXPECT_EQ(Clock::LoopNow(), 65000u);
    EXPECT_EQ(Clock::GetTickCount(), 5000u);
    Clock::AdvanceFrame(10);
    Clock::AdvanceFrame(10);
    EXPECT_EQ(Clock::GetTickCount(), 5020u);

    // Frame-driven game time with real waits (demo recording).
    Clock::UseFrameDrivenTime(7);
    EXPECT_FALSE(Clock::HasSimulatedWaits());
    Clock::AdvanceFrame(10);
    EXPECT_EQ(Clock::GetTickCount(), 17u);
    uint32_t loop = Clock::LoopNow();
    Clock::LoopSleep(20);
    EXPECT_GE(Clock::LoopNow() - loop, 20u);

    Clock::UseRealClock();
    EXPECT_FALSE(Clock::IsFrameDriven());
    uint32_t before = Clock::GetTickCount();
    Clock::AdvanceFrame(100000);
    EXPECT_LT(Clock::GetTickCount() - before, 1000u);
}

TEST(InstanceLockTest, OnlyOneHolderAtATime)
{
    TestSupport::TempFolder temp;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string previous = runtime != nullptr ? runtime : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    InstanceLock first;
    InstanceLock second;
    EXPECT_TRUE(first.Acquire("My Game/Mutex", temp.Path()));
    EXPECT_TRUE(first.IsHeld());
    EXPECT_FALSE(second.Acquire("My Game/Mutex", temp.Path()));
    EXPECT_TRUE(second.Acquire("Another Game", temp.Path()));
    first.Release();
    InstanceLock third;
    EXPECT_TRUE(third.Acquire("My Game/Mutex", temp.Path()));
    EXPECT_EQ(third.GetFile().parent_path(), temp.Path());
    if (runtime != nullptr)
        ::setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
}

} // namespace Vesk::Platform
