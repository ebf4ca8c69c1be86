// The program's one data set, the availability tests that guard the commands, the display of
// group names, and the label arrays of 20-character names that the tree builders take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/types.h"
#include "popgen/data/dataset.h"

// The one data set; null until the first load. Replaced whole by every load.
extern std::unique_ptr<TPopGenDataSet> DataSet;

// An empty data set that reports through ProgramReporter() and has AnalysisFileName as its output file.
std::unique_ptr<TPopGenDataSet> NewDataSet();
// Frees the data set, then puts NewDataSet() in its place.
void ResetDataSet();
// Frees the data set and leaves DataSet null.
void FreeDataSet();

// What a command needs of the data set's layer. Needing neither gives false.
struct DataNeeds {
    bool Data = false;      // loaded data with a band matrix
    bool Dist = false;      // a distance matrix
    bool Complain = false;  // a false answer shows "No data loaded"
};
// The needs on the current layer; no data set gives false.
bool DataAvailable(DataNeeds needs);
// The same test on layer 0-5; a layer above 5 gives false without a message.
bool LayerDataAvailable(std::size_t layer, DataNeeds needs);
// The guard of a command on band data: loaded data, or "No data loaded" and false.
bool NeedData();
// The data set exists and holds the groups 0..n.
bool HasGroups(std::size_t n);
// The member list of groups[index] holds the name (exact comparison).
bool GroupContainsName(std::string_view name, const TFilterArray& groups, std::size_t index);
// The text after the last '/' of s; s itself without one.
std::string LastPathPart(std::string_view s);
// A group's name as the user wants it shown: the whole path (GroupPathFormat 1) or its last level.
std::string GroupDisplayName(std::string_view name);

// Sets bits[k] (k < namesA.size()) to 1 when namesA[k] equals some name of namesB, else 0;
// returns the number of names of namesA found.
std::size_t MarkNamesInList(AByte& bits, const AString& namesA, const AString& namesB);

inline constexpr std::size_t kMaxLabels = 65535;  // the tree builders number OTUs in 16 bits
inline constexpr std::size_t kLabelLength = 20;

// OTU labels: at most kMaxLabels names, each cut to kLabelLength characters.
class TLabelArray {
public:
    std::size_t Count() const { return labels_.size(); }
    bool empty() const { return labels_.empty(); }
    const std::string& operator[](std::size_t i) const { return labels_[i]; }
    AString::const_iterator begin() const { return labels_.begin(); }
    AString::const_iterator end() const { return labels_.end(); }

private:
    friend bool AddLabelPtr(TLabelArray& labels, std::string_view label);
    friend void FreeLabelPtrs(TLabelArray& labels);
    AString labels_;
};

// Replaces the labels by the names, each cut to 20 characters. More than 65535 names are refused
// with an error and leave the array empty.
bool MakeLabelArray(TLabelArray& labels, const AString& names);
// Appends one label cut to 20 characters; refused with an error when the array is full.
bool AddLabelPtr(TLabelArray& labels, std::string_view label);
// Empties the array.
void FreeLabelPtrs(TLabelArray& labels);
