// Live comparison of the distance matrices with R (stats::dist, vegan::vegdist, ade4::dist.binary)
// on random band matrices from fixed seeds, with and without missing cells.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "coefficient_reference.h"
#include "foundation/random.h"
#include "support/temp_dir.h"

namespace {

bool HaveR() {
    return std::system("Rscript -e 'suppressPackageStartupMessages({library(vegan); library(ade4)})' "
                       ">/dev/null 2>&1") == 0;
}

// n individuals by loci loci; bands with probability 0.45, cells missing with probability
// missing. Every individual keeps at least three observed bands, so that no pair is without
// bands (R and the program define that case differently).
std::vector<std::string> RandomBands(std::uint32_t seed, std::size_t n, std::size_t loci, double missing) {
    RandSeed = seed;
    std::vector<std::string> rows;
    while (rows.size() < n) {
        std::string row;
        int bands = 0;
        for (std::size_t l = 0; l < loci; ++l) {
            const bool absent = RandomFloat() < 0.55L;
            const bool lost = RandomFloat() < static_cast<Extended>(missing);
            row += lost ? '9' : absent ? '0' : '1';
            bands += !lost && !absent;
        }
        if (bands >= 3) rows.push_back(row);
    }
    return rows;
}

TEST(CoefficientOracle, DistanceMatricesAgreeWithR) {
    if (!HaveR()) GTEST_SKIP() << "Rscript with vegan and ade4 is not installed";
    const std::string script = std::string(TESK_SOURCE_DIR) + "/tests/data/popgen/coefficient_oracle.R";
    const struct {
        std::uint32_t seed;
        std::size_t n, loci;
        double missing;
    } cases[] = {
        {101, 12, 40, 0.0}, {202, 25, 120, 0.0}, {303, 15, 60, 0.1}, {404, 20, 35, 0.25}, {505, 3, 8, 0.0},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const auto bands = RandomBands(c.seed, c.n, c.loci, c.missing);
        std::string text;
        for (const auto& row : bands) text += row + "\n";
        const std::string label = "seed " + std::to_string(c.seed);
        const std::string in = dir.Write("bands.txt", text);
        const std::string out = dir.Path("values.txt");
        ASSERT_EQ(std::system(("Rscript '" + script + "' '" + in + "' '" + out + "'").c_str()), 0) << label;
        const auto reference = ReadReference(out);
        EXPECT_EQ(reference.size(), c.missing > 0 ? 3u : 8u) << label;
        const std::size_t pairs = c.n * (c.n - 1) / 2;
        EXPECT_EQ(CompareWithReference(bands, reference, label), reference.size() * pairs) << label;
    }
}

}  // namespace
