#include "popgen/analyses/hybrid_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "foundation/text_file.h"
#include "grouped_bands.h"

// Extended values compared in extended precision.
#define EXPECT_EXT_NEAR(a, b, tolerance) EXPECT_LE(std::fabs((a) - (b)), (tolerance)) << (a) << " vs " << (b)

namespace {

constexpr Extended kTol = 1e-6L;
constexpr std::uint32_t kMaxIter = 1000;

// States [locus][individual] from one string per individual ('0', '1', '9' per locus).
AAByte States(const std::vector<std::string>& individuals) {
    AAByte m(individuals.at(0).size(), AByte(individuals.size()));
    for (std::size_t i = 0; i < individuals.size(); ++i)
        for (std::size_t k = 0; k < individuals[i].size(); ++k)
            m[k][i] = static_cast<std::uint8_t>(individuals[i][k] - '0');
    return m;
}

// The textbook dominant-marker likelihood: with the mixed band-allele frequency
// pbar = h p1 + (1 - h) p0, a band is absent with probability (1 - pbar)².
Extended DirectLogLikelihood(const std::string& individual, const AExt& p1, const AExt& p0, Extended h) {
    Extended sum = 0.0L;
    for (std::size_t k = 0; k < individual.size(); ++k) {
        const Extended absent = std::pow(1.0L - (h * p1[k] + (1.0L - h) * p0[k]), 2.0L);
        if (individual[k] == '0') sum += std::log(absent);
        if (individual[k] == '1') sum += std::log(1.0L - absent);
    }
    return sum;
}

// Band frequencies whose square-root allele frequencies are p: f = 1 - (1 - p)².
AExt BandFreqs(const AExt& p) {
    AExt f;
    for (Extended x : p) f.push_back(1.0L - (1.0L - x) * (1.0L - x));
    return f;
}

struct Outcome {
    TMLHybridIndexResults r;
    bool ok = false;
};

Outcome Indices(const AExt& f1, const AExt& f0, const std::vector<std::string>& individuals) {
    Outcome run;
    run.ok = MLHybridIndices(f1, f0, States(individuals), kMaxIter, kTol, 1e-6L, 0.05L, run.r);
    return run;
}

std::uint8_t Status(MLHStatus h, MLHStatus lb, MLHStatus ub) {
    return static_cast<std::uint8_t>(static_cast<int>(h) + 4 * static_cast<int>(lb) + 16 * static_cast<int>(ub));
}

}  // namespace

TEST(MLHLogLikelihood, AgreesWithTheDirectFormula) {
    const AExt p1{0.9L, 0.1L, 0.5L, 0.3L, 0.7L, 0.05L};
    const AExt p0{0.2L, 0.6L, 0.45L, 0.3L, 0.02L, 0.95L};
    const std::string individual = "101910";
    const AAByte states = States({individual});
    for (Extended h : {0.0L, 0.1L, 0.37L, 0.5L, 0.82L, 1.0L}) {
        // Locus 4 (equal frequencies) is left out; it would contribute, so the direct sum skips it.
        std::string used = individual;
        used[3] = '9';
        EXPECT_EXT_NEAR(MLHLogLikelihood(states, p1, p0, h, 6, 0, 1e-6L), DirectLogLikelihood(used, p1, p0, h), 1e-15L)
            << "h = " << static_cast<double>(h);
    }
}

TEST(MLHLogLikelihood, ParentsFixedForOppositeStates) {
    const AExt p1{1.0L}, p0{0.0L};
    const AAByte band = States({"1"}), none = States({"0"});
    for (Extended h : {0.05L, 0.3L, 0.9L}) {
        EXPECT_EXT_NEAR(MLHLogLikelihood(band, p1, p0, h, 1, 0, 1e-6L), std::log(1.0L - (1.0L - h) * (1.0L - h)), 1e-16L);
        EXPECT_EXT_NEAR(MLHLogLikelihood(none, p1, p0, h, 1, 0, 1e-6L), std::log((1.0L - h) * (1.0L - h)), 1e-16L);
        EXPECT_EXT_NEAR(LnAbsenceProb(h, 1.0L, 0.0L), std::log((1.0L - h) * (1.0L - h)), 1e-16L);
    }
    // An observation of probability 0: a band at h = 0 where the h = 0 parent has none, an absence
    // at h = 1 where the h = 1 parent is fixed for the band.
    EXPECT_EQ(MLHLogLikelihood(band, p1, p0, 0.0L, 1, 0, 1e-6L), kMLHImpossible);
    EXPECT_EQ(MLHLogLikelihood(none, p1, p0, 1.0L, 1, 0, 1e-6L), kMLHImpossible);
    EXPECT_EQ(LnAbsenceProb(1.0L, 1.0L, 0.0L), kMLHImpossible);
}

