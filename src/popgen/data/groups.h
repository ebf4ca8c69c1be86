// Groups of individuals and sets of loci, and the operations on their lists that do not need
// a data set. The selection methods that build layers from them are members of TPopGenDataSet
// (popgen/data/dataset.h) and live in groups.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/types.h"

// One group (of individuals) or one locus set. A group's name carries its hierarchy with '/'
// between levels; the lowest level is StrAfterLastSlash(Name).
struct TdsFilterRec {
    std::string Name;
    AString Members;            // individual names (group) or locus names (locus set), as read
    bool Selected = false;      // chosen for the t-test and the per-group commands
    std::size_t Count = 0;      // number of entries of Members
    AByte Mask;                 // one byte per individual / locus of layer 0: 1 = member
};

// Entry 0 of the groups is always "AllData", entry 0 of the locus sets "AllLoci" after a load.
using TFilterArray = std::vector<TdsFilterRec>;

// What the members of a set name: individuals (a group) or loci (a locus set).
enum class SetKind : std::uint8_t {
    Individuals = 0,
    Loci = 1,
};

// How many entries of a selection mask are 1.
std::size_t CountOnes(const AByte& mask);

// A deep copy: the target shares nothing with the source (vectors copy by value).
void CopyFilterArray(const TFilterArray& source, TFilterArray& target);

// Empties the array.
void ClearFilterArray(TFilterArray& arr);

// Removes entry i; later entries move down by one. An array of one entry or none is left
// unchanged (so a lone default set cannot be deleted), as is an index past the end.
void DeleteFilterRec(TFilterArray& arr, std::size_t i);

// labels[i] := prefix + i + suffix for every entry, i counted from 0.
void FillLabels(AString& labels, std::string_view prefix, std::string_view suffix);
