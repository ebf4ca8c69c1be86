// Live comparison of AMOVA (ade4::amova, vegan::adonis2), pairwise PhiST, the null-allele frequency
// estimates and the chord distances with R on fixed-seed data: five populations in two regions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "grouped_bands.h"
#include "popgen/analyses/allele_freq.h"
#include "popgen/analyses/amova.h"
#include "popgen/analyses/bi_allele.h"
#include "popgen/analyses/pairwise_phist.h"
#include "popgen/analyses/pop_distance.h"
#include "support/temp_dir.h"

namespace {

bool HaveR() {
    return std::system(
               "Rscript -e 'suppressPackageStartupMessages({library(vegan); library(ade4)})' "
               ">/dev/null 2>&1") == 0;
}

using Groups = std::vector<std::pair<std::string, std::vector<std::size_t>>>;

struct Design {
    std::vector<std::string> rows;
    Groups hierarchy;  // regions and their populations
    Groups flat;       // the populations alone, in the same order
};

// Populations of the given sizes; each has its own band probability per locus around a common one
// (spread 0 gives populations without structure). Every individual keeps at least three bands.
Design MakeDesign(std::uint32_t seed, const std::vector<std::size_t>& sizes, std::size_t loci, Extended spread) {
    RandSeed = seed;
    Design d;
    std::vector<Extended> base(loci);
    for (Extended& b : base) b = 0.2L + 0.6L * RandomFloat();
    const char* const regions[] = {"R1", "R1", "R2", "R2", "R2"};
    std::map<std::string, std::vector<std::size_t>> regionMembers;
    for (std::size_t p = 0; p < sizes.size(); ++p) {
        std::vector<Extended> prob(loci);
        for (std::size_t l = 0; l < loci; ++l)
            prob[l] = std::min(0.95L, std::max(0.05L, base[l] + spread * (RandomFloat() - 0.5L)));
        std::vector<std::size_t> members;
        while (members.size() < sizes[p]) {
            std::string row;
            int bands = 0;
            for (std::size_t l = 0; l < loci; ++l) {
                const bool present = RandomFloat() < prob[l];
                row += present ? '1' : '0';
                bands += present;
            }
            if (bands < 3) continue;
            members.push_back(d.rows.size());
            d.rows.push_back(row);
        }
        const std::string name = "P" + std::to_string(p + 1);
        d.flat.emplace_back("AllData/" + name, members);
        regionMembers[regions[p]].insert(regionMembers[regions[p]].end(), members.begin(), members.end());
    }
    for (const std::string region : {"R1", "R2"}) {
        d.hierarchy.emplace_back("AllData/" + region, regionMembers[region]);
        for (std::size_t p = 0; p < sizes.size(); ++p)
            if (regions[p] == region)
                d.hierarchy.emplace_back("AllData/" + region + "/P" + std::to_string(p + 1), d.flat[p].second);
    }
    return d;
}

struct Reference {
    std::map<std::string, double> values;
    std::map<std::string, std::pair<double, double>> freqs;  // "method group locus" -> q, variance
};

Reference RunR(const Design& d, const TempDir& dir) {
    std::string bands, groups = "AllData";
    for (std::size_t i = 0; i < d.rows.size(); ++i) {
        bands += d.rows[i] + "\n";
        groups += " " + std::to_string(i + 1);
    }
    groups += "\n";
    for (const auto& [name, members] : d.hierarchy) {
        groups += name;
        for (const std::size_t m : members) groups += " " + std::to_string(m + 1);
        groups += "\n";
    }
    const std::string script = std::string(TESK_SOURCE_DIR) + "/tests/data/popgen/population_oracle.R";
    const std::string out = dir.Path("values.txt");
    const std::string command = "Rscript '" + script + "' '" + dir.Write("bands.txt", bands) + "' '" +
                                dir.Write("groups.txt", groups) + "' '" + out + "'";
    Reference ref;
    if (std::system(command.c_str()) != 0) return ref;
    std::ifstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "freq") {
            std::string method, group, locus;
            double q = 0, v = 0;
            fields >> method >> group >> locus >> q >> v;
            ref.freqs[method + " " + group + " " + locus] = {q, v};
        } else {
            double v = 0;
            fields >> v;
            ref.values[key] = v;
        }
    }
    return ref;
}

constexpr double kTol = 1e-10;

double D(Extended x) { return static_cast<double>(x); }

