#include "shell/r_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "command_fixture.h"
#include "shell/r_finder.h"

namespace {

// A fake Rscript: an executable file in folder/bin (or in folder itself when bin is false).
std::string MakeRscript(const TempDir& dir, const std::string& folder, bool executable = true) {
    std::filesystem::create_directories(dir.Path(folder));
    const std::string name = dir.Write(folder + "/Rscript", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(name,
                                 executable ? std::filesystem::perms::owner_all : std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::replace);
    return name;
}

struct FinderCase {
    const char* label;
    std::vector<std::string> installed;  // folders holding an executable Rscript
    std::vector<std::string> blocked;    // folders holding a non-executable one
    bool rHome, path, relativePath;
    std::string expected;  // folder under the temporary one; empty: nothing found
};

TEST(RFinder, SearchOrder) {
    const std::vector<FinderCase> cases = {
        {"R_HOME first", {"home/bin", "p1", "usr", "opt/4.3.0/bin"}, {}, true, true, false, "home/bin"},
        {"then PATH in order", {"p2", "p1", "usr"}, {}, true, true, false, "p1"},
        {"a relative PATH folder is skipped", {"p1", "usr"}, {}, false, false, true, "usr"},
        {"not executable is skipped", {"usr"}, {"p1"}, false, true, false, "usr"},
        {"usual folders", {"usr2", "usr"}, {}, false, false, false, "usr"},
        {"highest /opt version", {"opt/4.9.1/bin", "opt/4.10.0/bin", "opt/3.6.3/bin"}, {}, false, false, false,
         "opt/4.10.0/bin"},
        {"nothing", {}, {"p1", "home/bin"}, true, true, false, ""},
    };
    for (const FinderCase& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        for (const std::string& f : c.installed) MakeRscript(dir, f);
        for (const std::string& f : c.blocked) MakeRscript(dir, f, false);
        std::filesystem::create_directories(dir.Path("opt"));
        RSearchPlaces places;
        if (c.rHome) places.rHome = dir.Path("home");
        if (c.path) places.path = "::" + dir.Path("p1") + ":" + dir.Path("p2");
        if (c.relativePath) places.path = std::filesystem::relative(dir.Path("p1")).string();
        places.folders = {dir.Path("missing"), dir.Path("usr"), dir.Path("usr2")};
        places.optRoot = dir.Path("opt");
        const std::string expected = c.expected.empty() ? "" : dir.Path(c.expected);
        EXPECT_EQ(FindRInstallDir(places), expected);
        EXPECT_EQ(FindRscript(places), expected.empty() ? "" : expected + "/Rscript");
    }
}

TEST(RFinder, FolderNamedRscriptIsNoInterpreter) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path("bin/Rscript"));
    RSearchPlaces places;
    places.rHome = dir.Root().string();
    EXPECT_EQ(FindRscript(places), "");
}

using RSetters = CommandTest;

TEST_F(RSetters, SetNamesAndSayWhat) {
    CmdSetRScript("my/plot.R");
    EXPECT_EQ(RScriptFileName, "my/plot.R");
    EXPECT_EQ(LastLine(), "Selected R Script: my/plot.R");

    CmdSetRPlotFile("out.pdf");
    EXPECT_EQ(RPlotFileName, "out.pdf");
    EXPECT_EQ(LastLine(), "Selected R Script: my/plot.R");  // no line of its own

    CmdSetRscriptPath("/opt/x/Rscript");
    EXPECT_EQ(RscriptPath, "/opt/x/Rscript");
    EXPECT_EQ(LastLine(), "Set Rcmd path to: /opt/x/Rscript");
}

TEST_F(RSetters, EmptyPathAsksTheFinder) {
    const std::string found = FindRscript();
    RscriptPath = "/old/Rscript";
    CmdSetRscriptPath("");
    EXPECT_EQ(RscriptPath, found);
    EXPECT_EQ(LastLine(), found.empty() ? "Rscript path not set!" : "Set Rcmd path to: " + found);
}

}  // namespace
