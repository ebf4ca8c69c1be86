#include "foundation/random.h"

#include <chrono>

std::uint32_t RandSeed = 0;

static inline std::uint32_t NextSeed() {
    RandSeed = RandSeed * 134775813u + 1u;
    return RandSeed;
}

std::uint32_t Random(std::uint32_t n) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(NextSeed()) * n) >> 32);
}

Extended RandomFloat() {
    return static_cast<Extended>(NextSeed()) * 0x1p-32L;
}

void Randomize() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    RandSeed = static_cast<std::uint32_t>(ticks) ^ static_cast<std::uint32_t>(ticks >> 32);
}
