#pragma once

// The main of the drawing benchmarks: VESK_PIXEL_KERNELS=scalar, sse2 or ssse3 limits the pixel
// kernels' vector level before the benchmarks run, so each level can be timed.
#include "framework/graphics/CpuFeatures.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

inline int RunBenchmarksAtChosenKernelLevel(int argc, char** argv)
{
    using Vesk::CpuFeatures;
    if (const char* level = std::getenv("VESK_PIXEL_KERNELS"))
    {
        std::string name = level;
        CpuFeatures::SetActive(name == "scalar" ? CpuFeatures::Level::Scalar
                               : name == "sse2" ? CpuFeatures::Level::Sse2
                                                : CpuFeatures::Level::Ssse3);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
