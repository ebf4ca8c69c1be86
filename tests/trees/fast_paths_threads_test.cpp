// The threaded fast paths against the straightforward ones, bit for bit, for 1, 2 and all threads.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "fast_paths_util.h"
#include "support/reference_trees.h"
#include "trees/pcoa.h"
TEST(FastTreesThreads, NeighbourJoiningMatchesThePackedCopiesForEveryThreadCount) {
    // The larger cases search their pairs on several threads.
    for (const DataCase& c : {DataCase{4, 0, 11}, DataCase{5, 1, 12}, DataCase{50, 0, 13}, DataCase{90, 4, 14},
                              DataCase{420, 0, 15}, DataCase{400, 6, 16}}) {
        TDistAnalysis reference = RandomDistances(SilentReporter(), c.n, c.levels, c.seed);
        ASSERT_TRUE(ReferenceNJ(reference, "T"));
        for (const std::size_t threads : {std::size_t{1}, std::size_t{2}, std::size_t{0}}) {
            const ThreadCountScope scope(threads);
            TDistAnalysis fast = RandomDistances(SilentReporter(), c.n, c.levels, c.seed);
            ASSERT_TRUE(fast.BuildTree(TreeKind::NJ, "T"));
            ExpectSameTree(fast.Tree, reference.Tree,
                           "n " + std::to_string(c.n) + " threads " + std::to_string(ThreadCount()));
        }
    }
    // Distances beyond the range of doubles, and too small for a double to hold their low bits,
    // are searched as extended values.
    for (const Extended odd : {1e400L, 3e-320L}) {
        TDistAnalysis reference = RandomDistances(SilentReporter(), 30, 0, 17);
        reference.Dist[PairIndex(7, 3)] = odd;
        TDistAnalysis fast = reference;
        ASSERT_TRUE(ReferenceNJ(reference, "T"));
        ASSERT_TRUE(fast.BuildTree(TreeKind::NJ, "T"));
        ExpectSameTree(fast.Tree, reference.Tree, "odd distance");
    }
}

TEST(FastPCoAThreads, SolverMatchesJacobiEigenAndGoesOnAfterItsLimit) {
    struct Case {
        std::size_t n;
        std::uint32_t seed, levels;
    };
    for (const Case& c : {Case{1, 1, 0}, Case{2, 2, 0}, Case{40, 3, 0}, Case{30, 4, 5}, Case{25, 5, 2}, Case{60, 6, 9},
                          Case{90, 7, 0}, Case{100, 8, 4}}) {
        RandSeed = c.seed;
        ExtMatrix input(c.n);
        for (std::size_t i = 0; i < c.n; ++i) {
            for (std::size_t j = i; j < c.n; ++j) {
                const Extended v = c.levels > 0 ? static_cast<Extended>(Random(c.levels)) - c.levels / 2.0L
                                                : RandomFloat() * 2.0L - 1.0L;
                input(i, j) = v;
                input(j, i) = -7.0L;  // the lower triangle is not read
            }
        }
        ExtMatrix plain = input, vectors;
        AExt values;
        ASSERT_EQ(JacobiEigen(plain, 0, c.n - 1, vectors, values, 1e-17L, 1000000, JacobiPivotSearch::Plain), 0);

        // The larger matrices rotate their eigenvectors on a thread of their own unless there is one.
        const ThreadCountScope one(1);
        JacobiSolver fresh(input, 1e-17L);
        ASSERT_TRUE(fresh.Run(1000000));
        SetThreadCount(0);
        // Stopped every few rotations and sent on with a larger limit.
        JacobiSolver stepped(input, 1e-17L);
        std::size_t limit = 0;
        while (!stepped.Run(limit)) limit += 97;
        EXPECT_EQ(stepped.Rotations(), fresh.Rotations());
        for (JacobiSolver* solver : {&fresh, &stepped}) {
            AExt fastValues, fastVectors;
            solver->Take(fastValues, fastVectors);
            ASSERT_EQ(fastValues.size(), c.n);
            for (std::size_t k = 0; k < c.n; ++k) {
                ASSERT_TRUE(SameBits(fastValues[k], values[k])) << "n " << c.n << " value " << k;
                for (std::size_t i = 0; i < c.n; ++i) {
                    ASSERT_TRUE(SameBits(fastVectors[k * c.n + i], vectors(i, k))) << "n " << c.n << " vector " << k;
                }
            }
        }
    }
}

namespace {

// A random symmetric matrix (upper triangle) of n rows.
ExtMatrix RandomSymmetric(std::size_t n, std::uint32_t seed) {
    RandSeed = seed;
    ExtMatrix m(n);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i; j < n; ++j) m(i, j) = RandomFloat() * 2.0L - 1.0L;
    }
    return m;
}

void ExpectSameSolution(JacobiSolver& solver, const AExt& values, const AExt& vectors, const std::string& what) {
    AExt fastValues, fastVectors;
    solver.Take(fastValues, fastVectors);
    ASSERT_EQ(fastValues.size(), values.size()) << what;
    ASSERT_EQ(fastVectors.size(), vectors.size()) << what;
    for (std::size_t k = 0; k < values.size(); ++k) ASSERT_TRUE(SameBits(fastValues[k], values[k])) << what << " value " << k;
    for (std::size_t k = 0; k < vectors.size(); ++k) {
        ASSERT_TRUE(SameBits(fastVectors[k], vectors[k])) << what << " vector element " << k;
    }
}

}  // namespace

