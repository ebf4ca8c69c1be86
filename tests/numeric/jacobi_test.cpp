#include "numeric/jacobi.h"

#include <gtest/gtest.h>

#include <cmath>

// The rotation of each 2 x 2 case zeroes a(p, q) and keeps c² + s² = 1; equal diagonals take the
// 45-degree rotation signed by a(p, q).
TEST(JacobiRotation, ZeroesTheOffDiagonalElement) {
    struct Case {
        Extended app, aqq, apq;
    };
    for (const Case& k : {Case{1.0L, 1.0L, 0.5L}, Case{1.0L, 1.0L, -0.5L}, Case{3.0L, -2.0L, 1.25L},
                          Case{-2.0L, 3.0L, 1.25L}, Case{0.0L, 1e-30L, -4.0L}, Case{5.0L, 1.0L, 1e-20L}}) {
        const auto [c, s] = JacobiRotationOf(k.app, k.aqq, k.apq);
        EXPECT_NEAR(static_cast<double>(c * c + s * s), 1.0, 1e-15) << k.app << " " << k.aqq << " " << k.apq;
        // The new a(p, q) of the rotated matrix: (c² - s²) a(p, q) - c s (a(p, p) - a(q, q)).
        const Extended offDiagonal = (c * c - s * s) * k.apq - c * s * (k.app - k.aqq);
        EXPECT_LE(std::fabs(offDiagonal), 1e-15L * (std::fabs(k.apq) + std::fabs(k.app - k.aqq)))
            << k.app << " " << k.aqq << " " << k.apq;
        if (k.app == k.aqq) {
            EXPECT_EQ(c, std::sqrt(0.5L));
            EXPECT_EQ(s, k.apq < 0.0L ? -c : c);
        }
    }
}
