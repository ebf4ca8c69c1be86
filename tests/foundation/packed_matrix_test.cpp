#include "foundation/packed_matrix.h"

#include <gtest/gtest.h>

TEST(PackedMatrix, IndexAndPairAreInverse) {
    EXPECT_EQ(PairIndex(5, 3), 12u);
    EXPECT_EQ(PairIndex(3, 5), 12u);
    EXPECT_EQ(PairIndex(1, 1), 0u);
    for (std::size_t k : {0ul, 1ul, 2ul, 5ul, 12ul, 999999ul, 4000000000ul}) {
        std::size_t i = 0, j = 0;
        IndexToPair(k, i, j);
        EXPECT_GE(i, j);
        EXPECT_GE(j, 1u);
        EXPECT_EQ(PairIndex(i, j), k);
    }
    EXPECT_EQ(PackedSize(4), 10u);
    EXPECT_EQ(PackedSize(100000), 5000050000ul);
}
