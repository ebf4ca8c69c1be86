// A small data set for the export writers: individuals by band rows, locus names, groups given
// by name and 1-based members, scripted answers to the writers' questions, and a folder for the
// files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "popgen/dataset.h"
#include "support/temp_dir.h"

struct ExportFixture {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    std::vector<std::string> questions;  // captions, in order
    std::deque<int> answers;             // answered in order; No when none is left
    Reporter reporter{[this](const std::string& m) { errors.push_back(m); },
                      [this](const std::string& m) { warnings.push_back(m); },
                      [this](const std::string&, const std::string& caption, std::uint32_t) {
                          questions.push_back(caption);
                          if (answers.empty()) return kAnswerNo;
                          const int a = answers.front();
                          answers.pop_front();
                          return a;
                      }};
    TPopGenDataSet ds{reporter};
    TempDir dir;

    // Layer 0 holds the rows (individuals, '0', '1', '9' per locus); layer 1, AllData by AllLoci,
    // is current. Names I1.. and L1.. unless given.
    void Set(const std::vector<std::string>& rows,
             const std::vector<std::pair<std::string, std::vector<std::size_t>>>& groups = {}, AString indNames = {},
             AString locNames = {}) {
        TDSLayer& l = ds.Layers[0];
        l.NInd = rows.size();
        l.NLoci = rows.empty() ? 0 : rows[0].size();
        l.NCells = l.NInd * l.NLoci;
        l.Matrix.assign(l.NCells, 0);
        for (std::size_t i = 0; i < l.NInd; ++i)
            for (std::size_t loc = 0; loc < l.NLoci; ++loc)
                l.Matrix[loc * l.NInd + i] = static_cast<std::uint8_t>(rows[i][loc] - '0');
        if (indNames.empty())
            for (std::size_t i = 1; i <= l.NInd; ++i) indNames.push_back("I" + std::to_string(i));
        if (locNames.empty())
            for (std::size_t k = 1; k <= l.NLoci; ++k) locNames.push_back("L" + std::to_string(k));
        l.IndNames = std::move(indNames);
        l.LocNames = std::move(locNames);
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

    std::string Path(const std::string& name) const { return dir.Path(name); }
    std::string Read(const std::string& name) const { return TempDir::Read(dir.Path(name)); }
};

// Lines joined with CR LF after each, as the writers save them.
inline std::string Crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}
