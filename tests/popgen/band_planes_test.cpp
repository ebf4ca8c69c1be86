#include "popgen/distance/band_planes.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "foundation/cpu_dispatch.h"
#include "foundation/primitives.h"
#include "foundation/random.h"
#include "foundation/thread_pool.h"
#include "foundation/primitives_variants.h"
#include "popgen/distance/pair_count.h"

namespace {

// A locus-major matrix with the given share of missing cells (in percent).
std::vector<std::uint8_t> RandomBands(std::size_t nInd, std::size_t nLoci, std::uint32_t missingPercent) {
    std::vector<std::uint8_t> m(nInd * nLoci);
    for (std::uint8_t& cell : m) cell = Random(100) < missingPercent ? 9 : static_cast<std::uint8_t>(Random(2));
    return m;
}

}  // namespace

TEST(BandPlanes, NineCountsMatchTheByteScanForEveryDispatchVariant) {
    constexpr std::uint8_t kStates[3] = {0, 1, 9};
    DetectCPUClass();
    RandSeed = 5;
    // Locus counts around the word size; few loci give pairs without any shared state.
    for (const std::size_t loci : {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{65}, std::size_t{200}}) {
        const std::size_t nA = 9, nB = 7;
        const auto a = RandomBands(nA, loci, 15);
        const auto b = RandomBands(nB, loci, 40);
        BandPlanes pa, pb;
        ASSERT_TRUE(pa.Build(a.data(), nA, loci));
        ASSERT_TRUE(pb.Build(b.data(), nB, loci));
        for (const bool popcnt : {false, true}) {
            InstallPrimitiveVariants(CPUClass, CPUHasCMOV != 0, popcnt && CPUHasPOPCNT != 0);
            for (std::size_t i = 0; i < nA; ++i) {
                for (std::size_t j = 0; j < nB; ++j) {
                    StatePairCounts within, between;
                    pa.Count(i, pa, j % nA, within);
                    pa.Count(i, pb, j, between);
                    for (std::size_t s = 0; s < 3; ++s) {
                        for (std::size_t t = 0; t < 3; ++t) {
                            EXPECT_EQ(within[s][t], CountStatePairs(a.data() + i, nA, a.data() + j % nA, nA, loci,
                                                                    kStates[s], kStates[t]));
                            EXPECT_EQ(between[s][t],
                                      CountStatePairs(a.data() + i, nA, b.data() + j, nB, loci, kStates[s], kStates[t]));
                        }
                    }
                }
            }
        }
    }
    InitCPUDispatch(1);  // the variants of this processor again
}

// More individuals than one piece of the build holds, some without a missing cell (counted from
// their shared bands alone): the same counts on one thread and on all, by either count.
TEST(BandPlanes, ManyIndividualsBuildInPiecesAndCountAsTheByteScan) {
    constexpr std::uint8_t kStates[3] = {0, 1, 9};
    constexpr std::size_t nInd = 150, loci = 130;
    RandSeed = 8;
    std::vector<std::uint8_t> m = RandomBands(nInd, loci, 10);
    for (std::size_t i = 0; i < nInd; i += 3)
        for (std::size_t l = 0; l < loci; ++l)
            if (m[l * nInd + i] == 9) m[l * nInd + i] = static_cast<std::uint8_t>(l % 2);
    for (const std::size_t threads : {std::size_t{1}, std::size_t{0}}) {
        SetThreadCount(threads);
        BandPlanes planes;
        ASSERT_TRUE(planes.Build(m.data(), nInd, loci));
        for (std::size_t i = 0; i < nInd; ++i) {
            for (std::size_t j = 0; j <= i; ++j) {
                StatePairCounts inner, outer;
                planes.CountWithin(i, j, inner);
                planes.Count(i, planes, j, outer);
                for (std::size_t s = 0; s < 3; ++s) {
                    for (std::size_t t = 0; t < 3; ++t) {
                        const std::size_t scanned =
                            CountStatePairs(m.data() + i, nInd, m.data() + j, nInd, loci, kStates[s], kStates[t]);
                        ASSERT_EQ(inner[s][t], scanned) << i << " " << j << " " << s << t;
                        ASSERT_EQ(outer[s][t], scanned) << i << " " << j << " " << s << t;
                    }
                }
            }
        }
        // A code other than 0, 1 and 9 anywhere (first cell, a locus past the last whole byte, the
        // last individuals, which do not fill a step of sixteen): no planes at all.
        const std::pair<std::size_t, std::size_t> cells[] = {{0, 0}, {loci - 1, 17}, {loci - 1, nInd - 1}, {70, 140}};
        for (const auto& [locus, ind] : cells) {
            for (const std::uint8_t code : {std::uint8_t{2}, std::uint8_t{255}}) {
                std::vector<std::uint8_t> bad = m;
                bad[locus * nInd + ind] = code;
                EXPECT_FALSE(planes.Build(bad.data(), nInd, loci)) << locus << " " << ind;
                EXPECT_EQ(planes.Individuals(), 0u);
                EXPECT_EQ(planes.BuildId(), 0u);
            }
        }
    }
    SetThreadCount(0);
}

TEST(BandPlanes, OtherCodesLeaveNoPlanes) {
    const std::vector<std::uint8_t> m = {0, 1, 9, 2};
    BandPlanes p;
    EXPECT_FALSE(p.Build(m.data(), 2, 2));
    EXPECT_EQ(p.Individuals(), 0u);
}