TEST(FastPCoAThreads, SharedRotationsGiveTheResultsOfTheStraightforwardSolver) {
    // Large enough for a rotation to be shared out between threads.
    for (const std::size_t n : {std::size_t{140}, std::size_t{260}}) {
        const ExtMatrix input = RandomSymmetric(n, static_cast<std::uint32_t>(n));
        ExtMatrix plain = input, vectorMatrix;
        AExt values;
        ASSERT_EQ(JacobiEigen(plain, 0, n - 1, vectorMatrix, values, 1e-12L, 100000000, JacobiPivotSearch::RowMaxima), 0);
        AExt vectors(n * n);  // vector k at k * n
        for (std::size_t k = 0; k < n; ++k) {
            for (std::size_t i = 0; i < n; ++i) vectors[k * n + i] = vectorMatrix(i, k);
        }
        for (const std::size_t threads : {std::size_t{1}, std::size_t{2}, std::size_t{0}}) {
            const ThreadCountScope scope(threads);
            const std::string what = "n " + std::to_string(n) + " threads " + std::to_string(ThreadCount());
            JacobiSolver fresh(input, 1e-12L);
            ASSERT_TRUE(fresh.Run(100000000)) << what;
            ExpectSameSolution(fresh, values, vectors, what);
            if (threads != 0) continue;
            // Stopped now and then, across batches of eigenvector rotations, and sent on with another
            // number of threads each time: a team may change its size between any two rotations.
            JacobiSolver stepped(input, 1e-12L);
            std::size_t limit = 0;
            for (std::size_t step = 0; !stepped.Run(limit); ++step) {
                limit += 5003;
                SetThreadCount(std::size_t{1} + step % 4);
            }
            SetThreadCount(0);
            ExpectSameSolution(stepped, values, vectors, what + " stepped");
        }
    }
}

TEST(FastPCoAThreads, NotANumberGivesTheSameStateForEveryThreadCount) {
    // A NaN spreads through the rows it is rotated into (never onto the diagonal: it is never the
    // pivot): the shares fall back to the rules of one pass.
    ExtMatrix input = RandomSymmetric(200, 31);
    input(3, 150) = std::numeric_limits<Extended>::quiet_NaN();
    std::vector<AExt> values, vectors;
    for (const std::size_t threads : {std::size_t{1}, std::size_t{2}, std::size_t{0}}) {
        const ThreadCountScope scope(threads);
        JacobiSolver solver(input, 1e-17L);
        solver.Run(3000);
        AExt v, w;
        solver.Take(v, w);
        values.push_back(v);
        vectors.push_back(w);
    }
    for (std::size_t t = 1; t < values.size(); ++t) {
        for (std::size_t k = 0; k < values[0].size(); ++k) ASSERT_TRUE(SameBits(values[t][k], values[0][k])) << t << " " << k;
        for (std::size_t k = 0; k < vectors[0].size(); ++k) ASSERT_TRUE(SameBits(vectors[t][k], vectors[0][k])) << t << " " << k;
    }
}

TEST(FastPCoAThreads, RetriesContinueAndGiveTheResultsOfAFreshRun) {
    for (const DataCase& c : {DataCase{30, 0, 21}, DataCase{45, 5, 22}, DataCase{70, 0, 23}}) {
        // A first limit far below what the run needs: several retries, each answered Yes.
        TreeHookRecorder hooks(kAnswerYes);
        TDistAnalysis fast = RandomDistances(hooks.reporter, c.n, c.levels, c.seed);
        TDistAnalysis reference = RandomDistances(hooks.reporter, c.n, c.levels, c.seed);
        ASSERT_TRUE(fast.PCoA(c.n * 2, 1e-18L));
        const auto fastQuestions = hooks.questions;
        hooks.questions.clear();
        ASSERT_TRUE(ReferencePCoA(reference, c.n * 2, 1e-18L));
        EXPECT_EQ(fastQuestions, hooks.questions);
        EXPECT_GE(fastQuestions.size(), 2u);
        ASSERT_EQ(fast.NPosEigen, reference.NPosEigen);
        EXPECT_TRUE(SameBits(fast.FirstEigen, reference.FirstEigen));
        EXPECT_TRUE(SameBits(fast.SumPosEigen, reference.SumPosEigen));
        for (std::size_t k = 0; k < fast.NPosEigen; ++k) EXPECT_TRUE(SameBits(fast.EigenPercents[k], reference.EigenPercents[k]));
        ASSERT_EQ(fast.Coords.size(), reference.Coords.size());
        for (std::size_t i = 0; i < fast.Coords.size(); ++i) {
            for (std::size_t k = 0; k < fast.NPosEigen; ++k) {
                ASSERT_TRUE(SameBits(fast.Coords[i][k], reference.Coords[i][k])) << "OTU " << i << " coordinate " << k;
            }
        }
    }
}
