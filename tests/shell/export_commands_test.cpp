#include "shell/export_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "command_fixture.h"
#include "shell/message_area.h"
#include "shell/reporting.h"

namespace {

class ExportCommands : public CommandTest {
protected:
    // The example's individuals in two populations of the first hierarchy level.
    void SetPopulationData() {
        SetData({"110100111010011019", "110110101010011010", "100101111011011110", "110101111010111011",
                 "011011010101100111", "011011000101101101", "011111010101100191", "111011010100100101"},
                {{"AllData/North", {1, 2, 3, 4}}, {"AllData/South", {5, 6, 7, 8}}});
    }
};

TEST_F(ExportCommands, SimpleExportsWriteTheFileAndSaySo) {
    SetPopulationData();
    struct Case {
        std::function<void(const std::string&)> command;
        std::string file;
        std::string message;  // before the name
        std::string suffix;   // after it
    };
    const std::vector<Case> cases = {
        {[](const std::string& n) { CmdExportNTSYS(n); }, "x.nts", "Data exported to NTSYSpc file ", ""},
        {[](const std::string& n) { CmdExportOTUList(n); }, "otu.txt", "Exported list of OTU names to file ", ""},
        {[](const std::string& n) { CmdExportSynTax(n); }, "syntax.txt", "Exported SynTax data to ",
         ". Label files also written."},
        {[](const std::string& n) { CmdExportStructure(n, true, 2); }, "s.txt", "Data exported to structure file ", ""},
        {[](const std::string& n) { CmdExportArlequin(n, '?'); }, "a.arp", "Exported Arlequin Project file ", ""},
        {[](const std::string& n) { CmdExportHickoryNexus(n); }, "h.nex",
         "Data exported to Nexus (ALLELES block) file ", ""},
    };
    for (const Case& c : cases) {
        const std::string name = dir.Path(c.file);
        c.command(name);
        EXPECT_EQ(LastLine(), c.message + name + c.suffix);
        EXPECT_TRUE(std::filesystem::exists(name)) << c.file;
        EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    }
    EXPECT_TRUE(Errors().empty());
}

TEST_F(ExportCommands, AFailedWriteIsReportedAndNeverCalledExported) {
    SetExampleData();
    ui.AllowBoxes("Error");
    const std::string name = dir.Path("no folder/x.nts");
    CmdExportNTSYS(name);
    EXPECT_EQ(LastLine(), "Welcome");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Could not write the file:\r\n" + name + "\r\nNo such file or directory");

    CmdExportRTable(name);
    EXPECT_EQ(LastLine(), "Exporting data to R (tab-delimited table) file " + name + "...failed.");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
}

TEST_F(ExportCommands, ProgressExportsEndDone) {
    SetExampleData();
    const std::string r = dir.Path("r.tsv");
    CmdExportRTable(r);
    EXPECT_EQ(LastLine(), "Exporting data to R (tab-delimited table) file " + r + "...done.");
    const std::string d = dir.Path("d.txt");
    CmdExportDfdist(d, {0, 1, 1}, true, 0.5f, 2);
    EXPECT_EQ(LastLine(), "Exporting dfdist data to " + d + " ...done.");
    const std::string b = dir.Path("b.txt");
    CmdExportBayeScan(b, {0, 1, 1}, false, 0.5f, 2);
    EXPECT_EQ(LastLine(), "Exporting BayeScan data to " + b + " ...done.");
    EXPECT_TRUE(std::filesystem::exists(b));
}

TEST_F(ExportCommands, QuestionsOfGenePopAndAFLPDat) {
    SetData({"10", "01"});
    const std::string g = dir.Path("g.txt");
    ui.ExpectBox(kAnswerNo, "Export to GenePop");  // No: absences as 0/0
    CmdExportGenePop(g);
    EXPECT_NE(File(g).find("I1, 0100 0202 "), std::string::npos);
    BatchAnswer = 1;  // the question goes through AskUser
    CmdExportGenePop(g);
    EXPECT_NE(File(g).find("I1, 0100 0200 "), std::string::npos);
    BatchAnswer = 0;

    const std::string a = dir.Path("a.txt");
    CmdExportAFLPDat(a);  // no groups: no question, no populations
    EXPECT_EQ(File(a).substr(0, 8), "x\tL1\tL2\r");
    SetExampleData();
    ui.ExpectBox(kAnswerYes, "Export to AFLPDat");
    CmdExportAFLPDat(a);
    EXPECT_EQ(File(a).substr(0, 5), "x\tpop");
    EXPECT_EQ(LastLine(), "Exporting data to AFLPDat file " + a + "...done.");
}

TEST_F(ExportCommands, Refusals) {
    ui.AllowBoxes("Error");
    const std::string name = dir.Path("x.txt");
    CmdExportNexus(name, '1', '?', '0');
    CmdExportPhylipDist(name);
    SetExampleData();
    CmdExportDfdist(name, {0, 1, 0}, true, 0.5f, 2);
    CmdExportBayeScan(name, {1}, true, 0.5f, 2);
    CmdExportPhylipDist(name);
    CmdExportHickoryNexus(name);
    EXPECT_EQ(Errors(), (std::vector<std::string>{
                            "No data loaded", "No data loaded", "Need to have at least 2 groups selected!",
                            "Need to have at least 2 groups selected!", "No (dis)similarity matrix in memory.",
                            "You need to have groups (i.e., populations) defined."}));
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_EQ(LastLine(), "Welcome");
}

TEST_F(ExportCommands, PhylipExportsTheMatrixOfTheCurrentLayer) {
    SetData({"10", "01"});
    DataSet->GetCurrLayer().DistMatrix = {0.0L, 0.5L, 0.0L};
    const std::string name = dir.Path("dist.txt");
    CmdExportPhylipDist(name);
    EXPECT_EQ(File(name), "2\r\nI1         0.0000000000 0.5000000000\r\nI2         0.5000000000 0.0000000000\r\n");
    EXPECT_EQ(LastLine(), "Distance matrix (lower diagonale) for PHYLIP exported to " + name);
    // Idle came before the message.
    const auto& changes = ui.panelChanges;
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back().text, "Idle");
}

}  // namespace

