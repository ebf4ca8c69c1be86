// The fast tree and ordination paths against the straightforward ones: the same trees, node for
// node, and the same eigenvalues and coordinates, bit for bit.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "fast_paths_util.h"
#include "foundation/split_extended.h"
#include "support/reference_trees.h"
#include "trees/upgma.h"

TEST(FastTrees, UpgmaMatchesTheWholeMatrixSteps) {
    // Few levels make tie sets of several clusters and rows that lose their closest partner.
    for (const DataCase& c : {DataCase{1, 0, 1}, DataCase{2, 0, 2}, DataCase{3, 1, 3}, DataCase{40, 0, 4},
                              DataCase{60, 3, 5}, DataCase{80, 7, 6}, DataCase{150, 20, 7}, DataCase{200, 0, 8},
                              DataCase{120, 1, 9}}) {
        const TDistAnalysis a = RandomDistances(SilentReporter(), c.n, c.levels, c.seed);
        TreeHookRecorder hooks;
        PackedNodes fast, reference;
        const bool fastOk = UPGMA(hooks.reporter, a.Dist, a.NOTU, &a.OTUNames, fast);
        const std::vector<std::string> fastErrors = hooks.errors;
        hooks.errors.clear();
        const bool referenceOk = ReferenceUPGMA(hooks.reporter, a.Dist, a.NOTU, &a.OTUNames, reference);
        const std::string what = "n " + std::to_string(c.n) + " levels " + std::to_string(c.levels);
        EXPECT_EQ(fastOk, referenceOk) << what;
        EXPECT_EQ(fastErrors, hooks.errors) << what;
        ExpectSameNodes(fast, reference, what);
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

