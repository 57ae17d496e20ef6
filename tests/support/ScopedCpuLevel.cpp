#include "support/ScopedCpuLevel.h"

namespace Vesk::TestSupport
{

ScopedCpuLevel::ScopedCpuLevel(CpuFeatures::Level level) : previous(CpuFeatures::SetActive(level)) {}

ScopedCpuLevel::~ScopedCpuLevel()
{
    CpuFeatures::SetActive(previous);
}

std::vector<CpuFeatures::Level> ScopedCpuLevel::All()
{
    std::vector<CpuFeatures::Level> levels;
    for (int level = 0; level <= int(CpuFeatures::Supported()); ++level)
        levels.push_back(CpuFeatures::Level(level));
    return levels;
}

std::string ScopedCpuLevel::Name(CpuFeatures::Level level)
{
    switch (level)
    {
    case CpuFeatures::Level::Scalar:
        return "scalar";
    case CpuFeatures::Level::Sse2:
        return "SSE2";
    case CpuFeatures::Level::Ssse3:
        return "SSSE3";
    }
    return "unknown";
}

} // namespace Vesk::TestSupport
