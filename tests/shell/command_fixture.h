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
        InstallTreeHooks();
        WriteMsg("Welcome");
        for (std::size_t p = 0; p < MessageArea::kPanelCount; ++p) panelsBefore[p] = Panel(p);
    }
    void TearDown() override {
        FreeDataSet();
        InitTreeHooks(nullptr);
        RestoreDefaultSettings();
    }

    // The data set holds one individual per row ('0', '1', '9' per locus), named I1, I2, ...,
    // loci L1, L2, ...; groups are given as name and 1-based member numbers. Layer 1 is current.
    void SetData(const std::vector<std::string>& rows,
                 const std::vector<std::pair<std::string, std::vector<std::size_t>>>& groups = {}) {
        ResetDataSet();
        TPopGenDataSet& ds = *DataSet;
        TDSLayer& l = ds.Layers[0];
        l.NInd = rows.size();
        l.NLoci = rows.at(0).size();
        l.NCells = l.NInd * l.NLoci;
        l.Matrix.assign(l.NCells, 0);
        for (std::size_t i = 0; i < l.NInd; ++i)
            for (std::size_t loc = 0; loc < l.NLoci; ++loc)
                l.Matrix[loc * l.NInd + i] = static_cast<std::uint8_t>(rows[i][loc] - '0');
        for (std::size_t i = 1; i <= l.NInd; ++i) l.IndNames.push_back("I" + std::to_string(i));
        for (std::size_t k = 1; k <= l.NLoci; ++k) l.LocNames.push_back("L" + std::to_string(k));
        l.IndMask.assign(l.NInd, 1);
        l.LocMask.assign(l.NLoci, 1);
        ds.Groups.push_back({"AllData", l.IndNames, 0, l.NInd, AByte(l.NInd, 1)});
        for (const auto& [name, members] : groups) {
            TdsFilterRec g{name, {}, 0, members.size(), AByte(l.NInd, 0)};
            for (std::size_t m : members) {
                g.Members.push_back(l.IndNames.at(m - 1));
                g.Mask[m - 1] = 1;
            }
            ds.Groups.push_back(std::move(g));
        }
        ds.LocusSets.push_back({"AllLoci", l.LocNames, 0, l.NLoci, AByte(l.NLoci, 1)});
        ds.DataLoaded = 1;
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
