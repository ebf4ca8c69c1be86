// The program's random generator: a 32-bit linear congruential generator (seed * 134775813 + 1).
//
// RandomStream is the generator as an object: whoever draws takes the stream it draws from, so a
// run's draws are explicit (the Average kernels get theirs through KernelSource). The program keeps
// ONE stream, ProgramRandom(), whose state is RandSeed; every consumer draws from it in the
// documented order, so a run is reproducible from its seed and tests set RandSeed directly. A
// faster or parallel path must consume exactly the same numbers in the same order (draw them in
// advance, in that order, where the work is split).
#pragma once

#include <cstdint>

#include "foundation/types.h"

class RandomStream {
public:
    explicit RandomStream(std::uint32_t seed = 0) : Seed(seed) {}

    // An integer in [0, n): the high 32 bits of the advanced seed times n (0 for n = 0).
    std::uint32_t Random(std::uint32_t n) {
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(Next()) * n) >> 32);
    }
    // A float in [0, 1): the advanced seed times 2^-32.
    Extended RandomFloat() { return static_cast<Extended>(Next()) * 0x1p-32L; }

    std::uint32_t Seed;

private:
    std::uint32_t Next() { return Seed = Seed * 134775813u + 1u; }
};

// The program's one stream, and its state.
RandomStream& ProgramRandom();
extern std::uint32_t& RandSeed;

// Draws from the program's stream.
std::uint32_t Random(std::uint32_t n);
Extended RandomFloat();

// Seeds the program's stream from the clock (the program does this once, at start-up).
void Randomize();
