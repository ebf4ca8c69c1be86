// A fresh shell for command tests: default settings with every output file in a temporary folder,
// the scripted UiPort, the tree hooks on the shell's reporting, and small data sets built straight
// into the global data set.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "foundation/random.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/settings.h"
#include "support/band_rows.h"
#include "support/fake_ui_port.h"
#include "support/temp_dir.h"
#include "trees/tree_records.h"

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        RestoreDefaultSettings();
        FreeDataSet();
        DistMatrixName.clear();
        FileParamCancelled = 0;
        AnalysisFileName = dir.Path("analysis.txt");
        TreeFileName = dir.Path("outtree.ph");
        LogFileName = dir.Path("tesklog.txt");
        InputFileName = dir.Path("input.txt");
        OverwriteMode = 1;  // append without asking, unless a test says otherwise
        RandSeed = 12345;
        WriteMsg("Welcome");
        for (std::size_t p = 0; p < MessageArea::kPanelCount; ++p) panelsBefore[p] = Panel(p);
    }
    void TearDown() override {
        FreeDataSet();
        RestoreDefaultSettings();
    }

    // The data set holds one individual per row ('0', '1', '9' per locus), named I1, I2, ...,
    // loci L1, L2, ...; groups are given as name and 1-based member numbers. Layer 1 is current.
    void SetData(const std::vector<std::string>& rows, const RowGroups& groups = {}) {
        ResetDataSet();
        TPopGenDataSet& ds = *DataSet;
        SetOriginalRows(ds, rows, groups);
        ASSERT_TRUE(ds.RestoreOriginalMatrix());
    }

    // Eight individuals in two groups of four, with missing cells and no pair without shared bands.
    void SetExampleData() {
        SetData({"110100111010011019", "110110101010011010", "100101111011011110", "110101111010111011",
                 "011011010101100111", "011011000101101101", "011111010101100191", "111011010100100101"},
                {{"North", {1, 2, 3, 4}}, {"South", {5, 6, 7, 8}}});
    }

    static std::string LastLine() {
        const auto& lines = TheMessageArea().Lines();
        for (std::size_t i = lines.size(); i-- > 0;)
            if (!lines[i].empty()) return lines[i];
        return {};
    }
    static std::string Panel(std::size_t p) { return TheMessageArea().PanelText(p); }
    static std::string File(const std::string& name) { return TempDir::Read(name); }
    // Lines of the tree file without their CR LF; an unterminated last line is marked.
    static std::vector<std::string> TreeLines() {
        std::vector<std::string> lines;
        const std::string text = File(TreeFileName);
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) {
                lines.push_back(text.substr(start) + "<no line break>");
                break;
            }
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    // The texts of the error boxes shown so far.
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const auto& box : ui.boxes)
            if (box.caption == "Error") texts.push_back(box.text);
        return texts;
    }

    TempDir dir;
    FakeUiPort ui;
    std::string panelsBefore[MessageArea::kPanelCount];
};
