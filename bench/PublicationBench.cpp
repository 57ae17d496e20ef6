// The publication screen on the built game, headless on the virtual clock, in thread CPU time:
// entering each hidden-object page through the page action (its objects read from main.pak and
// its list drawn up), a frame of the publication at rest, frames of a corner turn and of a jump
// riffle sampled from real turns, and a frame of the board with its notes in place. Only the
// call itself is timed; bringing the game to the state (turning to the page, leaving it again)
// runs between the timings as the game's own updates.
//
//     bench_PublicationBench --benchmark_repetitions=5
//
// PUBLICATION_BENCH_FRAMES=<folder> writes each timed frame there as a PNG, to look at.
#include "BenchSupport.h"
#include "app/GameApp.h"
#include "board/Board.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "publication/Page.h"
#include "support/GameDriver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace Vesk::Bench;

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

constexpr int kFaceWidth = 767;

double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The game, started once for the whole run: a new player, the desk intro skipped, no scenes and
// no erase tutorial in the way of the pages.
std::unique_ptr<GameDriver> game;
std::string gameProblem;

GameDriver* TheGame()
{
    if (game != nullptr || !gameProblem.empty())
        return game.get();
    if (!std::filesystem::exists(std::filesystem::path(ORLO_BUILT_DATA_DIR) / "main.pak"))
    {
        gameProblem = "no built data: build the data target first (" + std::string(ORLO_BUILT_DATA_DIR) + ")";
        return nullptr;
    }
    game = std::make_unique<GameDriver>();
    GameApp& app = game->Game();
    if (!game->Launch() || app.pageScreen == nullptr || app.board == nullptr)
    {
        gameProblem = "the game did not start";
        game.reset();
        return nullptr;
    }
    app.sceneOption = false;
    app.firstPagePending = false;
    const auto& desktop = app.config.desktop;
    app.pageScreen->modeZoom[0] = float(desktop.DT1 + desktop.DT2 + desktop.DT3 + desktop.DT4);
    game->Step(2);
    if (app.pageScreen->IntroRunning())
    {
        gameProblem = "the desk intro did not end";
        game.reset();
    }
    return game.get();
}

Page& Screen()
{
    return *game->Game().pageScreen;
}

bool Wait(const std::function<bool()>& condition, int maxUpdates)
{
    for (int waited = 0; !condition(); ++waited)
    {
        if (waited == maxUpdates || game->Game().isShutdown)
            return false;
        game->Step();
    }
    return true;
}

bool AtRest()
{
    Page& page = Screen();
    return page.IsPublicationShown() && !page.Flipping() && !page.ZoomRunning() && page.openGate == 0;
}

// Leaves the page being played, if any, with the publication to lie open at that page, and
// waits until it lies still.
bool BackOnThePublication()
{
    Page& page = Screen();
    if (!page.IsPublicationShown())
    {
        if (!Wait([&] { return page.openGate == 0; }, 2000))
            return false;
        page.returnPage = page.currentPage;
        page.PageAction();
    }
    return Wait(AtRest, 3000);
}

// Turns the publication to page and lets it lie still (fades and hovers run out). A jump to a
// playable page enters it, as a contents title does; the page is left again at once.
bool OpenAt(int page)
{
    if (!BackOnThePublication())
        return false;
    if (Screen().currentPage != page)
    {
        Screen().FlipToPage(page);
        if (!Wait([] { return !Screen().Flipping(); }, 3000) || !BackOnThePublication() || Screen().currentPage != page)
            return false;
    }
    game->MoveTo(400, 590);
    game->Step(150);
    return AtRest();
}

// The hidden-object pages, in page order.
std::vector<int> HiddenObjectPages()
{
    std::vector<int> pages;
    const ContentModel& content = game->Game().content;
    for (int i = 0; i < std::min(content.pageCount, kMaxPages); ++i)
        if (content.pages[size_t(i)].type == "Game" || content.pages[size_t(i)].type == "NGame")
            pages.push_back(i);
    return pages;
}

