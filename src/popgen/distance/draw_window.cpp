#include "popgen/distance/draw_window.h"

#include <bit>
#include <cmath>
#include <cstddef>

namespace {
constexpr Extended kSeeds = 4294967296.0L;  // 2^32
}

DrawWindow AcceptanceWindow(Extended lo, Extended hi) {
    DrawWindow w;
    if (!(lo <= hi)) return w;  // also NaN
    // Scaling by 2^32 is exact, and so are ceil and floor of the results.
    const Extended first = lo <= 0.0L ? 0.0L : std::ceil(lo * kSeeds);
    if (hi < 0.0L || first >= kSeeds) return w;
    const Extended last = std::floor(hi * kSeeds);
    w.first = static_cast<std::uint32_t>(first);
    w.last = last >= kSeeds - 1.0L ? 0xFFFFFFFFu : static_cast<std::uint32_t>(last);
    return w;
}

namespace {

// The generator k + 1 steps ahead: seed -> kMul[k] * seed + kAdd[k]. Eight seeds of a block then
// come from the block's start independently instead of one after the other.
constexpr std::size_t kBlock = 8;
struct Jumps {
    std::uint32_t mul[kBlock], add[kBlock];
};
constexpr Jumps MakeJumps() {
    Jumps j{};
    std::uint32_t m = 1, a = 0;
    for (std::size_t k = 0; k < kBlock; ++k) {
        m *= 134775813u;
        a = a * 134775813u + 1u;
        j.mul[k] = m;
        j.add[k] = a;
    }
    return j;
}
constexpr Jumps kJumps = MakeJumps();

}  // namespace

void DrawInWindow(std::uint32_t& state, const DrawWindow& window, std::size_t count, Extended& sum, Extended& sumsq) {
    if (count == 0) return;
    std::uint32_t seed = state;
    const std::uint32_t width = window.last - window.first;
    std::size_t accepted = 0;
    // Sums kept in registers: written through the references at every draw they would go through
    // memory (the same 80-bit values, much slower).
    Extended s = sum, q = sumsq;
    for (;;) {
        std::uint32_t next[kBlock];
        unsigned hits = 0;
        for (std::size_t k = 0; k < kBlock; ++k) {
            next[k] = kJumps.mul[k] * seed + kJumps.add[k];
            hits |= static_cast<unsigned>(static_cast<std::uint32_t>(next[k] - window.first) <= width) << k;
        }
        // The accepted seeds of the block in draw order; the state stops at the last one needed.
        while (hits != 0) {
            const auto k = static_cast<std::size_t>(std::countr_zero(hits));
            hits &= hits - 1;
            const Extended x = static_cast<Extended>(next[k]) * 0x1p-32L;
            s += x;
            q += x * x;
            if (++accepted == count) {
                state = next[k];
                sum = s;
                sumsq = q;
                return;
            }
        }
        seed = next[kBlock - 1];
    }
}