TEST(MLHLogLikelihood, OutsideTheUnitIntervalMissingCellsAndUninformativeLoci) {
    const AExt p1{0.8L, 0.3L}, p0{0.1L, 0.3L};
    const AAByte states = States({"11", "99", "00"});
    EXPECT_EQ(MLHLogLikelihood(states, p1, p0, -0.001L, 2, 0, 1e-6L), kMLHImpossible);
    EXPECT_EQ(MLHLogLikelihood(states, p1, p0, 1.001L, 2, 0, 1e-6L), kMLHImpossible);
    for (Extended h : {0.0L, 0.4L, 1.0L}) {
        EXPECT_EQ(MLHLogLikelihood(states, p1, p0, h, 2, 1, 1e-6L), 0.0L);  // all missing
        // The second locus has equal frequencies: only the first one counts.
        EXPECT_EQ(MLHLogLikelihood(states, p1, p0, h, 2, 2, 1e-6L), LnAbsenceProb(h, 0.8L, 0.1L));
    }
    // A difference below the threshold leaves a locus out; one at the threshold keeps it.
    EXPECT_EQ(MLHLogLikelihood(states, {0.5L}, {0.4L}, 0.5L, 1, 0, 0.2L), 0.0L);
    EXPECT_NE(MLHLogLikelihood(states, {0.5L}, {0.25L}, 0.5L, 1, 0, 0.25L), 0.0L);
}

TEST(MLHybridIndices, EstimateAndLimitsOfFixedOppositeLoci) {
    // With n1 bands and n0 absences at loci fixed for opposite states, u = 1 - h maximises
    // n1 ln(1 - u²) + 2 n0 ln u at u² = n0 / (n0 + n1).
    const AExt f1(10, 1.0L), f0(10, 0.0L);
    const Outcome run = Indices(f1, f0, {"1111110000", "1000000000"});
    ASSERT_TRUE(run.ok);
    const auto lnL = [](Extended h, int n1, int n0) {
        return n1 * std::log(1.0L - (1.0L - h) * (1.0L - h)) + 2 * n0 * std::log(1.0L - h);
    };
    const struct {
        int n1, n0;
    } cases[] = {{6, 4}, {1, 9}};
    for (std::size_t i = 0; i < 2; ++i) {
        const Extended h = 1.0L - std::sqrt(Extended(cases[i].n0) / (cases[i].n0 + cases[i].n1));
        EXPECT_EXT_NEAR(run.r.H[i], h, 1e-5L);
        EXPECT_EXT_NEAR(run.r.LnL[i], lnL(h, cases[i].n1, cases[i].n0), 1e-9L);
        // The limits lie 2 log-likelihood units below the maximum, on both sides.
        EXPECT_LT(run.r.LowerBound[i], run.r.H[i]);
        EXPECT_GT(run.r.UpperBound[i], run.r.H[i]);
        EXPECT_EXT_NEAR(lnL(run.r.LowerBound[i], cases[i].n1, cases[i].n0), run.r.LnL[i] - 2, 1e-4L);
        EXPECT_EXT_NEAR(lnL(run.r.UpperBound[i], cases[i].n1, cases[i].n0), run.r.LnL[i] - 2, 1e-4L);
        EXPECT_EQ(run.r.Status[i], 0) << i;
    }
    EXPECT_TRUE(run.r.ExcludedLoci.empty());
    EXPECT_TRUE(run.r.PoorLoci.empty());
}

TEST(MLHybridIndices, ParentalIndividualsAtTheBoundaries) {
    // Pure parent 1 (every band of parent 1) and pure parent 2 (none) at 8 loci fixed for opposite
    // states. lnL = 8 ln(1 - (1 - h)²) peaks at h = 1 with its limit at 1 - √(1 - e^(-1/4));
    // lnL = 16 ln(1 - h) peaks at 0 with its limit at 1 - e^(-1/8).
    const AExt f1(8, 1.0L), f0(8, 0.0L);
    const Outcome run = Indices(f1, f0, {"11111111", "00000000"});
    ASSERT_TRUE(run.ok);
    EXPECT_EXT_NEAR(run.r.H[0], 1.0L, 1e-5L);
    EXPECT_EQ(run.r.UpperBound[0], 1.0L);
    EXPECT_EXT_NEAR(run.r.LowerBound[0], 1.0L - std::sqrt(1.0L - std::exp(-0.25L)), 1e-5L);
    EXPECT_EQ(run.r.H[1], 0.0L);
    EXPECT_EQ(run.r.LowerBound[1], 0.0L);
    EXPECT_EXT_NEAR(run.r.UpperBound[1], 1.0L - std::exp(-0.125L), 1e-5L);
    // A search towards 0 cannot meet a relative tolerance: the estimate is set to the boundary.
    EXPECT_EQ(run.r.Status[1], Status(MLHStatus::CorrectedNonConv, MLHStatus::OK, MLHStatus::OK));
    EXPECT_EQ(run.r.Status[0] & 3, 0);
    EXPECT_EQ(run.r.Status[0] >> 2, 0);
}

