// The program's one random generator: a 32-bit linear congruential generator
// (seed * 134775813 + 1). Every consumer draws from it in a documented order, so a run is
// reproducible from its seed; tests set RandSeed directly.
#pragma once

#include <cstdint>

#include "foundation/types.h"

extern std::uint32_t RandSeed;

// An integer in [0, n): the high 32 bits of the advanced seed times n (0 for n = 0).
std::uint32_t Random(std::uint32_t n);

// A float in [0, 1): the advanced seed times 2^-32.
Extended RandomFloat();

// Seeds the generator from the clock (the program does this once, at start-up).
void Randomize();
