// The application base on a real X server: window_probe (a small program on VeskAppBase that
// paints a known pattern) opens its window under xvfb-run; the X tools find the window, measure
// it, grab its pixels as the server holds them and press Alt+Enter and Alt+F4 on it. Every wait
// has a time limit, and a missing tool fails the test with the package to install.
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Window.h"
#include "support/PngFile.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"
#include "support/XwdFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace Vesk
{

using TestSupport::PngFile;
using TestSupport::TempFolder;
using TestSupport::XwdFile;
namespace fs = std::filesystem;

namespace
{

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

struct Tool
{
    const char* name;
    const char* package;
};

const Tool kTools[] = {{"xwininfo", "x11-utils"}, {"xprop", "x11-utils"}, {"xwd", "x11-apps"},
                       {"xdotool", "xdotool"},    {"openbox", "openbox"}, {"timeout", "coreutils"}};

bool OnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
    {
        if (!folder.empty() && ::access((fs::path(folder) / name).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command with a time limit; its output (standard error included) and exit code.
struct CommandResult
{
    int code = -1;
    std::string output;
};

CommandResult RunCommand(const std::string& command, int seconds = 10)
{
    CommandResult result;
    std::string line = "timeout --kill-after=2 " + std::to_string(seconds) + " " + command + " 2>&1";
    FILE* pipe = ::popen(line.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        result.output.append(buffer, got);
    int status = ::pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A program started in the background; ended (terminated, then killed) when it goes out of scope.
class Child
{
public:
    Child(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment)
    {
        // The given variables replace those of the same name (SDL_VIDEODRIVER=offscreen, say).
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry)
        {
            std::string variable = *entry;
            std::string name = variable.substr(0, variable.find('=') + 1);
            bool replaced = false;
            for (const std::string& extra : extraEnvironment)
                replaced = replaced || extra.compare(0, name.size(), name) == 0;
            if (!replaced)
                environment.push_back(variable);
        }
        environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& entry : environment)
            envp.push_back(const_cast<char*>(entry.c_str()));
        envp.push_back(nullptr);
        if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
            pid = -1;
    }
    ~Child()
    {
        if (pid <= 0 || exited)
            return;
        ::kill(pid, SIGTERM);
        if (!WaitForExit(3000))
        {
            ::kill(pid, SIGKILL);
            WaitForExit(3000);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return pid > 0; }
    pid_t Pid() const { return pid; }
    // True when it has ended within the time; its exit code then in ExitCode.
    bool WaitForExit(int milliseconds)
    {
        for (int waited = 0; !exited && waited <= milliseconds; waited += 20)
        {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid)
            {
                exited = true;
                exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return exited;
    }
    int ExitCode() const { return exitCode; }

private:
    pid_t pid = -1;
    bool exited = false;
    int exitCode = -1;
};

// Polls until check holds or the time is up.
bool WaitFor(const std::function<bool()>& check, int milliseconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end)
    {
        if (check())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return check();
}

struct Geometry
{
    int x = -1;
    int y = -1;
    int width = 0;
    int height = 0;
};

int Number(const std::string& text, const std::string& label)
{
    size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + label.size());
}

Geometry WindowGeometry(const std::string& id)
{
    CommandResult info = RunCommand("xwininfo -id " + id);
    Geometry geometry;
    if (info.code != 0)
        return geometry;
    geometry.x = Number(info.output, "Absolute upper-left X:");
    geometry.y = Number(info.output, "Absolute upper-left Y:");
    geometry.width = Number(info.output, "Width:");
    geometry.height = Number(info.output, "Height:");
    return geometry;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string LastLine(const std::string& text)
{
    std::string trimmed = text;
    while (!trimmed.empty() && trimmed.back() == '\n')
        trimmed.pop_back();
    size_t at = trimmed.rfind('\n');
    return at == std::string::npos ? trimmed : trimmed.substr(at + 1);
}

// The window's pixels as the X server holds them.
bool Grab(const std::string& id, const fs::path& file, std::vector<uint32_t>& pixels, int& width, int& height,
          std::string& error)
{
    CommandResult grab = RunCommand("xwd -silent -id " + id + " -out " + Quote(file.string()));
    if (grab.code != 0)
    {
        error = "xwd failed: " + grab.output;
        return false;
    }
    return XwdFile::Read(file.string(), pixels, width, height, error);
}

size_t CountDifferences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    size_t count = a.size() == b.size() ? 0 : std::max(a.size(), b.size());
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        count += (a[i] | 0xFF000000u) != (b[i] | 0xFF000000u) ? 1 : 0;
    return count;
}

// Grabs until the window shows exactly the expected picture (the server may lag behind a present).
bool ShowsExactly(const std::string& id, const fs::path& file, const std::vector<uint32_t>& expected, int width,
                  int height, std::string& report)
{
    size_t differences = 0;
    bool same = WaitFor(
        [&]
        {
            std::vector<uint32_t> pixels;
            int w = 0, h = 0;
            std::string error;
            if (!Grab(id, file, pixels, w, h, error))
            {
                report = error;
                return false;
            }
            if (w != width || h != height)
            {
                report = "grabbed " + std::to_string(w) + " x " + std::to_string(h);
                return false;
            }
            differences = CountDifferences(pixels, expected);
            report = std::to_string(differences) + " pixels differ";
            return differences == 0;
        },
        5000);
    return same;
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
    {
        int difference = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        if (difference > tolerance || difference < -tolerance)
            return false;
    }
    return true;
}

} // namespace

TEST(RealWindowTest, TheProbeOpensAnExactWindowSwitchesToFullScreenAndBackAndCloses)
{
    auto started = std::chrono::steady_clock::now();
    const char* display = std::getenv("DISPLAY");
    ASSERT_TRUE(display != nullptr && *display != '\0')
        << "no X display: run this test through tests/window/run-under-xvfb.sh (ctest does)";
    for (const Tool& tool : kTools)
        ASSERT_TRUE(OnPath(tool.name)) << "'" << tool.name << "' is missing: install the Debian package "
                                       << tool.package << " (listed in scripts/packages.txt)";
    const char* probePath = std::getenv("WINDOW_PROBE");
    ASSERT_TRUE(probePath != nullptr && fs::exists(probePath)) << "WINDOW_PROBE must name the window_probe program";

    TempFolder folder;
    fs::path output = folder / "out";
    fs::path runtime = folder / "run";
    fs::create_directories(output);
    fs::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);

    // A window manager: full screen is the window manager's business on X.
    Child windowManager({"openbox", "--sm-disable"}, {});
    ASSERT_TRUE(windowManager.Started()) << "openbox did not start";
    ASSERT_TRUE(WaitFor(
        [] { return RunCommand("xprop -root _NET_SUPPORTING_WM_CHECK").output.find("window id") != std::string::npos; },
        10000))
        << "the window manager did not come up";

    std::vector<std::string> probeEnvironment = {"SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                                                 "XDG_RUNTIME_DIR=" + runtime.string()};
    // Under AddressSanitizer the X libraries, D-Bus and the GL driver that SDL loads leave
    // allocations behind at exit; the framework's own leaks are checked by the headless tests.
    if (const char* options = std::getenv("ASAN_OPTIONS"))
        probeEnvironment.push_back(std::string("ASAN_OPTIONS=") + options + ":detect_leaks=0");
    Child probe({probePath, output.string()}, probeEnvironment);
    ASSERT_TRUE(probe.Started()) << "window_probe did not start";

    // The window: found by the program's process, shown, 800 x 600.
    CommandResult search = RunCommand("xdotool search --sync --onlyvisible --pid " + std::to_string(probe.Pid()), 20);
    ASSERT_EQ(search.code, 0) << "no window of window_probe appeared within 20 s: " << search.output;
    std::string id = search.output.substr(0, search.output.find('\n'));
    ASSERT_FALSE(id.empty());
    Geometry windowed = WindowGeometry(id);
    EXPECT_EQ(windowed.width, 800);
    EXPECT_EQ(windowed.height, 600);
    EXPECT_GE(windowed.x, 0);
    EXPECT_LE(windowed.x + windowed.width, kScreenWidth);
    EXPECT_LE(windowed.y + windowed.height, kScreenHeight);

    // What the server shows is the program's screen image, pixel for pixel.
    ASSERT_TRUE(WaitFor([&] { return fs::exists(output / "screen.png") && fs::exists(output / "status.txt"); }, 20000))
        << "window_probe reported no presented frame";
    EXPECT_EQ(LastLine(ReadText(output / "status.txt")).substr(LastLine(ReadText(output / "status.txt")).find(' ') + 1),
              "windowed 800 600");
    std::vector<uint32_t> screen;
    int screenWidth = 0, screenHeight = 0;
    ASSERT_TRUE(PngFile::Read((output / "screen.png").string(), screen, screenWidth, screenHeight));
    ASSERT_EQ(screenWidth, 800);
    ASSERT_EQ(screenHeight, 600);
    EXPECT_EQ(screen[size_t(200) * 800 + 50], 0xFFFFFFFFu); // the pattern: a white bar at the left
    std::string report;
    EXPECT_TRUE(ShowsExactly(id, output / "windowed.xwd", screen, 800, 600, report)) << report;

    // Alt+Enter: full screen, the picture scaled to the screen's width and centred.
    CommandResult key = RunCommand("xdotool windowfocus --sync " + id + " key --clearmodifiers alt+Return", 10);
    ASSERT_EQ(key.code, 0) << key.output;
    EXPECT_TRUE(WaitFor(
        [&]
        {
            Geometry g = WindowGeometry(id);
            return g.x == 0 && g.y == 0 && g.width == kScreenWidth && g.height == kScreenHeight;
        },
        10000))
        << "the window did not become full screen";
    EXPECT_TRUE(WaitFor(
        [&] { return LastLine(ReadText(output / "status.txt")).find("fullscreen 1280 1024") != std::string::npos; },
        10000))
        << ReadText(output / "status.txt");
    std::vector<uint32_t> full;
    int fullWidth = 0, fullHeight = 0;
    std::string error;
    bool letterboxed = WaitFor(
        [&]
        {
            if (!Grab(id, output / "full.xwd", full, fullWidth, fullHeight, error))
                return false;
            if (fullWidth != kScreenWidth || fullHeight != kScreenHeight)
            {
                error = "grabbed " + std::to_string(fullWidth) + " x " + std::to_string(fullHeight);
                return false;
            }
            // 1280 x 960 centred: black bars of 32 rows above and below.
            auto at = [&](int x, int y) { return full[size_t(y) * kScreenWidth + size_t(x)]; };
            char seen[160];
            std::snprintf(seen, sizeof(seen), "bars %08X %08X, white %08X, black %08X, red %08X", at(640, 10),
                          at(640, 1013), at(80, 352), at(1200, 352), at(880, 352));
            error = seen;
            return at(640, 10) == 0xFF000000u && at(640, 1013) == 0xFF000000u && Near(at(80, 352), 0xFFFFFFFFu, 8) &&
                   Near(at(1200, 352), 0xFF000000u, 8) && Near(at(880, 352), 0xFFFF0000u, 8);
        },
        5000);
    EXPECT_TRUE(letterboxed) << error;
    if (letterboxed)
    {
        // Each bar of the pattern fills its scaled place.
        static const uint32_t bars[8] = {0xFFFFFFFFu, 0xFFFFFF00u, 0xFF00FFFFu, 0xFF00FF00u,
                                         0xFFFF00FFu, 0xFFFF0000u, 0xFF0000FFu, 0xFF000000u};
        for (int i = 0; i < 8; ++i)
            EXPECT_TRUE(Near(full[size_t(32 + 320) * kScreenWidth + size_t(i * 160 + 80)], bars[i], 8)) << "bar " << i;
    }

    // Alt+Enter again: back to the 800 x 600 window showing the screen image exactly.
    key = RunCommand("xdotool windowfocus --sync " + id + " key --clearmodifiers alt+Return", 10);
    ASSERT_EQ(key.code, 0) << key.output;
    EXPECT_TRUE(WaitFor(
        [&]
        {
            Geometry g = WindowGeometry(id);
            return g.width == 800 && g.height == 600;
        },
        10000))
        << "the window did not return to 800 x 600";
    EXPECT_TRUE(WaitFor(
        [&] { return LastLine(ReadText(output / "status.txt")).find("windowed 800 600") != std::string::npos; }, 10000))
        << ReadText(output / "status.txt");
    EXPECT_TRUE(ShowsExactly(id, output / "back.xwd", screen, 800, 600, report)) << report;

    // Alt+F4 closes it; the program ends cleanly.
    key = RunCommand("xdotool windowfocus --sync " + id + " key --clearmodifiers alt+F4", 10);
    EXPECT_EQ(key.code, 0) << key.output;
    ASSERT_TRUE(probe.WaitForExit(10000)) << "window_probe did not end after Alt+F4";
    EXPECT_EQ(probe.ExitCode(), 0);

    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("real window test: %.1f s\n", seconds);
}

TEST(RealWindowTest, CustomCursorPicturesBecomeColourCursorsThatTheSystemMoves)
{
    const char* display = std::getenv("DISPLAY");
    ASSERT_TRUE(display != nullptr && *display != '\0')
        << "no X display: run this test through tests/window/run-under-xvfb.sh (ctest does)";
    ::setenv("VESK_TEST_VIDEODRIVER", "x11", 1);
    TestSupport::TestDriver driver;
    ::unsetenv("VESK_TEST_VIDEODRIVER");
    auto& app = driver.Create<TestSupport::TestApp>();
    ASSERT_TRUE(driver.Launch());
    app.Fill(0xFF000000u);
    MemoryImage red(&app.GetImageSet());
    std::vector<uint32_t> redPixels(16, 0xFFFF0000u);
    red.SetBits(redPixels.data(), 4, 4);
    app.SetCursorImage(12, &red, 1, 1);
    app.SetCursor(12);
    driver.MoveTo(100, 100);
    driver.RunUpdates(3);
    EXPECT_EQ(app.GetWindow()->GetShownPictureCursor(), 12);
    ASSERT_EQ(driver.PresentedFrame().size(), 800u * 600u);
    EXPECT_EQ(driver.PresentedFrame()[100 * 800 + 100], 0xFF000000u) << "the game draws no cursor of its own";

    // Made again at the picture's scale in full screen; a removed picture gives the system's shape back.
    app.SwitchScreenMode(false);
    driver.RunUpdates(3);
    EXPECT_EQ(app.GetWindow()->GetShownPictureCursor(), 12);
    app.SetCursorImage(12, nullptr);
    EXPECT_EQ(app.GetWindow()->GetShownPictureCursor(), -1);
}

} // namespace Vesk
