#include "shell/version_check.h"

#include <gtest/gtest.h>

#include "command_fixture.h"
#include "shell/program_identity.h"
#include "shell/url_fetcher.h"

namespace {

struct VersionCase {
    const char* text;
    bool ok;
    std::uint16_t major, minor, sub;
};

TEST(ParseVersion, Table) {
    const std::vector<VersionCase> cases = {
        {"1.31", true, 1, 31, 0},         {"2.105", true, 2, 10, 5},     {"1.3", true, 1, 3, 0},
        {" 1 .3\t1\r\n", true, 1, 31, 0}, {"2.00", true, 2, 0, 0},       {"0.0", true, 0, 0, 0},
        {"x.1", false, 0, 0, 0},          {"1", false, 0, 0, 0},         {"1.", false, 0, 0, 0},
        {".31", false, 0, 0, 0},          {"1.3x", false, 0, 0, 0},      {"1.31.2", false, 0, 0, 0},
        {"-1.31", false, 0, 0, 0},        {"+1.31", false, 0, 0, 0},     {"65535.99", true, 65535, 99, 0},
        {"65536.31", false, 0, 0, 0},     {"1.3165536", false, 0, 0, 0}, {"", false, 0, 0, 0},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::uint16_t major = 7, minor = 7, sub = 7;
        EXPECT_EQ(ParseVersion(c.text, major, minor, sub), c.ok);
        EXPECT_EQ(major, c.major);
        EXPECT_EQ(minor, c.minor);
        EXPECT_EQ(sub, c.sub);
    }
    std::uint16_t major = 0, minor = 0, sub = 0;
    EXPECT_TRUE(ParseProgramVersion(major, minor, sub));
    EXPECT_EQ(std::to_string(major) + "." + std::to_string(minor), ProgramVersion);
}

struct MarkerCase {
    const char* line;
    bool ok;
    std::uint16_t major, minor;
};

TEST(ParseRScriptVersionLine, Table) {
    const std::vector<MarkerCase> cases = {
        {"RPLOTTESKVERSION = \"1.31\"", true, 1, 31},
        {"RPLOTTESKVERSION=\"1.31\"   # a trailing R comment", true, 1, 31},
        {"  RPLOTTESKVERSION\t=  \" 2 . 5 \"  ", true, 2, 5},
        {"RPLOTTESKVERSION=\"1.3\"", true, 1, 3},  // the shortest valid line
        {"RPLOTTESKVERSION = \"1.31\" = \"2\"", false, 0, 0},
        {"RPLOTTESKVERSION == \"1.31\"  ", false, 0, 0},
        {"rplotteskversion = \"1.31\"", false, 0, 0},
        {"MYRPLOTTESKVERSION = \"1.31\"", false, 0, 0},
        {"RPLOTTESKVERSION = \"1.3.1\"", false, 0, 0},
        {"RPLOTTESKVERSION = \"131\"   ", false, 0, 0},
        {"RPLOTTESKVERSION = 1.31      ", false, 0, 0},
        {"RPLOTTESKVERSION = \"1.31    ", false, 0, 0},
        {"RPLOTTESKVERSION = \"a.31\"", false, 0, 0},
        {"RPLOTTESKVERSION = \"1.70000\"", false, 0, 0},
        {"# RPLOTTESKVERSION = \"1.31\"", false, 0, 0},
        {"RPLOTTESKVERSION # = \"1.31\"", false, 0, 0},
    };
    for (const MarkerCase& c : cases) {
        SCOPED_TRACE(c.line);
        std::uint16_t major = 7, minor = 7;
        const std::string_view line(c.line);
        EXPECT_EQ(ParseRScriptVersionLine(line, major, minor), c.ok);
        EXPECT_EQ(major, c.major);
        EXPECT_EQ(minor, c.minor);
    }
}

using VersionCommands = CommandTest;

TEST_F(VersionCommands, ScriptVersionFromTheMarkerLine) {
    struct ScriptCase {
        const char* label;
        const char* script;  // nullptr: no script file
        bool ok;
        std::uint16_t major, minor;
    };
    const std::vector<ScriptCase> cases = {
        {"marker further down", "# plot\r\nx <- 1\r\nRPLOTTESKVERSION = \"1.05\"  # version\r\n", true, 1, 5},
        {"marker on the first line", "RPLOTTESKVERSION = \"1.31\"\nx <- 1\n", true, 1, 31},
        {"only the first marker line counts", "# RPLOTTESKVERSION is below\nRPLOTTESKVERSION = \"1.31\"\n", false, 0,
         0},
        {"no marker", "plot(1)\n", false, 0, 0},
        {"no script", nullptr, false, 0, 0},
    };
    for (const ScriptCase& c : cases) {
        SCOPED_TRACE(c.label);
        RScriptFileName = dir.Path(std::string(c.label) + ".R");
        if (c.script != nullptr) dir.Write(std::string(c.label) + ".R", c.script);
        std::uint16_t major = 7, minor = 7;
        EXPECT_EQ(RScriptVersionOK(major, minor), c.ok);
        EXPECT_EQ(major, c.major);
        EXPECT_EQ(minor, c.minor);
    }
}

TEST_F(VersionCommands, ScriptBesideTheProgramIsFound) {
    AppPath = dir.Root().string() + "/";
    RScriptFileName = "plottesk-test-only.R";  // relative and not in the current folder
    dir.Write(RScriptFileName, "RPLOTTESKVERSION = \"1.31\"\n");
    std::uint16_t major = 0, minor = 0;
    EXPECT_TRUE(RScriptVersionOK(major, minor));
    EXPECT_EQ(minor, 31);
}

TEST_F(VersionCommands, VersionBoxAndLine) {
    const std::string versionText = ProgramVersion + ProgramSubVersion + " from " + ProgramDate;
    // A developer build says so in the box.
    const std::string box = ProgramTitle + "\r\nVersion " + versionText + (DevMode ? "\r\nDevelopment Mode" : "");
    ui.ExpectBox(kAnswerOk, "TESK Version");
    CmdShowVersion(false);
    EXPECT_EQ(ui.boxes.back().text, box);
    EXPECT_EQ(LastLine(), "TESK Version " + versionText + ". ");

    RScriptFileName = dir.Write("plot.R", "RPLOTTESKVERSION = \"1.07\"\n");
    ui.ExpectBox(kAnswerOk, "TESK Version");
    CmdShowVersion(true);
    EXPECT_EQ(ui.boxes.back().text, box + "\r\n\r\nTESK R Plotting Script Version 1.07");
    EXPECT_EQ(LastLine(), "TESK Version " + versionText + ". TESK R Plotting Script Version 1.07");

    RScriptFileName = dir.Path("none.R");
    ui.ExpectBox(kAnswerOk, "TESK Version");
    CmdShowVersion(true);
    EXPECT_EQ(LastLine(), "TESK Version " + versionText + ". TESK R Plotting Script Version could NOT be determined!");
}

struct WebCase {
    const char* label;
    std::string file;
    std::string expected;
};

TEST(WebVersionReport, ComparesPartByPart) {
    const std::string head = "This version:\t1.31\r\nWeb version:\t";
    const std::string upToDate =
        "You are running the latest version available on the TESK web page.\r\nTESK is up to date.";
    const std::string older =
        "The version on the TESK web page is OLDER than the version you are running.\r\nTESK is up to date.";
    const std::string cannot = "Cannot retrieve/parse version information from the web\r\n";
    const std::vector<WebCase> cases = {
        {"same", "1.31\r\n", head + "1.31\r\n\r\n" + upToDate},
        {"same with a message", "1.31\nServer moves soon\n",
         head + "1.31\r\n\r\n" + upToDate + "\r\nMessage on from TESK site:\r\nServer moves soon"},
        {"older minor", "1.30", head + "1.30\r\n\r\n" + older},
        {"older sub beats nothing", "1.3", head + "1.3\r\n\r\n" + older},
        {"malformed", "<html>404</html>\n", cannot},
        {"empty first line", "\r\n1.31\r\n", cannot + "\r\nMessage on from TESK site:\r\n1.31"},
        {"empty", "", cannot},
    };
    for (const WebCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(WebVersionReport(c.file), c.expected);
    }
    // The major part decides; the sub part counts when the rest is equal.
    for (const char* newer : {"2.00", "1.32", "1.311"}) {
        SCOPED_TRACE(newer);
        const std::string report = WebVersionReport(newer);
        EXPECT_EQ(report.rfind(head + newer + "\r\n\r\nThe version on the TESK web page is NEWER", 0), 0u);
        EXPECT_NE(report.find("You may wish to update TESK."), std::string::npos);
    }
}

class WebCheck : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        previousUrl = VersionCheckUrl;
        VersionCheckUrl = "http://tesk.example/download/version.txt";
    }
    void TearDown() override {
        SetUrlFetcher({});
        VersionCheckUrl = previousUrl;
        CommandTest::TearDown();
    }
    std::string previousUrl;
};

