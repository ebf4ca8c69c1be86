#include "shell/group_editing.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <utility>

#include "popgen/data/groups.h"
#include "popgen/data/name_rules.h"
#include "shell/file_params.h"
#include "shell/global_dataset.h"
#include "shell/reporting.h"

namespace {

constexpr std::string_view kForbidden = " .:,;=*/\\<>\t\r\n";

AString WithoutDuplicates(const AString& names) {
    AString out;
    std::unordered_set<std::string> seen;
    for (const std::string& name : names)
        if (seen.insert(name).second) out.push_back(name);
    return out;
}

// Appends the set, or reports failMessage and appends nothing when its members are not all names
// of the loaded data.
bool AppendSet(TFilterArray& list, std::string name, AString members, const AString& loadedNames,
               std::string_view failMessage) {
    TdsFilterRec rec;
    rec.Name = std::move(name);
    rec.Members = std::move(members);
    rec.Count = rec.Members.size();
    if (MarkNamesInList(rec.Mask, loadedNames, rec.Members) != rec.Count) {
        ShowError(failMessage);
        return false;
    }
    list.push_back(std::move(rec));
    return true;
}

std::optional<std::size_t> FindRecord(const TFilterArray& list, const TdsFilterRec& rec) {
    for (std::size_t k = 0; k < list.size(); ++k)
        if (list[k].Name == rec.Name && list[k].Members == rec.Members) return k;
    return std::nullopt;
}

}  // namespace

bool IsForbiddenSetNameChar(char c) { return kForbidden.find(c) != std::string_view::npos; }

std::string CleanSetName(std::string_view typed) {
    std::string out;
    for (char c : typed)
        if (!IsForbiddenSetNameChar(c)) out.push_back(c);
    return out;
}

bool AcceptSubset(TPopGenDataSet& ds, std::string_view parentName, std::string& typedName, const AString& members) {
    if (members.empty()) return false;
    typedName = CleanSetName(typedName);
    if (typedName.empty()) {
        ShowError("You must enter a name for your group");
        return false;
    }
    for (const TdsFilterRec& g : ds.EditGroups) {
        if (LastPathPart(g.Name) == typedName) {
            ShowError("Proposed group name already exits");
            return false;
        }
    }
    std::string name = std::string(parentName) + "/" + typedName;
    if (!CheckNewNames(ds, AString{name}, NameKind::Group, GetFileParams())) return false;
    return AppendSet(ds.EditGroups, std::move(name), WithoutDuplicates(members), ds.Layers[kLoadedLayer].IndNames,
                     "Filter could not be validly set");
}

bool AddLocusSet(TPopGenDataSet& ds, std::string& typedName, const AString& loci) {
    if (loci.empty()) return false;
    const std::string name = CleanSetName(typedName);
    if (name.empty()) {
        ShowError("You need to provide a valid name for your locus set");
        return false;
    }
    for (const TdsFilterRec& set : ds.EditLocusSets) {
        if (set.Name == name) {
            ShowError("Proposed group name already exits");
            return false;
        }
    }
    typedName = name;
    if (!CheckNewNames(ds, AString{name}, NameKind::LocusSet, GetFileParams())) return false;
    return AppendSet(ds.EditLocusSets, name, WithoutDuplicates(loci), ds.Layers[kLoadedLayer].LocNames,
                     "Locus Filter could not be validly set");
}

bool DeleteEditGroup(TPopGenDataSet& ds, std::size_t g) {
    if (g == 0) {
        ShowError(
            "\"AllData\" cannot be deleted from the Group Manager, because\r\n"
            "it is not a sub-set of your data-set, but the entire current data-set.");
        return false;
    }
    if (g >= ds.EditGroups.size()) return false;
    DeleteFilterRec(ds.EditGroups, g);
    return true;
}

bool DeleteEditLocusSet(TPopGenDataSet& ds, std::size_t l, std::size_t& chosen) {
    if (l == 0) {
        ShowError("\"AllLoci\" cannot be deleted from the Group Manager");
        return false;
    }
    if (l >= ds.EditLocusSets.size()) return false;
    DeleteFilterRec(ds.EditLocusSets, l);
    if (chosen == l) chosen = 0;
    else if (chosen > l) --chosen;
    return true;
}

std::size_t IndexInList(std::size_t index, const TFilterArray& list) { return index < list.size() ? index : 0; }

bool ApplyGroupEdits(TPopGenDataSet& ds, std::optional<std::size_t> chosenLocusSet) {
    std::optional<TdsFilterRec> group, locusSet;
    if (ds.CurGroup < ds.Groups.size()) group = ds.Groups[ds.CurGroup];
    if (ds.CurLocusSet < ds.LocusSets.size()) locusSet = ds.LocusSets[ds.CurLocusSet];

    ds.RestoreFilters();
    ds.ClearFilterBackups();

    const std::optional<std::size_t> g = group ? FindRecord(ds.Groups, *group) : std::nullopt;
    const std::optional<std::size_t> l = locusSet ? FindRecord(ds.LocusSets, *locusSet) : std::nullopt;
    ds.CurGroup = g.value_or(0);
    ds.CurLocusSet = l.value_or(0);
    const std::size_t chosen = chosenLocusSet ? IndexInList(*chosenLocusSet, ds.LocusSets) : ds.CurLocusSet;
    if (g && l && chosen == ds.CurLocusSet) return true;
    return ds.Select(ds.CurGroup, chosen);
}
