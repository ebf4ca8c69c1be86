#include <gtest/gtest.h>

#include <cmath>

#include <functional>

#include "command_fixture.h"
#include "popgen/distance/distance_matrix.h"
#include "shell/analysis_commands.h"
#include "shell/data_commands.h"
#include "shell/reporting.h"
#include "shell/tree_commands.h"
#include "support/allocation_limit.h"

TESK_DEFINE_ALLOCATION_LIMIT()

namespace {

const std::string kExamples = std::string(TESK_SOURCE_DIR) + "/examples/";
const std::string kFingerprints = kExamples + "fingerprints.txt";

class LoadCommands : public CommandTest {
protected:
    void LoadExample() {
        CmdLoadInputFile(kFingerprints);
        ASSERT_EQ(LastLine(), "Loading File: " + kFingerprints + " ...done.");
    }
};

// The road a user takes: load the example, every matrix, both trees and the PCoA, with the results
// in the analysis file and the tree file.
TEST_F(LoadCommands, FromTheExampleFileToTreesAndOrdination) {
    LoadExample();  // its valid file specification line is trusted: no dialog
    EXPECT_EQ(ui.fileParamDialogs, 0);
    EXPECT_EQ(Panel(MessageArea::PanelFile), "fingerprints.txt");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Original matrix [40 x 120]");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    EXPECT_EQ(InputFileName, kFingerprints);
    EXPECT_EQ(InputDir, kExamples);
    EXPECT_EQ(ProjectName, "fingerprints.txt");
    EXPECT_EQ(ui.quickSelectionUpdates, 1);
    ASSERT_EQ(DataSet->Groups.size(), 7u);
    EXPECT_EQ(DataSet->Groups[0].Name, "AllData");

    for (std::uint8_t treatment = 0; treatment < 4; ++treatment) {
        for (std::uint8_t coefficient = 0; coefficient < 6; ++coefficient) {
            const Treatment t = CodeOf<Treatment>(treatment);
            const Coefficient c = CodeOf<Coefficient>(coefficient);
            SCOPED_TRACE(SimMethodToStr(true, t, c) + CoeffToStr(c));
            CmdCalculateMatrix(t, c, CodeOf<Transformation>(DistTransformation), NeiLiR, JCRandomDraws, false, true);
            EXPECT_TRUE(LastLine().ends_with("Distance matrix...done.")) << LastLine();
            EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), SimMethodToStr(true, t, c) + CoeffToStr(c));
            for (Extended d : DataSet->GetCurrLayer().DistMatrix) ASSERT_TRUE(std::isfinite(d));
        }
    }
    EXPECT_TRUE(ui.boxes.empty());

    CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, CodeOf<Transformation>(DistTransformation), NeiLiR,
                       JCRandomDraws, false, true);
    CmdBuildUPGMA();
    EXPECT_EQ(LastLine(), "Building UPGMA tree...done.");
    CmdBuildNJ();
    EXPECT_EQ(LastLine(), "Building NJ tree...done.");
    CmdPCoA(true);
    EXPECT_EQ(LastLine(), "Performing PCoA...done. Starting PCoA Viewer.");
    ASSERT_EQ(ui.viewers.size(), 1u);
    ASSERT_TRUE(ui.viewers[0].has_value());
    EXPECT_EQ(ui.viewers[0]->OTUNames.size(), 44u);  // 40 individuals and 4 centroids
    EXPECT_EQ(ui.viewers[0]->Centroids, 4);
    EXPECT_EQ(ui.viewers[0]->Groups.size(), 7u);

    const std::string trees = File(dir.Path("outtree.ph"));
    EXPECT_NE(trees.find("N1_01:"), std::string::npos);
    EXPECT_NE(trees.find(")UPMGAStdJaccard;\r\n"), std::string::npos);
    EXPECT_TRUE(trees.ends_with(")NJStdJaccard;\r\n"));
    const std::string analysis = File(dir.Path("analysis.txt"));
    EXPECT_NE(analysis.find("Distances"), std::string::npos);
    EXPECT_NE(analysis.find("Principal Coordinate Analysis"), std::string::npos);
    // Each individual counts in its first group: North (group 1) and South (group 4) hold them all.
    EXPECT_NE(analysis.find("Centoid_3"), std::string::npos);
    EXPECT_EQ(analysis.find("Centoid_4"), std::string::npos);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LoadCommands, UntrustedSpecLinePrefillsTheDialog) {
    TrustSpecs = 0;
    AmbiguityChar = 'x';
    IndInColumns = 0;
    ui.ExpectFileParamDialog(false, [] {
        EXPECT_EQ(AmbiguityChar, '?');
        EXPECT_EQ(IndInColumns, 1);
    });
    LoadExample();
    EXPECT_EQ(ui.fileParamDialogs, 1);
}

