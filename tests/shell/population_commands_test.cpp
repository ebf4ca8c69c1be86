#include "shell/population_commands.h"

#include <gtest/gtest.h>

#include "command_fixture.h"
#include "popgen/analyses/amova.h"
#include "popgen/analyses/bi_allele.h"
#include "shell/analysis_commands.h"
#include "shell/filter_commands.h"

namespace {

class PopulationCommand : public CommandTest {
protected:
    // Twelve individuals: regions R1 and R2, each with two populations of three.
    void SetRegions() {
        SetData({"110100111010", "110110101010", "100101111011", "110101111010", "111101101011", "100111111010",
                 "011011010101", "011011000101", "011111010101", "111011010100", "001011010111", "011010010101"},
                {{"AllData/R1", {1, 2, 3, 4, 5, 6}},
                 {"AllData/R1/P1", {1, 2, 3}},
                 {"AllData/R1/P2", {4, 5, 6}},
                 {"AllData/R2", {7, 8, 9, 10, 11, 12}},
                 {"AllData/R2/P3", {7, 8, 9}},
                 {"AllData/R2/P4", {10, 11, 12}}});
    }
    void Amova(std::uint8_t levels, std::int32_t randomisations = 0) {
        CmdAMOVA(levels, Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, 6.0L, 10, randomisations,
                 false);
    }
    void PhiST() {
        CmdPairwisePhiST(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, 6.0L, 10, true, 0.5f);
    }
};

TEST_F(PopulationCommand, AlleleFrequenciesByEveryMethod) {
    SetRegions();
    const char* const names[] = {"Square root", "Lynch and Milligan", "Bayesian (uniform prior)",
                                 "Bayesian (non-uniform prior from among-population information)",
                                 "Bayesian (non-uniform prior from among-locus information)"};
    for (std::uint8_t m = 0; m < 5; ++m) {
        SCOPED_TRACE(names[m]);
        CmdEstimateAlleleFreq(CodeOf<FreqMethod>(m), true, 0.5f);
        EXPECT_EQ(LastLine(), std::string("Estimating null allele frequency: ") + names[m] + "...done.");
        const std::string report = File(AnalysisFileName);
        EXPECT_NE(report.find(std::string("Calculation method: ") + names[m] + "\r\n"), std::string::npos);
    }
    // Three absences or fewer in a population of three: the Lynch-Milligan estimate is not made.
    EXPECT_NE(File(AnalysisFileName).find("L1 ignored\r\n"), std::string::npos);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(PopulationCommand, RefusedAlleleEstimatesWriteNoReport) {
    SetRegions();
    ui.AllowBoxes("Error");
    CmdEstimateAlleleFreq(CodeOf<FreqMethod>(7), true, 0.5f);
    EXPECT_EQ(LastLine(), "Estimating null allele frequency: Unknown...failed.");
    CmdEstimateAlleleFreq(CodeOf<FreqMethod>(251), true, 0.5f);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"unknown allele estimation method",
                                                  "Unknown allele estimation method requested"}));
    EXPECT_EQ(File(AnalysisFileName), "");
}

TEST_F(PopulationCommand, AmovaAtBothLevels) {
    SetRegions();
    ui.ExpectBox(kAnswerYes, "AMOVA");
    Amova(1);
    EXPECT_EQ(LastLine(), "Performing AMOVA (2 levels)...done.");
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes.back().text.substr(0, 4), "Va= ");
    EXPECT_NE(ui.boxes.back().text.find("PhiST= "), std::string::npos);
    std::string report = File(AnalysisFileName);
    EXPECT_EQ(report.substr(0, 15), "AMOVA results\r\n");
    EXPECT_NE(report.find("SSD(AP)= "), std::string::npos);
    // Two regions of two populations: 4 populations, df(WP) = 12 - 4 = 8.
    ui.ExpectBox(kAnswerYes, "AMOVA");
    Amova(2, 19);
    EXPECT_EQ(LastLine(), "Performing AMOVA (3 levels)...done.");
    EXPECT_EQ(ui.boxes.back().text.find("PhiST"), std::string::npos);
    report = File(AnalysisFileName);
    EXPECT_NE(report.find("df(WP)= 8\r\n"), std::string::npos);
    EXPECT_NE(report.find("Prob(Random_Value <= Observed_Value) for Vc & PhiST = "), std::string::npos);
    EXPECT_NE(report.find("(estimated from 19 randomisations)"), std::string::npos);
    // No: nothing more is written.
    const std::size_t size = report.size();
    ui.ExpectBox(kAnswerNo, "AMOVA");
    Amova(1);
    EXPECT_EQ(LastLine(), "Performing AMOVA (2 levels)...done.");
    EXPECT_EQ(File(AnalysisFileName).size(), size);
    EXPECT_TRUE(DataSet->GetCurrLayer().DistMatrix.empty());
}

