#include "framework/graphics/CpuFeatures.h"

namespace Vesk
{

CpuFeatures::Level CpuFeatures::Supported()
{
#if defined(__x86_64__) || defined(__i386__)
#if defined(__SSE2__)
    // The processor is asked during static initialisation, possibly before the compiler's own
    // start-up code has filled in what it knows.
    static const Level level = []
    {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") ? Level::Ssse3 : Level::Sse2;
    }();
    return level;
#else
    return Level::Scalar;
#endif
#else
    return Level::Scalar;
#endif
}

std::atomic<CpuFeatures::Level> CpuFeatures::active{CpuFeatures::Supported()};

CpuFeatures::Level CpuFeatures::SetActive(Level level)
{
    Level supported = Supported();
    return active.exchange(level > supported ? supported : level, std::memory_order_relaxed);
}

} // namespace Vesk
