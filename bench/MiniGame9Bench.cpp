// The magnifying-glass capture: a whole frame (the desk, the meadow, the lamps, the box of wanted
// fireflies, the extras and fireflies at a third of their size, the page edges, the panel, the
// back button and the glass's view) at rest with the glass parked, at full activity (the glass
// dragged over the meadow every frame, fireflies flying into the box, a waiting one dropping in,
// the lamps flickering, the rules ticking) and during the page-turn blur, in thread CPU time; and
// the loading of the set and the start, which enlarge the background three times for the glass,
// reduce the pictures for the scene and make the page turn's smeared layers. The set is made up in the shape of the
// shipped one: a full background, six extras, ten fireflies of 48 x 48 (16 x 16 in the scene), six wanted and four
// waiting. The texts are not drawn (no fonts).

#include "BenchSupport.h"
#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "minigames/MG9.h"

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

constexpr int kPage = 16;
constexpr int kBoardX = 16;
constexpr int kBoardY = 6;

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
    int CurrentMode() override { return 9; }
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
    void PlaySample(int) override {}
    void PlayScene(const std::string&) override {}
    struct Pixels
    {
        int width, height;
        std::vector<uint32_t> pixels;
    };
    std::map<std::string, Pixels> pictures;
};

struct MiniGame9Setup
{
    MiniGame9Setup()
    {
        auto& common = app.config.common;
        common.BoardX = kBoardX;
        common.BoardY = kBoardY;
        common.ListY = 478;
        app.config.pages.CSS = 130;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& config = app.config.miniGame9;
        config.Lx = 60;
        config.LX = 628;
        config.Ly = 60;
        config.LY = 440;
        config.BX = 98;
        config.BY = 14;
        config.SCL = 3;
        config.draw_objects = true;
        config.CS = 0.004;
        config.SANIMDX = 16;
        config.SANIMDY = 23;
        config.RELOADT = 200;
        config.RELOADY = 80;
        config.LIX = 24;
        config.LIY = 60;
        config.LIDY = 24;
        config.LISP = 30;
        config.LIt = 100000;
        config.LIT = 100001;
        config.LIQ = 2;
        config.n1_ = 30000;
        config.BPPX = 8;
        config.BPPY = 478;
        app.content.pages[kPage].type = "MG9";

        folder = std::filesystem::temp_directory_path() / ("mg9bench-" + std::to_string(::getpid()));
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
        add("b_meadow", 767, 532, 0, 0, 1, true);
        for (int extra = 1; extra <= 6; ++extra)
            add("s_" + std::to_string(extra), 210, 180, 40 + extra * 80, 250 + (extra * 37) % 150, unsigned(extra),
                false);
        for (int fly = 0; fly < 10; ++fly)
        {
            const std::string key = "fly" + std::to_string(fly);
            const int x = 60 + fly * 55;
            const int y = 80 + (fly * 137) % 340;
            const int slotX = 636 + (fly % 2) * 52 + (fly >= 6 ? 900 : 0);
            const int slotY = 78 + (fly / 2 % 3) * 72;
            add("o_" + key, 48, 48, x, y, unsigned(10 + fly), false);
            add("p_" + key, 48, 62, slotX, slotY, unsigned(30 + fly), true);
            add("g_" + key, 48, 48, x, y, 1, true);
            places.push_back({kBoardX + x + 8, kBoardY + y + 8});
        }
        std::ofstream(folder / "picture.cfg") << list;

        panel = Picture(200, 120, 3, true);
        // The page edges and the candy frame are transparent but for their rims.
        pages = Clear(767, 588);
        candy = Clear(800, 600);
        glass = Picture(130, 130, 6, false);
        button = Picture(22, 22, 8, true);
        light = Picture(24, 20, 9, false);
        IMAGE_POST_BACK = panel.get();
        IMAGE_PAGES = pages.get();
        IMAGE_CANDY = candy.get();
        IMAGE_GLASS = glass.get();
        IMAGE_GLASS_BTN = button.get();
        IMAGE_MG9_LIGHT = light.get();
        game.host = &host;
        game.StartGame(300, 10);
        game.LoadPicture(dir);
        Restart();
        screen.CreateScreen(800, 600);
    }
    ~MiniGame9Setup()
    {
        ResetResourceIdentifiers();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void Restart()
    {
        game.StartGame(300, 10);
        game.SetShown(true);
        game.TickFrame(1);
        game.TickFrame(1);
    }

    // The glass taken by its lens to (x, y).
    void MoveGlass(int x, int y)
    {
        game.OnPress(game.GlassX(), game.GlassY(), 1);
        game.OnPointerDrag(x, y);
        game.OnRelease(x, y, 1);
    }

    // Two fireflies caught, so that they fly into the box while the frames are timed.
    void CaptureTwo()
    {
        for (int fly = 0; fly < 2; ++fly)
        {
            MoveGlass(places[size_t(fly)].first, places[size_t(fly)].second);
            const int x = game.ButtonX() + 11;
            const int y = game.ButtonY() + 11;
            game.OnPress(x, y, 1);
            game.OnRelease(x, y, 1);
        }
    }

    SetApp app;
    BenchHost host;
    std::filesystem::path folder;
    std::string dir;
    std::vector<std::pair<int, int>> places;
    std::unique_ptr<DDImage> panel, pages, candy, glass, button, light;
    MG9 game{app};
    DDImage screen;
};

// 0: at rest, the glass parked; 1: full activity; 2: the blur at its widest.
void MiniGame9Frame(benchmark::State& state)
{
    MiniGame9Setup setup;
    const int what = int(state.range(0));
    setup.host.blur = what == 2 ? 0.5 : 0;
    if (what == 1)
        setup.CaptureTwo();
    {
        Graphics graphics(&setup.screen);
        setup.game.Paint(graphics);
    }
    int step = 0;
    for (auto _ : state)
    {
        if (what == 1 && step % 200 == 199)
        {
            setup.Restart();
            setup.CaptureTwo();
        }
        ++step;
        double start = ThreadSeconds();
        if (what == 1)
        {
            // The glass is dragged over the meadow as a searching player moves it.
            setup.game.OnPointerDrag(100 + (step * 37) % 500, 80 + (step * 53) % 340);
            setup.game.TickFrame(1);
        }
        Graphics graphics(&setup.screen);
        setup.game.Paint(graphics);
        benchmark::DoNotOptimize(setup.screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
        if (what == 1 && step % 200 == 1)
            setup.game.OnPress(setup.game.GlassX(), setup.game.GlassY(), 1);
    }
}
BENCHMARK(MiniGame9Frame)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMicrosecond);

void MiniGame9LoadAndStart(benchmark::State& state)
{
    MiniGame9Setup setup;
    for (auto _ : state)
    {
        setup.game.FreePictures();
        double start = ThreadSeconds();
        setup.game.LoadPicture(setup.dir);
        setup.game.StartGame(300, 10);
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK(MiniGame9LoadAndStart)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