TEST(MLHybridIndices, ALimitWhoseSupportReachesTheBoundaryIsTheBoundary) {
    // One weakly informative locus: the log-likelihood never falls 2 units below its maximum, so
    // both limits are the boundaries themselves, found without a root search.
    const AExt f1 = BandFreqs({0.6L}), f0 = BandFreqs({0.4L});
    const Outcome run = Indices(f1, f0, {"1", "0"});
    ASSERT_TRUE(run.ok);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(run.r.LowerBound[i], 0.0L);
        EXPECT_EQ(run.r.UpperBound[i], 1.0L);
        EXPECT_EQ(run.r.Status[i] >> 2, 0) << i;  // both limits "OK"
    }
    EXPECT_EXT_NEAR(run.r.H[0], 1.0L, 1e-5L);  // a band favours the parent with the higher frequency
    EXPECT_EQ(run.r.H[1], 0.0L);
    EXPECT_EQ(run.r.PoorLoci, ADWord{});
}

TEST(MLHybridIndices, AllMissingAndUninformativeLoci) {
    // Loci 1 and 2 are fixed in both parents (excluded), locus 3 differs by 0.03 (poor).
    const AExt f1 = BandFreqs({1.0L, 0.0L, 0.50L, 1.0L}), f0 = BandFreqs({1.0L, 0.0L, 0.47L, 0.0L});
    const Outcome run = Indices(f1, f0, {"9999", "1091"});
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.r.ExcludedLoci, (ADWord{0, 1}));
    EXPECT_EQ(run.r.PoorLoci, ADWord{2});
    // The likelihood of the all-missing individual is 0 everywhere: the interval is [0, 1].
    EXPECT_EQ(run.r.LnL[0], 0.0L);
    EXPECT_EQ(run.r.H[0], 0.0L);
    EXPECT_EQ(run.r.LowerBound[0], 0.0L);
    EXPECT_EQ(run.r.UpperBound[0], 1.0L);
    EXPECT_EQ(run.r.Status[0] >> 2, 0);
    // The second one has the band at the informative locus: the excluded loci do not count.
    EXPECT_EXT_NEAR(run.r.H[1], 1.0L, 1e-5L);
}

TEST(MLHybridIndices, TooFewIterationsShowInTheStatus) {
    const AExt f1(10, 1.0L), f0(10, 0.0L);
    TMLHybridIndexResults r;
    ASSERT_TRUE(MLHybridIndices(f1, f0, States({"1111110000"}), 3, kTol, 1e-6L, 0.05L, r));
    EXPECT_EQ(r.Status[0], Status(MLHStatus::NonConverged, MLHStatus::NonConverged, MLHStatus::NonConverged));
    EXPECT_GT(r.H[0], 0.0L);
    EXPECT_LT(r.H[0], 1.0L);
}

TEST(MLHybridIndices, RefusesInvalidInput) {
    const AExt f{0.5L, 0.2L};
    const AAByte states = States({"10", "01"});
    AAByte ragged = states;
    ragged[1].pop_back();
    const struct {
        const char* what;
        AExt f1, f2;
        AAByte states;
        std::uint32_t maxIter;
        Extended tol;
    } cases[] = {
        {"no loci", {}, {}, {}, 10, kTol},
        {"second parent too short", f, {0.5L}, states, 10, kTol},
        {"states of other loci", f, f, States({"101"}), 10, kTol},
        {"no individuals", f, f, AAByte(2), 10, kTol},
        {"rows of unequal length", f, f, ragged, 10, kTol},
        {"a frequency above 1", {0.5L, 1.5L}, f, states, 10, kTol},
        {"a frequency not a number", {0.5L, std::nanl("")}, f, states, 10, kTol},
        {"no iterations", f, f, states, 0, kTol},
        {"no tolerance", f, f, states, 10, 0.0L},
    };
    for (const auto& c : cases) {
        TMLHybridIndexResults r;
        r.H.assign(3, 0.5L);
        r.ExcludedLoci.assign(1, 0);
        EXPECT_FALSE(MLHybridIndices(c.f1, c.f2, c.states, c.maxIter, c.tol, 1e-6L, 0.05L, r)) << c.what;
        EXPECT_TRUE(r.H.empty() && r.LowerBound.empty() && r.Status.empty() && r.ExcludedLoci.empty()) << c.what;
    }
}

