// The game's start-up, headless, on the built publication: from opening "main.pak" through
// the resource manifest, both resource groups loaded and bound, the custom cursors, the
// configuration and the player's progress (Init), to the end of the loading thread that opens
// the five tunes. Everything the game reads comes from the archive; settings and saves go to a
// fresh temporary folder each run: a new player's first start, and a later one.
//
//     bench_StartupBench --benchmark_repetitions=5
#include "app/GameApp.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/StreamingMusicInterface.h"
#include "support/TestDriver.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace Vesk
{
namespace
{

// The game, kept in the benchmark's temporary folder instead of the program's.
class StartupGameApp : public GameApp
{
public:
    bool ChangeDirHook(const std::string& folder) override { return true; }
};

// Why a started game is not fully started, or empty when it is.
std::string StartupProblem(TestSupport::TestDriver& driver)
{
    VeskAppBase& app = driver.App();
    if (!driver.MessageBoxes().empty())
        return "the game reported: " + driver.MessageBoxes().front().text;
    if (app.isShutdown)
        return "the game stopped during start-up";
    if (!app.loadingThreadDone)
        return "the loading thread did not finish";
    auto* music = dynamic_cast<StreamingMusicInterface*>(app.GetMusicInterface());
    if (music == nullptr)
        return "no audio output: the tunes cannot be opened";
    for (int tune = 1; tune <= 5; ++tune)
    {
        music->PlayMusic(tune);
        bool playing = music->IsPlaying(tune);
        music->StopMusic(tune);
        if (!playing)
            return "tune " + std::to_string(tune) + " did not open";
    }
    return {};
}

// Times start-ups in fresh folders. With warm set, each timed start-up follows an untimed one
// in the same folder, as every start after a player's first: the player exists and the decoded
// sounds are cached.
void MeasureStartups(benchmark::State& state, bool warm)
{
    const std::filesystem::path archive = std::filesystem::path(ORLO_BUILT_DATA_DIR) / "main.pak";
    if (!std::filesystem::exists(archive))
    {
        state.SkipWithError(("no built data: build the data target first (" + archive.string() + ")").c_str());
        return;
    }
    for (auto _ : state)
    {
        state.PauseTiming();
        {
            TestSupport::TestDriver driver;
            std::error_code error;
            std::filesystem::create_symlink(archive, driver.Folder() / "main.pak", error);
            if (error)
            {
                state.SkipWithError(("cannot link the archive: " + error.message()).c_str());
                break;
            }
            if (warm)
            {
                driver.Create<StartupGameApp>();
                if (driver.Init())
                    driver.Start(true);
                driver.Destroy();
            }
            driver.Create<StartupGameApp>();
            state.ResumeTiming();

            bool initialised = driver.Init();
            if (initialised)
                driver.Start(true);

            state.PauseTiming();
            std::string problem = StartupProblem(driver);
            if (!problem.empty())
            {
                state.SkipWithError(("incomplete data: " + problem).c_str());
                break;
            }
            driver.Destroy();
        }
        state.ResumeTiming();
    }
}

// A new player's first start: nothing cached yet.
void BM_StartupToLoadingDone(benchmark::State& state)
{
    MeasureStartups(state, false);
}

// Every later start.
void BM_StartupToLoadingDoneWarm(benchmark::State& state)
{
    MeasureStartups(state, true);
}

BENCHMARK(BM_StartupToLoadingDone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StartupToLoadingDoneWarm)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace Vesk

BENCHMARK_MAIN();
