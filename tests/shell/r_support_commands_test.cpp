#include "shell/r_support_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "command_fixture.h"
#include "foundation/random.h"
#include "shell/reporting.h"
#include "trees/tree_reading.h"

namespace {

class RSupportCommand : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        ConsensusOutFileName = dir.Path("constree.ph");
        TRReplicates = 5;
    }
    void Run(std::int32_t from, std::int32_t to, std::uint8_t threshold = 100) {
        CmdEstimateRSupport(
            from, to, RPrecision, threshold, RxThreshold, RStopFraction,
            {.Inconsistent = ROutputInconsistent == 1, .ConsensusAtR = ROutputConsensusAtR == 1, .Report = true});
    }
};

TEST_F(RSupportCommand, WritesTheRxConsensusAndTheReportReproduciblyFromTheSeed) {
    SetExampleData();
    RandSeed = 777;
    Run(1, 20);
    EXPECT_EQ(LastLine(), "Estimating R support...done.");
    const std::string line = File(ConsensusOutFileName);
    ASSERT_GE(line.size(), 4u);
    EXPECT_EQ(line.substr(line.size() - 3), ";\r\n");
    EXPECT_NE(line.find(")R0.0"), std::string::npos) << line;
    for (const char* name : {"I1", "I4", "I8"}) EXPECT_NE(line.find(name), std::string::npos);
    const std::string report = File(AnalysisFileName);
    EXPECT_EQ(report.rfind("Clusters found during Rx-consensus construction:\r\n12345678\r\n", 0), 0u) << report;
    EXPECT_NE(report.find("= I8\r\n"), std::string::npos);  // OTUs in the order of the first consensus
    EXPECT_EQ(Panel(MessageArea::PanelTrees), ".." + ConsensusOutFileName.substr(ConsensusOutFileName.size() - 14));
    EXPECT_TRUE(Errors().empty());

    RandSeed = 777;
    Run(1, 20);
    EXPECT_EQ(File(ConsensusOutFileName), line + line);
}

// Without missing cells every Average matrix is the Standard one, so nothing new is found at a
// larger r: every cluster of the Rx-consensus is found at the first r and labelled log10(1).
TEST_F(RSupportCommand, CompleteDataGiveTheTreeItselfAtTheFirstR) {
    SetData({"1101001110", "1101101010", "1001011110", "0110110101", "0110110001", "0111110101"});
    Run(1, 20);
    EXPECT_EQ(LastLine(), "Estimating R support...done.");
    std::string line = File(ConsensusOutFileName);
    ASSERT_GE(line.size(), 2u);
    line.resize(line.size() - 2);
    std::size_t groups = 0;
    for (std::size_t at = line.find(')'); at != std::string::npos; at = line.find(')', at + 1)) {
        ++groups;
        EXPECT_EQ(line.substr(at + 1, 4), "R0.0") << line;
    }
    EXPECT_EQ(groups, 4u);
    // The UPGMA tree of these data, whose tie joins I1, I2 and I3 at once.
    EXPECT_EQ(line, "(((I4,I6)R0.0,I5)R0.0,(I3,I1,I2)R0.0)R0.0;");
    const std::string report = File(AnalysisFileName);
    EXPECT_EQ(report.find("@r= 2"), std::string::npos);
    EXPECT_NE(report.find("@r= 1\r\n"), std::string::npos) << report;
}

// Names with blanks, quotes, brackets and control characters: the replicate trees, the consensus
// at each r and the Rx-consensus carry them quoted, and the line reads back to the same names.
TEST_F(RSupportCommand, NamesHoldingBlanksAndQuotesComeBackFromTheLine) {
    SetExampleData();
    const AString names{"Pop 1", " lead", "trail ", "it's", "[sq]", "a\tb", "c\x01d", "Pop1"};
    for (TDSLayer& layer : DataSet->Layers)
        if (layer.IndNames.size() == names.size()) layer.IndNames = names;
    Run(1, 20);
    EXPECT_EQ(LastLine(), "Estimating R support...done.");
    EXPECT_TRUE(Errors().empty());
    std::string line = File(ConsensusOutFileName);
    ASSERT_GE(line.size(), 2u);
    line.resize(line.size() - 2);
    EXPECT_NE(line.find("'Pop 1'"), std::string::npos) << line;
    EXPECT_NE(line.find("'it''s'"), std::string::npos) << line;
    ParsedTree tree;
    std::string reason;
    ASSERT_TRUE(ParseTreeLine(line, tree, reason)) << line << ": " << reason;
    AString read = tree.Names;
    AString expected = names;
    std::sort(read.begin(), read.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(read, expected) << line;
    EXPECT_NE(File(AnalysisFileName).find("= Pop 1\r\n"), std::string::npos);
}

TEST_F(RSupportCommand, RefusedSettingsWriteNothing) {
    ui.AllowBoxes("Error");
    Run(1, 20);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"No data loaded"}));
    SetExampleData();
    for (const auto& [from, to] : std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 20}, {-5, 20}, {20, 20}}) {
        Run(from, to);
        EXPECT_EQ(LastLine(), "Estimating R support...failed.");
    }
    Run(1, 20, 30);
    EXPECT_EQ(LastLine(), "Estimating R support...failed.");
    EXPECT_EQ(Errors().size(), 5u);
    EXPECT_FALSE(FileCanOpen(ConsensusOutFileName));
}

}  // namespace