TEST_F(PopulationCommand, AmovaOnAFilteredWorkingCopy) {
    SetRegions();
    // Individual 5 (in P2) loses most of its cells and is filtered out of the working copy.
    TDSLayer& base = DataSet->Layers[0];
    for (std::size_t l = 0; l < 10; ++l) base.Matrix[l * base.NInd + 4] = kMissing;
    ASSERT_TRUE(DataSet->RestoreOriginalMatrix());
    ui.AllowBoxes("Warning");
    CmdRemoveIndivMissing(false, 0.5L);
    ASSERT_EQ(DataSet->GetCurrLayer().NInd, 11u);
    ui.ExpectBox(kAnswerYes, "AMOVA");
    Amova(2);
    EXPECT_EQ(LastLine(), "Performing AMOVA (3 levels)...done.");
    const TAmovaRec& rec = *DataSet->GetCurrLayer().Amova;
    EXPECT_EQ(rec.NTotal, 11u);
    EXPECT_EQ(rec.Structure[0][1].Count, 2u);
    EXPECT_NE(File(AnalysisFileName).find("df(WP)= 7\r\n"), std::string::npos);
}

TEST_F(PopulationCommand, AmovaWithOnePopulationPerGroupFails) {
    SetData({"1101", "1001", "0110", "0111"},
            {{"AllData/A", {1, 2}}, {"AllData/A/x", {1, 2}}, {"AllData/B", {3, 4}}, {"AllData/B/y", {3, 4}}});
    ui.AllowBoxes("Error");
    Amova(2);
    EXPECT_EQ(LastLine(), "Performing AMOVA (3 levels)...failed.");
    EXPECT_EQ(Errors(), std::vector<std::string>{"AMOVA error: n0"});
    EXPECT_EQ(File(AnalysisFileName), "");
}

TEST_F(PopulationCommand, PairwisePhiSTBecomesTheCurrentData) {
    SetRegions();
    ui.ExpectBox(kAnswerNo, "Pairwise PhiST distance");
    PhiST();
    EXPECT_EQ(DataSet->CurLayer, 1);
    ui.ExpectBox(kAnswerYes, "Pairwise PhiST distance");
    PhiST();
    EXPECT_EQ(LastLine(), "Calculating pairwise PhiST matrix...done.");
    EXPECT_EQ(DistMatrixName, "PhiST");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Derived Data [6 x 0]");
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "Pairwise PhiST");
    EXPECT_EQ(DataSet->CurLayer, 3);
    EXPECT_EQ(DataSet->GetCurrLayer().IndNames, (AString{"R1", "P1", "P2", "R2", "P3", "P4"}));
    EXPECT_NE(File(AnalysisFileName)
                  .find("Pairwise PhiST values (Coefficient: Standard Jaccard. Distance "
                        "Transformation: d=1-s)"),
              std::string::npos);
}