TEST(MLHStatusText, NamesEveryCode) {
    EXPECT_EQ(MLHStatusText(0), "OK");
    EXPECT_EQ(MLHStatusText(1), "NonConverged");
    EXPECT_EQ(MLHStatusText(2), "Corrected(NonConv)");
    EXPECT_EQ(MLHStatusText(3), "Error");
    EXPECT_EQ(MLHStatusText(4 + 2), "Corrected(NonConv)");  // only the low two bits
}

TEST(OutputMLHybridIndex, WritesLociListsHeaderAndRows) {
    TMLHybridIndexResults r;
    r.H = {0.5L, 1.0L};
    r.LowerBound = {0.123456L, 0.0L};
    r.UpperBound = {0.87654321L, 1.0L};
    r.LnL = {-3.25L, 0.0L};
    r.Status = {static_cast<std::uint8_t>(1 + 4 * 3 + 16 * 2), 0};
    r.PoorLoci = {0, 2};
    Ttf report;
    report.Add("before");
    OutputMLHybridIndex("Pop/A", "B", {"x1", "x2"}, {}, r, true, '\t', report);
    const AString expected = {
        "before",
        "Loci excluded from ML Hybird Index analysis: None.",
        "",
        "Poor (Uninformative) Loci for ML Hybird Index analysis: N= 2",
        "Locus # 1",
        "Locus # 3",
        "",
        "Maximum Likelihood Hybrid Index Results",
        "  Expected h=0 for Parent B",
        "  Expected h=1 for Parent Pop/A",
        "Individual\th\tLowerBound\tUpperBound\tlnL\tErrorH\tErrorLB\tErrorUB",
        "x1\t0.50000\t0.12346\t0.87654\t-3.25000\tNonConverged\tError\tCorrected(NonConv)",
        "x2\t1.00000\t0.00000\t1.00000\t0.00000\tOK\tOK\tOK",
        "",
    };
    EXPECT_EQ(report.Lines, expected);

    // With locus names and without the lists; another separator.
    r.ExcludedLoci = {1};
    Ttf named;
    OutputMLHybridIndex("A", "B", {"x1", "x2"}, {"L1", "L2", "L3"}, r, false, ';', named);
    ASSERT_EQ(named.Count(), 7u);
    EXPECT_EQ(named.Lines[0], "Maximum Likelihood Hybrid Index Results");
    EXPECT_EQ(named.Lines[4], "x1;0.50000;0.12346;0.87654;-3.25000;NonConverged;Error;Corrected(NonConv)");
    Ttf lists;
    OutputMLHybridIndex("A", "B", {"x1", "x2"}, {"L1", "L2", "L3"}, r, true, '\t', lists);
    EXPECT_EQ(lists.Lines[0], "Loci excluded from ML Hybird Index analysis: N= 1");
    EXPECT_EQ(lists.Lines[1], "L2");
    EXPECT_EQ(lists.Lines[4], "L1");
}

TEST(OutputMLHybridIndex, WritesNothingWhenTheResultsDoNotMatchTheNames) {
    TMLHybridIndexResults r;
    r.H = r.LowerBound = r.UpperBound = r.LnL = {0.5L};
    r.Status = {0};
    Ttf report;
    OutputMLHybridIndex("A", "B", {}, {}, r, true, '\t', report);
    OutputMLHybridIndex("A", "B", {"x1", "x2"}, {}, r, true, '\t', report);
    r.Status.clear();
    OutputMLHybridIndex("A", "B", {"x1"}, {}, r, true, '\t', report);
    EXPECT_EQ(report.Count(), 0u);
}

