// What the group manager does to the data set's edit copies of the group and locus-set lists
// (EditGroups, EditLocusSets), and how the edits become the live lists. The dialog only shows the
// lists and hands these routines what the user chose; every refusal is reported with ShowError and
// leaves the lists as they were.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/types.h"
#include "popgen/data/dataset.h"

// The characters a group or locus-set name may not hold: blank . : , ; = * / \ < > TAB CR LF.
bool IsForbiddenSetNameChar(char c);
// The name without its forbidden characters.
std::string CleanSetName(std::string_view typed);

// Accept sub-set: appends to EditGroups the group parentName + "/" + the cleaned name with the
// members (in their order, each once). typedName receives the cleaned name. False without a
// message when members is empty; false with a message for an empty name, a name whose last part
// some group already has, a name the data file could not carry, or members that are not all
// individuals of the loaded data.
bool AcceptSubset(TPopGenDataSet& ds, std::string_view parentName, std::string& typedName, const AString& members);

// Add: appends to EditLocusSets the locus set of that (cleaned) name with the loci, refused as
// AcceptSubset refuses (a name equal to any locus set's is taken).
bool AddLocusSet(TPopGenDataSet& ds, std::string& typedName, const AString& loci);

// Deletes EditGroups[g]; "AllData" (g = 0) is refused with a message. False when nothing was deleted.
bool DeleteEditGroup(TPopGenDataSet& ds, std::size_t g);
// Deletes EditLocusSets[l]; "AllLoci" is refused. chosen, an index into the same list, follows the
// deletion: it moves down when a set before it goes and becomes 0 when its own set goes.
bool DeleteEditLocusSet(TPopGenDataSet& ds, std::size_t l, std::size_t& chosen);

// index when it lies in the list, else 0 (an index kept from another data set or before deletions).
std::size_t IndexInList(std::size_t index, const TFilterArray& list);

// The edit copies become the live lists. The current group and locus set keep pointing at the
// records they pointed at (found by name and members); a current record that is gone falls back to
// entry 0. When a current record was gone, or a locus set was chosen (an index into the new list;
// past its end means "AllLoci") that differs from the current one, the selection is rebuilt from
// the current group by that locus set. The edit copies are emptied. False when the rebuilt
// selection was refused (the lists are the new ones all the same).
bool ApplyGroupEdits(TPopGenDataSet& ds, std::optional<std::size_t> chosenLocusSet);
