// Data sets built straight from band rows: one individual a row, '0', '1' or '9' per locus.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "popgen/data/dataset.h"

// Groups as name and 1-based member numbers.
using RowGroups = std::vector<std::pair<std::string, std::vector<std::size_t>>>;

// The layer's size and band matrix from the rows (locus-major, as the data set keeps it).
inline void FillBandRows(TDSLayer& l, const std::vector<std::string>& rows) {
    l.NInd = rows.size();
    l.NLoci = rows.empty() ? 0 : rows[0].size();
    l.NCells = l.NInd * l.NLoci;
    l.Matrix.assign(l.NCells, 0);
    for (std::size_t i = 0; i < l.NInd; ++i)
        for (std::size_t loc = 0; loc < l.NLoci; ++loc)
            l.Matrix[loc * l.NInd + i] = static_cast<std::uint8_t>(rows[i][loc] - '0');
}

// prefix1, prefix2, ... prefix<count>.
inline AString NumberedNames(const char* prefix, std::size_t count) {
    AString names;
    for (std::size_t k = 1; k <= count; ++k) names.push_back(prefix + std::to_string(k));
    return names;
}

// Layer 0 from the rows, named I1.. and L1.. unless names are given, every individual and locus in
// use; the AllData group, then the given groups, and the AllLoci set; the data marked loaded. The
// caller then restores the original matrix (which makes layer 1 current).
inline void SetOriginalRows(TPopGenDataSet& ds, const std::vector<std::string>& rows, const RowGroups& groups = {},
                            AString indNames = {}, AString locNames = {}) {
    TDSLayer& l = ds.Layers[0];
    FillBandRows(l, rows);
    l.IndNames = indNames.empty() ? NumberedNames("I", l.NInd) : std::move(indNames);
    l.LocNames = locNames.empty() ? NumberedNames("L", l.NLoci) : std::move(locNames);
    l.IndMask.assign(l.NInd, 1);
    l.LocMask.assign(l.NLoci, 1);
    ds.Groups.push_back({"AllData", l.IndNames, 0, l.NInd, AByte(l.NInd, 1)});
    for (const auto& [name, members] : groups) {
        TdsFilterRec g{name, {}, 0, members.size(), AByte(l.NInd, 0)};
        for (const std::size_t m : members) {
            g.Members.push_back(l.IndNames.at(m - 1));
            g.Mask[m - 1] = 1;
        }
        ds.Groups.push_back(std::move(g));
    }
    ds.LocusSets.push_back({"AllLoci", l.LocNames, 0, l.NLoci, AByte(l.NLoci, 1)});
    ds.DataLoaded = 1;
}
