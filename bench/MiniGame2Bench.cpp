// The container sorting game: a frame at rest and during the page-turn blur (its smeared deck and
// containers), and the start of the game (the blur pictures made), in thread CPU time. The set
// is made up at the shipped page's sizes: a 767 x 532 deck, six 130 x 150 containers, six items
// a round, two of them already put away. The texts are not drawn (no fonts).

#include "BenchSupport.h"
#include "app/GameApp.h"
#include "app/PictureListReader.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "minigames/MG2.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

using namespace Vesk;
using namespace Vesk::Bench;

namespace
{

// A soft-edged blob in a colour of its own, as the cargo and the containers are drawn.
std::unique_ptr<DDImage> Blob(int width, int height, unsigned seed)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    uint32_t colour = 0x00402010u + (seed * 0x00253B17u & 0x00BFBFBFu);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            double dx = (x + 0.5 - width / 2.0) / (width / 2.0);
            double dy = (y + 0.5 - height / 2.0) / (height / 2.0);
            double edge = (1 - std::sqrt(dx * dx + dy * dy)) * std::min(width, height) / 6.0;
            int alpha = std::clamp(int(edge * 255), 0, 255);
            pixels[size_t(y * width + x)] = uint32_t(alpha) << 24 | (colour + uint32_t((x ^ y) & 15));
        }
    auto image = std::make_unique<DDImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

// A frame: opaque border of the given width around a transparent middle.
std::unique_ptr<DDImage> Frame(int width, int height, int border)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x < border || y < border || x >= width - border || y >= height - border)
                pixels[size_t(y * width + x)] = 0xFF3A2A1Eu;
    auto image = std::make_unique<DDImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

struct BenchHost : BoardHost
{
    bool IsPublicationShown() override { return false; }
    int CurrentPage() override { return 6; }
    int OpenGate() override { return 0; }
    bool IsPauseOpen() override { return false; }
    double ListSlide() override { return slide; }
    int ListSlideDirection() override { return 0; }
    void SetListSlideDirection(int) override {}
    void SetListSlide(double) override {}
    double Blur() override { return blur; }
    void SetBlurDirection(int) override {}
    double ModeZoom(int) override { return 0; }
    int CurrentMode() override { return 2; }
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
    double slide = 0;
    std::unique_ptr<DDImage> desk = Solid(800, 600, 0xFF6B4A2Fu);
};

struct CargoSetup
{
    CargoSetup()
    {
        auto& common = app.config.common;
        common.BoardX = 16;
        common.BoardY = 6;
        common.ListX1 = 230;
        common.ListX3 = 590;
        common.ListY = 478;
        common.RetSpeed = 10;
        app.config.pages.CSS = 130;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& section = app.config.miniGame2;
        section.CS = 0.03;
        section.rounds = 2;
        section.ListX1 = 214;
        section.ListX2 = 330;
        section.ListX3 = 446;
        section.ListX4 = 562;
        section.ListX5 = 678;

        note = Solid(116, 122, 0xFFF7E98Au);
        panel = Solid(200, 120, 0xFFF2E6C8u);
        pages = Frame(767, 588, 12);
        candy = Frame(800, 600, 6);
        IMAGE_POST_1 = IMAGE_POST_2 = IMAGE_POST_3 = IMAGE_POST_4 = IMAGE_POST_5 = note.get();
        IMAGE_POST_BACK = panel.get();
        IMAGE_PAGES = pages.get();
        IMAGE_CANDY = candy.get();
        game.host = &host;
        screen.CreateScreen(800, 600);
        Build();
    }
    ~CargoSetup() { ResetResourceIdentifiers(); }

    // The picture set, as LoadPicture makes it from the page's folder.
    void Build()
    {
        std::vector<PictureListEntry> entries = {{"b_deck.png", 0, 0}};
        const int places[5][2] = {{70, 100}, {214, 100}, {423, 100}, {567, 100}, {142, 268}};
        for (char r : {'1', '2'})
            for (int c = 0; c < 5; ++c)
                entries.push_back(
                    {std::string("c_") + r + "_" + char('1' + c) + "_box.png", places[c][0], places[c][1]});
        entries.push_back({"c_1_6_borrowed.png", 495, 268});
        entries.push_back({"c_2_6_borrowed.png", 495, 268});
        for (char r : {'1', '2'})
            for (int i = 0; i < 6; ++i)
            {
                std::string key = std::string(1, char('1' + std::min(i, 4))) + "cargo" + char('a' + i) + ".png";
                entries.push_back({std::string("p_") + r + "_" + key, 230 + 96 * i, 510});
                entries.push_back({std::string("m_") + r + "_" + key, 15, 30});
            }
        unsigned seed = 0;
        game.BuildSet(entries,
                      [&](const std::string& name) -> std::unique_ptr<DDImage>
                      {
                          ++seed;
                          if (name[0] == 'b')
                              return Solid(767, 532, 0xFFB08850u);
                          if (name[0] == 'c')
                              return Blob(130, 150, seed);
                          return name[0] == 'm' ? Blob(100, 50, seed) : Blob(80, 64, seed);
                      });
    }

    // Two items of the first round put away.
    void PutTwoAway()
    {
        for (int index : {0, 1})
            game.rounds[0].items[size_t(index)].found = 1;
    }

    GameApp app;
    BenchHost host;
    std::unique_ptr<DDImage> note, panel, pages, candy;
    MG2 game{app};
    DDImage screen;
};

void MiniGame2Frame(benchmark::State& state)
{
    CargoSetup setup;
    setup.game.StartGame(300, 6);
    setup.PutTwoAway();
    setup.host.blur = double(state.range(0)) / 100;
    // During the turn the notes are still away; at rest they lie in place.
    setup.host.slide = state.range(0) > 0 ? 1 : 0;
    {
        // The smear of the containers with what was put away is made at the first blurred frame.
        Graphics graphics(&setup.screen);
        setup.game.Paint(graphics);
    }
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        Graphics graphics(&setup.screen);
        setup.game.Paint(graphics);
        benchmark::DoNotOptimize(setup.screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
// 0: at rest; 50: the blur at its widest; 20: late in the turn, the containers coming out.
BENCHMARK(MiniGame2Frame)->Arg(0)->Arg(50)->Arg(20)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Starting the game on a freshly read set: the blur pictures of the deck and the containers made.
void MiniGame2Start(benchmark::State& state)
{
    CargoSetup setup;
    for (auto _ : state)
    {
        setup.Build();
        double start = ThreadSeconds();
        setup.game.StartGame(300, 6);
        benchmark::DoNotOptimize(setup.game.rounds[0].items.data());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK(MiniGame2Start)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
