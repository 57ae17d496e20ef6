// The scanner conveyor: a whole frame (the desk, the belt's pieces clipped to the page, the covers,
// the scanner light, the page edges, the panel and the back button) at rest before the first
// piece comes in, at full stream with the belt crowded, pieces halfway through the scanner and
// catches fading, and during the page-turn blur, in thread CPU time; and the start of the game,
// which makes the turn's smeared layer. The set is made up in the shape of the shipped one: a
// full-page cover and ten pieces of about 100 x 80 a round, half of them suspicious, spaced
// closer than the shipped ones so the belt is full. The texts are not drawn (no fonts).

#include "BenchSupport.h"
#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "minigames/MG5.h"

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

constexpr int kPage = 15;

// Soft-edged, grainy pictures: opaque inside an ellipse (or everywhere), fading at the rim; a
// window pictures is clear in its middle band, as the cover's belt window is.
std::vector<uint32_t> Blob(int width, int height, unsigned seed, bool square, bool window = false)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    uint32_t colour = 0x00402010u + (seed * 0x00253B17u & 0x00BFBFBFu);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            double dx = (x + 0.5 - width / 2.0) / (width / 2.0);
            double dy = (y + 0.5 - height / 2.0) / (height / 2.0);
            double edge = (1 - std::sqrt(dx * dx + dy * dy)) * std::min(width, height) / 6.0;
            int alpha = square ? 255 : std::clamp(int(edge * 255), 0, 255);
            if (window && x > 40 && x < width - 40 && y > 100 && y < 450)
                alpha = 0;
            pixels[size_t(y * width + x)] = uint32_t(alpha) << 24 | (colour + uint32_t((x ^ y) & 15));
        }
    return pixels;
}

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
    int CurrentMode() override { return 5; }
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

// The game application handing out the made-up set by path, and no scenes or sounds.
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
    void PlayScene(const std::string&) override {}
    void PlaySample(int) override {}
    struct Pixels
    {
        int width, height;
        std::vector<uint32_t> pixels;
    };
    std::map<std::string, Pixels> pictures;
};

struct MiniGame5Setup
{
    MiniGame5Setup()
    {
        auto& common = app.config.common;
        common.BoardX = 16;
        common.BoardY = 6;
        common.ListY = 478;
        app.config.pages.CSS = 130;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& config = app.config.miniGame5;
        config.rounds = 3;
        config.items1 = config.items2 = config.items3 = 5;
        config.mV1 = config.mV2 = config.mV3 = 2;
        config.mDV1 = config.mDV2 = config.mDV3 = 0.6;
        config.fromY = 110;
        config.toY = 450;
        config.deltaX = 70;
        config.deltaDX = 30;
        config.CS = 0.04;
        config.CUS = 120;
        config.SLX = 340;
        config.SLy = 110;
        config.SLY = 450;
        config.SLdY = 3;
        config.CDY = 30;
        config.BPPX = 8;
        config.BPPY = 478;
        app.content.pages[kPage].type = "MG5";

        folder = std::filesystem::temp_directory_path() / ("mg5bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        dir = folder.string() + "/";
        std::string list;
        int number = 1;
        auto add = [&](const std::string& name, int width, int height, int x, int y, std::vector<uint32_t> pixels)
        {
            list += "pic-" + name + "\n" + std::to_string(number++) + "\n" + name + ".png\n" + std::to_string(width) +
                    "x" + std::to_string(height) + "\n" + std::to_string(x) + "\n" + std::to_string(y) + "\n";
            app.pictures[dir + name + ".png"] = {width, height, std::move(pixels)};
        };
        add("b_1_page", 767, 532, 0, 0, Blob(767, 532, 1, true, true));
        add("b_2_placard", 153, 49, 583, 461, Blob(153, 49, 2, true));
        for (int r = 1; r <= 3; ++r)
            for (int piece = 0; piece < 10; ++piece)
            {
                const std::string key = std::to_string(r) + "_piece" + std::to_string(piece);
                const int width = 80 + (piece * 13) % 40;
                const int height = 56 + (piece * 17) % 40;
                add("o_" + key, width, height, 0, 0, Blob(width, height, unsigned(10 + piece), false));
                if (piece % 2 == 0)
                    add("c_" + key, width, height, 0, 0, Blob(width, height, unsigned(40 + piece), false));
            }
        std::ofstream(folder / "picture.cfg") << list;

        panel = Picture(200, 120, 3, true);
        light = Picture(120, 16, 5, false);
        pages = Clear(767, 588);
        candy = Clear(800, 600);
        IMAGE_POST_BACK = panel.get();
        IMAGE_PAGES = pages.get();
        IMAGE_CANDY = candy.get();
        IMAGE_MG5_SCANNER_LIGHT = light.get();
        game.host = &host;
        game.LoadPicture(dir);
        Start();
        screen.CreateScreen(800, 600);
    }
    ~MiniGame5Setup()
    {
        ResetResourceIdentifiers();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void Start()
    {
        game.StartGame(300, 10);
        game.SetShown(true);
    }

    // One update of the belt, with the player catching every smuggler past the middle.
    void Update()
    {
        if (game.finished || game.round != 0 || game.RoundChangeDue())
            Start();
        game.TickFrame(1);
        for (const MG5::Object& piece : game.Rounds()[0].objects)
            if (piece.Suspicious() && piece.found == 0 && piece.x > 560 && piece.x < 700)
                game.OnPress(int(piece.x) + piece.width / 2, int(piece.y) + piece.height / 2, 1);
    }

    SetApp app;
    BenchHost host;
    std::filesystem::path folder;
    std::string dir;
    std::unique_ptr<DDImage> panel, light, pages, candy;
    MG5 game{app};
    DDImage screen;
};

void MiniGame5Frame(benchmark::State& state)
{
    MiniGame5Setup setup;
    const int mode = int(state.range(0));
    setup.host.blur = mode >= 2 ? double(mode) / 100 : 0;
    const bool streaming = mode == 1;
    if (streaming)
        for (int update = 0; update < 420; ++update)
            setup.Update();
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        if (streaming)
            setup.Update();
        Graphics graphics(&setup.screen);
        setup.game.Paint(graphics);
        benchmark::DoNotOptimize(setup.screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
// 0: at rest before the first piece; 1: the belt at full stream (its update and the frame);
// 50: the blur at its widest; 90: early in the turn.
BENCHMARK(MiniGame5Frame)->Arg(0)->Arg(1)->Arg(50)->Arg(90)->UseManualTime()->Unit(benchmark::kMicrosecond);

void MiniGame5Start(benchmark::State& state)
{
    MiniGame5Setup setup;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        setup.game.StartGame(300, 10);
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK(MiniGame5Start)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
