#pragma once

#include <atomic>

namespace Vesk
{

// Which vector instructions the software pixel kernels use. SSE2 is part of every x86-64
// processor; SSSE3 is looked for at run time. Every kernel keeps a plain loop that computes the
// very same pixels, and tests lower the level to check each form against the others.
class CpuFeatures
{
public:
    enum class Level
    {
        Scalar = 0,
        Sse2 = 1,
        Ssse3 = 2,
    };

    // The best level this processor and this build offer.
    static Level Supported();
    // The level the kernels use: the supported one unless lowered by SetActive.
    static Level Active() { return active.load(std::memory_order_relaxed); }
    static bool UseSse2() { return Active() >= Level::Sse2; }
    static bool UseSsse3() { return Active() >= Level::Ssse3; }
    // Sets the level the kernels use, clamped to the supported one; returns the previous level.
    // Meant for tests and benchmarks, between draws.
    static Level SetActive(Level level);

private:
    static std::atomic<Level> active;
};

} // namespace Vesk
