// The magnifier search: a whole frame at rest with the glass over the page (the desk, the leaf
// litter, the card pile, the insects, the page edges, the panel, the back button and the glass's
// enlarged view) and during the page-turn blur, in thread CPU time; and the loading of the set,
// which enlarges every picture once for the glass and makes the smeared layers. The set is made
// up in the shape of the shipped one: a full background, ten insects of about 30 x 30 with their
// close-ups at twice the size, and their cards piled at one place. The texts are not drawn (no
// fonts).

#include "BenchSupport.h"
#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "minigames/MG8.h"

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

constexpr int kPage = 13;

std::unique_ptr<DDImage> Picture(int width, int height, unsigned seed, bool square)
{
    std::vector<uint32_t> pixels = Blob(width, height, seed, square);
    auto image = std::make_unique<DDImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

std::unique_ptr<DDImage> Clear(int width, int height)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0);
    auto image = std::make_unique<DDImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

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
    int CurrentMode() override { return 8; }
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
    std::unique_ptr<DDImage> desk = Picture(800, 600, 7, true);
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

struct MiniGame8Setup
{
    MiniGame8Setup()
    {
        auto& common = app.config.common;
        common.BoardX = 16;
        common.BoardY = 6;
        common.ListY = 478;
        app.config.pages.CSS = 130;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& config = app.config.miniGame8;
        config.SCL = 2;
        config.CS = 0.03;
        config.PS = 40;
        config.Gx = 16;
        config.Gy = 6;
        config.GX = 783;
        config.GY = 470;
        config.GD = 60;
        config.LHDX = 34;
        config.LHDY = 34;
        config.n1_ = 30000;
        config.BPPX = 8;
        config.BPPY = 478;
        app.content.pages[kPage].type = "MG8";

        folder = std::filesystem::temp_directory_path() / ("mg8bench-" + std::to_string(::getpid()));
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
        add("b_litter", 767, 532, 0, 0, 1, true);
        for (int insect = 0; insect < 10; ++insect)
        {
            const std::string key = "insect" + std::to_string(insect);
            const int x = 40 + insect * 64;
            const int y = 60 + (insect * 137) % 340;
            add("s_" + key, 30, 28, x, y, unsigned(10 + insect), false);
            add("p_" + key, 148, 72, 580, 448, unsigned(30 + insect), true);
            add("v_" + key, 60, 56, x - 15, y - 14, unsigned(10 + insect), false);
        }
        std::ofstream(folder / "picture.cfg") << list;

        panel = Picture(200, 120, 3, true);
        // The page edges and the candy frame are transparent but for their rims.
        pages = Clear(767, 588);
        candy = Clear(800, 600);
        glass = Picture(120, 120, 6, false);
        handle = Picture(70, 70, 8, false);
        IMAGE_POST_BACK = panel.get();
        IMAGE_PAGES = pages.get();
        IMAGE_CANDY = candy.get();
        IMAGE_GLASS8 = glass.get();
        IMAGE_GLASS8_HANDLE = handle.get();
        game.host = &host;
        game.StartGame(300, 8);
        game.LoadPicture(dir);
        game.StartGame(300, 8);
        game.SetShown(true);
        game.OnPointerMove(400, 300);
        screen.CreateScreen(800, 600);
    }
    ~MiniGame8Setup()
    {
        ResetResourceIdentifiers();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    SetApp app;
    BenchHost host;
    std::filesystem::path folder;
    std::string dir;
    std::unique_ptr<DDImage> panel, pages, candy, glass, handle;
    MG8 game{app};
    DDImage screen;
};

void MiniGame8Frame(benchmark::State& state)
{
    MiniGame8Setup setup;
    setup.host.blur = double(state.range(0)) / 100;
    {
        Graphics graphics(&setup.screen);
        setup.game.Paint(graphics);
    }
    int step = 0;
    for (auto _ : state)
    {
        // The glass wanders over the page, as a searching player moves it.
        setup.game.OnPointerMove(100 + (step * 37) % 600, 40 + (step * 53) % 400);
        ++step;
        double start = ThreadSeconds();
        Graphics graphics(&setup.screen);
        setup.game.Paint(graphics);
        benchmark::DoNotOptimize(setup.screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
// 0: at rest with the glass; 50: the blur at its widest; 90: early in the turn.
BENCHMARK(MiniGame8Frame)->Arg(0)->Arg(50)->Arg(90)->UseManualTime()->Unit(benchmark::kMicrosecond);

void MiniGame8LoadSet(benchmark::State& state)
{
    MiniGame8Setup setup;
    for (auto _ : state)
    {
        setup.game.FreePictures();
        double start = ThreadSeconds();
        setup.game.LoadPicture(setup.dir);
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK(MiniGame8LoadSet)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