class PopulationOracle : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveR()) GTEST_SKIP() << "Rscript with vegan and ade4 is not installed";
        design = MakeDesign(4242, {6, 8, 5, 7, 9}, 40, 0.5L);
        ref = RunR(design, dir);
        ASSERT_FALSE(ref.values.empty()) << "the R script failed";
    }
    double R(const std::string& key) {
        EXPECT_EQ(ref.values.count(key), 1u) << key;
        return ref.values[key];
    }

    TempDir dir;
    Design design;
    Reference ref;
};

AmovaOptions JaccardOptions(std::uint8_t level, Transformation transform, std::size_t permutations = 0) {
    AmovaOptions o;
    o.Level = level;
    o.Coeff = Coefficient::Jaccard;
    o.Transform = transform;
    o.Permutations = permutations;
    return o;
}

TEST_F(PopulationOracle, TwoLevelAmovaAgreesWithAde4) {
    GroupedBands g;
    g.Load(design.rows, design.hierarchy);
    Transformation t = Transformation::SqrtOneMinusS;
    ASSERT_TRUE(AMOVA(g.ds, JaccardOptions(2, t), ProgramRandom(), t)) << g.errors[0];
    const TAmovaRes& r = g.ds.GetCurrLayer().Amova->Observed;
    EXPECT_NEAR(D(r.SSDAmong), R("amova2.ss.among"), kTol);
    EXPECT_NEAR(D(r.SSDAPWG), R("amova2.ss.apwg"), kTol);
    EXPECT_NEAR(D(r.SSDWP), R("amova2.ss.wp"), kTol);
    EXPECT_NEAR(D(r.SSDT), R("amova2.ss.t"), kTol);
    EXPECT_NEAR(D(r.Va), R("amova2.sigma.1"), kTol);
    EXPECT_NEAR(D(r.Vb), R("amova2.sigma.2"), kTol);
    EXPECT_NEAR(D(r.Vc), R("amova2.sigma.3"), kTol);
    EXPECT_NEAR(D(r.PctVa), R("amova2.pct.1"), kTol);
    EXPECT_NEAR(D(r.PctVb), R("amova2.pct.2"), kTol);
    EXPECT_NEAR(D(r.PctVc), R("amova2.pct.3"), kTol);
    EXPECT_NEAR(D(r.PhiST), R("amova2.phi.st"), kTol);
    EXPECT_NEAR(D(r.PhiSR), R("amova2.phi.sr"), kTol);
    EXPECT_NEAR(D(r.PhiRT), R("amova2.phi.rt"), kTol);
}

TEST_F(PopulationOracle, OneLevelAmovaAgreesWithAde4AndVegan) {
    GroupedBands g;
    g.Load(design.rows, design.flat);
    Transformation t = Transformation::SqrtOneMinusS;
    RandSeed = 777;
    ASSERT_TRUE(AMOVA(g.ds, JaccardOptions(1, t, 999), ProgramRandom(), t)) << g.errors[0];
    const TAmovaRes& r = g.ds.GetCurrLayer().Amova->Observed;
    EXPECT_NEAR(D(r.SSDAmong), R("amova1.ss.among"), kTol);
    EXPECT_NEAR(D(r.SSDWP), R("amova1.ss.wp"), kTol);
    EXPECT_NEAR(D(r.SSDT), R("amova1.ss.t"), kTol);
    EXPECT_NEAR(D(r.Va), R("amova1.sigma.1"), kTol);
    EXPECT_NEAR(D(r.Vb), R("amova1.sigma.2"), kTol);
    EXPECT_NEAR(D(r.PhiST), R("amova1.phi.st"), kTol);
    // Two Monte-Carlo estimates of one probability from 999 permutations each.
    EXPECT_NEAR(D(r.ProbVa), R("amova1.p"), 0.07);

    t = Transformation::OneMinusS;
    ASSERT_TRUE(AMOVA(g.ds, JaccardOptions(1, t), ProgramRandom(), t));
    const TAmovaRes& v = g.ds.GetCurrLayer().Amova->Observed;
    EXPECT_NEAR(D(v.SSDAmong), R("adonis.ss.among"), kTol);
    EXPECT_NEAR(D(v.SSDWP), R("adonis.ss.wp"), kTol);
    EXPECT_NEAR(D(v.SSDT), R("adonis.ss.t"), kTol);
}

