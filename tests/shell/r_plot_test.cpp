#include <gtest/gtest.h>

#include <filesystem>

#include "command_fixture.h"
#include "shell/r_commands.h"
#include "shell/r_finder.h"
#include "shell/reporting.h"

namespace {

// Runs the plot against a stand-in for Rscript: a shell script that records its arguments and
// does what the case asks.
class RPlot : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        RSearchPlaces none;  // no R anywhere unless a test sets RscriptPath
        SetRSearchPlaces(&none);
        RScriptFileName = dir.Write("plottesk.R", "RPLOTTESKVERSION = \"1.31\"\n");
        RPlotFileName = dir.Path("teskplot.pdf");
        dir.Write("analysis.txt", "report\r\n");
    }
    void TearDown() override {
        SetRSearchPlaces(nullptr);
        CommandTest::TearDown();
    }

    // The fake interpreter runs body with the arguments in "$@".
    void FakeR(const std::string& body) {
        RscriptPath =
            dir.Write("Rscript", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + dir.Path("args.txt") + "'\n" + body);
        std::filesystem::permissions(RscriptPath, std::filesystem::perms::owner_all);
    }
    std::string Arguments() const { return File(dir.Path("args.txt")); }
    std::string Log() const { return File(LogFileName); }
};

TEST_F(RPlot, PlotIsMadeAndShown) {
    FakeR("printf 'pdf' > \"$3\"\n");
    CmdPlotWithR();
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Arguments(), RScriptFileName + "\n" + AnalysisFileName + "\n" + RPlotFileName + "\n");
    EXPECT_EQ(LastLine(), "Plotting with R script ...done. Viewing output file...done.");
    ASSERT_EQ(ui.viewedFiles.size(), 1u);
    EXPECT_EQ(ui.viewedFiles[0], RPlotFileName);
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
}

TEST_F(RPlot, NamesWithBlanksAndQuotesArriveWhole) {
    FakeR("printf 'pdf' > \"$3\"\n");
    RPlotFileName = dir.Path("my \"plot\" $HOME.pdf");
    CmdPlotWithR();
    EXPECT_TRUE(Errors().empty());
    EXPECT_TRUE(std::filesystem::exists(RPlotFileName));
}