namespace {

TEST_F(ExportCommands, HindexRefusesIdenticalParentsAndWritesBothFiles) {
    ui.AllowBoxes("Error");
    SetData({"10", "01", "11"}, {{"AllData/A", {1}}, {"AllData/B", {2}}, {"AllData/T", {3}}});
    const std::string name = dir.Path("h.txt");
    CmdExportHindex(name, -1, -1, 3, 0.5f);
    CmdExportHindex(name, 1, -1, 3, 0.5f);  // nothing chosen counts as group 1
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Cannot proceed. Parents selected are identical",
                                                  "Cannot proceed. Parents selected are identical"}));
    CmdExportHindex(name, 1, 2, 3, 0.5f);
    EXPECT_EQ(LastLine(), "Exported Hindex files to " + name + " plus \"_indiv\"/\"_parents\" suffixes");
    EXPECT_TRUE(std::filesystem::exists(dir.Path("h_indiv.txt")));
    EXPECT_TRUE(std::filesystem::exists(dir.Path("h_parents.txt")));
}

TEST_F(ExportCommands, AflpopNeedsGroups) {
    ui.AllowBoxes("Error");
    SetData({"10", "01"});
    const std::string name = dir.Path("aflpop_.txt");
    CmdExportAFLPOP(name, 0.5L);
    EXPECT_EQ(Errors(), std::vector<std::string>{"No groups defined"});
    SetData({"10", "01"}, {{"AllData/A", {1}}, {"AllData/B", {2}}});
    CmdExportAFLPOP(name, 0.5L);
    EXPECT_EQ(LastLine(), "Exporting data AFLPOP data to files based on " + name + "...done.");
    EXPECT_TRUE(std::filesystem::exists(dir.Path("aflpop_A.txt")));
    EXPECT_TRUE(std::filesystem::exists(dir.Path("aflpop_B.txt")));
}

}  // namespace
