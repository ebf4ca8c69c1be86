#include "shell/shannon_commands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "command_fixture.h"
#include "foundation/keep_alive.h"
#include "foundation/number_text.h"
#include "foundation/rounding.h"
#include "foundation/scope_exit.h"
#include "numeric/math_error.h"
#include "numeric/welch.h"

namespace {

class ShannonCommands : public CommandTest {
protected:
    // The example data with a group whose two members are identical over every locus.
    void SetGroupsData() {
        // The last two loci are monomorphic (all present, all absent).
        SetData({"11010011101001101910", "11011010101001101010", "10010111101101111010", "11010111101011101110",
                 "01101101010110011110", "01101101010110011110", "01111101010110019110", "11101101010010010110"},
                {{"North", {1, 2, 3, 4}}, {"South", {5, 6, 7, 8}}, {"Twins", {5, 6}}});
    }
    std::string Analysis() const { return File(AnalysisFileName); }
};

TEST(WelchTest, DegreesOfFreedomRoundUpAndRefuseWhatHasNone) {
    EXPECT_EQ(WelchDF(10, 12, 0.01L, 0.03L), 19);  // 0.0016 / 0.000085 = 18.82...
    EXPECT_EQ(WelchDF(4, 4, 1.0L, 1.0L), 8);       // whole: unchanged
    EXPECT_EQ(WelchDF(0, 12, 0.01L, 0.03L), -1);
    EXPECT_EQ(WelchDF(10, 12, 0.0L, 0.0L), -1);  // 0 / 0
    EXPECT_EQ(WelchDF(10, 12, std::nanl(""), 0.03L), -1);
    EXPECT_EQ(TStatistic(1.0L, 3.0L, 1.0L, 3.0L), 1.0L);
    EXPECT_NEAR(static_cast<double>(TDistProb(1, 1.0L)), 0.5, 1e-18);
    EXPECT_EQ(GetMathError(), kMathOk);
    TDistProb(0, 1.0L);
    EXPECT_EQ(GetMathError(), kMathDomain);
    EXPECT_TRUE(ExtLess(0.01L, 0.05L));
    EXPECT_FALSE(ExtLess(0.05L, 0.05L));
}

TEST_F(ShannonCommands, IndexOffersToRemoveMonomorphicLociAndWritesItsReport) {
    SetGroupsData();
    ui.ExpectBox(kAnswerYes, "Data Warning");
    ui.ExpectBox(kAnswerYes, "Shannon's Diversity Index");
    SetRoundMode(0);
    CmdShannonIndex({.Scale = ShannonScale::Bits, .Base = 2.0L}, 2, 0);
    EXPECT_EQ(GetRoundMode(), 0);  // the command's mode was for its computation only
    EXPECT_EQ(LastLine(),
              "Calculating Shannon's index with current scaling settings and saving to analysis output file...done.");
    const TDSLayer& l = DataSet->GetCurrLayer();
    EXPECT_EQ(DataSet->CurLayer, 4);
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Temporary Data [8 x " + std::to_string(l.NLoci) + "]");
    EXPECT_EQ(l.NLoci, 18u);
    const std::string box = ui.boxes.back().text;
    EXPECT_EQ(box.substr(0, 3), "I= ");
    EXPECT_NE(box.find(" (after Bowman & al., 1969)*\r\nStandard deviation= "), std::string::npos);
    const std::string report = Analysis();
    EXPECT_EQ(report.substr(0, report.find("I =")),
              "Shannon's index and variance/std.dev. (after Bowman & al., 1969)\r\nLogBase = 2\r\n"
              "Frequencies per datamatrix: p(i):=presences(i)/presences(datamatrix)\r\n\r\n");
    EXPECT_NE(report.find("\r\nstd.dev.= "), std::string::npos);
    EXPECT_EQ(report.find("Variance is only meaningful"), std::string::npos);
    // Per-locus frequencies: no standard deviation line, but the note of the box beside var(I),
    // here negative; answered No nothing is removed.
    SetGroupsData();
    ui.ExpectBox(kAnswerNo, "Data Warning");
    ui.ExpectBox(kAnswerYes, "Shannon's Diversity Index");
    CmdShannonIndex({.Scale = ShannonScale::Base, .Base = 4.0L, .PerInd = true}, 2, 0);
    EXPECT_EQ(DataSet->CurLayer, 1);
    const std::string second = Analysis().substr(report.size());
    EXPECT_NE(second.find("LogBase = 4.000000000\r\nFrequencies per locus: p(i):=presences(i)/#individuals"),
              std::string::npos);
    EXPECT_EQ(second.find("\r\nstd.dev.= "), std::string::npos);
    const std::size_t var = second.find("\r\nvar(I) =  -");
    ASSERT_NE(var, std::string::npos) << second;
    EXPECT_EQ(second.substr(second.find("\r\n", var + 2)),
              "\r\nNote: *Variance is only meaningful if frequencies are calculated relative to entire data "
              "matrix!\r\n\r\n");
}

TEST_F(ShannonCommands, BootstrapNeedsReplicatesAndAsksTheFileRuleOnceForBothBlocks) {
    SetGroupsData();
    ui.AllowBoxes("Error");
    CmdBootstrapShannon({.ReplaceMissing = true, .MissingShare = 0.5L}, 1, {.ToFile = true});
    EXPECT_EQ(Errors(), std::vector<std::string>{"Need to select multiple runs"});
    EXPECT_EQ(LastLine(), "Estimating Shannon Variance by Bootstrapping... failed.");
    dir.Write("analysis.txt", "old\r\n");
    OverwriteMode = 0;
    ui.ExpectBox(kAnswerNo, "Output file exists");  // rewrite, once
    ui.ExpectBox(kAnswerYes, "Shannon's Diversity Index Bootstrapped 5 Times");
    CmdBootstrapShannon({.ReplaceMissing = true, .MissingShare = 0.5L}, 5, {.ToFile = true});
    EXPECT_EQ(LastLine(), "Estimating Shannon Variance by Bootstrapping... done.");
    const std::string report = Analysis();
    EXPECT_EQ(report.find("old"), std::string::npos);
    ASSERT_EQ(report.find("Writing individual Shannon replicates (5) for group AllData:\r\n"), 0u);
    const std::size_t summary = report.find("Shannon's index and variance/std.dev. bootstrapped 5 times\r\n");
    ASSERT_NE(summary, std::string::npos);
    EXPECT_NE(report.find("\r\nstd.dev.= ", summary), std::string::npos);
    EXPECT_NE(ui.boxes.back().text.find(" times\r\n\r\nWrite to analysis file?"), std::string::npos);
}

TEST_F(ShannonCommands, BootstrapAtNRefusesNoIndividualsAndNamesTheSample) {
    SetGroupsData();
    ui.AllowBoxes("Error");
    CmdBootstrapShannonAtN(0, {.ReplaceMissing = true, .MissingShare = 0.5L}, 5, {});
    EXPECT_EQ(Errors(), std::vector<std::string>{"Invalid input number"});
    ui.ExpectBox(kAnswerYes, "Shannon's Diversity Index Bootstrapped 4 Times");
    CmdBootstrapShannonAtN(5, {.ReplaceMissing = true, .MissingShare = 0.5L}, 4, {});
    EXPECT_EQ(LastLine(), "Estimating Shannon Variance by Bootstrapping At N_Indiv=5 ... done.");
    EXPECT_NE(Analysis().find("bootstrapped 4 times, sampling from N= 5 individuals\r\n"), std::string::npos);
}

TEST_F(ShannonCommands, TTestsCompareEveryPairAndMarkWhatCannotBeTested) {
    SetGroupsData();
    ui.AllowBoxes("Error");
    // AllData not selected; North, South and Twins are.
    CmdShannonTTests({0, 1, 1, 1}, {}, {.Bowman = true});
    ASSERT_EQ(Errors(),
              std::vector<std::string>{"GrpShannonVarSD Error: (Grp3): no loci to work on. Aborting rountine."});
    EXPECT_EQ(LastLine(), "Calculating Shannon values and performing t-tests...done.");
    const std::string report = Analysis();
    EXPECT_EQ(report.find("Shannon's index and variance (Bowman)\r\n\r\nShannon's index of group North= "), 0u);
    EXPECT_NE(report.find("Shannon's index of group Twins: not computed\r\nSize of group Twins= 2\r\n"),
              std::string::npos);
    const std::size_t tests = report.find("T-test based on Shannon values and variances (Bowman)\r\n\r\n");
    ASSERT_NE(tests, std::string::npos);
    const std::string pairs = report.substr(tests);
    const std::size_t southNorth = pairs.find("South vs. North:\r\nt(");
    const std::size_t twinsNorth = pairs.find("Twins vs. North:\r\nnot testable (no Shannon's index)\r\n\r\n");
    const std::size_t twinsSouth = pairs.find("Twins vs. South:\r\nnot testable (no Shannon's index)\r\n\r\n");
    EXPECT_NE(southNorth, std::string::npos);
    EXPECT_LT(southNorth, twinsNorth);
    EXPECT_LT(twinsNorth, twinsSouth);
    EXPECT_NE(pairs.find(", p= ", southNorth), std::string::npos);
    EXPECT_EQ(DataSet->Groups[1].Selected, 1);
    EXPECT_EQ(DataSet->Groups[0].Selected, 0);
}

TEST_F(ShannonCommands, TTestSignificanceAndBootstrapSection) {
    SetGroupsData();
    TTestAlpha = 0.5;
    SHReplicates = 6;
    CmdShannonTTests({0, 1, 1, 0}, {.ReplaceMissing = true, .MissingShare = 0.5L},
                     {.Bootstrap = true,
                      .Confidence = TTestConfidence::Significance,
                      .OutputShannon = false,
                      .OutputT = false,
                      .Replicates = {.ToFile = true}});
    const std::string report = Analysis();
    ASSERT_EQ(report.find("Writing individual Shannon replicates (6) for North:\r\n"), 0u);
    const std::size_t tests = report.find("T-test based on Shannon values and variances (bootstrapped)\r\n\r\n");
    ASSERT_NE(tests, std::string::npos);
    const std::string pair = report.substr(tests + 63);
    EXPECT_TRUE(pair.rfind("South vs. North:\r\n\r\nsignificantly different (at 0.500000000 level)", 0) == 0 ||
                pair.rfind("South vs. North:\r\n\r\nnot significantly different (at 0.500000000 level)", 0) == 0)
        << pair;
    EXPECT_EQ(report.find("Shannon's index of group"), std::string::npos);  // not asked for
}

// Bowman's variance of per-locus frequencies can be negative: the report keeps the index report's
// note beside every such variance; the bootstrapped variance and per-matrix frequencies need none.
TEST_F(ShannonCommands, TTestReportNotesBowmanVariancesOfPerLocusFrequencies) {
    const std::string note =
        "Note: *Variance is only meaningful if frequencies are calculated relative to entire data matrix!";
    const auto count = [&](const std::string& text) {
        std::size_t n = 0;
        for (std::size_t at = text.find(note); at != std::string::npos; at = text.find(note, at + 1)) ++n;
        return n;
    };
    SetGroupsData();
    ui.AllowBoxes("Warning");  // the pair with negative variances is not compared
    SHReplicates = 4;
    CmdShannonTTests({0, 1, 1, 0}, {.PerInd = true}, {.Bowman = true, .Bootstrap = true});
    const std::string report = Analysis();
    const std::size_t bootstrapped = report.find("Shannon's index and variance (bootstrapped)");
    ASSERT_NE(bootstrapped, std::string::npos);
    const std::string bowman = report.substr(0, bootstrapped);
    for (const std::string group : {"North", "South"}) {
        const std::size_t var = bowman.find("Shannon's variance of group " + group + "= -");
        ASSERT_NE(var, std::string::npos) << bowman;
        const std::size_t next = bowman.find("\r\n", var) + 2;
        EXPECT_EQ(bowman.substr(next, note.size() + 2), note + "\r\n") << group;
    }
    EXPECT_EQ(count(bowman), 2u);
    EXPECT_EQ(count(report.substr(bootstrapped)), 0u);

    SetGroupsData();
    const std::size_t before = Analysis().size();
    CmdShannonTTests({0, 1, 1, 0}, {}, {.Bowman = true});
    const std::string perMatrix = Analysis().substr(before);
    EXPECT_NE(perMatrix.find("Shannon's variance of group North= "), std::string::npos);
    EXPECT_EQ(count(perMatrix), 0u);
}

// Every group's computation is an engine call of its own; the window shows the command at work
// meanwhile.
TEST_F(ShannonCommands, TTestGroupsKeepTheWindowAlive) {
    const std::chrono::nanoseconds interval = SetKeepAliveInterval(std::chrono::nanoseconds(0));
    const ScopeExit restore([interval] { SetKeepAliveInterval(interval); });
    std::vector<std::string> states;
    ui.onKeepAlive = [&] { states.push_back(Panel(MessageArea::PanelState)); };
    SetGroupsData();
    SHReplicates = 4;
    CmdShannonTTests({0, 1, 1, 0}, {}, {.Bootstrap = true});
    EXPECT_EQ(LastLine(), "Calculating Shannon values and performing t-tests...done.");
    EXPECT_GE(states.size(), 2u);  // one group after the other
    for (const std::string& state : states) EXPECT_EQ(state, "Calculating");
}

TEST_F(ShannonCommands, TTestRefusalsChangeNothing) {
    SetGroupsData();
    ui.AllowBoxes("Error");
    CmdShannonTTests({1, 1}, {}, {.Bowman = true});
    CmdShannonTTests({0, 1, 0, 0}, {}, {.Bowman = true});
    // A bootstrapped group without members ends the command before anything is saved.
    DataSet->Groups.push_back({"Empty", {}, 0, 0, AByte(8, 0)});
    CmdShannonTTests({0, 1, 1, 0, 1}, {}, {.Bootstrap = true});
    EXPECT_EQ(LastLine(), "Calculating Shannon values and performing t-tests...failed.");
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Shannon t-test internal error 1",
                                                  "At least 2 groups need to be selected to perform a t-test",
                                                  "T-test/groups error"}));
    EXPECT_EQ(Analysis(), "");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    // Neither section: the empty report is still saved and the command is done.
    CmdShannonTTests({0, 1, 1, 0, 0}, {}, {});
    EXPECT_EQ(LastLine(), "Calculating Shannon values and performing t-tests...done.");
}

}  // namespace
