// The hierarchy the group names carry ('/' between levels): the level of a group is 1 + the
// number of '/' in its name, so "AllData" is level 1, "AllData/A" level 2.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/types.h"
#include "popgen/data/dataset.h"

// Levels of the data set: 0 without groups, 1 with one, else the largest level of any group.
std::size_t GroupLevels(const TPopGenDataSet& ds);
// The level of groups[i] (255 at most); 0 when i is not an index of the array.
std::uint8_t GroupLevelOf(const TFilterArray& groups, std::uint32_t i);
std::uint8_t GroupLevel(const TPopGenDataSet& ds, std::uint32_t i);
// Groups (group 0 included) at the level; with at most one group, 1 for level 0 and 0 otherwise.
std::size_t CountGroupsAtLevel(const TPopGenDataSet& ds, std::uint8_t level);
// The full names of the groups at the level, in group order.
void GroupNamesAtLevel(const TPopGenDataSet& ds, std::uint8_t level, AString& names);
// 1-based index of the first individual of the current layer with exactly this name; 0 for none.
std::size_t IndIndexByName(const TPopGenDataSet& ds, std::string_view name);