namespace {

// Parent 1 (I1-I4), parent 2 (I5-I8) and three tested individuals (I9-I11) listed out of data order;
// the last locus is fixed in both parents.
struct HybridData : GroupedBands {
    HybridData() {
        Load({"11101", "11011", "10111", "11191", "00001", "01001", "00091", "00101", "11001", "10091", "00001"},
             {{"P1", {0, 1, 2, 3}}, {"P2", {4, 5, 6, 7}}, {"Test", {10, 8, 9}}}, {{"First4", {0, 1, 2, 3}}});
        ds.Groups[3].Members = {"I11", "I9", "I10"};
    }
    bool Run(TMLHybridIndexResults& r, bool replace = false, Extended fraction = 0.5L) {
        return MLHybridIndex(ds, 1, 2, 3, replace, fraction, 1000, 1e-6L, ProgramRandom(), r);
    }
};

// Band frequencies of rows of a group, missing cells in the divisor.
AExt Frequencies(const std::vector<std::string>& rows) {
    AExt f(rows[0].size(), 0.0L);
    for (const auto& row : rows)
        for (std::size_t k = 0; k < row.size(); ++k) f[k] += row[k] == '1' ? 1.0L : 0.0L;
    for (Extended& x : f) x /= static_cast<Extended>(rows.size());
    return f;
}

}  // namespace

TEST(MLHybridIndex, EstimatesTheTestGroupFromTheParentsFrequencies) {
    HybridData data;
    TMLHybridIndexResults r, direct;
    ASSERT_TRUE(data.Run(r));
    ASSERT_TRUE(MLHybridIndices(Frequencies({"11101", "11011", "10111", "11191"}),
                                Frequencies({"00001", "01001", "00091", "00101"}),
                                States({"11001", "10091", "00001"}), 1000, 1e-6L, 1e-6L, 0.05L, direct));
    EXPECT_EQ(r.H, direct.H);
    EXPECT_EQ(r.LowerBound, direct.LowerBound);
    EXPECT_EQ(r.UpperBound, direct.UpperBound);
    EXPECT_EQ(r.Status, direct.Status);
    EXPECT_EQ(r.ExcludedLoci, ADWord{4});
    // Names in the order of the rows, not of the group's member list.
    EXPECT_EQ(r.IndNames, (AString{"I9", "I10", "I11"}));
    EXPECT_EQ(r.LocNames, (AString{"L1", "L2", "L3", "L4", "L5"}));
    EXPECT_EQ(r.H[2], 0.0L);  // no band of parent 1
    EXPECT_TRUE(data.errors.empty());
    EXPECT_EQ(data.ds.CurLayer, 1);
    EXPECT_FALSE(data.ds.Layers[5].HasMatrix());
}

TEST(MLHybridIndex, ReplacesTheParentsMissingCellsOnly) {
    HybridData data;
    TMLHybridIndexResults r, direct;
    ASSERT_TRUE(data.Run(r, true, 1.0L));  // every missing cell a band, no draws
    ASSERT_TRUE(MLHybridIndices(Frequencies({"11101", "11011", "10111", "11111"}),
                                Frequencies({"00001", "01001", "00011", "00101"}),
                                States({"11001", "10091", "00001"}), 1000, 1e-6L, 1e-6L, 0.05L, direct));
    EXPECT_EQ(r.H, direct.H);
    EXPECT_EQ(r.UpperBound, direct.UpperBound);
}

TEST(MLHybridIndex, WorksOnTheWholeDataAtTheLociOfTheLocusSet) {
    HybridData data;
    ASSERT_TRUE(data.ds.Select(3, 1));  // the test group by First4: layer 2
    TMLHybridIndexResults r;
    ASSERT_TRUE(data.Run(r));
    EXPECT_EQ(data.warnings, std::vector<std::string>{"Switching to AllData"});
    EXPECT_EQ(r.LocNames, (AString{"L1", "L2", "L3", "L4"}));
    EXPECT_TRUE(r.ExcludedLoci.empty());
    // The switch stays; the chosen group and locus set are kept.
    EXPECT_EQ(data.ds.CurLayer, 1);
    EXPECT_EQ(data.ds.CurGroup, 3u);
    EXPECT_EQ(data.ds.CurLocusSet, 1u);
}

TEST(MLHybridIndex, AGroupWithoutIndividualsFailsAndRestoresTheChoice) {
    HybridData data;
    data.ds.Groups[2].Mask.assign(11, 0);  // parent 2 has nobody in the data
    data.ds.CurGroup = 1;
    TMLHybridIndexResults r;
    EXPECT_FALSE(data.Run(r));
    EXPECT_EQ(data.errors, std::vector<std::string>{"Selection of group failed: empty selection"});
    EXPECT_TRUE(r.H.empty() && r.IndNames.empty());
    EXPECT_EQ(data.ds.CurLayer, 1);
    EXPECT_EQ(data.ds.CurGroup, 1u);
    EXPECT_FALSE(data.ds.Layers[5].HasMatrix());
}
