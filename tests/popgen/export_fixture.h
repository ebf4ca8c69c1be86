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

#include "popgen/data/dataset.h"
#include "support/band_rows.h"
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
    void Set(const std::vector<std::string>& rows, const RowGroups& groups = {}, AString indNames = {},
             AString locNames = {}) {
        SetOriginalRows(ds, rows, groups, std::move(indNames), std::move(locNames));
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
