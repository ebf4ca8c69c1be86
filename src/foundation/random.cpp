#include "foundation/random.h"

#include <chrono>

namespace {
RandomStream programStream;
}

RandomStream& ProgramRandom() { return programStream; }

std::uint32_t& RandSeed = programStream.Seed;

std::uint32_t Random(std::uint32_t n) { return programStream.Random(n); }

Extended RandomFloat() { return programStream.RandomFloat(); }

void Randomize() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    RandSeed = static_cast<std::uint32_t>(ticks) ^ static_cast<std::uint32_t>(ticks >> 32);
}
