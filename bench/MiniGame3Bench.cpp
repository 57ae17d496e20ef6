// The sequence memory game: a whole frame at rest (the show over, two bells in the tray), during
// the show (the lit window showing a bell under the blinking sign), during the round's end (the
// bells whirling while the cover fades in, then the tray carried off) and in the page-turn blur
// (the desk, the loft, the bells, the page edges, the replay button, the panel and the back
// button), and the making of the snapshot with its smear, in thread CPU time. The set is made up
// in the shape of the shipped one: a full background, a tray of 264 x 104, four bells of eight
// 36 x 76 cels, show pictures of 100 x 150, full-page covers and a 22-cel sparkle. The texts are
// not drawn (no fonts).

#include "BenchSupport.h"
#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "minigames/MG3.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Vesk;
using namespace Vesk::Bench;

namespace
{

constexpr int kPage = 10;
constexpr int kItems = 4;

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
    int CurrentMode() override { return 3; }
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

struct MiniGame3Setup
{
    MiniGame3Setup()
    {
        auto& common = app.config.common;
        common.BoardX = 16;
        common.BoardY = 6;
        common.ListY = 478;
        app.config.pages.CSS = 130;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& config = app.config.miniGame3;
        config.rounds = 3;
        config.items1 = config.items2 = config.items3 = kItems;
        config.pause1 = config.pause2 = config.pause3 = 1200;
        config.P1 = 500;
        config.P2 = 1000;
        config.P3 = 500;
        config.P4 = 700;
        config.BD = 250;
        config.FC = 8;
        config.CS = 0.03;
        config.RS = 10;
        config.RCT = 200;
        config.EP = 0.5;
        config.ES = 0.08;
        config.RX = 190;
        config.RY = 385;
        config.MX = config.MDX = 580;
        config.MY = config.MDY = 30;
        config.PBX = 365;
        config.PBY = 285;
        config.BPPX = 8;
        config.BPPY = 478;
        app.content.pages[kPage].type = "MG3";

        folder = std::filesystem::temp_directory_path() / ("mg3bench-" + std::to_string(::getpid()));
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
        add("b_loft", 767, 532, 0, 0, 1, true);
        add("m_tray", 264, 104, 458, 343, 2, false);
        add("s_place", 792, 76, -12, 514, 3, false);
        add("t_1", 767, 532, 0, 0, 4, false);
        add("t_2", 767, 532, 0, 0, 5, false);
        for (int item = 0; item < kItems; ++item)
        {
            const std::string key = "1bell" + std::to_string(item);
            add("i_" + key, 288, 76, 56 + 46 * item, 348, unsigned(10 + item), false);
            add("c_" + key, 100, 150, 334, 100, unsigned(10 + item), false);
            add("a_" + key, 66, 31, 475 + 80 * (item % 3), 358 + 40 * (item / 3), unsigned(10 + item), false);
        }
        std::ofstream(folder / "picture.cfg") << list;

        panel = Solid(200, 120, 0xFFF2E6C8u);
        button = Solid(70, 40, 0xFFE0C890u);
        sign = Solid(120, 60, 0xFFC03030u);
        pages = Solid(767, 588, 0);
        candy = Solid(800, 600, 0);
        IMAGE_POST_BACK = panel.get();
        IMAGE_MG3_PB = button.get();
        IMAGE_SMS = sign.get();
        IMAGE_MMS = sign.get();
        IMAGE_PAGES = pages.get();
        IMAGE_CANDY = candy.get();
        game.host = &host;
        game.StartGame(300, 6);
        game.LoadPicture(dir);
        game.StartGame(300, 6);
        game.SetShown(true);
        screen.CreateScreen(800, 600);
    }
    ~MiniGame3Setup()
    {
        ResetResourceIdentifiers();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void TickUntil(const std::function<bool()>& condition)
    {
        for (int step = 0; step < 10000 && !condition(); ++step)
            game.TickFrame(1);
    }

    SetApp app;
    BenchHost host;
    std::filesystem::path folder;
    std::string dir;
    std::unique_ptr<DDImage> panel, button, sign, pages, candy;
    MG3 game{app};
    DDImage screen;
};

void PaintFrames(benchmark::State& state, MiniGame3Setup& setup)
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

// The show over; 50: the page-turn blur at its widest; 90: early in the turn.
void MiniGame3Frame(benchmark::State& state)
{
    MiniGame3Setup setup;
    setup.TickUntil([&] { return setup.game.ShowClock() >= setup.game.ShowEnd(); });
    setup.game.BuildSnapshot();
    setup.host.blur = double(state.range(0)) / 100;
    PaintFrames(state, setup);
}
BENCHMARK(MiniGame3Frame)->Arg(0)->Arg(50)->Arg(90)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The show: the second bell in the lit window under the sign.
void MiniGame3ShowFrame(benchmark::State& state)
{
    MiniGame3Setup setup;
    setup.TickUntil([&] { return setup.game.ShownItem() == setup.game.CurrentRound().sequence[1]; });
    PaintFrames(state, setup);
}
BENCHMARK(MiniGame3ShowFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The round's end: 25, a quarter through (the whirl); 75, three quarters (the tray travelling).
void MiniGame3RoundEndFrame(benchmark::State& state)
{
    MiniGame3Setup setup;
    setup.game.CompleteRound();
    setup.TickUntil([&] { return setup.game.RoundEnding(); });
    for (int step = 0; step < 200 * state.range(0) / 100; ++step)
        setup.game.TickFrame(1);
    PaintFrames(state, setup);
}
BENCHMARK(MiniGame3RoundEndFrame)->Arg(25)->Arg(75)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The snapshot and its smear (made while the page loads and as it closes).
void MiniGame3MakeSnapshot(benchmark::State& state)
{
    MiniGame3Setup setup;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        setup.game.BuildSnapshot();
        benchmark::DoNotOptimize(setup.game.Snapshot());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK(MiniGame3MakeSnapshot)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