TEST_F(PopulationOracle, ProbabilitiesWithoutStructureAgreeWithAde4) {
    design = MakeDesign(9090, {6, 8, 5, 7, 9}, 40, 0.0L);
    ref = RunR(design, dir);
    GroupedBands g;
    g.Load(design.rows, design.flat);
    Transformation t = Transformation::SqrtOneMinusS;
    RandSeed = 4711;
    ASSERT_TRUE(AMOVA(g.ds, JaccardOptions(1, t, 999), ProgramRandom(), t));
    EXPECT_NEAR(D(g.ds.GetCurrLayer().Amova->Observed.ProbVa), R("amova1.p"), 0.07);
}

TEST_F(PopulationOracle, PairwisePhiSTAgreesWithAmovaOfEachPair) {
    GroupedBands g;
    g.Load(design.rows, design.flat);
    Transformation t = Transformation::SqrtOneMinusS;
    ASSERT_TRUE(
        PwPhiST(g.ds, Treatment::Standard, Coefficient::Jaccard, true, 3, false, 0.5f, 100, 6.0L, ProgramRandom(), t))
        << g.errors[0];
    const TDSLayer& phi = g.ds.GetCurrLayer();
    ASSERT_EQ(phi.NInd, 5u);
    for (std::size_t i = 2; i <= 5; ++i)
        for (std::size_t j = 1; j < i; ++j)
            EXPECT_NEAR(D(phi.DistMatrix[PairIndex(i, j)]), R("phist." + std::to_string(i) + "." + std::to_string(j)),
                        kTol)
                << i << " " << j;
}

TEST_F(PopulationOracle, FrequenciesOfEveryMethodAgreeWithR) {
    const struct {
        FreqMethod method;
        const char* name;
    } methods[] = {{FreqMethod::SquareRoot, "sqrt"},
                   {FreqMethod::LynchMilligan, "lm"},
                   {FreqMethod::Bayesian, "uniform"},
                   {FreqMethod::BayesianAmongPopulations, "amongpop"},
                   {FreqMethod::BayesianAmongLoci, "amongloci"}};
    GroupedBands g;
    g.Load(design.rows, design.hierarchy);
    for (const auto& m : methods) {
        ASSERT_TRUE(
            EstimateAlleleFreqs(g.ds, {.Method = m.method, .Correction = 0.01L, .Fill = true, .MissingFraction = 0.5f}))
            << m.name;
        const TBiAlleleRec& rec = *g.ds.GetCurrLayer().BiAllele;
        std::size_t compared = 0;
        for (std::size_t k = 0; k < rec.NGroups; ++k)
            for (std::size_t l = 0; l < rec.NLoci; ++l) {
                const std::string key = std::string(m.name) + " " + rec.GroupNames[k] + " " + std::to_string(l + 1);
                ASSERT_EQ(ref.freqs.count(key), 1u) << key;
                const auto [q, v] = ref.freqs[key];
                EXPECT_NEAR(D(rec.Freq[k][l]), q, kTol) << key;
                if (!rec.FreqVar.empty()) {
                    EXPECT_NEAR(D(rec.FreqVar[k][l]), v, kTol) << key;
                }
                ++compared;
            }
        EXPECT_GT(compared, 0u) << m.name;
    }
}

TEST_F(PopulationOracle, ChordDistancesAgreeWithR) {
    GroupedBands g;
    g.Load(design.rows, design.hierarchy);
    ASSERT_TRUE(FillBiAlleleRec(g.ds, {.WithoutAllData = true, .MissingFraction = 0.5f}));
    ASSERT_TRUE(EstimateAlleleFreqs(g.ds, {.Method = FreqMethod::Bayesian, .Correction = 0.01L}));
    ASSERT_TRUE(PopDist(g.ds, PopDistance::Chord, 3));
    const TDSLayer& layer = g.ds.GetCurrLayer();
    const auto row = [&](std::size_t p) {
        const std::string name = "P" + std::to_string(p);
        for (std::size_t k = 0; k < layer.IndNames.size(); ++k)
            if (layer.IndNames[k] == name) return k + 1;
        return std::size_t{0};
    };
    for (std::size_t i = 2; i <= 5; ++i)
        for (std::size_t j = 1; j < i; ++j) {
            ASSERT_GT(row(i) * row(j), 0u);
            EXPECT_NEAR(D(layer.DistMatrix[PairIndex(row(i), row(j))]),
                        R("chord." + std::to_string(i) + "." + std::to_string(j)), kTol);
        }
}

}  // namespace
