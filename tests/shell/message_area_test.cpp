#include "shell/message_area.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

const char* const kWelcome = "Welcome to TESK 1.3. Please report any problems you might experience.";

std::vector<std::string> LinesOf(const MessageArea& area) {
    return {area.Lines().begin(), area.Lines().end()};
}

TEST(MessageArea, StartsWithDesignTextsAndFirstMessageClearsThem) {
    MessageArea area;
    EXPECT_EQ(LinesOf(area), (std::vector<std::string>{"Label1", "Label2", "Label3", "Label4", "Label5", "Label6"}));
    area.WriteMsg(kWelcome);
    EXPECT_EQ(LinesOf(area), (std::vector<std::string>{kWelcome, "", "", "", "", ""}));
}

TEST(MessageArea, SevenMessagesScrollTheWelcomeLineOut) {
    MessageArea area;
    area.WriteMsg(kWelcome);
    for (int i = 2; i <= 7; ++i) area.WriteMsg("message " + std::to_string(i));
    EXPECT_EQ(LinesOf(area), (std::vector<std::string>{"message 2", "message 3", "message 4", "message 5",
                                                         "message 6", "message 7"}));
}

TEST(MessageArea, AppendEndsTheLastProgressLine) {
    MessageArea area;
    area.WriteMsg(kWelcome);
    area.WriteMsg("Loading File: /data/x.txt ...");
    area.WriteMsgDone();
    area.WriteMsg("Calculating ...");
    area.WriteMsgFailed();
    EXPECT_EQ(area.Line(1), "Loading File: /data/x.txt ...done.");
    EXPECT_EQ(area.Line(2), "Calculating ...failed.");
    EXPECT_EQ(area.Line(3), "");

    // With all six lines in use the append still goes to the bottom line.
    for (int i = 0; i < 6; ++i) area.WriteMsg("step " + std::to_string(i) + " ");
    area.WriteMsgDone();
    EXPECT_EQ(area.Line(5), "step 5 done.");
    EXPECT_EQ(area.Line(4), "step 4 ");
}

TEST(MessageArea, AnEmptyMessageIsOverwrittenByTheNextOne) {
    MessageArea area;
    area.WriteMsg("first");
    area.WriteMsg("");
    area.WriteMsg("second");
    EXPECT_EQ(LinesOf(area), (std::vector<std::string>{"first", "second", "", "", "", ""}));
}

TEST(MessageArea, AppendBeforeAnyMessageGoesToTheDesignTextLine) {
    MessageArea area;
    area.AppendMsg("x");
    EXPECT_EQ(area.Line(5), "Label6x");
}

TEST(MessageArea, ViewIsUpdatedBeforeTheLogGetsEachLineAndEachAppendedText) {
    MessageArea area;
    std::vector<std::string> events;
    area.SetLinesHook([&](const std::array<std::string, MessageArea::kLineCount>& lines) {
        events.push_back("<lines:" + lines[0] + ">");
    });
    area.SetPanelHook([&](std::size_t panel, const std::string& text) {
        events.push_back("<panel " + std::to_string(panel) + ":" + text + ">");
    });
    area.SetLogHook([&](const std::string& text) { events.push_back(text); });
    area.WriteMsg("Loading File: a ...");
    area.WriteMsgDone();
    area.SetStatusIdle();
    EXPECT_EQ(events, (std::vector<std::string>{"<lines:Loading File: a ...>", "Loading File: a ...",
                                                 "<lines:Loading File: a ...done.>", "done.", "<panel 4:Idle>"}));
}

TEST(MessageArea, PanelsStartWithDesignTexts) {
    MessageArea area;
    EXPECT_EQ(area.PanelText(MessageArea::PanelFile), "No file loaded");
    EXPECT_EQ(area.PanelText(MessageArea::PanelDataMatrix), "No data loaded [0x0]");
    EXPECT_EQ(area.PanelText(MessageArea::PanelDistMatrix), "No distance matrix");
    EXPECT_EQ(area.PanelText(MessageArea::PanelTrees), "No trees");
    EXPECT_EQ(area.PanelText(MessageArea::PanelState), "Idle");
}

TEST(MessageArea, FileNamePanelDropsTheFolderAndKeepsTheLast25Characters) {
    struct Case {
        const char* name;
        const char* shown;
    } const cases[] = {
        {"/home/u/data/fingerprints.txt", "fingerprints.txt"},
        {"plain.txt", "plain.txt"},
        {"/d/abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrstuvwxy"},  // exactly 25
        {"/d/folder/", ""},
    };
    for (const Case& c : cases) {
        MessageArea area;
        area.SetStatusFileName(c.name);
        EXPECT_EQ(area.PanelText(MessageArea::PanelFile), c.shown) << c.name;
    }
}

TEST(MessageArea, FortyCharacterNameShowsDotsAndItsLast25Characters) {
    MessageArea area;
    const std::string name(15, 'a');
    const std::string tail = "bcdefghijklmnopqrstuvwxyz";  // 25 characters
    area.SetStatusFileName("/tmp/" + name + tail);
    EXPECT_EQ(area.PanelText(MessageArea::PanelFile), ".." + tail);
}

