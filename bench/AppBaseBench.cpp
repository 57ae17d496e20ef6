// The application base's costs on this machine: the processor time an idle application takes
// while it runs in real time, and how much faster than real time a demo plays when fast-
// forwarded. Run headless: SDL_VIDEODRIVER=dummy (the default here) or under xvfb-run.
#include "framework/appbase/DemoFile.h"
#include "framework/appbase/DemoWriter.h"
#include "framework/appbase/VeskAppBase.h"
#include "framework/platform/Clock.h"
#include "framework/platform/FileSystem.h"
#include "framework/platform/WindowMessage.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace
{

using namespace Vesk;

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void PrepareEnvironment()
{
    static std::string folder;
    if (!folder.empty())
        return;
    folder = (std::filesystem::temp_directory_path() / ("vesk-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder + "/share").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (folder + "/run").c_str(), 1);
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
}

struct IdleApp : VeskAppBase
{
    IdleApp()
    {
        productName = "BenchApp";
        registryKey = "Vesk Bench\\BenchApp";
        width = 800;
        height = 600;
        onlyOneInstance = false;
        processCommandLine = "bench";
    }
    bool ChangeDirHook(const std::string&) override { return true; }
};

// An idle application for 10 s of real time: the share of one core it used.
void BM_IdleApplicationCpu(benchmark::State& state)
{
    PrepareEnvironment();
    for (auto _ : state)
    {
        IdleApp app;
        app.Init();
        double cpuBefore = ProcessCpuSeconds();
        auto wallBefore = std::chrono::steady_clock::now();
        std::thread stopper(
            [&app]()
            {
                std::this_thread::sleep_for(std::chrono::seconds(10));
                app.Shutdown(); // from another thread: the loop picks it up
            });
        app.Start();
        stopper.join();
        double cpu = ProcessCpuSeconds() - cpuBefore;
        double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
        state.counters["updates_per_second"] = app.updateCount / wall;
        state.counters["presents"] = app.drawCount;
    }
}
BENCHMARK(BM_IdleApplicationCpu)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// A 20-minute recording (a click every half second) fast-forwarded to its end: game time
// played per second of real time.
void BM_DemoFastForward(benchmark::State& state)
{
    PrepareEnvironment();
    const int totalUpdates = 20 * 60 * 100;
    DemoFile file;
    file.versionString = ORLO_VERSION;
    file.randomSeed = 1;
    file.totalUpdates = totalUpdates;
    DemoWriter writer;
    DemoEvent video;
    video.code = DEMO_VIDEO_DATA;
    video.flag = true;
    video.refreshRate = 60;
    writer.Write(video, 0);
    for (int update = 50; update < totalUpdates; update += 50)
    {
        DemoEvent move;
        move.code = DEMO_MOUSE_POSITION;
        move.x = update % 800;
        move.y = update % 600;
        writer.Write(move, update);
        DemoEvent button;
        button.code = DEMO_MOUSE_BUTTON;
        button.button = 1;
        button.down = true;
        writer.Write(button, update);
        button.down = false;
        writer.Write(button, update + 1);
    }
    DemoEvent close;
    close.code = DEMO_CLOSE;
    writer.Write(close, totalUpdates);
    file.events = writer.GetBuffer();
    std::string path = std::string(std::getenv("XDG_DATA_HOME")) + "/BenchApp/fast.dmo";
    if (!Platform::WriteFileAtomically(path, file.Serialise()))
    {
        state.SkipWithError("cannot write the demo file");
        return;
    }

    for (auto _ : state)
    {
        IdleApp app;
        app.processCommandLine = "bench -play -demofile=fast.dmo";
        app.Init();
        app.WindowProc({0, Platform::WM_CHAR, 'M', 0});
        auto wallBefore = std::chrono::steady_clock::now();
        app.Start();
        double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        state.counters["updates"] = app.updateCount;
        state.counters["times_real_time"] = app.updateCount * app.frameTime / 1000.0 / wall;
    }
}
BENCHMARK(BM_DemoFastForward)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
