#include "support/TestDriver.h"

#include "framework/appbase/PngWriter.h"
#include "framework/graphics/DDImage.h"
#include "framework/platform/Clock.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/Window.h"
#include "framework/platform/WindowMessage.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace Vesk::TestSupport
{

using namespace Platform;

TestDriver::TestDriver()
    : boxes(std::make_shared<std::vector<MessageBoxRecord>>()), answers(std::make_shared<std::deque<int>>()),
      exits(std::make_shared<std::vector<int>>())
{
    // The dummy video driver presents fastest; VESK_TEST_VIDEODRIVER picks another (x11 under
    // xvfb-run, to watch).
    const char* video = std::getenv("VESK_TEST_VIDEODRIVER");
    ::setenv("SDL_VIDEODRIVER", video != nullptr ? video : "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (const char* value = std::getenv("XDG_RUNTIME_DIR"))
    {
        hadRuntimeDir = true;
        previousRuntimeDir = value;
    }
    ::setenv("XDG_RUNTIME_DIR", (folder.Path() / "run").c_str(), 1);
    Clock::UseVirtualClock();
    Window::SetPointerOverride(true, false, 0, 0);
    auto recorded = boxes;
    auto queued = answers;
    SetMessageBoxHandler(
        [recorded, queued](const std::string& text, const std::string& caption, int flags)
        {
            int answer = DefaultMessageBoxAnswer(flags);
            if (!queued->empty())
            {
                answer = queued->front();
                queued->pop_front();
            }
            recorded->push_back({text, caption, flags, answer});
            return answer;
        });
}

TestDriver::~TestDriver()
{
    Destroy();
    SetMessageBoxHandler({});
    Window::SetPointerOverride(false);
    Clock::UseRealClock();
    if (hadRuntimeDir)
        ::setenv("XDG_RUNTIME_DIR", previousRuntimeDir.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

void TestDriver::Adopt(std::unique_ptr<VeskAppBase> created)
{
    app = std::move(created);
    auto codes = exits;
    app->exitHandler = [codes](int code) { codes->push_back(code); };
    heldButtons = 0;
}

void TestDriver::Destroy()
{
    app.reset();
}

bool TestDriver::Init(const std::string& commandLine)
{
    app->processCommandLine = commandLine.empty() ? std::string("vesk-test") : "vesk-test " + commandLine;
    app->Init();
    if (app->GetWindow() != nullptr)
        app->GetWindow()->SetKeepPresentedFrame(true);
    return app->exitCode < 0 && !app->isShutdown;
}

void TestDriver::Start(bool waitForLoading)
{
    if (app->isShutdown)
        return;
    app->StartRunning();
    const uint32_t started = Clock::RealNow();
    while (waitForLoading && app->loadingThreadStarted && !app->loadingThreadDone)
    {
        if (Clock::RealNow() - started > loadingLimitMilliseconds)
        {
            const std::string message =
                "the loading thread has not finished after " + std::to_string(loadingLimitMilliseconds) + " ms";
            ADD_FAILURE() << message;
            // The application joins its loading thread when it is destroyed, so nothing after this
            // could end: the test program stops here, with the failure reported.
            std::fprintf(stderr, "TestDriver: %s; the test program stops\n", message.c_str());
            std::fflush(stdout);
            std::_Exit(EXIT_FAILURE);
        }
        Clock::RealSleep(1);
    }
}

bool TestDriver::Launch(const std::string& commandLine)
{
    if (!Init(commandLine))
        return false;
    Start();
    return true;
}

int TestDriver::RunUpdates(int count)
{
    int start = app->updateCount;
    int target = start + count;
    long guard = 0;
    long limit = static_cast<long>(count) * 100 + 1000;
    while (app->updateCount < target && !app->updateAppPaused && ++guard < limit)
    {
        bool updated = false;
        if (!app->UpdateAppStep(updated))
            break;
    }
    return app->updateCount - start;
}

void TestDriver::Pump()
{
    for (int guard = 0; guard < 10000 && !app->GetDeferredMessages().empty() && !app->updateAppPaused; ++guard)
    {
        bool updated = false;
        if (!app->UpdateAppStep(updated))
            break;
    }
}

bool TestDriver::RunUntilShutdown(int maxUpdates)
{
    int start = app->updateCount;
    long guard = 0;
    long limit = static_cast<long>(maxUpdates) * 100 + 1000;
    while (!app->isShutdown && app->updateCount - start < maxUpdates && ++guard < limit)
    {
        bool updated = false;
        if (!app->UpdateAppStep(updated))
            break;
    }
    return app->isShutdown;
}

void TestDriver::Stall(uint32_t milliseconds)
{
    Clock::AdvanceLoop(milliseconds);
}

void TestDriver::Send(uint32_t message, uint64_t wParam, int64_t lParam)
{
    app->WindowProc({0, message, wParam, lParam});
}

void TestDriver::PointAt(int x, int y)
{
    pointerX = x;
    pointerY = y;
    Window::SetPointerOverride(true, x >= 0 && y >= 0 && x < app->width && y < app->height, x, y);
}

uint64_t TestDriver::ButtonBits() const
{
    uint64_t bits = 0;
    if (heldButtons & 1)
        bits |= MK_LBUTTON;
    if (heldButtons & 2)
        bits |= MK_RBUTTON;
    if (heldButtons & 4)
        bits |= MK_MBUTTON;
    return bits;
}

void TestDriver::MoveTo(int x, int y)
{
    PointAt(x, y);
    Send(WM_MOUSEMOVE, ButtonBits(), MakePointParam(x, y));
}

void TestDriver::Press(int x, int y, int button)
{
    PointAt(x, y);
    int bit = button < 0 ? 2 : button == 3 ? 4 : 1;
    heldButtons |= bit;
    uint32_t message = bit == 2 ? WM_RBUTTONDOWN : bit == 4 ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
    Send(message, ButtonBits(), MakePointParam(x, y));
}

void TestDriver::Release(int x, int y, int button)
{
    PointAt(x, y);
    int bit = button < 0 ? 2 : button == 3 ? 4 : 1;
    heldButtons &= ~bit;
    uint32_t message = bit == 2 ? WM_RBUTTONUP : bit == 4 ? WM_MBUTTONUP : WM_LBUTTONUP;
    Send(message, ButtonBits(), MakePointParam(x, y));
}

void TestDriver::Click(int x, int y, int button)
{
    Press(x, y, button);
    Release(x, y, button);
}

void TestDriver::DoubleClick(int x, int y, int button)
{
    Click(x, y, button);
    PointAt(x, y);
    int bit = button < 0 ? 2 : button == 3 ? 4 : 1;
    heldButtons |= bit;
    uint32_t message = bit == 2 ? WM_RBUTTONDBLCLK : bit == 4 ? WM_MBUTTONDBLCLK : WM_LBUTTONDBLCLK;
    Send(message, ButtonBits(), MakePointParam(x, y));
    Release(x, y, button);
}

void TestDriver::Drag(int fromX, int fromY, int toX, int toY, int steps)
{
    Press(fromX, fromY);
    for (int step = 1; step <= steps; ++step)
        MoveTo(fromX + (toX - fromX) * step / steps, fromY + (toY - fromY) * step / steps);
    Release(toX, toY);
}

void TestDriver::Wheel(int notches)
{
    uint64_t delta = static_cast<uint16_t>(static_cast<int16_t>(notches * 120));
    Send(WM_MOUSEWHEEL, (delta << 16) | ButtonBits(), MakePointParam(pointerX, pointerY));
}

void TestDriver::KeyDown(int keyCode, int modifiers)
{
    bool alt = (modifiers & Alt) != 0;
    bool ctrl = (modifiers & Ctrl) != 0;
    if (modifiers & Shift)
        Send(WM_KEYDOWN, KEYCODE_SHIFT);
    if (ctrl)
        Send(WM_KEYDOWN, KEYCODE_CONTROL);
    if (alt)
        Send(WM_SYSKEYDOWN, KEYCODE_MENU);
    bool system = alt && !ctrl;
    Send(system ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<uint64_t>(keyCode));
    int character = 0;
    if (keyCode == KEYCODE_BACK || keyCode == KEYCODE_TAB || keyCode == KEYCODE_RETURN || keyCode == KEYCODE_ESCAPE)
        character = keyCode;
    else if (ctrl && !alt && keyCode >= 'A' && keyCode <= 'Z')
        character = keyCode - 'A' + 1;
    if (character != 0)
        Send(system ? WM_SYSCHAR : WM_CHAR, static_cast<uint64_t>(character));
}

void TestDriver::KeyUp(int keyCode, int modifiers)
{
    bool alt = (modifiers & Alt) != 0;
    bool ctrl = (modifiers & Ctrl) != 0;
    Send(alt && !ctrl ? WM_SYSKEYUP : WM_KEYUP, static_cast<uint64_t>(keyCode));
    if (alt)
        Send(WM_SYSKEYUP, KEYCODE_MENU);
    if (ctrl)
        Send(WM_KEYUP, KEYCODE_CONTROL);
    if (modifiers & Shift)
        Send(WM_KEYUP, KEYCODE_SHIFT);
}

void TestDriver::PressKey(int keyCode, int modifiers)
{
    KeyDown(keyCode, modifiers);
    KeyUp(keyCode, modifiers);
}

void TestDriver::Type(const std::string& text)
{
    for (unsigned char c : text)
    {
        int keyCode = 0;
        if (std::isalpha(c) && c < 128)
            keyCode = std::toupper(c);
        else if ((c >= '0' && c <= '9') || c == ' ')
            keyCode = c;
        if (keyCode != 0)
            Send(WM_KEYDOWN, static_cast<uint64_t>(keyCode));
        Send(WM_CHAR, c);
        if (keyCode != 0)
            Send(WM_KEYUP, static_cast<uint64_t>(keyCode));
    }
}

void TestDriver::Character(int character)
{
    Send(WM_CHAR, static_cast<uint64_t>(character));
}

void TestDriver::SetFocus(bool focused)
{
    Send(WM_ACTIVATEAPP, focused ? 1 : 0);
}

void TestDriver::Minimize(bool minimized)
{
    Send(WM_SIZE, minimized ? SIZE_MINIMIZED : SIZE_RESTORED);
}

void TestDriver::PointerLeaves()
{
    Window::SetPointerOverride(true, false, -1, -1);
}

void TestDriver::Close()
{
    Send(WM_CLOSE);
}

std::vector<uint32_t> TestDriver::ScreenPixels()
{
    DDImage* screen = app->GetScreenImage();
    const uint32_t* bits = screen->GetBits();
    if (bits == nullptr)
        return {};
    return std::vector<uint32_t>(bits, bits + size_t(screen->GetWidth()) * size_t(screen->GetHeight()));
}

uint32_t TestDriver::Pixel(int x, int y)
{
    DDImage* screen = app->GetScreenImage();
    const uint32_t* bits = screen->GetBits();
    if (bits == nullptr || x < 0 || y < 0 || x >= screen->GetWidth() || y >= screen->GetHeight())
        return 0;
    return bits[static_cast<size_t>(y) * screen->GetWidth() + x];
}

const std::vector<uint32_t>& TestDriver::PresentedFrame()
{
    static const std::vector<uint32_t> none;
    return app->GetWindow() != nullptr ? app->GetWindow()->GetPresentedFrame() : none;
}

bool TestDriver::WriteScreenPng(const std::filesystem::path& path)
{
    DDImage* screen = app->GetScreenImage();
    if (screen->GetBits() == nullptr)
        return false;
    return PngWriter::Write(path, screen->GetBits(), screen->GetWidth(), screen->GetHeight(), false);
}

} // namespace Vesk::TestSupport
