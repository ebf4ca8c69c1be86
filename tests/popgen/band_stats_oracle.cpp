// Live comparison of the band statistics, the locus classes per group, the private bands and the
// filters' kept sets with a direct derivation in R, on random band matrices from fixed seeds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "grouped_bands.h"
#include "popgen/analyses/band_profiles.h"
#include "popgen/data/band_stats.h"
#include "popgen/data/filters.h"
#include "support/temp_dir.h"

namespace {

bool HaveR() { return std::system("Rscript -e 'invisible(0)' >/dev/null 2>&1") == 0; }

// measure -> index -> value.
using Reference = std::map<std::string, std::map<std::size_t, double>>;

Reference ReadValues(const std::string& path) {
    Reference ref;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream s(line);
        s.imbue(std::locale::classic());
        std::string measure;
        std::size_t index = 0;
        double value = 0;
        if (s >> measure >> index >> value) ref[measure][index] = value;
    }
    return ref;
}

// n individuals by loci loci; each locus has its own band and missing-data rates, so that fixed,
// monomorphic and heavily missing loci occur. Locus 1 has exactly 20 % missing cells, locus 2
// 21 % (n = 100), to test the strict comparison.
std::vector<std::string> RandomBands(std::uint32_t seed, std::size_t n, std::size_t loci) {
    RandomStream random(seed);
    std::vector<std::string> rows(n, std::string(loci, '0'));
    for (std::size_t l = 0; l < loci; ++l) {
        const Extended band = random.RandomFloat();
        const Extended lost = random.RandomFloat() < 0.3L ? 0.0L : random.RandomFloat() * 0.4L;
        for (std::size_t i = 0; i < n; ++i) {
            const bool isLost = random.RandomFloat() < lost;
            const bool isBand = random.RandomFloat() < band * band;
            rows[i][l] = isLost ? '9' : isBand ? '1' : '0';
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        rows[i][0] = i < n / 5 ? '9' : (i % 2 ? '1' : '0');
        rows[i][1] = i * 100 < 21 * n ? '9' : (i % 3 ? '1' : '0');
    }
    return rows;
}

struct Oracle : GroupedBands, ::testing::Test {
    std::map<std::string, int> partialRemovals;  // filter -> cases where it removed some, not all
    void Compare(const Reference& ref, std::uint32_t seed, std::size_t n, std::size_t loci, std::size_t nGroups) {
        const std::string label = "seed " + std::to_string(seed);
        const auto near = [&](const char* measure, std::size_t index, Extended value) {
            ASSERT_TRUE(ref.count(measure) && ref.at(measure).count(index)) << label << " " << measure << index;
            const double r = ref.at(measure).at(index);
            EXPECT_NEAR(static_cast<double>(value), r, 1e-14 * std::max(1.0, std::fabs(r)))
                << label << " " << measure << " " << index;
        };
        AExt freqs;
        IndBandFreqs(ds, freqs);
        for (std::size_t i = 1; i <= n; ++i) {
            near("ind_freq", i, freqs[i - 1]);
            near("ind_missing", i, IndMissingFraction(ds, i));
        }
        ASSERT_TRUE(LocusBandFreqs(ds, true, freqs));
        AExt shares;
        ASSERT_TRUE(LocusBandFreqs(ds, false, shares));
        for (std::size_t l = 1; l <= loci; ++l) {
            near("loc_freq", l, freqs[l - 1]);
            near("loc_share", l, shares[l - 1]);
            near("loc_missing", l, LocMissingFraction(ds, l));
        }
        Extended mean, sd, var;
        MeanBandsPerInd(ds, mean, sd, var);
        near("mean_bands", 1, mean);
        near("var_bands", 1, var);

        // Locus classes of the whole data and of each group (layer 4 as the group's scratch).
        near("polymorphic", 0, static_cast<Extended>(NumPolymorphicLoci(ds)));
        near("fixed", 0, static_cast<Extended>(NumFixedBands(ds)));
        for (std::size_t g = 1; g <= nGroups; ++g) {
            ASSERT_TRUE(ds.MakeSubsetLayer(1, 4, g, 0));
            near("polymorphic", g, static_cast<Extended>(NumPolymorphicLoci(ds)));
            near("fixed", g, static_cast<Extended>(NumFixedBands(ds)));
            ds.CurLayer = 1;
        }
        std::vector<std::size_t> priv, fixedPriv;
        ASSERT_TRUE(PrivateBands(ds, priv));
        ASSERT_TRUE(FixedPrivateBands(ds, fixedPriv));
        for (std::size_t g = 1; g <= nGroups; ++g) {
            near("private", g, static_cast<Extended>(priv[g - 1]));
            near("fixed_private", g, static_cast<Extended>(fixedPriv[g - 1]));
        }

        // Each filter on a fresh working copy: its kept set over layer 0 against R's.
        const struct {
            const char* measure;
            bool loci;
            std::function<std::size_t(TPopGenDataSet&)> run;
        } filters[] = {
            {"keep_loc_md_0.2", true, [](TPopGenDataSet& d) { return RemoveLocMD(d, 1, 0.2L); }},
            {"keep_loc_low_0.3", true, [](TPopGenDataSet& d) { return RemoveLocLowFreq(d, 1, 0.3L); }},
            {"keep_loc_high_0.7", true, [](TPopGenDataSet& d) { return RemoveLocHighFreq(d, 1, 0.7L); }},
            {"keep_loc_more_md", true, [](TPopGenDataSet& d) { return RemoveLocMoreMDThanBands(d, 1); }},
            {"keep_ind_md_0.1", false, [](TPopGenDataSet& d) { return RemoveIndMD(d, 1, 0.1L); }},
            {"keep_ind_low_0.25", false, [](TPopGenDataSet& d) { return RemoveIndLowFreq(d, 1, 0.25L); }},
        };
        for (const auto& f : filters) {
            ASSERT_TRUE(ds.Select(0, 0));
            const std::size_t removed = f.run(ds);
            const TDSLayer& w = ds.Layers[1];
            const AByte& mask = f.loci ? w.LocMask : w.IndMask;
            std::size_t expectedRemoved = 0;
            for (const auto& [k, keep] : ref.at(f.measure)) expectedRemoved += keep == 0.0;
            if (expectedRemoved == mask.size()) {
                // Everything would go: refused, nothing changed.
                EXPECT_EQ(removed, 0u) << label << " " << f.measure;
                EXPECT_EQ(errors.size(), 1u) << label << " " << f.measure;
                errors.clear();
                continue;
            }
            for (std::size_t k = 1; k <= mask.size(); ++k)
                EXPECT_EQ(mask[k - 1], ref.at(f.measure).at(k)) << label << " " << f.measure << " " << k;
            EXPECT_EQ(removed, expectedRemoved) << label << " " << f.measure;
            if (removed > 0) ++partialRemovals[f.measure];
        }
        if (seed == 11) {
            EXPECT_EQ(ref.at("keep_loc_md_0.2").at(1), 1.0);  // exactly 20 % missing stays
            EXPECT_EQ(ref.at("keep_loc_md_0.2").at(2), 0.0);  // 21 % goes
        }
        EXPECT_TRUE(errors.empty()) << label;
    }
};

TEST_F(Oracle, BandStatisticsAndFiltersAgreeWithR) {
    if (!HaveR()) GTEST_SKIP() << "Rscript is not installed";
    const std::string script = std::string(TESK_SOURCE_DIR) + "/tests/data/popgen/band_stats_oracle.R";
    const struct {
        std::uint32_t seed;
        std::size_t n, loci, groups;
    } cases[] = {{11, 100, 60, 4}, {22, 24, 150, 3}, {33, 9, 40, 2}};
    TempDir dir;
    for (const auto& c : cases) {
        const auto rows = RandomBands(c.seed, c.n, c.loci);
        std::string bands, groupsText;
        std::vector<std::pair<std::string, std::vector<std::size_t>>> groups(c.groups);
        for (std::size_t g = 0; g < c.groups; ++g) groups[g].first = "Pop" + std::to_string(g + 1);
        for (std::size_t i = 0; i < c.n; ++i) {
            bands += rows[i] + "\n";
            groupsText += std::to_string(i % c.groups + 1) + "\n";
            groups[i % c.groups].second.push_back(i);
        }
        Load(rows, groups);
        const std::string in = dir.Write("bands.txt", bands);
        const std::string grp = dir.Write("groups.txt", groupsText);
        const std::string out = dir.Path("values.txt");
        ASSERT_EQ(std::system(("Rscript '" + script + "' '" + in + "' '" + grp + "' '" + out + "'").c_str()), 0);
        Compare(ReadValues(out), c.seed, c.n, c.loci, c.groups);
    }
    // The data exercise every filter.
    EXPECT_EQ(partialRemovals.size(), 6u);
}

}  // namespace
