// A small program on the application base for the real-window test: it opens its 800 x 600
// window on the platform's real video driver, paints a known pattern, and reports what it shows
// into the folder given as its one argument:
//   screen.png   the screen image, written once the first frame was presented
//   status.txt   one line per change: "<frames> <windowed|fullscreen> <client width> <client height>"
// Alt+Enter switches the mode as in the game; closing the window ends the program (exit code
// 0). It ends by itself after 120 seconds, so that a broken test never leaves it running.
#include "framework/appbase/PngWriter.h"
#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/platform/Clock.h"
#include "framework/platform/FileSystem.h"
#include "framework/platform/Window.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace
{

using namespace Vesk;

constexpr uint32_t kLifetimeMs = 120000;

// Colour bars, a grey ramp and a frame of single-pixel lines: a picture in which any
// misplaced, scaled or recoloured pixel shows.
class PatternWidget : public Widget
{
public:
    void Paint(Graphics& graphics) override
    {
        static const Color bars[8] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                      {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
        for (int i = 0; i < 8; ++i)
        {
            graphics.SetColor(bars[i]);
            graphics.FillRect(i * 100, 0, 100, 400);
        }
        for (int x = 0; x < 800; ++x)
        {
            int level = x * 255 / 799;
            graphics.SetColor(Color(level, level, 255 - level));
            graphics.FillRect(x, 400, 1, 100);
        }
        graphics.SetColor(Color(0x2E, 0x21, 0x18));
        graphics.FillRect(0, 500, 800, 100);
        graphics.SetColor(Color(0xC9, 0xA2, 0x4A));
        for (int x = 10; x < 790; x += 20)
            graphics.FillRect(x, 510, 1, 80);
        graphics.SetColor(Color(255, 0, 0));
        graphics.DrawRect(0, 0, 799, 599);
    }
};

class ProbeApp : public VeskAppBase
{
public:
    explicit ProbeApp(std::filesystem::path folder) : folder(std::move(folder))
    {
        productName = "WindowProbe";
        title = "Vesk Window Probe";
        registryKey = "Vesk Tests\\WindowProbe";
        width = 800;
        height = 600;
        fullScreenColorDepth = 32;
        // No switches: the folder is the program's own argument.
        processCommandLine = "window_probe";
    }

    ~ProbeApp() override
    {
        if (GetWidgetManager() != nullptr)
            GetWidgetManager()->RemoveChild(&pattern);
    }

    bool ChangeDirHook(const std::string&) override { return true; }

    void InitHook() override
    {
        pattern.SetBounds(0, 0, width, height);
        GetWidgetManager()->AddChild(&pattern);
        started = Platform::Clock::RealNow();
    }

    void UpdateFrames() override
    {
        VeskAppBase::UpdateFrames();
        if (Platform::Clock::RealNow() - started > kLifetimeMs)
            Shutdown();
    }

    bool DrawDirtyStuff() override
    {
        bool presented = VeskAppBase::DrawDirtyStuff();
        if (presented)
            Report();
        return presented;
    }

private:
    void Report()
    {
        DDImage* screen = GetScreenImage();
        if (!wroteScreen && screen != nullptr && screen->GetBits() != nullptr)
        {
            std::filesystem::path temporary = folder / "screen.png.part";
            wroteScreen =
                PngWriter::Write(temporary, screen->GetBits(), screen->GetWidth(), screen->GetHeight(), false) &&
                !std::rename(temporary.c_str(), (folder / "screen.png").c_str());
        }
        Platform::Window* shown = GetWindow();
        if (shown == nullptr)
            return;
        Platform::IntRect picture = shown->GetPictureRect();
        int clientWidth = picture.width + 2 * picture.x;
        int clientHeight = picture.height + 2 * picture.y;
        std::string line = std::string(shown->IsFullScreen() ? "fullscreen " : "windowed ") +
                           std::to_string(clientWidth) + " " + std::to_string(clientHeight);
        if (line == lastLine)
            return;
        lastLine = line;
        log += std::to_string(drawCount) + " " + line + "\n";
        // Replaced whole, so that a reader never sees half a line.
        if (!Platform::WriteFileAtomically(folder / "status.txt", reinterpret_cast<const uint8_t*>(log.data()),
                                           log.size()))
            std::fprintf(stderr, "window_probe: cannot write %s\n", (folder / "status.txt").c_str());
    }

    std::filesystem::path folder;
    PatternWidget pattern;
    uint32_t started = 0;
    bool wroteScreen = false;
    std::string lastLine;
    std::string log;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: window_probe <output folder>\n");
        return 2;
    }
    auto app = std::make_unique<ProbeApp>(argv[1]);
    app->Init();
    app->Start();
    int code = app->exitCode < 0 ? 0 : app->exitCode;
    app.reset();
    return code;
}
