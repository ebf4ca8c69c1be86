#include "trees/pcoa.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "numeric/math_error.h"
#include "support/temp_dir.h"
#include "tree_test_util.h"
#include "trees/dist_analysis.h"

namespace {

bool SameBits(Extended a, Extended b) { return a == b && std::signbit(a) == std::signbit(b); }

ExtMatrix RandomSymmetric(std::size_t n, std::uint32_t seed, std::uint32_t levels) {
    RandSeed = seed;
    ExtMatrix a(n);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i; j < n; ++j) {
            // levels > 0: few distinct values, so that the pivot search meets many ties.
            const Extended v = levels > 0 ? static_cast<Extended>(Random(levels)) - levels / 2.0L
                                          : RandomFloat() * 2.0L - 1.0L;
            a(i, j) = a(j, i) = v;
        }
    }
    return a;
}

// Coordinates must reproduce the distances they came from.
Extended WorstDistanceError(const TDistAnalysis& a) {
    Extended worst = 0.0L;
    for (std::size_t i = 0; i < a.NOTU; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            Extended s = 0.0L;
            for (std::size_t k = 0; k < a.NPosEigen; ++k) s += (a.Coords[i][k] - a.Coords[j][k]) * (a.Coords[i][k] - a.Coords[j][k]);
            worst = std::max(worst, std::fabs(std::sqrt(s) - a.PairDist(i + 1, j + 1)));
        }
    }
    return worst;
}

}  // namespace

TEST(Jacobi, TwoByTwoWithSortedValuesAndNonNegativeFirstComponents) {
    ExtMatrix a(2);
    a(0, 0) = 2;
    a(0, 1) = a(1, 0) = -1;
    a(1, 1) = 2;
    ExtMatrix v;
    AExt values;
    ASSERT_EQ(JacobiEigen(a, 0, 1, v, values, 1e-18L, 100), 0);
    EXPECT_NEAR(static_cast<double>(values[0]), 3.0, 1e-18);
    EXPECT_NEAR(static_cast<double>(values[1]), 1.0, 1e-18);
    const Extended r = std::sqrt(0.5L);
    EXPECT_NEAR(static_cast<double>(v(0, 0)), static_cast<double>(r), 1e-18);
    EXPECT_NEAR(static_cast<double>(v(1, 0)), static_cast<double>(-r), 1e-18);
    EXPECT_NEAR(static_cast<double>(v(0, 1)), static_cast<double>(r), 1e-18);
    EXPECT_NEAR(static_cast<double>(v(1, 1)), static_cast<double>(r), 1e-18);
}

TEST(Jacobi, RowMaximaSearchIsBitIdenticalToThePlainSearch) {
    struct Case {
        std::size_t n, lo, hi;
        std::uint32_t seed, levels;
    };
    for (const Case& c : {Case{40, 0, 39, 1, 0}, Case{30, 0, 29, 2, 5}, Case{25, 0, 24, 3, 2},
                          Case{30, 4, 26, 4, 0}, Case{60, 0, 59, 5, 9}}) {
        const ExtMatrix input = RandomSymmetric(c.n, c.seed, c.levels);
        ExtMatrix plain = input, fast = input, vPlain, vFast;
        AExt ePlain, eFast;
        ASSERT_EQ(JacobiEigen(plain, c.lo, c.hi, vPlain, ePlain, 1e-17L, 1000000, JacobiPivotSearch::Plain), 0);
        ASSERT_EQ(JacobiEigen(fast, c.lo, c.hi, vFast, eFast, 1e-17L, 1000000, JacobiPivotSearch::RowMaxima), 0);
        for (std::size_t i = 0; i < c.n; ++i) {
            ASSERT_TRUE(SameBits(ePlain[i], eFast[i])) << "seed " << c.seed << " value " << i;
            for (std::size_t j = 0; j < c.n; ++j) {
                ASSERT_TRUE(SameBits(vPlain(i, j), vFast(i, j))) << "seed " << c.seed;
                ASSERT_TRUE(SameBits(plain(i, j), fast(i, j))) << "seed " << c.seed;
            }
        }
    }
    // The same through PCoA of a double-centred matrix.
    TDistAnalysis a = RandomEuclidean(SilentReporter(), 35, 6, 11);
    ASSERT_TRUE(a.PCoA());
    EXPECT_GT(a.NPosEigen, 5u);
}