// Paints widget into the screen image as the widget manager does: at the widget's place, the
// fast stretch of the software renderer.
void PaintAsManager(Widget& widget)
{
    GameApp& app = game->Game();
    Graphics graphics(app.GetScreenImage());
    graphics.SetFastStretch(!app.Is3DAccelerated());
    graphics.SetLinearBlend(app.Is3DAccelerated());
    graphics.Translate(widget.x, widget.y);
    widget.Paint(graphics);
}

void SaveFrame(const std::string& name)
{
    const char* folder = std::getenv("PUBLICATION_BENCH_FRAMES");
    if (folder == nullptr)
        return;
    std::filesystem::create_directories(folder);
    game->Driver().WriteScreenPng(std::filesystem::path(folder) / (name + ".png"));
}

// Times paint frames of the current state.
void TimeFrames(benchmark::State& state, Widget& widget, const std::string& name)
{
    for (auto _ : state)
    {
        const double start = ThreadSeconds();
        PaintAsManager(widget);
        state.SetIterationTime(ThreadSeconds() - start);
        benchmark::DoNotOptimize(game->Game().GetScreenImage()->GetBits());
    }
    SaveFrame(name);
}

// How far the top sheet of the turn has come, 0..1.
double TurnProgress()
{
    const Page& page = Screen();
    double edge = std::clamp((page.flipEdge - game->Game().config.common.BoardX) / double(kFaceWidth), 0.0, 1.0);
    return page.flipDirection == 1 ? edge : 1 - edge;
}

// Runs updates until the turn under way has come at least progress of its way.
bool AdvanceTurnTo(double progress)
{
    return Wait([&] { return !Screen().Flipping() || TurnProgress() >= progress; }, 500) && Screen().Flipping();
}

// --- Entering a page -----------------------------------------------------------------------------

