// A frame of a page turn: the desk, the face beneath, the curled sheet with its front, back and
// shadow, at several points of the turn, in thread CPU time. VESK_PIXEL_KERNELS ("scalar", "sse2"
// or "ssse3") limits the vector level of the drawing kernels.

#include "BenchSupport.h"
#include "KernelLevelMain.h"
#include "framework/graphics/CpuFeatures.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "publication/PageCurl.h"
#include "support/TestPictures.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

using namespace Vesk;
using namespace Vesk::Bench;
using namespace Vesk::TestSupport;

namespace
{

MemoryImage Picture(const std::vector<uint32_t>& pixels, int width, int height)
{
    MemoryImage image;
    image.SetBits(pixels.data(), width, height, true);
    return image;
}

// progress in hundredths; the corner lifted by Pages/PageB (90) as the settling turn does.
void PageTurnFrame(benchmark::State& state)
{
    const Rect page(16, 6, 767, 588);
    MemoryImage desk = Picture(TestPictures::Page(160, 120, 5), 160, 120);
    MemoryImage front = Picture(TestPictures::Page(767, 588, 1), 767, 588);
    MemoryImage back = std::getenv("SMALLBACK") ? Picture(TestPictures::Page(64, 64, 2), 64, 64)
                                                : Picture(TestPictures::Page(767, 588, 2), 767, 588);
    MemoryImage under = Picture(TestPictures::Page(767, 588, 3), 767, 588);
    DDImage screen;
    screen.CreateScreen(800, 600);
    PageCurl curl;
    double progress = double(state.range(0)) / 100;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        Graphics g(&screen);
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 5; ++column)
                g.DrawImage(&desk, column * 160, row * 120);
        curl.BendAtProgress(page, progress, 90, false, 0.35, 0.25);
        curl.Draw(g, &front, &back, &under);
        benchmark::DoNotOptimize(screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
    // How many pixels the bent part of the sheet covers, and in how many triangles.
    double area = 0;
    const std::vector<TriVertex>& mesh = curl.MeshTriangles();
    for (size_t i = 0; i + 2 < mesh.size(); i += 3)
        area += std::fabs((mesh[i + 1].x - mesh[i].x) * (mesh[i + 2].y - mesh[i].y) -
                          (mesh[i + 2].x - mesh[i].x) * (mesh[i + 1].y - mesh[i].y)) /
                2;
    state.counters["meshPixels"] = area;
    state.counters["triangles"] = double(mesh.size() / 3);
}
BENCHMARK(PageTurnFrame)->Arg(15)->Arg(45)->Arg(75)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksAtChosenKernelLevel(argc, argv);
}