TEST(Jacobi, FirstLargestElementInRowOrderIsRotatedFirst) {
    for (const JacobiPivotSearch search : {JacobiPivotSearch::Plain, JacobiPivotSearch::RowMaxima}) {
        ExtMatrix a(3);
        a(0, 1) = a(1, 0) = 1;
        a(0, 2) = a(2, 0) = -5;
        a(1, 2) = a(2, 1) = 5;
        a(0, 0) = 2;
        ExtMatrix v;
        AExt values;
        // A limit of 0 stops right after the first rotation.
        EXPECT_EQ(JacobiEigen(a, 0, 2, v, values, 1e-18L, 0, search), kMathDomain);
        EXPECT_EQ(GetMathError(), kMathDomain);
        EXPECT_EQ(a(0, 2), 0.0L);
        EXPECT_NE(a(1, 2), 0.0L);
    }
}

TEST(Jacobi, TieMadeByARotationGoesToTheFirstColumn) {
    // The first rotation, in the plane (1, 2) with equal diagonal elements, turns a(0, 1) and
    // a(0, 2) = 1 into 2 sqrt(1/2) and 0: row 0 then holds its largest value twice, at column 1
    // and at column 3, and column 1 must be rotated next.
    const Extended twoHalfRoots = 2.0L * std::sqrt(0.5L);
    for (const JacobiPivotSearch search : {JacobiPivotSearch::Plain, JacobiPivotSearch::RowMaxima}) {
        ExtMatrix a(4);
        a(0, 1) = a(1, 0) = 1;
        a(0, 2) = a(2, 0) = 1;
        a(0, 3) = a(3, 0) = twoHalfRoots;
        a(1, 2) = a(2, 1) = 10;
        ExtMatrix v;
        AExt values;
        EXPECT_EQ(JacobiEigen(a, 0, 3, v, values, 1e-18L, 1, search), kMathDomain);
        EXPECT_EQ(a(0, 1), 0.0L) << "fast search: " << (search == JacobiPivotSearch::RowMaxima);
        EXPECT_NE(a(0, 3), 0.0L);
    }
}

TEST(Jacobi, NothingOffTheDiagonalNeedsNoRotation) {
    ExtMatrix zero(5), diagonal(3);
    diagonal(0, 0) = 1;
    diagonal(1, 1) = 3;
    diagonal(2, 2) = 2;
    ExtMatrix v;
    AExt values;
    EXPECT_EQ(JacobiEigen(zero, 0, 4, v, values, 1e-8L, 0), 0);
    EXPECT_EQ(values, AExt(5, 0.0L));
    EXPECT_EQ(JacobiEigen(diagonal, 0, 2, v, values, 1e-8L, 0), 0);
    EXPECT_EQ(values, (AExt{3, 2, 1}));
    EXPECT_EQ(v(1, 0), 1.0L);  // columns follow their values

    // Equal values keep their order: the first largest moves up, its column with it.
    ExtMatrix tied(3);
    tied(0, 0) = 1;
    tied(1, 1) = 2;
    tied(2, 2) = 2;
    EXPECT_EQ(JacobiEigen(tied, 0, 2, v, values, 1e-8L, 0), 0);
    EXPECT_EQ(values, (AExt{2, 2, 1}));
    EXPECT_EQ(v(1, 0), 1.0L);
    EXPECT_EQ(v(2, 1), 1.0L);
    EXPECT_EQ(v(0, 2), 1.0L);
}

TEST(PCoA, EuclideanDistancesAreReproducedWithoutNegativeEigenvalues) {
    // The stop test bounds the squared off-diagonal mass, so the default precision leaves
    // coordinates good to about 1e-4; a tight one to about 1e-9.
    TDistAnalysis loose = RandomEuclidean(SilentReporter(), 12, 3, 42);
    ASSERT_TRUE(loose.PCoA());
    EXPECT_LT(WorstDistanceError(loose), 1e-3L);

    TDistAnalysis a = RandomEuclidean(SilentReporter(), 12, 3, 42);
    ASSERT_TRUE(a.PCoA(kPCoADefaultMaxIterations, 1e-18L));
    ASSERT_GE(a.NPosEigen, 3u);
    Extended first3 = 0.0L;
    for (std::size_t k = 0; k < a.NPosEigen; ++k) {
        if (k < 3) {
            first3 += a.EigenPercents[k];
        } else {
            EXPECT_LT(a.EigenPercents[k], 1e-12L);  // rounding only
        }
        if (k > 0) {
            EXPECT_GE(a.EigenPercents[k - 1], a.EigenPercents[k]);
        }
    }
    EXPECT_NEAR(static_cast<double>(first3), 100.0, 1e-12);
    EXPECT_EQ(a.FirstEigen * 100.0L / a.SumPosEigen, a.EigenPercents[0]);
    EXPECT_LT(WorstDistanceError(a), 1e-8L);
    ASSERT_EQ(a.Coords.size(), a.NOTU);
    for (std::size_t k = 0; k < a.NPosEigen; ++k) EXPECT_GE(a.Coords[0][k], 0.0L) << "axis " << k;
}

