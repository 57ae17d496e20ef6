#pragma once

#include "framework/graphics/CpuFeatures.h"

#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// Sets the vector level of the pixel kernels for the life of the object and restores the previous
// one after, so a drawing test can run every form of its kernels (plain loops included).
class ScopedCpuLevel
{
public:
    explicit ScopedCpuLevel(CpuFeatures::Level level);
    ~ScopedCpuLevel();
    ScopedCpuLevel(const ScopedCpuLevel&) = delete;
    ScopedCpuLevel& operator=(const ScopedCpuLevel&) = delete;

    // Every level this processor supports, the plain loops first.
    static std::vector<CpuFeatures::Level> All();
    static std::string Name(CpuFeatures::Level level);

private:
    CpuFeatures::Level previous;
};

} // namespace Vesk::TestSupport