// The missing-data settings the menu passes reach the working copy's allele-frequency record.
TEST_F(PopulationCommand, PairwisePhiSTFillsTheAlleleRecordWithTheMissingDataSettings) {
    for (const bool rmd : {false, true}) {
        SCOPED_TRACE(rmd);
        SetData({"0911", "0011", "1110", "1100"}, {{"AllData/A", {1, 2}}, {"AllData/B", {3, 4}}});
        ui.ExpectBox(kAnswerYes, "Pairwise PhiST distance");
        CmdPairwisePhiST(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, 6.0L, 10, rmd, 0.25f);
        EXPECT_EQ(LastLine(), "Calculating pairwise PhiST matrix...done.");
        const std::shared_ptr<TBiAlleleRec>& rec = DataSet->Layers[1].BiAllele;
        ASSERT_TRUE(rec);
        ASSERT_EQ(rec->GroupNames, (AString{"AllData/B", "AllData/A", "AllData"}));
        // Group A at the second locus: one absence and one missing cell.
        EXPECT_EQ(rec->AbsenceCounts[1][1], rmd ? 1.75L : 1.0L);
    }
}

TEST_F(PopulationCommand, PairwisePhiSTOfSingleIndividualsFails) {
    SetData({"1101", "1001", "0110", "0111"}, {{"AllData/A", {1}}, {"AllData/B", {2}}});
    DistMatrixName = "StdJaccard";
    ui.AllowBoxes("Error");
    ui.ExpectBox(kAnswerYes, "Pairwise PhiST distance");
    PhiST();
    EXPECT_EQ(LastLine(), "Calculating pairwise PhiST matrix...failed.");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0].substr(0, 25), "PwPhiST fails with dfWP=0");
    EXPECT_EQ(DataSet->CurLayer, 1);
    EXPECT_EQ(DistMatrixName, "StdJaccard");
    EXPECT_EQ(File(AnalysisFileName), "");
}

TEST_F(PopulationCommand, PopulationDistanceThenPhiSTLabels) {
    SetRegions();
    DistTransformation = 0;
    CmdPopulationDistance(PopDistance::Chord, FreqMethod::Bayesian, true, 0.5f, true);
    EXPECT_EQ(LastLine(),
              std::string("Calculating chord population distance (") + AlleleFreqMethodNames[2] + ")...done.");
    EXPECT_EQ(DistMatrixName, "Chord");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Derived Data [6 x 0(12)]");
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "Chord");
    EXPECT_EQ(DataSet->CurLayer, 3);
    EXPECT_EQ(DataSet->DistTransform, Transformation::D);
    EXPECT_EQ(DistTransformation, 0);  // the setting stays as chosen
    EXPECT_EQ(DataSet->GetCurrLayer().IndNames, (AString{"P4", "P3", "R2", "P2", "P1", "R1"}));
    EXPECT_NE(File(AnalysisFileName)
                  .find("Population-population distances: chord distance from allele frequency "
                        "estimates based on the Bayesian (uniform prior) method."),
              std::string::npos);

    // Back on the working copy, whose allele record still lists the groups of the distance run (last
    // first, without "AllData"), the PhiST rows are named after the compared groups in group order.
    DataSet->CurLayer = 1;
    ASSERT_TRUE(DataSet->GetCurrLayer().BiAllele);
    ui.ExpectBox(kAnswerYes, "Pairwise PhiST distance");
    PhiST();
    EXPECT_EQ(LastLine(), "Calculating pairwise PhiST matrix...done.");
    EXPECT_EQ(DataSet->GetCurrLayer().IndNames, (AString{"R1", "P1", "P2", "R2", "P3", "P4"}));
}

TEST_F(PopulationCommand, PopulationDistanceNeedsThreeGroups) {
    SetData({"1101", "1001", "0110", "0111"}, {{"AllData/A", {1, 2}}, {"AllData/B", {3, 4}}});
    ui.AllowBoxes("Error");
    CmdPopulationDistance(PopDistance::Chord, FreqMethod::BayesianAmongPopulations, true, 0.5f, true);
    EXPECT_EQ(Errors(),
              std::vector<std::string>{"To use this function, at least 3 groups (populations) must be defined."});
    EXPECT_EQ(DataSet->CurLayer, 1);
    EXPECT_EQ(DistMatrixName, "");
}

}  // namespace