TEST(PCoA, DiagonalIsIgnored) {
    TDistAnalysis zero = RandomEuclidean(SilentReporter(), 9, 3, 13);
    TDistAnalysis bandless = zero;
    for (std::size_t i = 1; i <= 9; ++i) bandless.Dist[PairIndex(i, i)] = 0.3L;
    ASSERT_TRUE(zero.PCoA());
    ASSERT_TRUE(bandless.PCoA());
    EXPECT_EQ(bandless.EigenPercents, zero.EigenPercents);
    EXPECT_EQ(bandless.Coords, zero.Coords);
}

TEST(PCoA, DegenerateInputsEndAtOnce) {
    TreeHookRecorder hooks(kAnswerYes);
    TDistAnalysis zeros =
        MakeAnalysis(hooks.reporter, Names(6), std::vector<std::vector<Extended>>(6, std::vector<Extended>(6, 0.0L)));
    EXPECT_TRUE(zeros.PCoA(1));
    EXPECT_EQ(zeros.NPosEigen, 0u);
    EXPECT_EQ(zeros.Coords.size(), 6u);

    TDistAnalysis one = MakeAnalysis(hooks.reporter, {"Solo"}, {{0.5L}});
    ASSERT_TRUE(one.PCoA());
    EXPECT_EQ(one.NPosEigen, 0u);
    EXPECT_EQ(one.FirstEigen, 0.0L);
    ASSERT_EQ(one.Coords.size(), 1u);
    EXPECT_TRUE(one.Coords[0].empty());
    EXPECT_EQ(one.PCoAReportLines(50)[9], "Solo ");

    TDistAnalysis inf = RandomEuclidean(hooks.reporter, 5, 2, 3);
    inf.Dist[PairIndex(3, 1)] = std::numeric_limits<Extended>::infinity();
    EXPECT_FALSE(inf.PCoA());
    EXPECT_TRUE(inf.Coords.empty());
    EXPECT_EQ(hooks.errors, std::vector<std::string>{"PCoA: the distance matrix holds a value that is not a finite number"});
    EXPECT_TRUE(hooks.questions.empty());
}

TEST(PCoA, RetryQuestionIsBoundedAndNoMeansNoResults) {
    const std::string question =
        "PCoA failed\r\n\r\nFinding eigenvectors/eigenvalues using Jacobi procedure failed (1 iterations)"
        "\r\nDo you want to retry, increasing the number of iterations 10-fold?";
    {
        TreeHookRecorder hooks(kAnswerNo);
        TDistAnalysis a = RandomEuclidean(hooks.reporter, 10, 3, 8);
        EXPECT_FALSE(a.PCoA(1));
        ASSERT_EQ(hooks.questions.size(), 1u);
        EXPECT_EQ(hooks.questions[0].first, question);
        EXPECT_EQ(hooks.questions[0].second, "Error");
        EXPECT_EQ(hooks.lastFlags, kQuestionYesNo);
        EXPECT_TRUE(a.Coords.empty());
        EXPECT_EQ(a.NPosEigen, 0u);
    }
    {
        TreeHookRecorder hooks(kAnswerYes);  // Yes until it converges
        TDistAnalysis a = RandomEuclidean(hooks.reporter, 10, 3, 8);
        EXPECT_TRUE(a.PCoA(10));
        EXPECT_GE(hooks.questions.size(), 1u);
        EXPECT_EQ(a.Coords.size(), 10u);
    }
    {
        TreeHookRecorder hooks(kAnswerYes);  // a limit of 0 never grows: the retries stop
        TDistAnalysis a = RandomEuclidean(hooks.reporter, 10, 3, 8);
        EXPECT_FALSE(a.PCoA(0));
        EXPECT_EQ(hooks.questions.size(), static_cast<std::size_t>(kPCoAMaxRetries));
        EXPECT_EQ(hooks.errors.size(), 1u);
    }
    TDistAnalysis a = RandomEuclidean(SilentReporter(), 10, 3, 8);  // nobody to ask: No
    EXPECT_FALSE(a.PCoA(1));
}

