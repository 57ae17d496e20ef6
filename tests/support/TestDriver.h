#pragma once

#include "framework/appbase/VeskAppBase.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Vesk::TestSupport
{

// Runs a VeskAppBase-derived application headless for a test: offscreen video, its own
// temporary working folder and settings and data homes, the virtual clock (a run is
// deterministic and never waits), message boxes recorded and answered, exits noted instead of
// ending the test program. Input is injected as window messages, exactly as the platform layer
// would deliver them, and goes through the application's queue.
//
//     TestDriver driver;
//     auto& app = driver.Create<GameApp>();
//     driver.Init();            // or driver.Init("-record -demofile=a.dmo")
//     driver.Start();           // loading thread finished, window shown
//     driver.Click(400, 300);
//     driver.RunUpdates(100);
//     EXPECT_EQ(driver.Pixel(10, 10), 0xFF000000u);
class TestDriver
{
public:
    struct MessageBoxRecord
    {
        std::string text;
        std::string caption;
        int flags = 0;
        int answer = 0;
    };

    enum Modifier : int
    {
        None = 0,
        Shift = 1,
        Ctrl = 2,
        Alt = 4,
    };

    // startClock: where the virtual clock starts (the same start gives the same run).
    TestDriver();
    ~TestDriver();
    TestDriver(const TestDriver&) = delete;
    TestDriver& operator=(const TestDriver&) = delete;

    // Constructs the application (any previous one is destroyed first).
    template <class App, class... Arguments> App& Create(Arguments&&... arguments)
    {
        Destroy();
        auto app = std::make_unique<App>(std::forward<Arguments>(arguments)...);
        App& reference = *app;
        Adopt(std::move(app));
        return reference;
    }

    // Init with the given command line (switches only). False when the application exited.
    bool Init(const std::string& commandLine = "");
    // Starts running: the loading thread (waited for when waitForLoading), the window shown.
    // A loading thread still running after loadingLimitMilliseconds of real time has hung: the
    // test fails and the test program ends (the application could not be destroyed).
    void Start(bool waitForLoading = true);
    uint32_t loadingLimitMilliseconds = 60000;
    // Init and Start.
    bool Launch(const std::string& commandLine = "");
    // Destroys the application (writing its demo, asking its exit questions).
    void Destroy();

    VeskAppBase& App() { return *app; }
    bool HasApp() const { return app != nullptr; }

    // Runs the loop until count more fixed updates ran (or the application stopped). Returns
    // the number that ran.
    int RunUpdates(int count);
    // Runs loop steps (not necessarily updates) until the message queue is empty.
    void Pump();
    // Runs loop steps until the application shuts down or maxUpdates more updates ran.
    bool RunUntilShutdown(int maxUpdates = 100000);
    // Simulates a stall: the loop clock jumps ahead.
    void Stall(uint32_t milliseconds);

    // Input in window coordinates (the same as screen coordinates in a window).
    void Send(uint32_t message, uint64_t wParam = 0, int64_t lParam = 0);
    void MoveTo(int x, int y);
    // button: 1 left, -1 right, 3 middle.
    void Press(int x, int y, int button = 1);
    void Release(int x, int y, int button = 1);
    void DoubleClick(int x, int y, int button = 1);
    void Click(int x, int y, int button = 1);
    void Drag(int fromX, int fromY, int toX, int toY, int steps = 8);
    void Wheel(int notches);
    // A key with the characters the window system types for it (Enter, Escape, Backspace, Tab,
    // Ctrl+letter) and the modifier keys around it.
    void PressKey(int keyCode, int modifiers = None);
    void KeyDown(int keyCode, int modifiers = None);
    void KeyUp(int keyCode, int modifiers = None);
    // Types text (Latin-1): per character its key down, the character, its key up.
    void Type(const std::string& text);
    void Character(int character);
    void SetFocus(bool focused);
    void Minimize(bool minimized);
    void PointerLeaves();
    void Close();

    // The screen image's pixels (what the widgets painted) and the last presented frame (the
    // picture with the software cursor).
    std::vector<uint32_t> ScreenPixels();
    uint32_t Pixel(int x, int y);
    const std::vector<uint32_t>& PresentedFrame();
    bool WriteScreenPng(const std::filesystem::path& path);

    // Message boxes shown so far, and the answers the next ones give (else their default).
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return *boxes; }
    void AnswerNextMessageBox(int answer) { answers->push_back(answer); }
    void ClearMessageBoxes() { boxes->clear(); }

    // Exit codes the application asked for.
    const std::vector<int>& ExitCodes() const { return *exits; }

    TempFolder& Folder() { return folder; }

private:
    void Adopt(std::unique_ptr<VeskAppBase> created);
    void PointAt(int x, int y);
    uint64_t ButtonBits() const;

    TempFolder folder;
    std::unique_ptr<VeskAppBase> app;
    std::shared_ptr<std::vector<MessageBoxRecord>> boxes;
    std::shared_ptr<std::deque<int>> answers;
    std::shared_ptr<std::vector<int>> exits;
    std::string previousRuntimeDir;
    bool hadRuntimeDir = false;
    int heldButtons = 0;
    int pointerX = 0;
    int pointerY = 0;
};

} // namespace Vesk::TestSupport