TEST_F(WebCheck, AnswerIsShownInItsBox) {
    std::vector<std::string> asked;
    SetUrlFetcher([&](const std::string& url, const UrlFetchLimits&) {
        asked.push_back(url);
        return UrlFetchResult{true, "9.99\r\n", {}};
    });
    ui.ExpectBox(kAnswerOk, "Most recent TESK Version");
    CmdCheckForNewVersion();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], VersionCheckUrl);
    EXPECT_EQ(LastLine(), "Checking newest TESK version available on the web.");
    EXPECT_NE(ui.boxes.back().text.find("NEWER"), std::string::npos);
    EXPECT_NE(ui.boxes.back().text.find("http://tesk.example/download/"), std::string::npos);
}

TEST_F(WebCheck, FailuresAreReportedWithTheirReason) {
    struct FailCase {
        const char* label;
        UrlFetcher fetcher;
        std::string url;
        std::string reason;
    };
    const std::vector<FailCase> cases = {
        {"no fetcher", {}, VersionCheckUrl, "No way to reach the web is available"},
        {"fetch failed",
         [](const std::string&, const UrlFetchLimits&) {
             return UrlFetchResult{false, {}, "timed out"};
         },
         VersionCheckUrl, "timed out"},
        {"too large",
         [](const std::string&, const UrlFetchLimits& l) {
             return UrlFetchResult{true, std::string(l.maxBytes + 1, '1'), {}};
         },
         VersionCheckUrl, "is too large"},
        {"no address", {}, "", "knows no address"},
    };
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.label);
        SetUrlFetcher(c.fetcher);
        VersionCheckUrl = c.url;
        ui.ExpectBox(kAnswerOk, "Error");
        CmdCheckForNewVersion();
        const std::string& text = ui.boxes.back().text;
        EXPECT_EQ(text.rfind("Retrieving information from the web failed\r\n", 0), 0u);
        EXPECT_NE(text.find(c.reason), std::string::npos);
    }
}

}  // namespace