TEST_F(LoadCommands, CancelledDialogKeepsThePreviousData) {
    LoadExample();
    const TPopGenDataSet* previous = DataSet.get();
    const std::string plain = dir.Write("plain.txt", "A B\r\n1 0\r\n*\r\n");
    ui.ExpectFileParamDialog(true);
    ui.ExpectBox(kAnswerOk, "Error");
    CmdLoadInputFile(plain);
    EXPECT_EQ(ui.boxes.back().text, "No data loaded.");
    EXPECT_EQ(FileParamCancelled, 1);
    EXPECT_EQ(DataSet.get(), previous);
    EXPECT_EQ(InputFileName, kFingerprints);
}

// A first line meant as the file specification line that cannot be read whole is named with the
// file, and the layout is asked for as for a file without the line: cancelled (a closed dialog
// answers the same), nothing is loaded and the previous data stay.
TEST_F(LoadCommands, UnreadableSpecLineIsReportedAndTheDialogDecides) {
    LoadExample();
    const TPopGenDataSet* previous = DataSet.get();
    const std::string body = "\r\nA B\r\n1 0\r\n*\r\n[Groups]\r\nG=A;\r\n*\r\n";
    const struct {
        const char* line;
        const char* fault;
    } cases[] = {
        {"<TESK 10?}{*:c+,i+,l-,d+,a+>", "The block does not begin with \"<TESK:\""},
        {"<TESX:10?}{*:c+,i+,l-,d+,a+>", "The block does not begin with \"<TESK:\""},
        {"<tesk:10?}{*:c+,i+,l-,d+,a+>", "The block does not begin with \"<TESK:\""},
        {"<TESK:10?}{*:c+,i+,l-,d+,a+", "No '>' closes the block"},
        {"<<TESK:10?}{*:c+,i+,l-,d+,a+>", "The line holds more than one '<' or '>'"},
        {"<TESK:10?}{*c+,i+,l-,d+,a+>", "No ':' follows the symbols"},
        {"<TESK:10?}{**:c+,i+,l-,d+,a+>", "More than six symbols stand between the colons"},
        {"<TESK:10?}{*:c+,i+,l-,d+,a+,x+>", "Unknown flag \"x+\""},
        {"<TESK:10?}{*:c+,i+,l-,d+.a+>", "Unknown flag \"d+.a+\""},
        {"<TESK:10?}{*:c+,i+,L-,d+,a+>", "Unknown flag \"L-\""},
        {"<TESK:10?}{*:c+,i+,l-,d+,a*>", "Unknown flag \"a*\""},
        {"<TESK:10?}{*:c+,i+,l-,d+>", "Flag \"a\" is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string file = dir.Write("bad.txt", c.line + body);
        ui.ExpectBox(kAnswerOk, "Error");
        ui.ExpectFileParamDialog(true);
        ui.ExpectBox(kAnswerOk, "Error");
        const std::size_t errors = Errors().size();
        CmdLoadInputFile(file);
        ASSERT_EQ(Errors().size(), errors + 2);
        EXPECT_EQ(Errors()[errors], "File specification line could not be read:\r\n" + file + "\r\n" + c.fault + ".");
        EXPECT_EQ(Errors()[errors + 1], "No data loaded.");
        EXPECT_EQ(DataSet.get(), previous);
        EXPECT_EQ(InputFileName, kFingerprints);
        EXPECT_EQ(LastLine(), "Loading File: " + kFingerprints + " ...done.");
    }
    EXPECT_EQ(ui.fileParamDialogs, static_cast<int>(std::size(cases)));

    // Confirmed, the dialog's layout loads the file, the groups with it.
    IncludeGroups = 0;
    const std::string file = dir.Write("missing.txt", "<TESK:10?}{*:c+,i+,l-,d+>" + body);
    ui.ExpectBox(kAnswerOk, "Error");
    ui.ExpectFileParamDialog(false, [] { IncludeGroups = 1; });
    CmdLoadInputFile(file);
    EXPECT_EQ(LastLine(), "Loading File: " + file + " ...done.");
    ASSERT_TRUE(DataSet);
    EXPECT_EQ(DataSet->Groups.size(), 2u);
}

// Lines the reader takes whole are trusted as before: fewer symbols, flags in any order with blanks.
TEST_F(LoadCommands, ValidSpecLinesLoadWithoutTheDialog) {
    const std::string body = "\r\nA B\r\n1 0\r\n*\r\n[Groups]\r\nG=A;\r\n*\r\n";
    for (const char* line :
         {"<TESK:10?}{*:c+,i+,l-,d+,a+>", "<TESK:10?:c+,i+,l-,d+,a+>", "<TESK:10?}{*: a+ , d+, l-,i+,c-,c+,>"}) {
        SCOPED_TRACE(line);
        IncludeGroups = 0;
        const std::string file = dir.Write("good.txt", line + body);
        CmdLoadInputFile(file);
        EXPECT_EQ(LastLine(), "Loading File: " + file + " ...done.");
        ASSERT_TRUE(DataSet);
        EXPECT_EQ(DataSet->Groups.size(), 2u);
    }
    EXPECT_EQ(ui.fileParamDialogs, 0);
    EXPECT_TRUE(ui.boxes.empty());
}

// A name the loader refuses (here a NUL byte, which tree files drop) fails the load, and the data
// set loaded before stays.
TEST_F(LoadCommands, NameWithANulByteFailsTheLoad) {
    using namespace std::string_literals;
    LoadExample();
    const TPopGenDataSet* previous = DataSet.get();
    const std::string file =
        dir.Write("nul.txt", "<TESK:10?}{*:c+,i+,l-,d+,a+>\r\nA B\r\n1 0\r\n*\r\n[Groups]\r\nG\0=A;\r\n*\r\n"s);
    ui.ExpectBox(kAnswerOk, "Error");
    CmdLoadInputFile(file);
    EXPECT_EQ(Errors().back(), "Name not allowed:\r\nGroup name \"G#0\" holds #0 (a NUL byte)");
    EXPECT_EQ(LastLine(), "Loading File: " + file + " ...failed.");
    EXPECT_EQ(DataSet.get(), previous);
    EXPECT_EQ(InputFileName, kFingerprints);
}

TEST_F(LoadCommands, MissingFileIsRefusedBeforeAnything) {
    ui.ExpectBox(kAnswerOk, "Error");
    CmdLoadInputFile(dir.Path("none.txt"));
    EXPECT_EQ(ui.boxes.back().text, "Input file does not exist");
    EXPECT_EQ(ProjectName, "none.txt");
    EXPECT_EQ(LastLine(), "Welcome");
    EXPECT_FALSE(DataSet);
}

TEST_F(LoadCommands, FailedLoadKeepsThePreviousDataAndPanels) {
    LoadExample();
    const TPopGenDataSet* previous = DataSet.get();
    const std::string panels[] = {Panel(0), Panel(1), Panel(2), Panel(3)};
    // Two individuals of the same name.
    const std::string bad = dir.Write("bad.txt", "<TESK:10?}{*:c+,i+,l-,d+,a+>\r\nA A\r\n1 0\r\n0 1\r\n*\r\n");
    ui.AllowBoxes("Error");
    CmdLoadInputFile(bad);
    EXPECT_EQ(LastLine(), "Loading File: " + bad + " ...failed.");
    EXPECT_FALSE(Errors().empty());
    EXPECT_EQ(DataSet.get(), previous);
    EXPECT_TRUE(DataSet->HasData());
    EXPECT_EQ(InputFileName, kFingerprints);
    for (std::size_t p = 0; p < 4; ++p) EXPECT_EQ(Panel(p), panels[p]);
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
}

// Every load builds a new data set first; when even that fails for want of memory, each load keeps
// the data set the user had.
TEST_F(LoadCommands, ANewDataSetThatCannotBeMadeKeepsThePreviousOne) {
    LoadExample();
    const TPopGenDataSet* previous = DataSet.get();
    const std::string distances = kExamples + "distances.txt";
    ui.clipboard = "A B\r\n1 0\r\n0 1\r\n";
    ui.AllowBoxes("Error");
    const struct {
        const char* what;
        std::function<void()> load;
    } loads[] = {
        {"data file", [] { CmdLoadInputFile(kFingerprints); }},
        {"count data", [] { CmdImportCountData(kExamples + "counts.tsv", 1, 10, "NA"); }},
        {"distance matrix", [&distances] { CmdImportDistanceMatrix(distances, NegativeDistances::Keep); }},
        {"clipboard", [] { CmdLoadFromClipboard(); }},
    };
    for (const auto& c : loads) {
        SCOPED_TRACE(c.what);
        if (std::string(c.what) == "clipboard") ui.ExpectFileParamDialog(false);
        const std::size_t errors = Errors().size();
        {
            const RefuseAllocationsOfSize refuse(sizeof(TPopGenDataSet));
            EXPECT_TRUE(RunCommand(c.load));
        }
        ASSERT_EQ(Errors().size(), errors + (std::string(c.what) == "clipboard" ? 2 : 1));
        EXPECT_EQ(Errors()[errors], "Out of memory");
        EXPECT_EQ(DataSet.get(), previous);
        EXPECT_TRUE(DataSet->HasData());
        EXPECT_EQ(DataSet->Layers[0].NInd, 40u);
    }
    EXPECT_EQ(LastLine(), "Importing distance matrix from file: " + distances + "...failed.");
    EXPECT_EQ(InputFileName, kFingerprints);
}

TEST_F(LoadCommands, CountDataBecomeBands) {
    CmdImportCountData(kExamples + "counts.tsv", 1, 10, "NA");
    EXPECT_EQ(LastLine(), "Importing count data from file: " + kExamples + "counts.tsv ...done.");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Original matrix [12 x 30]");
    EXPECT_EQ(Panel(MessageArea::PanelFile), "counts.tsv");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    EXPECT_EQ(InputFileName, dir.Path("input.txt"));  // the menu handler stores the name

    const TPopGenDataSet* previous = DataSet.get();
    const std::string bad = dir.Write("bad.tsv", "\tI1\tI2\r\nL1\t3\tlots\r\n");
    ui.AllowBoxes("Error");
    CmdImportCountData(bad, 1, 10, "NA");
    EXPECT_EQ(LastLine(), "Importing count data from file: " + bad + " ...failed.");
    EXPECT_EQ(DataSet.get(), previous);
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Original matrix [12 x 30]");
}

TEST_F(LoadCommands, ClipboardLoad) {
    ui.ExpectBox(kAnswerOk, "Error");
    CmdLoadFromClipboard();
    EXPECT_EQ(ui.boxes.back().text, "No suitable data was found on the clipboard");

    ui.clipboard = "A B C\r\n1 0 1\r\n0 ? 1\r\n";
    ui.ExpectFileParamDialog(true);
    CmdLoadFromClipboard();  // cancelled: nothing more
    EXPECT_FALSE(DataSet);
    EXPECT_EQ(ui.boxes.size(), 1u);

    AppPath = "/opt/tesk/";
    ui.ExpectFileParamDialog(false);
    CmdLoadFromClipboard();
    EXPECT_EQ(LastLine(), "Data loaded from clipboard");
    ASSERT_TRUE(DataSet);
    EXPECT_EQ(DataSet->DataFileName, "Clipboard data");
    EXPECT_EQ(Panel(MessageArea::PanelFile), "Clipboard data");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Original matrix [3 x 2]");
    EXPECT_EQ(InputDir, "/opt/tesk/");

    const TPopGenDataSet* previous = DataSet.get();
    ui.clipboard = "A A\r\n1 0\r\n";
    ui.ExpectFileParamDialog(false);
    ui.AllowBoxes("Error");
    CmdLoadFromClipboard();
    EXPECT_EQ(Errors().back(), "Failed to load data from clipboard");
    EXPECT_EQ(DataSet.get(), previous);
}

TEST_F(LoadCommands, SavedMatrixLoadsBackTheSame) {
    LoadExample();
    ASSERT_TRUE(DataSet->SelectGroup(2));  // a selection is saved as it stands
    const TDSLayer saved = DataSet->GetCurrLayer();
    const std::string copy = dir.Path("copy.txt");
    CmdSaveDataMatrix(copy);
    EXPECT_EQ(LastLine(), "Saved DataMatrix to " + copy);
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    EXPECT_EQ(File(copy).rfind("<TESK:10?}{*:c+,i+,l-,d+,a+>", 0), 0u);

    CmdLoadInputFile(copy);
    EXPECT_EQ(LastLine(), "Loading File: " + copy + " ...done.");
    const TDSLayer& loaded = DataSet->GetCurrLayer();
    EXPECT_EQ(loaded.NInd, saved.NInd);
    EXPECT_EQ(loaded.Matrix, saved.Matrix);
    EXPECT_EQ(loaded.IndNames, saved.IndNames);
}

// A new data set, or a rebuilt working layer, holds no distance matrix: the status bar and the tree
// titles must not keep naming the matrix of the data that were replaced.
TEST_F(LoadCommands, NewDataForgetTheOldDistanceMatrix) {
    const auto computed = [this] {
        CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, NeiLiR, JCRandomDraws,
                           false, true);
        ASSERT_EQ(Panel(MessageArea::PanelDistMatrix), "StdJaccard");
    };
    const auto forgotten = [this] {
        EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "No distance matrix");
        EXPECT_EQ(DistMatrixName, "");
        ui.ExpectBox(kAnswerOk, "Error");
        CmdBuildUPGMA();
        EXPECT_EQ(ui.boxes.back().text, "Need to perform Dis(Similarity) calculation first!\r\n(Or import distance matrix.)");
    };
    CmdImportDistanceMatrix(kExamples + "distances.txt", NegativeDistances::Ask);
    LoadExample();
    forgotten();

    computed();
    CmdImportCountData(kExamples + "counts.tsv", 1, 10, "NA");
    forgotten();

    computed();
    ui.clipboard = "A B C D\n1 0 1 1\n0 1 1 0\n";
    ui.ExpectFileParamDialog(false);
    CmdLoadFromClipboard();
    forgotten();

    computed();
    CmdRestoreOriginalMatrix();
    forgotten();
}

