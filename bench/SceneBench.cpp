// The scene player over the built game, headless on the virtual clock, in thread CPU time: the
// scene layer of a frame of the shipped intro while two characters talk in the text box, and
// while the closing fade runs over them. Only the player's painting is timed; the screens below
// it are drawn by their own benchmarks.
//
//     bench_SceneBench --benchmark_repetitions=5
#include "app/GameApp.h"
#include "framework/graphics/Graphics.h"
#include "scenes/UCD.h"
#include "support/GameDriver.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// A fresh game playing the intro from its start; null (and problem set) when that fails.
std::unique_ptr<GameDriver> StartIntro(std::string& problem)
{
    if (!std::filesystem::exists(std::filesystem::path(ORLO_BUILT_DATA_DIR) / "main.pak"))
    {
        problem = "no built data: build the data target first";
        return nullptr;
    }
    auto game = std::make_unique<GameDriver>();
    if (!game->Launch() || game->Game().scenePlayer == nullptr)
    {
        problem = "the game did not start";
        return nullptr;
    }
    game->Game().playScenes = true;
    game->Game().introPending = true;
    game->Game().PlayScene("intro");
    return game;
}

// Clicks on through the scene until condition holds; false when the scene ends first.
bool PlayUntil(GameDriver& game, const std::function<bool(const UCD&)>& condition)
{
    const UCD& player = *game.Game().scenePlayer;
    for (int update = 0; update < 5000 && player.Playing(); ++update)
    {
        if (condition(player))
            return true;
        if (player.state == "Asking")
        {
            const UCD::SceneButton& yes = player.buttons.at(size_t(std::max(player.FindButton("yes"), 0)));
            game.Click(yes.x + yes.width / 2, yes.y + yes.height / 2);
        }
        else if (player.state == "Waiting" || player.state == "WaitPause" || player.state == "Reading")
            game.Click(400, 590);
        else
            game.Step();
    }
    return false;
}

void TimeSceneLayer(benchmark::State& state, GameDriver& game)
{
    GameApp& app = game.Game();
    for (auto _ : state)
    {
        const double start = ThreadSeconds();
        Graphics graphics(app.GetScreenImage());
        app.scenePlayer->Paint(graphics);
        state.SetIterationTime(ThreadSeconds() - start);
        benchmark::DoNotOptimize(app.GetScreenImage()->GetBits());
    }
}

// Two characters in, one speaking in the text box, with the box, the name tags and the skip
// button on screen.
void BM_SceneTalkFrame(benchmark::State& state)
{
    std::string problem;
    std::unique_ptr<GameDriver> game = StartIntro(problem);
    if (game == nullptr)
        return state.SkipWithError(problem.c_str());
    auto talking = [](const UCD& player)
    { return player.state == "Waiting" && player.characters.size() >= 2 && player.objects.size() >= 3; };
    if (!PlayUntil(*game, talking))
        return state.SkipWithError("the intro did not reach its first line");
    game->Step(12);
    TimeSceneLayer(state, *game);
}
BENCHMARK(BM_SceneTalkFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The intro's closing fade to nothing, halfway, over the box and the characters leaving.
void BM_SceneFadeFrame(benchmark::State& state)
{
    std::string problem;
    std::unique_ptr<GameDriver> game = StartIntro(problem);
    if (game == nullptr)
        return state.SkipWithError(problem.c_str());
    auto fading = [](const UCD& player)
    { return player.fadeType == "to_nothing" && player.fadeLength > 0 && player.fadeClock >= player.fadeLength / 2; };
    if (!PlayUntil(*game, fading))
        return state.SkipWithError("the intro did not reach its closing fade");
    TimeSceneLayer(state, *game);
}
BENCHMARK(BM_SceneFadeFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace Vesk

BENCHMARK_MAIN();
