// Live comparison of Shannon's index, its analytical variance and the Welch t-tests with R
// (vegan::diversity, the variance formula written out in R, 2 * pt(-|t|, df)).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../popgen/grouped_bands.h"
#include "foundation/random.h"
#include "numeric/welch.h"
#include "popgen/analyses/shannon.h"
#include "shell/shannon_commands.h"
#include "support/temp_dir.h"

namespace {

bool HaveR() { return std::system("Rscript -e 'suppressPackageStartupMessages(library(vegan))' >/dev/null 2>&1") == 0; }

std::vector<std::string> RandomRows(std::uint32_t seed, std::size_t n, std::size_t m) {
    RandomStream r(seed);
    std::vector<std::string> rows(n, std::string(m, '0'));
    for (std::string& row : rows)
        for (char& c : row) c = r.Random(100) < 40 ? '1' : '0';
    return rows;
}

TEST(ShannonOracle, IndexVarianceAndTTestsAgreeWithR) {
    if (!HaveR()) GTEST_SKIP() << "Rscript with vegan is not installed";
    TempDir dir;
    for (const std::uint32_t seed : {11u, 22u, 33u}) {
        const std::vector<std::string> rows = RandomRows(seed, 16 + seed % 7, 30 + seed);
        GroupedBands data;
        data.Load(rows, {{"A", {0, 1, 2, 3, 4, 5, 6}}, {"B", {7, 8, 9, 10, 11, 12, 13, 14, 15}}});
        std::string bands;
        for (const std::string& row : rows) bands += row + "\n";
        // The pairs of the groups' Bowman values, and two fixed ones (the df example among them).
        ShannonValue a, b;
        ASSERT_TRUE(GrpShannonVarSD(data.ds, 1, {}, true, ProgramRandom(), a));
        ASSERT_TRUE(GrpShannonVarSD(data.ds, 2, {}, true, ProgramRandom(), b));
        struct Pair {
            Extended ha, va;
            std::uint32_t na;
            Extended hb, vb;
            std::uint32_t nb;
        };
        const std::vector<Pair> pairs = {{a.H, a.Variance, 7, b.H, b.Variance, 9},
                                         {2.0L, 0.01L, 10, 2.3L, 0.03L, 12},
                                         {4.1L, 0.2L, 3, 3.2L, 0.0005L, 40}};
        std::ostringstream pairText;
        pairText.precision(21);
        for (const Pair& p : pairs)
            pairText << p.ha << ' ' << p.va << ' ' << p.na << ' ' << p.hb << ' ' << p.vb << ' ' << p.nb << '\n';
        const std::string script = std::string(TESK_SOURCE_DIR) + "/tests/data/shell/shannon_oracle.R";
        const std::string out = dir.Path("reference.txt");
        ASSERT_EQ(std::system(("Rscript '" + script + "' '" + dir.Write("bands.txt", bands) + "' '" +
                               dir.Write("pairs.txt", pairText.str()) + "' '" + out + "'")
                                  .c_str()),
                  0);
        std::ifstream in(out);
        const ShannonScale scales[] = {ShannonScale::Bits, ShannonScale::Nats, ShannonScale::Decimal,
                                       ShannonScale::Base};
        for (const ShannonScale scale : scales) {
            std::string key;
            double h0 = 0, h1 = 0, v0 = 0;
            in >> key >> h0 >> key >> h1 >> key >> v0;
            ShannonValue perMatrix, perInd;
            ASSERT_TRUE(ShannonVarSD(data.ds, {scale, 3.0L, false}, true, perMatrix));
            ASSERT_TRUE(ShannonVarSD(data.ds, {scale, 3.0L, true}, true, perInd));
            EXPECT_NEAR(static_cast<double>(perMatrix.H), h0, 1e-13 * h0) << seed;
            EXPECT_NEAR(static_cast<double>(perInd.H), h1, 1e-13 * h1) << seed;
            EXPECT_NEAR(static_cast<double>(perMatrix.Variance), v0, 1e-12 * v0) << seed;
        }
        for (const Pair& p : pairs) {
            std::string key;
            double t = 0, prob = 0;
            long long df = 0;
            in >> key >> t >> df >> prob;
            ASSERT_EQ(key, "T");
            EXPECT_NEAR(static_cast<double>(std::fabs(TStatistic(p.ha, p.hb, p.va, p.vb))), t, 1e-13 * t + 1e-14);
            const std::int64_t welch = WelchDF(p.na, p.nb, p.va, p.vb);
            EXPECT_EQ(welch, df);
            EXPECT_NEAR(static_cast<double>(TDistProb(static_cast<std::int32_t>(welch), static_cast<Extended>(t))),
                        prob, 1e-10 * prob + 1e-15);
        }
    }
}

}  // namespace