TEST_F(LoadCommands, FailedSaveClaimsNothing) {
    ui.AllowBoxes("Error");
    CmdSaveDataMatrix(dir.Path("x.txt"));
    EXPECT_EQ(Errors().back(), "No data loaded");
    LoadExample();
    CmdSaveDataMatrix(dir.Path("missing/x.txt"));
    EXPECT_EQ(Errors().size(), 2u);
    EXPECT_EQ(LastLine(), "Loading File: " + kFingerprints + " ...done.");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
}

class DistanceImport : public CommandTest {
protected:
    std::string NegativeFile() {
        return dir.Write("neg.txt", "Title\r\nA B C\r\n0\r\n-0.5 0\r\n1 2 0\r\n*\r\n");
    }
    Extended AB() const { return GetDist(*DataSet, 2, 1); }
};

TEST_F(DistanceImport, ImportedDistancesFeedTheTrees) {
    const std::string name = kExamples + "distances.txt";
    DistMatrixName = "StdJaccard";  // left by a matrix of the previous data
    CmdImportDistanceMatrix(name, NegativeDistances::Ask);
    EXPECT_EQ(LastLine(), "Importing distance matrix from file: " + name + "...done.");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "No data loaded");
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "User imported distances");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    EXPECT_EQ(DistTransformation, 3);
    EXPECT_EQ(ui.quickSelectionUpdates, 1);  // the previous data set's groups are gone
    CmdBuildUPGMA();
    EXPECT_EQ(LastLine(), "Building UPGMA tree...done.");
    EXPECT_NE(File(TreeFileName).find("Sample8:"), std::string::npos);
    // The tree does not claim the coefficient of an earlier matrix.
    EXPECT_TRUE(File(TreeFileName).ends_with(")UPMGA;\r\n")) << File(TreeFileName);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DistanceImport, NegativeValuesByMode) {
    const std::string name = NegativeFile();
    BatchAnswer = 1;  // the question is asked all the same
    ui.ExpectBox(kAnswerNo, "Distance matrix");
    CmdImportDistanceMatrix(name, NegativeDistances::Ask);
    EXPECT_EQ(ui.boxes.back().text, "Distance matrix contains negative values.\r\nReplace by zeroes?");
    EXPECT_EQ(AB(), -0.5L);
    ui.ExpectBox(kAnswerYes, "Distance matrix");
    CmdImportDistanceMatrix(name, NegativeDistances::Ask);
    EXPECT_EQ(AB(), 0.0L);
    CmdImportDistanceMatrix(name, NegativeDistances::Replace);
    EXPECT_EQ(AB(), 0.0L);
    CmdImportDistanceMatrix(name, NegativeDistances::Keep);
    EXPECT_EQ(AB(), -0.5L);
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_TRUE(LastLine().ends_with("...done."));
}

