// The hidden-object board: a frame at rest and during the page-turn blur with a page of 40
// objects over its background, and the start of that page (the list drawn up, the notes
// written, the smear made), in thread CPU time. The pictures are made up; the texts are not drawn (no fonts).

#include "BenchSupport.h"
#include "app/GameApp.h"
#include "app/PictureListReader.h"
#include "app/Resources.h"
#include "board/Board.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"

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

constexpr int kPage = 2;
constexpr int kObjects = 40;

// A blob of soft edges in a colour of its own: opaque inside an ellipse, fading over 3 pixels.
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
    int CurrentPage() override { return kPage; }
    int OpenGate() override { return 0; }
    bool IsPauseOpen() override { return false; }
    double ListSlide() override { return 0; }
    int ListSlideDirection() override { return 0; }
    void SetListSlideDirection(int) override {}
    void SetListSlide(double) override {}
    double Blur() override { return blur; }
    void SetBlurDirection(int) override {}
    double ModeZoom(int) override { return 0; }
    int CurrentMode() override { return 0; }
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

// The game, its configuration as shipped and a page of 40 objects (20 to 120 pixels) and its
// background, the last item.
struct BoardSetup
{
    BoardSetup()
    {
        auto& common = app.config.common;
        common.BoardX = 16;
        common.BoardY = 6;
        common.ListX1 = 230;
        common.ListX2 = 410;
        common.ListX3 = 590;
        common.ListY = 478;
        common.ListTx = 34;
        common.ListTd = 22;
        common.ListR1 = -2;
        common.ListR2 = 1.5;
        common.ListR3 = -1;
        app.config.pages.CSS = 130;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& ispy = app.config.ispy;
        ispy.BPX = 20;
        ispy.BPY = 478;
        ispy.hbn = 30000;
        ispy.SAng = -4;
        ispy.SDAn = 8;
        app.content.pages[kPage].type = "Game";

        std::vector<PictureListEntry> entries;
        for (int i = 0; i < kObjects; ++i)
            entries.push_back({"obj_" + std::to_string(i) + "_thing" + char('a' + i % 26) + ".png", 20 + (i * 97) % 640,
                               20 + (i * 53) % 400});
        entries.push_back({"zz_background_.png", 0, 0});
        app.content.LoadPageItems("p03/", entries, {});
        for (int i = 0; i < app.content.pictureItemCount; ++i)
        {
            PictureItem& item = app.content.pictureItems[size_t(i)];
            int size = 20 + (i * 37) % 101;
            item.image = i < kObjects ? Blob(size, size * 3 / 4 + 5, unsigned(i)) : Solid(767, 532, 0xFFF4EBD6u);
            item.opaqueSamples = 50;
        }

        note = Solid(150, 120, 0xFFF7E98Au);
        panel = Solid(200, 120, 0xFFF2E6C8u);
        stroke = Solid(110, 6, 0xFF283060u);
        pages = Frame(767, 588, 12);
        candy = Frame(800, 600, 6);
        IMAGE_POST_1 = IMAGE_POST_2 = IMAGE_POST_3 = note.get();
        IMAGE_POST_BACK = panel.get();
        IMAGE_STROKE = stroke.get();
        IMAGE_PAGES = pages.get();
        IMAGE_CANDY = candy.get();
        board.host = &host;
        screen.CreateScreen(800, 600);
    }
    ~BoardSetup() { ResetResourceIdentifiers(); }

    GameApp app;
    BenchHost host;
    std::unique_ptr<DDImage> note, panel, stroke, pages, candy;
    Board board{app};
    DDImage screen;
};

void BoardFrame(benchmark::State& state)
{
    BoardSetup setup;
    setup.board.StartPage(600, false);
    setup.host.blur = double(state.range(0)) / 100;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        Graphics graphics(&setup.screen);
        setup.board.Paint(graphics);
        benchmark::DoNotOptimize(setup.screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
// 0: at rest; 50: the blur at its widest; 90: early in the turn.
BENCHMARK(BoardFrame)->Arg(0)->Arg(50)->Arg(90)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BoardStartPage(benchmark::State& state)
{
    BoardSetup setup;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        setup.board.StartPage(600, false);
        benchmark::DoNotOptimize(setup.board.listSlots);
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK(BoardStartPage)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
