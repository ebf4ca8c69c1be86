// Live comparison of the maximum-likelihood hybrid index (R's optimize and uniroot on the same
// likelihood written in R) and of the reallocation log-likelihoods (a direct R computation), on
// fixed-seed parental, hybrid and population samples.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "grouped_bands.h"
#include "popgen/analyses/hybrid_index.h"
#include "popgen/analyses/pop_alloc.h"
#include "support/temp_dir.h"

#define EXPECT_EXT_NEAR(a, b, tolerance) EXPECT_LE(std::fabs((a) - (b)), (tolerance)) << (a) << " vs " << (b)

namespace {

bool HaveR() { return std::system("Rscript -e 'invisible(0)' >/dev/null 2>&1") == 0; }

std::string Script(const char* name) { return std::string(TESK_SOURCE_DIR) + "/tests/data/popgen/" + name; }

std::string Num(Extended x) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.21Lg", x);
    return buffer;
}

// One row of numbers per line of the file.
std::vector<std::vector<Extended>> ReadRows(const std::string& name) {
    std::vector<std::vector<Extended>> rows;
    std::ifstream in(name);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<Extended> row;
        long double x = 0;
        while (fields >> x) row.push_back(x);
        rows.push_back(row);
    }
    return rows;
}

// A dominant band of two alleles, each the band allele with probability p.
char Band(Extended p) { return RandomFloat() < p || RandomFloat() < p ? '1' : '0'; }

// An individual whose alleles come from parent 1 with probability h, else from parent 2.
std::string Individual(const AExt& p1, const AExt& p0, Extended h, Extended missing) {
    std::string row;
    for (std::size_t k = 0; k < p1.size(); ++k) {
        bool band = false;
        for (int allele = 0; allele < 2; ++allele) band = band || RandomFloat() < (RandomFloat() < h ? p1[k] : p0[k]);
        row += RandomFloat() < missing ? '9' : band ? '1' : '0';
    }
    return row;
}

AExt BandFrequencies(const AExt& p, std::size_t n) {
    AExt f;
    for (const Extended x : p) {
        std::size_t bands = 0;
        for (std::size_t i = 0; i < n; ++i) bands += Band(x) == '1';
        f.push_back(static_cast<Extended>(bands) / static_cast<Extended>(n));
    }
    return f;
}

}  // namespace

TEST(HybridIndexOracle, EstimatesAndSupportLimitsAgreeWithOptimizeAndUniroot) {
    if (!HaveR()) GTEST_SKIP() << "Rscript is not installed";
    TempDir dir;
    for (const std::uint32_t seed : {11U, 2024U, 90210U}) {
        RandSeed = seed;
        const std::size_t loci = 50;
        AExt p1, p0;
        for (std::size_t k = 0; k < loci; ++k) {
            p1.push_back(0.02L + 0.96L * RandomFloat());
            p0.push_back(0.02L + 0.96L * RandomFloat());
        }
        const AExt f1 = BandFrequencies(p1, 20), f0 = BandFrequencies(p0, 20);
        // Parental individuals of both kinds, hybrids, and some missing cells.
        const Extended hs[] = {0.0L, 0.0L, 1.0L, 1.0L, 0.25L, 0.5L, 0.5L, 0.75L, 0.9L};
        std::vector<std::string> individuals;
        for (const Extended h : hs) individuals.push_back(Individual(p1, p0, h, h == 0.5L ? 0.1L : 0.0L));

        std::string text;
        for (const AExt* f : {&f1, &f0}) {
            for (std::size_t k = 0; k < loci; ++k) text += (k ? " " : "") + Num((*f)[k]);
            text += "\n";
        }
        AAByte states(loci, AByte(individuals.size()));
        for (std::size_t i = 0; i < individuals.size(); ++i) {
            text += individuals[i] + "\n";
            for (std::size_t k = 0; k < loci; ++k) states[k][i] = static_cast<std::uint8_t>(individuals[i][k] - '0');
        }
        const std::string in = dir.Write("hybrid.txt", text), out = dir.Path("hybrid_r.txt");
        ASSERT_EQ(std::system(("Rscript '" + Script("hybrid_oracle.R") + "' '" + in + "' '" + out + "'").c_str()), 0);
        const auto reference = ReadRows(out);
        ASSERT_EQ(reference.size(), individuals.size());

        TMLHybridIndexResults r;
        ASSERT_TRUE(MLHybridIndices(f1, f0, states, 1000, 1e-6L, 1e-6L, 0.05L, r));
        for (std::size_t i = 0; i < individuals.size(); ++i) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", individual " + std::to_string(i));
            ASSERT_EQ(reference[i].size(), 4u);
            EXPECT_EXT_NEAR(r.H[i], reference[i][0], 1e-5L);
            EXPECT_EXT_NEAR(r.LowerBound[i], reference[i][1], 1e-5L);
            EXPECT_EXT_NEAR(r.UpperBound[i], reference[i][2], 1e-5L);
            EXPECT_EXT_NEAR(r.LnL[i], reference[i][3], 1e-8L);
            EXPECT_NE(r.Status[i] & 3, 3);
            EXPECT_EQ(r.Status[i] >> 2, 0);
        }
    }
}

TEST(PopAllocOracle, LogLikelihoodsAgreeWithADirectComputation) {
    if (!HaveR()) GTEST_SKIP() << "Rscript is not installed";
    TempDir dir;
    RandSeed = 777;
    const std::size_t loci = 40, perPop = 12, pops = 3;
    std::vector<AExt> freqs(pops);
    for (AExt& p : freqs)
        for (std::size_t k = 0; k < loci; ++k) p.push_back(RandomFloat() < 0.2L ? 0.0L : RandomFloat());
    std::vector<std::string> rows;
    std::vector<std::pair<std::string, std::vector<std::size_t>>> groups;
    for (std::size_t g = 0; g < pops; ++g) {
        groups.push_back({"Pop" + std::to_string(g + 1), {}});
        for (std::size_t i = 0; i < perPop; ++i) {
            groups.back().second.push_back(rows.size());
            rows.push_back(Individual(freqs[g], freqs[g], 1.0L, 0.05L));
        }
    }
    for (const Extended missingProb : {0.0L, 0.5L}) {
        SCOPED_TRACE("missing probability " + Num(missingProb));
        std::string text = Num(missingProb) + "\n";
        for (std::size_t i = 0; i < rows.size(); ++i) text += std::to_string(i / perPop + 1) + " " + rows[i] + "\n";
        const std::string in = dir.Write("alloc.txt", text), out = dir.Path("alloc_r.txt");
        ASSERT_EQ(std::system(("Rscript '" + Script("pop_alloc_oracle.R") + "' '" + in + "' '" + out + "'").c_str()),
                  0);
        const auto reference = ReadRows(out);
        ASSERT_EQ(reference.size(), pops);

        GroupedBands data;
        data.Load(rows, groups);
        TPopAllocResults r;
        ASSERT_TRUE(PopAlloc(data.ds, {}, {2.0L, missingProb, true, 1e-5L}, r));
        ASSERT_EQ(r.LogLik.size(), pops);
        for (std::size_t k = 0; k < pops; ++k) {
            ASSERT_EQ(reference[k].size(), rows.size());
            for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EXT_NEAR(r.LogLik[k][i], reference[k][i], 1e-10L);
        }
    }
}
