#include "popgen/distance/draw_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

bool SameBits(Extended a, Extended b) { return std::memcmp(&a, &b, 10) == 0; }

// The loop the window replaces: draw floats and compare them with the bounds.
void DrawFloats(std::uint32_t& state, Extended lo, Extended hi, std::size_t count, Extended& sum, Extended& sumsq) {
    for (std::size_t accepted = 0; accepted < count;) {
        state = state * 134775813u + 1u;
        const Extended u = static_cast<Extended>(state) * 0x1p-32L;
        if (lo <= u && u <= hi) {
            sum += u;
            sumsq += u * u;
            ++accepted;
        }
    }
}

}  // namespace

TEST(DrawWindow, SameDrawsAndSumsAsComparingFloats) {
    // Wide enough that 20 draws land soon; the grid itself is the next test's. Counts that end
    // inside a block of the draw loop as well.
    const std::vector<std::pair<Extended, Extended>> bounds = {
        {0.25L, 0.75L}, {0.0L, 1.0L}, {-0.5L, 0.1L}, {0.9L, 2.0L}, {1.0L / 3, 2.0L / 3}, {0.2L, 0.2001L}};
    std::uint32_t seed = 12345;
    for (const std::size_t count : {std::size_t{1}, std::size_t{3}, std::size_t{20}}) {
        for (const auto& [lo, hi] : bounds) {
            const DrawWindow w = AcceptanceWindow(lo, hi);
            ASSERT_FALSE(w.Empty()) << static_cast<double>(lo) << " " << static_cast<double>(hi);
            std::uint32_t a = seed, b = seed;
            Extended sumA = 0.0L, sqA = 0.0L, sumB = 0.0L, sqB = 0.0L;
            DrawInWindow(a, w, count, sumA, sqA);
            DrawFloats(b, lo, hi, count, sumB, sqB);
            EXPECT_EQ(a, b) << static_cast<double>(lo);
            EXPECT_TRUE(SameBits(sumA, sumB)) << static_cast<double>(lo);
            EXPECT_TRUE(SameBits(sqA, sqB)) << static_cast<double>(lo);
            seed = a;
        }
    }
}

TEST(DrawWindow, WindowsFollowTheGridOfDraws) {
    const Extended step = 0x1p-32L;
    const std::uint32_t half = 0x80000000u;
    struct Case {
        Extended lo, hi;
        std::uint32_t first, last;
    };
    for (const Case& c : {Case{0.5L, 0.5L, half, half}, Case{0.5L, 0.5L + step, half, half + 1},
                          Case{0.5L + step / 2, 0.5L + 1.5L * step, half + 1, half + 1},
                          Case{-0.0L, step, 0, 1}, Case{-3.0L, 0.0L, 0, 0}, Case{1.0L - step, 1.0L, 0xFFFFFFFFu, 0xFFFFFFFFu},
                          Case{0.0L, 5.0L, 0, 0xFFFFFFFFu}}) {
        const DrawWindow w = AcceptanceWindow(c.lo, c.hi);
        EXPECT_EQ(w.first, c.first) << static_cast<double>(c.lo);
        EXPECT_EQ(w.last, c.last) << static_cast<double>(c.lo);
    }
}

TEST(DrawWindow, BoundsThatNoDrawMeetsGiveAnEmptyWindow) {
    const Extended step = 0x1p-32L;
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    for (const auto& [lo, hi] : std::vector<std::pair<Extended, Extended>>{
             {1.0L, 1.0L}, {1.0L - step / 2, 1.0L}, {0.5L + step / 4, 0.5L + step / 2}, {2.0L, 3.0L},
             {-1.0L, -0.5L}, {0.7L, 0.3L}, {nan, 0.5L}, {0.5L, nan}}) {
        EXPECT_TRUE(AcceptanceWindow(lo, hi).Empty()) << static_cast<double>(lo) << " " << static_cast<double>(hi);
    }
}
