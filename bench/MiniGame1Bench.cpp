// The piece matching game: a frame at rest and during the page-turn blur-in (the notes sliding
// in, scaled, with the pieces riding them), and the snapshot the camera zoom shows, in thread CPU
// time. A made-up set of three rounds of six pieces, half of the first round filling in; the texts
// are not drawn (no fonts).

#include "BenchSupport.h"
#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "minigames/MG1.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Vesk;
using namespace Vesk::Bench;

namespace
{

constexpr int kPage = 3;
constexpr int kPieces = 6;

// A torn-paper piece: opaque inside an ellipse, fading over a few pixels, in a colour of its own.
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

// The game with the set's pictures made from their file names instead of read.
struct BenchApp : GameApp
{
    std::unique_ptr<DDImage> GetImage(const std::string& path, bool commitBits) override
    {
        const std::string name = path.substr(path.rfind('/') + 1);
        if (name[0] == 'b')
            return Solid(767, 532, 0xFFF4EBD6u);
        const unsigned seed = unsigned(name[1] * 7 + name[4]);
        return name[0] == 'd' ? Blob(66, 72, seed) : Blob(72, 78, seed + 1);
    }
};

struct BenchHost : BoardHost
{
    bool IsPublicationShown() override { return false; }
    int CurrentPage() override { return kPage; }
    int OpenGate() override { return 0; }
    bool IsPauseOpen() override { return false; }
    double ListSlide() override { return slide; }
    int ListSlideDirection() override { return 0; }
    void SetListSlideDirection(int) override {}
    void SetListSlide(double) override {}
    double Blur() override { return blur; }
    void SetBlurDirection(int) override {}
    double ModeZoom(int) override { return 1; }
    int CurrentMode() override { return 1; }
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

// The game in the shipped layout with its set read from a picture list in a folder of its own.
struct MiniGame1Setup
{
    MiniGame1Setup()
    {
        auto& common = app.config.common;
        common.BoardX = 16;
        common.BoardY = 6;
        common.ListY = 478;
        common.RetSpeed = 10;
        common.ClickTreshold = 6;
        app.config.pages.CSS = 130;
        auto& section = app.config.miniGame1;
        section.CS = 0.025;
        section.RANIM = 160;
        section.ListX1 = 214;
        section.ListX2 = 284;
        section.ListX3 = 354;
        section.ListX4 = 424;
        section.ListX5 = 494;
        section.ListX6 = 564;
        section.ListX7 = 634;
        section.ListX8 = 704;
        section.BPPX = 8;
        section.BPPY = 478;
        section.BPBX = 12;
        section.BPBY = 72;
        app.content.pages[kPage].type = "MG1";

        // Three rounds of six pieces: outlines spread over the picture, pieces on the notes.
        std::ofstream list(folder / "picture.cfg");
        int id = 0;
        auto line = [&](const std::string& name, int x, int y) {
            list << ++id << "\n1\n" << name << "\n1x1\n" << x << "\n" << y << "\n";
        };
        for (int round = 1; round <= 3; ++round)
        {
            const std::string digit = std::to_string(round);
            line("b" + digit + "_map.png", 0, 0);
            for (int i = 0; i < kPieces; ++i)
                line("d" + digit + "_k" + std::to_string(i) + ".png", 100 + 100 * i, 120 + 40 * (i % 3));
            for (int i = 0; i < kPieces; ++i)
                line("p" + digit + "_k" + std::to_string(i) + ".png", 285 + 70 * i, 500);
        }
        list.close();

        note = Solid(70, 120, 0xFFF7E98Au);
        panel = Solid(200, 120, 0xFFF2E6C8u);
        candy = Solid(800, 600, 0x00000000u);
        for (Image** image : {&IMAGE_POST_1, &IMAGE_POST_2, &IMAGE_POST_3, &IMAGE_POST_4, &IMAGE_POST_5, &IMAGE_POST_6,
                              &IMAGE_POST_7, &IMAGE_POST_8})
            *image = note.get();
        IMAGE_POST_BACK = panel.get();
        IMAGE_CANDY = candy.get();
        game = std::make_unique<MG1>(app);
        game->host = &host;
        game->LoadPicture(folder.string() + "/");
        game->StartGame(300, kPieces);
        game->SetShown(true);
        // Half the first round dropped on their outlines, filling in.
        for (int i = 0; i < kPieces / 2; ++i)
        {
            const MG1::Piece& piece = game->CurrentRound().pieces[size_t(i)];
            game->OnPress(piece.x + 36, piece.y + 39, 1);
            game->OnRelease(16 + piece.outlineX + 33, 6 + piece.outlineY + 36, 1);
        }
        screen.CreateScreen(800, 600);
    }
    ~MiniGame1Setup()
    {
        game.reset();
        ResetResourceIdentifiers();
        std::filesystem::remove_all(folder);
    }

    std::filesystem::path folder = []
    {
        auto path = std::filesystem::temp_directory_path() / ("orlo-mg1-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    BenchApp app;
    BenchHost host;
    std::unique_ptr<DDImage> note, panel, candy;
    std::unique_ptr<MG1> game;
    DDImage screen;
};

void MiniGame1Frame(benchmark::State& state)
{
    MiniGame1Setup setup;
    // During the blur-in the notes slide in with it.
    setup.host.blur = double(state.range(0)) / 100;
    setup.host.slide = setup.host.blur;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        Graphics graphics(&setup.screen);
        setup.game->Paint(graphics);
        benchmark::DoNotOptimize(setup.screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
// 0: at rest; 50: half way through the blur-in; 90: early in it.
BENCHMARK(MiniGame1Frame)->Arg(0)->Arg(50)->Arg(90)->UseManualTime()->Unit(benchmark::kMicrosecond);

void MiniGame1Snapshot(benchmark::State& state)
{
    MiniGame1Setup setup;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        setup.game->BuildSnapshot();
        benchmark::DoNotOptimize(setup.game->Snapshot());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK(MiniGame1Snapshot)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