TEST(MessageArea, TreePanelKeepsTheLast14CharactersAndStateTextsAreFixed) {
    MessageArea area;
    area.SetStatusTrees("UPGMA Jaccard Std");
    EXPECT_EQ(area.PanelText(MessageArea::PanelTrees), "..MA Jaccard Std");
    area.SetStatusTrees("NJ tree");
    EXPECT_EQ(area.PanelText(MessageArea::PanelTrees), "NJ tree");
    area.SetStatusBusyIO();
    EXPECT_EQ(area.PanelText(MessageArea::PanelState), "Busy: I/O");
    area.SetStatusCalculating();
    EXPECT_EQ(area.PanelText(MessageArea::PanelState), "Calculating");
    area.SetStatusIdle();
    EXPECT_EQ(area.PanelText(MessageArea::PanelState), "Idle");
    area.SetStatusDataMatrix("Original matrix [20 x 40]");
    area.SetStatusDistMatrix("Jaccard Std");
    EXPECT_EQ(area.PanelText(MessageArea::PanelDataMatrix), "Original matrix [20 x 40]");
    EXPECT_EQ(area.PanelText(MessageArea::PanelDistMatrix), "Jaccard Std");
}

}  // namespace

#include "shell/reporting.h"
#include "shell/settings.h"
#include "support/fake_ui_port.h"
#include "support/temp_dir.h"

namespace {

TEST(ProgramMessageArea, ShowsThroughTheUiPortAndCopiesLinesToTheLogWhileLoggingIsOn) {
    FakeUiPort ui;
    TempDir dir;
    LogFileName = dir.Path("tesklog.txt");
    OverwriteMode = 2;
    ASSERT_EQ(StartLog(), 0);
    WriteMsg("Loading File: x.txt ...");
    WriteMsgDone();
    SetStatusBusyIO();
    StopLog();
    WriteMsg("not logged");
    OverwriteMode = 0;
    LogFileName = "tesklog.txt";

    ASSERT_FALSE(ui.shownLines.empty());
    const MessageLines& last = ui.shownLines.back();
    EXPECT_EQ(last, TheMessageArea().Lines());
    EXPECT_NE(std::find(last.begin(), last.end(), "Loading File: x.txt ...done."), last.end());
    ASSERT_FALSE(ui.panelChanges.empty());
    EXPECT_EQ(ui.panelChanges.back().panel, MessageArea::PanelState);
    EXPECT_EQ(ui.panelChanges.back().text, "Busy: I/O");
    EXPECT_EQ(ui.focusRequests, 3);
    EXPECT_EQ(TempDir::Read(dir.Path("tesklog.txt")), "Loading File: x.txt ...\r\ndone.\r\n");
    SetStatusIdle();
}

}  // namespace

#include "command_fixture.h"

namespace {

using StatusDataMatrix = CommandTest;

TEST_F(StatusDataMatrix, ShowsTheSelectionByTheNamesLastPartsAndTheCurrentLayersSize) {
    SetData({"101", "011", "110", "111"}, {{"AllData/North/N1", {1, 2, 3}}});
    UpdateStatusDataMatrix();
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "AllData x AllLoci [4 x 3]");
    ASSERT_TRUE(DataSet->SelectGroup(1));
    UpdateStatusDataMatrix();
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "N1 x AllLoci [3 x 3]");
    EXPECT_EQ(ui.panelChanges.back().text, "N1 x AllLoci [3 x 3]");

    FreeDataSet();
    UpdateStatusDataMatrix();  // nothing to show: the panel stays
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "N1 x AllLoci [3 x 3]");
}

}  // namespace

namespace {

using StatusFileName = CommandTest;

TEST_F(StatusFileName, ShowsTheDataSetsFileOnlyWhenDataAreLoaded) {
    SetStatusFileName("before.txt");
    UpdateStatusFileName();  // no data set
    EXPECT_EQ(Panel(MessageArea::PanelFile), "before.txt");
    SetData({"101", "011"});
    DataSet->DataFileName = "/data/sets/loaded.txt";
    DataSet->DataLoaded = 0;
    UpdateStatusFileName();
    EXPECT_EQ(Panel(MessageArea::PanelFile), "before.txt");
    DataSet->DataLoaded = 1;
    UpdateStatusFileName();
    EXPECT_EQ(Panel(MessageArea::PanelFile), "loaded.txt");
}

TEST(FlagsDiffer, OnlyOneEqualToOneCounts) {
    struct Case {
        std::uint8_t a, b;
        bool differ;
    };
    // A flag is on only when it equals 1: 2 is as off as 0.
    for (const Case& c : std::vector<Case>{{0, 0, false}, {1, 1, false}, {1, 0, true}, {0, 1, true},
                                           {2, 0, false}, {2, 1, true}, {1, 255, true}, {2, 255, false}})
        EXPECT_EQ(FlagsDiffer(c.a, c.b), c.differ) << int(c.a) << " " << int(c.b);
}

}  // namespace