// The page action on the publication lying open at the ordinal-th hidden-object page: the
// page's objects loaded from main.pak and its list drawn up. Between timings the page is left
// with nothing found (so each entry draws a fresh list) and the game runs until the publication
// lies open at the page again.
void BM_EnterHiddenObjectPage(benchmark::State& state)
{
    if (TheGame() == nullptr)
        return state.SkipWithError(gameProblem.c_str());
    const std::vector<int> pages = HiddenObjectPages();
    const size_t ordinal = size_t(state.range(0));
    if (ordinal >= pages.size())
        return state.SkipWithError("the publication has fewer hidden-object pages");
    const int pageIndex = pages[ordinal];
    GameApp& app = game->Game();
    const PageRecord& record = app.content.pages[size_t(pageIndex)];
    state.SetLabel("page " + std::to_string(pageIndex) + " (" + record.type + ")");
    if (!OpenAt(pageIndex))
        return state.SkipWithError("the publication does not lie open at the page");
    Page& page = Screen();
    double wall = 0;
    for (auto _ : state)
    {
        page.returnPage = pageIndex;
        const double wallStart = WallSeconds();
        const double start = ThreadSeconds();
        page.PageAction();
        state.SetIterationTime(ThreadSeconds() - start);
        wall += WallSeconds() - wallStart;

        state.PauseTiming();
        const bool entered = !page.IsPublicationShown() && app.board->slotCount > 0 && app.content.pictureItemCount > 0;
        state.counters["items"] = app.content.pictureItemCount;
        const bool left = entered && BackOnThePublication() && page.currentPage == pageIndex;
        state.ResumeTiming();
        if (!entered)
            return state.SkipWithError("the page did not open");
        if (!left)
            return state.SkipWithError("the page was not left back to the publication");
    }
    state.counters["wallMs"] = benchmark::Counter(wall * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_EnterHiddenObjectPage)->DenseRange(0, 6)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// --- Frames --------------------------------------------------------------------------------------

// The publication at rest: 0 the cover with its menu, 1 the contents, 2 the first hidden-object
// page.
void BM_PublicationFrameAtRest(benchmark::State& state)
{
    if (TheGame() == nullptr)
        return state.SkipWithError(gameProblem.c_str());
    int pageIndex = int(state.range(0));
    if (pageIndex == 2)
        pageIndex = HiddenObjectPages().empty() ? -1 : HiddenObjectPages().front();
    if (pageIndex < 0 || !OpenAt(pageIndex))
        return state.SkipWithError("the publication does not lie open at the page");
    state.SetLabel("page " + std::to_string(pageIndex));
    TimeFrames(state, Screen(), "rest-" + std::to_string(pageIndex));
}
BENCHMARK(BM_PublicationFrameAtRest)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A corner click on the first hidden-object page turning one sheet forward, the frame sampled
// at the first update past the given hundredths of the turn.
void BM_PageTurnFrame(benchmark::State& state)
{
    if (TheGame() == nullptr)
        return state.SkipWithError(gameProblem.c_str());
    const std::vector<int> pages = HiddenObjectPages();
    if (pages.empty() || !OpenAt(pages.front()))
        return state.SkipWithError("the publication does not lie open at the page");
    const int cornerY = game->Game().config.common.BoardY + 520;
    game->Click(765, cornerY);
    if (!AdvanceTurnTo(double(state.range(0)) / 100))
        return state.SkipWithError("the corner click turned no page");
    Page& page = Screen();
    state.counters["progress"] = TurnProgress();
    state.counters["sheets"] = std::min(page.flipFaceCount, 3);
    TimeFrames(state, page, "turn-" + std::to_string(state.range(0)));
    BackOnThePublication();
}
BENCHMARK(BM_PageTurnFrame)->Arg(15)->Arg(45)->Arg(75)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A jump from the contents to a page beyond three open pages (as a contents title turns to it),
// three sheets riffling, the frame sampled half way through the top sheet's turn. Pages of the
// sets not reached yet are opened for it.
void BM_JumpRiffleFrame(benchmark::State& state)
{
    if (TheGame() == nullptr)
        return state.SkipWithError(gameProblem.c_str());
    const std::vector<int> pages = HiddenObjectPages();
    if (pages.size() < 4 || !OpenAt(1))
        return state.SkipWithError("the publication does not lie open at the contents");
    ContentModel& content = game->Game().content;
    for (size_t i = 0; i < 3; ++i)
        content.pages[size_t(pages[i])].open = true;
    const int target = pages[3];
    Page& page = Screen();
    page.FlipToPage(target);
    if (!AdvanceTurnTo(0.5))
        return state.SkipWithError("the jump turned no page");
    state.counters["progress"] = TurnProgress();
    state.counters["sheets"] = std::min(page.flipFaceCount, 3);
    if (page.flipFaceCount < 3)
        return state.SkipWithError("fewer than three sheets riffle");
    TimeFrames(state, page, "riffle");
    Wait([] { return !Screen().Flipping(); }, 3000);
    BackOnThePublication();
}
BENCHMARK(BM_JumpRiffleFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The board at rest on the first hidden-object page: the notes in place, the back button's glow
// played out.
void BM_BoardFrameAtRest(benchmark::State& state)
{
    if (TheGame() == nullptr)
        return state.SkipWithError(gameProblem.c_str());
    const std::vector<int> pages = HiddenObjectPages();
    if (pages.empty() || !OpenAt(pages.front()))
        return state.SkipWithError("the publication does not lie open at the page");
    Page& page = Screen();
    Board& board = *game->Game().board;
    page.returnPage = pages.front();
    page.PageAction();
    const bool playing = Wait(
        [&]
        {
            return !page.IsPublicationShown() && board.openSignalled && page.ListSlideDirection() == 0 &&
                   page.ListSlide() == 0;
        },
        3000);
    if (!playing)
        return state.SkipWithError("the board did not open with its notes in place");
    game->Step(300);
    state.SetLabel("page " + std::to_string(pages.front()));
    TimeFrames(state, board, "board");
    BackOnThePublication();
}
BENCHMARK(BM_BoardFrameAtRest)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace Vesk

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The game goes before the program's statics do.
    Vesk::game.reset();
    return 0;
}
