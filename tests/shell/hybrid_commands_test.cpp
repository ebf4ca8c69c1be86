#include "shell/hybrid_commands.h"

#include <gtest/gtest.h>

#include "command_fixture.h"

namespace {

// Two parents of four at six loci, three tested individuals; the test group's members are listed
// out of data order.
class HybridCommands : public CommandTest {
protected:
    void SetHybridData() {
        SetData({"111100", "111000", "110100", "111100", "000011", "000111", "001011", "000011", "111111",
                  "000010", "110910"},
                {{"Region/P1", {1, 2, 3, 4}}, {"P2", {5, 6, 7, 8}}, {"Test", {11, 9, 10}}});
    }
};

}  // namespace

TEST_F(HybridCommands, HybridIndexWritesItsReport) {
    SetHybridData();
    CmdMLHybridIndex(1, 2, 3, true, 0.5f);
    EXPECT_EQ(LastLine(), "Calculating ML Hybrid Indices...done.");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    const std::string report = File(AnalysisFileName);
    EXPECT_EQ(report.find("Loci excluded from ML Hybird Index analysis: None.\r\n"), 0u);
    EXPECT_NE(report.find("  Expected h=0 for Parent P2\r\n  Expected h=1 for Parent Region/P1\r\n"
                          "Individual\th\tLowerBound\tUpperBound\tlnL\tErrorH\tErrorLB\tErrorUB\r\nI9\t"),
              std::string::npos);
    // Rows in data order: I9, I10, I11. I9 carries every band of both parents.
    const std::size_t i9 = report.find("\r\nI9\t"), i10 = report.find("\r\nI10\t"), i11 = report.find("\r\nI11\t");
    EXPECT_LT(i9, i10);
    EXPECT_LT(i10, i11);
    EXPECT_NE(i11, std::string::npos);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(HybridCommands, HybridIndexRefusals) {
    SetData({"10", "01", "11"}, {{"Only", {1, 2}}});
    ui.ExpectBox(kAnswerOk, "Error");
    CmdMLHybridIndex(1, 1, 1, false, 0.5f);
    EXPECT_EQ(Errors(), std::vector<std::string>{"To use this function, at least 2 groups (populations) must be defined."});

    SetHybridData();
    ui.ExpectBox(kAnswerOk, "Error");
    CmdMLHybridIndex(-1, -1, 3, false, 0.5f);  // nothing chosen counts as group 1
    EXPECT_EQ(Errors().back(), "Cannot proceed. Parents selected are identical");
    EXPECT_EQ(LastLine(), "Welcome");
    EXPECT_TRUE(File(AnalysisFileName).empty());
}

TEST_F(HybridCommands, AFailedHybridIndexWritesNoReport) {
    SetHybridData();
    DataSet->Groups[3].Mask.assign(11, 0);  // nobody to test
    ui.ExpectBox(kAnswerOk, "Error");
    CmdMLHybridIndex(1, 2, 3, false, 0.5f);
    EXPECT_EQ(LastLine(), "Calculating ML Hybrid Indices...failed.");
    EXPECT_TRUE(File(AnalysisFileName).empty());
    EXPECT_EQ(DataSet->CurLayer, 1);
}

TEST_F(HybridCommands, ReallocationWritesItsReport) {
    SetHybridData();
    CmdMLPopReallocation({0, 1, 1, 0}, true, 2.0L, 1e-5L, false, 0.7f);
    EXPECT_EQ(LastLine(), "Calculating ML population reallocations" "done.");
    const std::string report = File(AnalysisFileName);
    EXPECT_EQ(report.find("Population reallocation results\r\nFrequency Correction: Duchesne & Bernatchez 2002;"), 0u);
    // Without RMD a missing cell has no band probability, whatever the fraction.
    EXPECT_NE(report.find("probability of band of presences = 0.000000000\r\n.\tI1\tI2"), std::string::npos);
    EXPECT_NE(report.find("\r\nP1\t"), std::string::npos);
    EXPECT_NE(report.find("\r\nP2\t"), std::string::npos);
    EXPECT_EQ(report.find("\r\nTest\t"), std::string::npos);
    EXPECT_NE(report.find("\r\nGroup_H0:\tP1\tP1\tP1\tP1\tP2\tP2\tP2\tP2\tTest\tTest\tTest\r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\nAllocation:\tP1\tP1\tP1\tP1\tP2\tP2\tP2\tP2\t"), std::string::npos);

    CmdMLPopReallocation({0, 1, 1, 0}, false, 2.0L, 0.01L, true, 0.75f);
    EXPECT_NE(File(AnalysisFileName).find("epsilon = 0.010000000; log-likelihood values and best allocation using "
                                          "minimum log-likelihood difference of 2.000000000; Missing data used by "
                                          "assigning probability of band of presences = 0.750000000"),
              std::string::npos);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(HybridCommands, AReallocationTheEngineRefusesWritesNoReport) {
    SetHybridData();
    ui.ExpectBox(kAnswerOk, "Error");
    CmdMLPopReallocation({0, 1, 0, 0}, true, 2.0L, 1e-5L, true, 0.5f);
    EXPECT_EQ(Errors(), std::vector<std::string>{"At least two populations must be selected for this function."});
    EXPECT_EQ(LastLine(), "Calculating ML population reallocations" "failed.");
    EXPECT_TRUE(File(AnalysisFileName).empty());
}

TEST_F(HybridCommands, BothNeedData) {
    ui.ExpectBox(kAnswerOk, "Error");
    ui.ExpectBox(kAnswerOk, "Error");
    CmdMLHybridIndex(1, 2, 3, false, 0.5f);
    CmdMLPopReallocation({}, true, 2.0L, 1e-5L, false, 0.5f);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"No data loaded", "No data loaded"}));
}
