#pragma once

#include <cstdint>

namespace Vesk
{

// The synthesiser's own small random generator (xorshift32): the same seed always gives the
// same noise, so every render of a recipe or score is identical.
class SynthRandom
{
public:
    explicit SynthRandom(uint32_t seed) : state(Mix(seed)) {}

    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // A value in [-1, 1).
    float Bipolar() { return static_cast<float>(static_cast<double>(Next()) / 2147483648.0 - 1.0); }
    // A value in [0, 1).
    double Unit() { return static_cast<double>(Next()) / 4294967296.0; }

    // Spreads a small seed over all bits (and never gives the stuck state 0).
    static uint32_t Mix(uint32_t seed)
    {
        uint32_t x = seed + 0x9E3779B9u;
        x = (x ^ (x >> 16)) * 0x85EBCA6Bu;
        x = (x ^ (x >> 13)) * 0xC2B2AE35u;
        x ^= x >> 16;
        return x == 0 ? 0x6D2B79F5u : x;
    }

private:
    uint32_t state;
};

} // namespace Vesk
