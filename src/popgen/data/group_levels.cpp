#include "popgen/data/group_levels.h"

#include <algorithm>

std::uint8_t GroupLevelOf(const TFilterArray& groups, std::uint32_t i) {
    if (i >= groups.size()) return 0;
    const std::size_t slashes = static_cast<std::size_t>(std::count(groups[i].Name.begin(), groups[i].Name.end(), '/'));
    return static_cast<std::uint8_t>(std::min<std::size_t>(slashes + 1, 255));
}

std::uint8_t GroupLevel(const TPopGenDataSet& ds, std::uint32_t i) { return GroupLevelOf(ds.Groups, i); }

std::size_t GroupLevels(const TPopGenDataSet& ds) {
    if (ds.Groups.size() <= 1) return ds.Groups.size();
    std::size_t levels = 0;
    for (std::size_t g = 0; g < ds.Groups.size(); ++g)
        levels = std::max<std::size_t>(levels, GroupLevelOf(ds.Groups, static_cast<std::uint32_t>(g)));
    return levels;
}

std::size_t CountGroupsAtLevel(const TPopGenDataSet& ds, std::uint8_t level) {
    if (ds.Groups.size() <= 1) return level == 0 ? 1 : 0;
    std::size_t n = 0;
    for (std::size_t g = 0; g < ds.Groups.size(); ++g)
        n += GroupLevelOf(ds.Groups, static_cast<std::uint32_t>(g)) == level;
    return n;
}

void GroupNamesAtLevel(const TPopGenDataSet& ds, std::uint8_t level, AString& names) {
    AString result;
    for (std::size_t g = 0; g < ds.Groups.size(); ++g)
        if (GroupLevelOf(ds.Groups, static_cast<std::uint32_t>(g)) == level) result.push_back(ds.Groups[g].Name);
    names = std::move(result);
}

std::size_t IndIndexByName(const TPopGenDataSet& ds, std::string_view name) {
    const AString& names = ds.GetCurrLayer().IndNames;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return i + 1;
    return 0;
}