TEST_F(DistanceImport, FailedImportKeepsThePreviousData) {
    CmdImportDistanceMatrix(NegativeFile(), NegativeDistances::Keep);
    const TPopGenDataSet* previous = DataSet.get();
    ui.AllowBoxes("Error");
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"not a number", "Title\r\nA B\r\n0\r\nnot-a-number 0\r\n*\r\n"},
        // Its trees would name one leaf twice, and the consensus refuses such a tree file.
        {"a label twice", "Title\r\nA B A\r\n0\r\n1 0\r\n1 1 0\r\n*\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bad = dir.Write("bad.txt", c.bytes);
        DistTransformation = 0;
        const std::size_t errors = Errors().size();
        CmdImportDistanceMatrix(bad, NegativeDistances::Ask);
        EXPECT_EQ(LastLine(), "Importing distance matrix from file: " + bad + "...failed.");
        EXPECT_EQ(Errors().size(), errors + 1);
        EXPECT_EQ(DataSet.get(), previous);
        EXPECT_EQ(DistTransformation, 0);
        EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    }
    EXPECT_EQ(Errors().back(), "Individual names are not unique:\r\n\r\nA");
}

// Undefined values import (they are not negative, so nothing is asked); the trees and the
// ordination refuse them with their message instead of building on them.
TEST_F(DistanceImport, UndefinedValuesImportAndTheTreesRefuseThem) {
    const std::string name =
        dir.Write("nan.txt", "Title\r\nA B C D\r\n        NaN \r\n0.5 0\r\n1 NaN 0\r\n1 1 1 0\r\n");
    CmdImportDistanceMatrix(name, NegativeDistances::Ask);
    EXPECT_EQ(LastLine(), "Importing distance matrix from file: " + name + "...done.");
    EXPECT_TRUE(std::isnan(GetDist(*DataSet, 3, 2)));
    EXPECT_TRUE(ui.boxes.empty());
    ui.AllowBoxes("Error");
    const struct {
        const char* what;
        std::function<void()> command;
        std::string progress;
    } commands[] = {
        {"UPGMA", [] { CmdBuildUPGMA(); }, "Building UPGMA tree..."},
        {"NJ", [] { CmdBuildNJ(); }, "Building NJ tree..."},
        {"PCoA", [] { CmdPCoA(false); }, "Performing PCoA..."},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.what);
        c.command();
        EXPECT_EQ(LastLine(), c.progress + "failed.");
        ASSERT_FALSE(Errors().empty());
        EXPECT_EQ(Errors().back(),
                  std::string(c.what) + ": the distance matrix holds a value that is not a finite number");
    }
}

}  // namespace
