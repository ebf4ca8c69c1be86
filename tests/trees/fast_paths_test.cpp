// The fast tree and ordination paths against the straightforward ones: the same trees, node for
// node, and the same eigenvalues and coordinates, bit for bit, whatever the number of threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "foundation/split_extended.h"
#include "foundation/thread_pool.h"
#include "support/reference_trees.h"
#include "tree_test_util.h"
#include "trees/dist_analysis.h"
#include "trees/pcoa.h"
#include "trees/upgma.h"

namespace {

bool SameBits(Extended a, Extended b) { return std::memcmp(&a, &b, 10) == 0; }

// Distances drawn from `levels` values (0 for continuous ones): few levels give many ties.
TDistAnalysis RandomDistances(std::size_t n, std::uint32_t levels, std::uint32_t seed) {
    RandSeed = seed;
    std::vector<std::vector<Extended>> d(n, std::vector<Extended>(n, 0.0L));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            d[i][j] = d[j][i] = levels > 0 ? static_cast<Extended>(Random(levels) + 1) / levels : RandomFloat();
        }
    }
    return MakeAnalysis(Names(n), d);
}

class ThreadCountScope {
public:
    explicit ThreadCountScope(std::size_t n) { SetThreadCount(n); }
    ~ThreadCountScope() { SetThreadCount(0); }
};

void ExpectSameNodes(const PackedNodes& fast, const PackedNodes& reference, const std::string& what) {
    ASSERT_EQ(fast.size(), reference.size()) << what;
    for (std::size_t k = 0; k < fast.size(); ++k) {
        EXPECT_EQ(fast[k].Id, reference[k].Id) << what << " entry " << k;
        EXPECT_EQ(fast[k].Name, reference[k].Name) << what << " entry " << k;
        EXPECT_TRUE(SameBits(fast[k].Value, reference[k].Value)) << what << " entry " << k;
        EXPECT_EQ(fast[k].Parent, reference[k].Parent) << what << " entry " << k;
        EXPECT_EQ(fast[k].ChildCount, reference[k].ChildCount) << what << " entry " << k;
    }
}

void ExpectSameTree(const Dendrogram& fast, const Dendrogram& reference, const std::string& what) {
    ASSERT_EQ(fast.Nodes.size(), reference.Nodes.size()) << what;
    EXPECT_EQ(fast.Name, reference.Name);
    for (std::size_t k = 0; k < fast.Nodes.size(); ++k) {
        EXPECT_EQ(fast.Nodes[k].Name, reference.Nodes[k].Name) << what << " node " << k;
        EXPECT_TRUE(SameBits(fast.Nodes[k].Value, reference.Nodes[k].Value)) << what << " node " << k;
        EXPECT_EQ(fast.Nodes[k].Parent, reference.Nodes[k].Parent) << what << " node " << k;
        EXPECT_EQ(fast.Nodes[k].Children, reference.Nodes[k].Children) << what << " node " << k;
    }
}

struct DataCase {
    std::size_t n;
    std::uint32_t levels, seed;
};

}  // namespace

TEST(FastTrees, UpgmaMatchesTheWholeMatrixSteps) {
    // Few levels make tie sets of several clusters and rows that lose their closest partner.
    for (const DataCase& c : {DataCase{1, 0, 1}, DataCase{2, 0, 2}, DataCase{3, 1, 3}, DataCase{40, 0, 4},
                              DataCase{60, 3, 5}, DataCase{80, 7, 6}, DataCase{150, 20, 7}, DataCase{200, 0, 8},
                              DataCase{120, 1, 9}}) {
        const TDistAnalysis a = RandomDistances(c.n, c.levels, c.seed);
        TreeHookRecorder hooks;
        PackedNodes fast, reference;
        const bool fastOk = UPGMA(a.Dist, a.NOTU, &a.OTUNames, fast);
        const std::vector<std::string> fastErrors = hooks.errors;
        hooks.errors.clear();
        const bool referenceOk = ReferenceUPGMA(a.Dist, a.NOTU, &a.OTUNames, reference);
        const std::string what = "n " + std::to_string(c.n) + " levels " + std::to_string(c.levels);
        EXPECT_EQ(fastOk, referenceOk) << what;
        EXPECT_EQ(fastErrors, hooks.errors) << what;
        ExpectSameNodes(fast, reference, what);
    }
}

TEST(FastTreesThreads, NeighbourJoiningMatchesThePackedCopiesForEveryThreadCount) {
    // The larger cases search their pairs on several threads.
    for (const DataCase& c : {DataCase{4, 0, 11}, DataCase{5, 1, 12}, DataCase{50, 0, 13}, DataCase{90, 4, 14},
                              DataCase{420, 0, 15}, DataCase{400, 6, 16}}) {
        TDistAnalysis reference = RandomDistances(c.n, c.levels, c.seed);
        ASSERT_TRUE(ReferenceNJ(reference, "T"));
        for (const std::size_t threads : {std::size_t{1}, std::size_t{2}, std::size_t{0}}) {
            const ThreadCountScope scope(threads);
            TDistAnalysis fast = RandomDistances(c.n, c.levels, c.seed);
            ASSERT_TRUE(fast.BuildTree(kTreeNJ, "T"));
            ExpectSameTree(fast.Tree, reference.Tree,
                           "n " + std::to_string(c.n) + " threads " + std::to_string(ThreadCount()));
        }
    }
    // Distances beyond the range of doubles, and too small for a double to hold their low bits,
    // are searched as extended values.
    for (const Extended odd : {1e400L, 3e-320L}) {
        TDistAnalysis reference = RandomDistances(30, 0, 17);
        reference.Dist[PairIndex(7, 3)] = odd;
        TDistAnalysis fast = reference;
        ASSERT_TRUE(ReferenceNJ(reference, "T"));
        ASSERT_TRUE(fast.BuildTree(kTreeNJ, "T"));
        ExpectSameTree(fast.Tree, reference.Tree, "odd distance");
    }
}

TEST(FastTrees, SplitExtendedHoldsExactlyWhatItCanAndRefusesTheRest) {
    for (const Extended x : {0.0L, -0.0L, 1.0L / 3.0L, -2.0L / 7.0L, 1e300L, 1e-300L, 0x1.fffffffffffffffep+5L}) {
        SplitExtended s;
        ASSERT_TRUE(SplitExtended::From(x, s)) << static_cast<double>(x);
        const Extended back = s.Value();
        EXPECT_TRUE(SameBits(back, x)) << static_cast<double>(x);
    }
    for (const Extended x : {1e400L, -1e-4000L, 3e-320L, std::numeric_limits<Extended>::infinity(),
                             std::numeric_limits<Extended>::quiet_NaN()}) {
        SplitExtended s;
        EXPECT_FALSE(SplitExtended::From(x, s)) << static_cast<double>(x);
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

TEST(FastPCoAThreads, RetriesContinueAndGiveTheResultsOfAFreshRun) {
    for (const DataCase& c : {DataCase{30, 0, 21}, DataCase{45, 5, 22}, DataCase{70, 0, 23}}) {
        // A first limit far below what the run needs: several retries, each answered Yes.
        TreeHookRecorder hooks(kTreeAnswerYes);
        TDistAnalysis fast = RandomDistances(c.n, c.levels, c.seed);
        TDistAnalysis reference = RandomDistances(c.n, c.levels, c.seed);
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