TEST_F(RPlot, RelativeNamesAreMadeAbsolute) {
    FakeR("printf 'pdf' > \"$3\"\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Root());
    AnalysisFileName = "analysis.txt";
    RPlotFileName = "teskplot.pdf";
    RScriptFileName = "plottesk.R";
    CmdPlotWithR();
    std::filesystem::current_path(previous);
    EXPECT_EQ(Arguments(),
              dir.Path("plottesk.R") + "\n" + dir.Path("analysis.txt") + "\n" + dir.Path("teskplot.pdf") + "\n");
    ASSERT_EQ(ui.viewedFiles.size(), 1u);
}

TEST_F(RPlot, FailedRunReportsRsErrorAndLogsAllOfIt) {
    FakeR("for i in 1 2 3 4 5 6 7 8 9 10; do echo \"Error line $i\" >&2; done\nexit 1\n");
    ASSERT_EQ(StartLog(), 0);
    ui.ExpectBox(kAnswerOk, "Error");
    CmdPlotWithR();
    StopLog();
    EXPECT_EQ(LastLine(), "Plotting with R script ...failed.");
    const std::string box = Errors().at(0);
    EXPECT_EQ(box.rfind("R Plotting with script file " + RScriptFileName + " failed\r\n", 0), 0u);
    EXPECT_NE(box.find("code 1"), std::string::npos);
    EXPECT_EQ(box.find("Error line 2\r\n"), std::string::npos);  // the box keeps the last 8 lines
    EXPECT_NE(box.find("Error line 3\r\n"), std::string::npos);
    EXPECT_NE(box.find("Error line 10"), std::string::npos);
    const std::string log = Log();
    EXPECT_NE(log.find("R: Error line 1\r\n"), std::string::npos);
    EXPECT_NE(log.find("R: Error line 10\r\n"), std::string::npos);
    EXPECT_TRUE(ui.viewedFiles.empty());
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
}

TEST_F(RPlot, PlotNotMadeByThisRunIsNoSuccess) {
    struct Case {
        const char* label;
        const char* body;
        bool oldPlot;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no plot", "exit 0\n", false, ") not found."},
        {"empty plot", ": > \"$3\"\n", false, ") is empty."},
        {"stale plot", "exit 0\n", true, ") was not written by this run; it is left from before."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove(RPlotFileName);
        if (c.oldPlot) dir.Write("teskplot.pdf", "old plot");
        FakeR(c.body);
        ui.ExpectBox(kAnswerOk, "Error");
        CmdPlotWithR();
        EXPECT_EQ(Errors().back(), "R plot output file (" + RPlotFileName + c.message);
        EXPECT_EQ(LastLine(), "Plotting with R script ...done. Viewing output file...failed.");
        EXPECT_TRUE(ui.viewedFiles.empty());
    }
}

TEST_F(RPlot, EmptyPlotNameRunsWithoutThirdArgument) {
    FakeR("exit 0\n");
    RPlotFileName.clear();
    ui.ExpectBox(kAnswerOk, "Error");
    CmdPlotWithR();
    EXPECT_EQ(Arguments(), RScriptFileName + "\n" + AnalysisFileName + "\n");
    EXPECT_EQ(Errors().back(), "R plot output file () not found.");
}

TEST_F(RPlot, RefusalsBeforeAnythingRuns) {
    struct Case {
        const char* label;
        std::function<void()> arrange;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no interpreter", [] { RscriptPath.clear(); }, "R script interpreter not found/set"},
        {"interpreter not executable", [this] { RscriptPath = dir.Write("notR", "text"); },
         "R script interpreter " + dir.Path("notR") + " cannot be run: it is missing or not executable"},
        {"interpreter missing", [this] { RscriptPath = dir.Path("gone/Rscript"); },
         "R script interpreter " + dir.Path("gone/Rscript") + " cannot be run: it is missing or not executable"},
        {"no analysis file", [this] { AnalysisFileName = dir.Path("none.txt"); },
         "Necessary analysis file " + dir.Path("none.txt") + " not found"},
        {"no script", [this] { RScriptFileName = dir.Path("none.R"); },
         "R plotting script " + dir.Path("none.R") + " not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FakeR("printf 'pdf' > \"$3\"\n");
        std::filesystem::remove(dir.Path("args.txt"));
        const std::string analysis = AnalysisFileName;
        const std::string script = RScriptFileName;
        c.arrange();
        ui.ExpectBox(kAnswerOk, "Error");
        CmdPlotWithR();
        EXPECT_EQ(Errors().back(), c.message);
        EXPECT_FALSE(std::filesystem::exists(dir.Path("args.txt")));
        EXPECT_EQ(LastLine(), "Welcome");
        AnalysisFileName = analysis;
        RScriptFileName = script;
    }
}

TEST_F(RPlot, EmptyInterpreterIsSearchedFor) {
    std::filesystem::create_directories(dir.Path("R/bin"));
    const std::string r = dir.Write("R/bin/Rscript", "#!/bin/sh\nprintf 'pdf' > \"$3\"\n");
    std::filesystem::permissions(r, std::filesystem::perms::owner_all);
    RSearchPlaces places;
    places.rHome = dir.Path("R");
    SetRSearchPlaces(&places);
    RscriptPath.clear();
    CmdPlotWithR();
    EXPECT_EQ(RscriptPath, r);
    EXPECT_EQ(ui.viewedFiles.size(), 1u);
}

TEST_F(RPlot, AViewerThatCannotStartIsReportedWithItsReason) {
    FakeR("printf 'pdf' > \"$3\"\n");
    ui.viewerWorks = false;
    ui.viewerFailure = "xdg-open could not open the file.";
    const std::string error =
        "No program could be started to show the file " + RPlotFileName + "\r\n\r\nxdg-open could not open the file.";
    ui.ExpectBox(kAnswerOk, "Error");
    CmdPlotWithR();
    EXPECT_EQ(LastLine(), "Plotting with R script ...done. Viewing output file...failed.");
    EXPECT_EQ(Errors().back(), error);
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");

    WriteMsg("before");
    ui.ExpectBox(kAnswerOk, "Error");
    CmdViewLastRPlot();
    EXPECT_EQ(Errors().back(), error);
    EXPECT_EQ(LastLine(), "before");  // "Viewing last R plot" only once it is shown
    EXPECT_EQ(Errors().size(), 2u);
}

TEST_F(RPlot, LastPlotIsViewedWhenItExists) {
    ui.ExpectBox(kAnswerOk, "Error");
    CmdViewLastRPlot();
    EXPECT_EQ(Errors().back(), "No file to view: " + RPlotFileName);
    dir.Write("teskplot.pdf", "pdf");
    CmdViewLastRPlot();
    EXPECT_EQ(LastLine(), "Viewing last R plot");
    ASSERT_EQ(ui.viewedFiles.size(), 1u);
    EXPECT_EQ(ui.viewedFiles[0], RPlotFileName);
}

}  // namespace
