// The arrangement check game: a whole frame at rest, during a check (a mark swelling over its
// place) and during the page-turn blur (the desk, the shelf, the jars, the page edges, the
// buttons, the panel and the back button), and the making of the blur's smeared pictures, in
// thread CPU time. The set is made up in the shape of the shipped one: a full background, a drop
// area of 364 x 118, five jars of 60 x 64 with masks 4 pixels larger on every side. The texts are
// not drawn (no fonts).

#include "BenchSupport.h"
#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "minigames/MG4.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Vesk;
using namespace Vesk::Bench;

namespace
{

constexpr int kPage = 12;
constexpr int kJars = 5;

struct BenchHost : BoardHost
{
    bool IsPublicationShown() override { return false; }
    int CurrentPage() override { return kPage; }
    int OpenGate() override { return 0; }
    bool IsPauseOpen() override { return false; }
    double ListSlide() override { return 0; }
    int ListSlideDirection() override { return 0; }
    void SetListSlideDirection(int) override {}
    void SetListSlide(double) override {}
    double Blur() override { return blur; }
    void SetBlurDirection(int) override {}
    double ModeZoom(int) override { return 1; }
    int CurrentMode() override { return 4; }
    bool IsFinalGameShown() override { return false; }
    void SetPageComplete() override {}
    void RequestPageAction() override {}
    void RedrawContentsLight(int) override {}
    void ClearStickerFades() override {}
    double CoverAlpha() override { return 0; }
    void SetCoverAlpha(double) override {}
    void DrawDeskBackground(Graphics& graphics) override { graphics.DrawImage(desk.get(), 0, 0); }
    void DrawOverlays(Graphics&) override {}
    void PaintContentsNote(Graphics&) override {}

    double blur = 0;
    std::unique_ptr<DDImage> desk = Solid(800, 600, 0xFF6B4A2Fu);
};

// The game application handing out the made-up set by path.
struct SetApp : GameApp
{
    std::unique_ptr<DDImage> GetImage(const std::string& path, bool) override
    {
        auto found = pictures.find(path);
        if (found == pictures.end())
            return nullptr;
        auto image = std::make_unique<DDImage>();
        image->SetBits(found->second.pixels.data(), found->second.width, found->second.height);
        return image;
    }
    void PlaySample(int) override {}
    struct Pixels
    {
        int width, height;
        std::vector<uint32_t> pixels;
    };
    std::map<std::string, Pixels> pictures;
};

struct MiniGame4Setup
{
    MiniGame4Setup()
    {
        auto& common = app.config.common;
        common.BoardX = 16;
        common.BoardY = 6;
        common.ListY = 478;
        app.config.pages.CSS = 130;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& config = app.config.miniGame4;
        config.rounds = 2;
        config.items1 = config.items2 = kJars;
        config.normD = 14;
        config.normSD = 8;
        config.ROUNDANIM = 150;
        config.ROUNDSCALE = 0.8;
        config.RBX = 600;
        config.RBY = 40;
        config.SBX = 680;
        config.SBY = 40;
        config.BPPX = 8;
        config.BPPY = 478;
        app.content.pages[kPage].type = "MG4";

        folder = std::filesystem::temp_directory_path() / ("mg4bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        dir = folder.string() + "/";
        std::string list;
        int number = 1;
        auto add = [&](const std::string& name, int width, int height, int x, int y, unsigned seed, bool square)
        {
            list += "pic-" + name + "\n" + std::to_string(number++) + "\n" + name + ".png\n" + std::to_string(width) +
                    "x" + std::to_string(height) + "\n" + std::to_string(x) + "\n" + std::to_string(y) + "\n";
            app.pictures[dir + name + ".png"] = {width, height, Blob(width, height, seed, square)};
        };
        for (int roundDigit = 1; roundDigit <= 2; ++roundDigit)
        {
            const std::string r = std::to_string(roundDigit);
            if (roundDigit == 1)
                add("b_1_cabinet", 767, 532, 0, 0, 1, true);
            else
                add("b_2_lower", 420, 200, 60, 240, 2, true);
            add("b_" + r + "_drop", 364, 118, 80, 108 + 160 * (roundDigit - 1), 3, true);
            for (int jar = 0; jar < kJars; ++jar)
            {
                const std::string key = "_" + r + "_jar" + std::to_string(jar);
                const int homeX = 500 + (jar % 3) * 80;
                const int homeY = 150 + (jar / 3) * 150;
                add("i" + key, 60, 64, homeX, homeY, unsigned(10 + jar), false);
                add("m" + key, 60, 64, 90 + jar * 72, 110 + 160 * (roundDigit - 1), unsigned(10 + jar), false);
                add("s" + key, 68, 72, homeX - 4, homeY - 4, 0xFFFF00u, true);
            }
        }
        std::ofstream(folder / "picture.cfg") << list;

        panel = Solid(200, 120, 0xFFF2E6C8u);
        button = Solid(70, 40, 0xFFE0C890u);
        mark = Solid(48, 48, 0xC0307030u);
        pages = Solid(767, 588, 0);
        candy = Solid(800, 600, 0);
        IMAGE_POST_BACK = panel.get();
        IMAGE_MG4_RB = button.get();
        IMAGE_MG4_SB = button.get();
        IMAGE_MG4_YES = mark.get();
        IMAGE_MG4_NO = mark.get();
        IMAGE_PAGES = pages.get();
        IMAGE_CANDY = candy.get();
        game.host = &host;
        game.StartGame(300, 6);
        game.LoadPicture(dir);
        game.StartGame(300, 6);
        game.SetShown(true);
        screen.CreateScreen(800, 600);
    }
    ~MiniGame4Setup()
    {
        ResetResourceIdentifiers();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    SetApp app;
    BenchHost host;
    std::filesystem::path folder;
    std::string dir;
    std::unique_ptr<DDImage> panel, button, mark, pages, candy;
    MG4 game{app};
    DDImage screen;
};

void PaintFrames(benchmark::State& state, MiniGame4Setup& setup)
{
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        Graphics graphics(&setup.screen);
        setup.game.Paint(graphics);
        benchmark::DoNotOptimize(setup.screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}

void MiniGame4Frame(benchmark::State& state)
{
    MiniGame4Setup setup;
    setup.host.blur = double(state.range(0)) / 100;
    PaintFrames(state, setup);
}
// 0: at rest; 50: the blur at its widest; 90: early in the turn.
BENCHMARK(MiniGame4Frame)->Arg(0)->Arg(50)->Arg(90)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A check under way, its mark half grown.
void MiniGame4CheckFrame(benchmark::State& state)
{
    MiniGame4Setup setup;
    setup.game.OnButtonReleased(MG4::kCheckButtonId);
    setup.game.checkTime = 150 * 2.5 / kJars;
    PaintFrames(state, setup);
}
BENCHMARK(MiniGame4CheckFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The smeared pictures made again (on entering, or when a turn starts with pieces moved).
void MiniGame4MakeBlur(benchmark::State& state)
{
    MiniGame4Setup setup;
    for (auto _ : state)
    {
        setup.game.FreePictures();
        setup.game.LoadPicture(setup.dir);
        double start = ThreadSeconds();
        setup.game.StartGame(300, 6);
        benchmark::DoNotOptimize(setup.screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK(MiniGame4MakeBlur)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
