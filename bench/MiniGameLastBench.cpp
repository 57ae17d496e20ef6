// The final game on the built game, headless on the virtual clock, in thread CPU time: a whole
// frame at rest (the publication under it with the desk, the page and its edges, then the note
// strip with its notes and their faint places, the panel, the back button and the tries) and a
// frame while the publication turns a page under the strip. The game is entered from a save in
// which every other page is done; only the paint itself is timed.
//
//     bench_MiniGameLastBench --benchmark_repetitions=5
#include "BenchSupport.h"
#include "app/GameApp.h"
#include "framework/graphics/Graphics.h"
#include "minigames/MGLast.h"
#include "publication/Page.h"
#include "support/GameDriver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

using namespace Vesk::Bench;

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

constexpr int kFinalPage = 17;
constexpr int kFinalMode = 10;

std::unique_ptr<GameDriver> game;
std::string gameProblem;

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

MGLast* Final()
{
    return dynamic_cast<MGLast*>(game->Game().MiniGameOfMode(kFinalMode));
}

// The game started once for the run, at play in the final game.
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
    auto fail = [](const std::string& problem)
    {
        gameProblem = problem;
        game.reset();
        return nullptr;
    };
    if (!game->Launch())
        return fail("the game did not start");
    std::optional<SaveData> save = game->ReadSave();
    if (!save)
        return fail("no save");
    for (int row = 2; row < kFinalPage; ++row)
        save->pages[size_t(row)].open = save->pages[size_t(row)].done = true;
    save->flags.firstPagePending = false;
    save->flags.tutorialPending = false;
    if (!game->Relaunch(save))
        return fail("the game did not start again");
    game->SkipIntro();
    GameApp& app = game->Game();
    app.sceneOption = false;
    if (!game->WaitAtRest() || Final() == nullptr)
        return fail("the publication did not come to rest");
    // A jump to the final game's page enters it, as the mini-game list does.
    app.pageScreen->FlipToPage(kFinalPage);
    const bool playing = Wait(
        [&] {
            return Final()->shown && Final()->openSignalled && app.pageScreen->ListSlide() == 0 &&
                   app.SceneState().empty();
        },
        4000);
    if (!playing)
        return fail("the final game did not start");
    game->MoveTo(300, 300);
    game->Step(100);
    return game.get();
}

// Times frames of the game (or, for comparison, of the publication under it alone).
void TimeFrames(benchmark::State& state, bool publicationOnly = false)
{
    GameApp& app = game->Game();
    for (auto _ : state)
    {
        Graphics graphics(app.GetScreenImage());
        graphics.SetFastStretch(!app.Is3DAccelerated());
        graphics.SetLinearBlend(app.Is3DAccelerated());
        const double start = ThreadSeconds();
        if (publicationOnly)
            app.pageScreen->Paint(graphics);
        else
            Final()->Paint(graphics);
        state.SetIterationTime(ThreadSeconds() - start);
        benchmark::DoNotOptimize(app.GetScreenImage()->GetBits());
    }
    state.counters["notes"] = double(Final()->Notes().size());
}

// The game at rest, the publication open at the final game's page; with the argument 1 only the
// publication's part of the frame.
void BM_FinalGameFrameAtRest(benchmark::State& state)
{
    if (TheGame() == nullptr)
        return state.SkipWithError(gameProblem.c_str());
    TimeFrames(state, state.range(0) == 1);
}
BENCHMARK(BM_FinalGameFrameAtRest)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A corner click turning a page back under the strip, the frame sampled about half way; with
// the argument 1 only the publication's part of the frame.
void BM_FinalGameFrameDuringTurn(benchmark::State& state)
{
    if (TheGame() == nullptr)
        return state.SkipWithError(gameProblem.c_str());
    Page& page = *game->Game().pageScreen;
    if (!Wait([&] { return !page.Flipping(); }, 1000))
        return state.SkipWithError("a page still turns");
    game->Click(35, game->Game().config.common.BoardY + 520);
    const int boardX = game->Game().config.common.BoardX;
    if (!Wait([&] { return !page.Flipping() || (page.flipEdge - boardX) / 767.0 >= 0.5; }, 500) || !page.Flipping())
        return state.SkipWithError("the corner click turned no page");
    TimeFrames(state, state.range(0) == 1);
}
BENCHMARK(BM_FinalGameFrameDuringTurn)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

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
