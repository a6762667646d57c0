// The program's one random generator.
//
// A 32-bit linear congruential generator, seeded with 0 at start-up and never
// from the clock, so the same sequence of draws always gives the same
// universe. Placement, the jitter of SetStar and the blink of the map all draw
// from the one object that ProgramRandom() returns, so the order of their
// draws decides every result.
#pragma once

#include <cstdint>

class TRandom {
public:
    uint32_t Seed = 0;

    // Advances the seed: seed * 134775813 + 1, modulo 2^32.
    uint32_t NextSeed()
    {
        Seed = Seed * 134775813u + 1u;
        return Seed;
    }

    // An integer in 0..n-1: the high 32 bits of the 64-bit product of the new
    // seed and n.
    uint32_t RandomInt(uint32_t n)
    {
        return static_cast<uint32_t>((static_cast<uint64_t>(NextSeed()) * n) >> 32);
    }

    // A real in [0, 1): the new seed divided by 2^32 (exact in a double).
    double RandomReal() { return NextSeed() / 4294967296.0; }
};

TRandom &ProgramRandom();
