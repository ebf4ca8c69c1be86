#include "popgen/draw_window.h"

#include <cmath>

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

void DrawInWindow(std::uint32_t& state, const DrawWindow& window, std::size_t count, Extended& sum, Extended& sumsq) {
    std::uint32_t seed = state;
    const std::uint32_t width = window.last - window.first;
    for (std::size_t accepted = 0; accepted < count;) {
        seed = seed * 134775813u + 1u;
        if (static_cast<std::uint32_t>(seed - window.first) <= width) {
            const Extended x = static_cast<Extended>(seed) * 0x1p-32L;
            sum += x;
            sumsq += x * x;
            ++accepted;
        }
    }
    state = seed;
}
