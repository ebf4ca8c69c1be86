// What the user sees while a command runs, in the order it happens: message lines, panel changes
// and the quick-selection rebuild interleaved. Every command follows the one skeleton: progress
// line, activity, engine call, output, then "Idle" and the verdict on the progress line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_fixture.h"
#include "shell/analysis_commands.h"
#include "shell/data_commands.h"
#include "shell/tree_commands.h"

namespace {

const std::string kExamples = std::string(TESK_SOURCE_DIR) + "/examples/";

// Records every change as one event: "line: " + the last used line, "<panel>: " + text, "menus".
class OrderedUi : public FakeUiPort {
public:
    void SetMessageLines(const MessageLines& lines) override {
        FakeUiPort::SetMessageLines(lines);
        std::string last;
        for (const std::string& line : lines)
            if (!line.empty()) last = line;
        events.push_back("line: " + last);
    }
    void SetStatusPanel(std::size_t panel, std::string_view text) override {
        FakeUiPort::SetStatusPanel(panel, text);
        static const char* const names[] = {"file", "data", "dist", "trees", "state"};
        events.push_back(std::string(names[panel]) + ": " + std::string(text));
    }
    void UpdateQuickSelectionMenus() override {
        FakeUiPort::UpdateQuickSelectionMenus();
        events.push_back("menus");
    }

    // The events since the last call.
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(events);
        return taken;
    }

    std::vector<std::string> events;
};

using Strings = std::vector<std::string>;
using CommandOrder = CommandTest;

TEST_F(CommandOrder, LoadMatrixTreesAndPCoA) {
    OrderedUi seen;
    const std::string file = kExamples + "fingerprints.txt";
    const std::string loading = "Loading File: " + file + " ...";
    CmdLoadInputFile(file);
    EXPECT_EQ(seen.Take(), (Strings{"line: " + loading, "state: Busy: I/O", "file: fingerprints.txt",
                                    "data: Original matrix [40 x 120]", "dist: No distance matrix", "state: Idle",
                                    "line: " + loading + "done.", "menus"}));

    const std::string calculating = "Calculating Jaccard matrix. Saving matrix to analysis file:  Distance matrix...";
    CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, NeiLiR, JCRandomDraws,
                       false, true);
    EXPECT_EQ(seen.Take(), (Strings{"line: " + calculating, "state: Calculating", "state: Busy: I/O", "state: Idle",
                                    "line: " + calculating + "done.", "dist: StdJaccard"}));

    const std::string trees = ".." + TreeFileName.substr(TreeFileName.size() - 14);
    CmdBuildUPGMA();
    EXPECT_EQ(seen.Take(), (Strings{"line: Building UPGMA tree...", "state: Calculating", "state: Busy: I/O",
                                    "trees: " + trees, "state: Idle", "line: Building UPGMA tree...done."}));
    CmdBuildNJ();
    EXPECT_EQ(seen.Take(), (Strings{"line: Building NJ tree...", "state: Calculating", "state: Busy: I/O",
                                    "trees: " + trees, "state: Idle", "line: Building NJ tree...done."}));

    CmdPCoA(false);
    EXPECT_EQ(seen.Take(), (Strings{"line: Performing PCoA...", "state: Calculating", "state: Busy: I/O",
                                    "state: Idle", "line: Performing PCoA...done."}));
    EXPECT_TRUE(seen.boxes.empty());
}

TEST_F(CommandOrder, DataCommandsWithoutAProgressLine) {
    OrderedUi seen;
    SetExampleData();
    ASSERT_TRUE(DataSet->SelectGroup(1));
    CmdRestoreOriginalMatrix();  // leaves the activity panel alone
    EXPECT_EQ(seen.Take(), (Strings{"line: Original data matrix restored", "data: Original matrix [8 x 18]",
                                    "dist: No distance matrix"}));

    const std::string copy = dir.Path("copy.txt");
    CmdSaveDataMatrix(copy);
    EXPECT_EQ(seen.Take(), (Strings{"state: Busy: I/O", "line: Saved DataMatrix to " + copy, "state: Idle"}));

    seen.clipboard = "A B\r\n1 0\r\n0 1\r\n";
    seen.ExpectFileParamDialog(false);
    CmdLoadFromClipboard();
    EXPECT_EQ(seen.Take(), (Strings{"line: Data loaded from clipboard", "file: Clipboard data",
                                    "data: Original matrix [2 x 2]", "dist: No distance matrix", "menus"}));
}

TEST_F(CommandOrder, Imports) {
    OrderedUi seen;
    const std::string counts = kExamples + "counts.tsv";
    const std::string importing = "Importing count data from file: " + counts + " ...";
    CmdImportCountData(counts, 1, 10, "NA");
    EXPECT_EQ(seen.Take(),
              (Strings{"line: " + importing, "state: Busy: I/O", "file: counts.tsv", "data: Original matrix [12 x 30]",
                       "dist: No distance matrix", "state: Idle", "line: " + importing + "done.", "menus"}));

    const std::string distances = kExamples + "distances.txt";
    const std::string reading = "Importing distance matrix from file: " + distances + "...";
    CmdImportDistanceMatrix(distances, NegativeDistances::Keep);
    EXPECT_EQ(seen.Take(), (Strings{"line: " + reading, "state: Busy: I/O", "state: Idle", "line: " + reading + "done.",
                                    "data: No data loaded", "dist: User imported distances", "menus"}));
}

}  // namespace
