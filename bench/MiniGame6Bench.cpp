// The differences game: a whole frame at rest and during the page-turn blur (the desk, the
// picture, the page edges, the counter note, the panel and the back button), and the reading of
// the set with the making of the smeared layers, in thread CPU time. The set is made up in the shape
// of the shipped one: a full background, two windows of 340 x 400 and five differences of
// 50 x 50 on each side. The texts are not drawn (no fonts).

#include "BenchSupport.h"
#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "minigames/MG6.h"

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

constexpr int kPage = 9;

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
    int CurrentMode() override { return 6; }
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
    struct Pixels
    {
        int width, height;
        std::vector<uint32_t> pixels;
    };
    std::map<std::string, Pixels> pictures;
};

struct MiniGame6Setup
{
    MiniGame6Setup()
    {
        auto& common = app.config.common;
        common.BoardX = 16;
        common.BoardY = 6;
        common.ListY = 478;
        app.config.pages.CSS = 130;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& config = app.config.miniGame6;
        config.rounds = 2;
        config.items1 = config.items2 = 5;
        config.CS = 0.03;
        config.PostX = 620;
        config.PostY = 478;
        config.BPPX = 8;
        config.BPPY = 478;
        app.content.pages[kPage].type = "MG6";

        folder = std::filesystem::temp_directory_path() / ("mg6bench-" + std::to_string(::getpid()));
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
        add("b_table", 767, 532, 0, 0, 1, true);
        for (int roundDigit = 1; roundDigit <= 2; ++roundDigit)
        {
            const std::string r = std::to_string(roundDigit);
            add("p_" + r + "left", 340, 400, 24, 20, 2, true);
            add("p_" + r + "right", 340, 400, 403, 20, 2, true);
            for (int d = 0; d < 5; ++d)
            {
                const std::string key = r + "diff" + std::to_string(d);
                add("l_" + key, 50, 50, 60 + d * 55, 60 + d * 60, unsigned(10 + d), false);
                add("r_" + key, 50, 50, 439 + d * 55, 60 + d * 60, unsigned(20 + d), false);
            }
        }
        std::ofstream(folder / "picture.cfg") << list;

        note = Solid(170, 122, 0xFFF7E98Au);
        panel = Solid(200, 120, 0xFFF2E6C8u);
        pages = Solid(767, 588, 0);
        candy = Solid(800, 600, 0);
        IMAGE_POST_1 = note.get();
        IMAGE_POST_BACK = panel.get();
        IMAGE_PAGES = pages.get();
        IMAGE_CANDY = candy.get();
        game.host = &host;
        game.StartGame(300, 7);
        game.LoadPicture(dir);
        game.StartGame(300, 7);
        game.SetShown(true);
        screen.CreateScreen(800, 600);
    }
    ~MiniGame6Setup()
    {
        ResetResourceIdentifiers();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    SetApp app;
    BenchHost host;
    std::filesystem::path folder;
    std::string dir;
    std::unique_ptr<DDImage> note, panel, pages, candy;
    MG6 game{app};
    DDImage screen;
};

void MiniGame6Frame(benchmark::State& state)
{
    MiniGame6Setup setup;
    setup.host.blur = double(state.range(0)) / 100;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        Graphics graphics(&setup.screen);
        setup.game.Paint(graphics);
        benchmark::DoNotOptimize(setup.screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
// 0: at rest; 50: the blur at its widest; 90: early in the turn.
BENCHMARK(MiniGame6Frame)->Arg(0)->Arg(50)->Arg(90)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Reading the set (pictures handed out from memory, not decoded) and making the page turn's
// layers, which the game does while it loads.
void MiniGame6LoadPicture(benchmark::State& state)
{
    MiniGame6Setup setup;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        setup.game.LoadPicture(setup.dir);
        benchmark::DoNotOptimize(setup.game.Background());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK(MiniGame6LoadPicture)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
