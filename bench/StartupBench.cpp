// The game's start-up, headless, on the built publication: from opening "main.pak" through
// the resource manifest, both resource groups loaded and bound, the custom cursors, the
// configuration and the player's progress (Init), to the end of the loading thread that opens
// the five tunes. Everything the game reads comes from the archive; settings and saves go to a
// fresh temporary folder each run.
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

void BM_StartupToLoadingDone(benchmark::State& state)
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
BENCHMARK(BM_StartupToLoadingDone)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace Vesk

BENCHMARK_MAIN();
