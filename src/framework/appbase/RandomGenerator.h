#pragma once

#include <cstdint>
#include <random>

namespace Vesk
{

// The framework's random generator. Every random choice of the game goes through the one
// owned by the application, so a seed (recorded in demo files) reproduces a whole run.
// Values are 31-bit: 0 .. 2147483647.
class RandomGenerator
{
public:
    explicit RandomGenerator(uint32_t seed = 5489u) { Seed(seed); }

    void Seed(uint32_t seed)
    {
        this->seed = seed;
        engine.seed(seed);
    }
    uint32_t GetSeed() const { return seed; }

    uint32_t Next() { return static_cast<uint32_t>(engine() >> 1); }
    // An index below n: the next value modulo n (0 when n is not positive).
    int NextIndex(int n) { return n > 0 ? static_cast<int>(Next() % static_cast<uint32_t>(n)) : 0; }
    // A real in [0, range): the next value / 2147483647 x range.
    double NextReal(double range) { return Next() / 2147483647.0 * range; }

private:
    std::mt19937 engine;
    uint32_t seed = 0;
};

} // namespace Vesk