TEST(PCoA, GroupCentroidsAreAppendedAsOtus) {
    TDistAnalysis a = RandomEuclidean(SilentReporter(), 6, 2, 21);
    ASSERT_TRUE(a.PCoA());
    const std::vector<std::int32_t> groups = {0, 0, 2, 2, 0, 2};
    const AAExt coords = a.Coords;
    EXPECT_EQ(a.GroupCentroids(std::vector<std::int32_t>{0, -1, 0, 0, 0, 0}, true), 0u);
    EXPECT_EQ(a.GroupCentroids(std::vector<std::int32_t>{0, 0}, true), 0u);
    EXPECT_EQ(a.OTUNames.size(), 6u);

    ASSERT_EQ(a.GroupCentroids(groups, true), 3u);
    ASSERT_EQ(a.OTUNames.size(), 9u);
    EXPECT_EQ(a.OTUNames[6], "Centoid_0");
    EXPECT_EQ(a.OTUNames[8], "Centoid_2");
    for (std::size_t k = 0; k < a.NPosEigen; ++k) {
        EXPECT_EQ(a.Coords[6][k], (coords[0][k] + coords[1][k] + coords[4][k]) / 3.0L);
        EXPECT_EQ(a.Coords[7][k], 0.0L);  // group 1 has no member
    }
    const AString lines = a.PCoAReportLines(50);
    EXPECT_EQ(lines[lines.size() - 2].rfind("Centoid_2 ", 0), 0u);

    // A new PCoA drops the appended centroids.
    ASSERT_TRUE(a.PCoA());
    EXPECT_EQ(a.OTUNames.size(), 6u);
    EXPECT_EQ(a.Coords.size(), 6u);
}

TEST(PCoA, ReportListsAtMostTheAskedNumberOfCoordinates) {
    TDistAnalysis a = RandomEuclidean(SilentReporter(), 60, 60, 5);
    ASSERT_TRUE(a.PCoA());
    ASSERT_GT(a.NPosEigen, 50u);
    const AString lines = a.PCoAReportLines(50);
    ASSERT_EQ(lines.size(), 9 + a.NPosEigen + 60 + 1);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "Principal Coordinate Analysis");
    EXPECT_EQ(lines[3], "Number of positive eigenvalues: " + std::to_string(a.NPosEigen));
    EXPECT_EQ(lines[4].rfind("First eigenvalue: ", 0), 0u);
    EXPECT_EQ(lines[6], "Eigenvalues (as percentages of the sum of positive eigenvalues)");
    EXPECT_EQ(lines[8 + a.NPosEigen], "PCoA coordinates");
    const std::string& first = lines[9 + a.NPosEigen];
    EXPECT_EQ(first.rfind("T1 ", 0), 0u);
    EXPECT_EQ(std::count(first.begin(), first.end(), '.'), 50);
    EXPECT_EQ(first.back(), ' ');

    TDistAnalysis small = RandomEuclidean(SilentReporter(), 8, 2, 6);
    ASSERT_TRUE(small.PCoA());
    const AString few = small.PCoAReportLines(50);
    const std::string& otu = few[9 + small.NPosEigen];
    EXPECT_EQ(static_cast<std::size_t>(std::count(otu.begin(), otu.end(), '.')), small.NPosEigen);

    TempDir dir;
    const std::string file = dir.Path("analysis.txt");
    ASSERT_EQ(small.WritePCoAReport(file, 50, true), 0);
    ASSERT_EQ(small.WritePCoAReport(file, 50, false), 0);
    std::string once;
    for (const std::string& line : few) once += line + "\r\n";
    EXPECT_EQ(TempDir::Read(file), once + once);
    ASSERT_EQ(small.WritePCoAReport(file, 50, true), 0);
    EXPECT_EQ(TempDir::Read(file), once);
    EXPECT_NE(small.WritePCoAReport(dir.Path("no/such/folder.txt"), 50, true), 0);
}
