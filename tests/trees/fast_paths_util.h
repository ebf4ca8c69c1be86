// Shared pieces of the fast-path tests: random distance matrices, bitwise comparison of trees and
// values, and a scope that sets the number of threads.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/random.h"
#include "foundation/thread_pool.h"
#include "tree_test_util.h"
#include "trees/dist_analysis.h"
#include "trees/tree_records.h"


inline bool SameBits(Extended a, Extended b) { return std::memcmp(&a, &b, 10) == 0; }

// Distances drawn from `levels` values (0 for continuous ones): few levels give many ties.
inline TDistAnalysis RandomDistances(Reporter& reporter, std::size_t n, std::uint32_t levels, std::uint32_t seed) {
    RandSeed = seed;
    std::vector<std::vector<Extended>> d(n, std::vector<Extended>(n, 0.0L));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            d[i][j] = d[j][i] = levels > 0 ? static_cast<Extended>(Random(levels) + 1) / levels : RandomFloat();
        }
    }
    return MakeAnalysis(reporter, Names(n), d);
}

class ThreadCountScope {
public:
    explicit ThreadCountScope(std::size_t n) { SetThreadCount(n); }
    ~ThreadCountScope() { SetThreadCount(0); }
};

inline void ExpectSameNodes(const PackedNodes& fast, const PackedNodes& reference, const std::string& what) {
    ASSERT_EQ(fast.size(), reference.size()) << what;
    for (std::size_t k = 0; k < fast.size(); ++k) {
        EXPECT_EQ(fast[k].Id, reference[k].Id) << what << " entry " << k;
        EXPECT_EQ(fast[k].Name, reference[k].Name) << what << " entry " << k;
        EXPECT_TRUE(SameBits(fast[k].Value, reference[k].Value)) << what << " entry " << k;
        EXPECT_EQ(fast[k].Parent, reference[k].Parent) << what << " entry " << k;
        EXPECT_EQ(fast[k].ChildCount, reference[k].ChildCount) << what << " entry " << k;
    }
}

inline void ExpectSameTree(const Dendrogram& fast, const Dendrogram& reference, const std::string& what) {
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

