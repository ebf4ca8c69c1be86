// The plotting script with the real Rscript, when R is installed.
#include <gtest/gtest.h>

#include "command_fixture.h"
#include "popgen/data/codes.h"
#include "shell/analysis_commands.h"
#include "shell/data_commands.h"
#include "shell/r_commands.h"
#include "shell/r_finder.h"
#include "shell/reporting.h"
#include "shell/tree_commands.h"
#include "shell/version_check.h"

namespace {

class RPlotOracle : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        RscriptPath = FindRscript();
        if (RscriptPath.empty()) GTEST_SKIP() << "Rscript is not installed";
        RScriptFileName = std::string(TESK_SOURCE_DIR) + "/R/plottesk.R";
    }

    void MakePCoA() {
        CmdLoadInputFile(std::string(TESK_SOURCE_DIR) + "/examples/fingerprints.txt");
        ASSERT_TRUE(DataSet);
        CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, 6.0L, 100, false,
                           false);
        PCoAAutostart = 0;
        CmdPCoA(false);
        ASSERT_TRUE(Errors().empty());
    }
};

TEST_F(RPlotOracle, ScriptVersionMatchesTheProgram) {
    std::uint16_t major = 0, minor = 0, sub = 0, scriptMajor = 0, scriptMinor = 0;
    ASSERT_TRUE(RScriptVersionOK(scriptMajor, scriptMinor));
    ASSERT_TRUE(ParseProgramVersion(major, minor, sub));
    EXPECT_EQ(scriptMajor, major);
    EXPECT_EQ(scriptMinor, minor);
}

TEST_F(RPlotOracle, PCoAOfTheExampleIsPlottedAsValidImages) {
    MakePCoA();
    for (const char* name : {"pcoa.png", "pcoa.pdf"}) {
        SCOPED_TRACE(name);
        RPlotFileName = dir.Path(name);
        CmdPlotWithR();
        EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors().back());
        const std::string bytes = File(RPlotFileName);
        if (std::string(name).ends_with(".png")) EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
        else EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
        EXPECT_GT(bytes.size(), 1000u);
    }
    EXPECT_EQ(ui.viewedFiles.size(), 2u);
}

TEST_F(RPlotOracle, BrokenScriptGivesRsErrorInBoxAndLog) {
    MakePCoA();
    RScriptFileName = dir.Write("broken.R", "RPLOTTESKVERSION = \"1.31\"\nstop(\"broken on purpose\")\n");
    ASSERT_EQ(StartLog(), 0);
    ui.ExpectBox(kAnswerOk, "Error");
    CmdPlotWithR();
    StopLog();
    EXPECT_EQ(LastLine(), "Plotting with R script ...failed.");
    EXPECT_NE(Errors().back().find("broken on purpose"), std::string::npos);
    EXPECT_NE(File(LogFileName).find("broken on purpose"), std::string::npos);
}

TEST_F(RPlotOracle, AnalysisFileWithoutPCoAIsRefusedByTheScript) {
    dir.Write("analysis.txt", "Matrix statistics only\r\n");
    ui.ExpectBox(kAnswerOk, "Error");
    CmdPlotWithR();
    EXPECT_NE(Errors().back().find("holds no principal coordinate analysis"), std::string::npos);
}

}  // namespace
