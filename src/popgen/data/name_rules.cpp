#include "popgen/data/name_rules.h"

#include <unordered_map>

#include "foundation/char_set.h"
#include "foundation/number_text.h"
#include "foundation/strings.h"

namespace {

constexpr std::size_t kShownNameMax = 100;

// What the character means to the loader at one of the places, or nothing when it means nothing.
std::optional<std::string_view> RoleOf(char c, std::uint8_t places, const FileParamRecord& params,
                                       const CharSet& delimiters) {
    const auto at = [places](std::uint8_t place) { return (places & place) != 0; };
    if (c == '\r' || c == '\n') return "a line break";
    if (at(kNameInMatrix)) {
        if (delimiters.Contains(c)) return "a delimiter";
        if (c == params.EndOfDataChar) return "the end-of-data mark";
    }
    if (at(kNameInMatrix | kNameInSetList | kNameOfSet | kNameEntering) && c == params.OpenRemarkChar)
        return "a remark mark";
    if (at(kNameInSetList | kNameOfSet) && (c == ' ' || c == '\t')) return "a blank, which set lists drop";
    if (at(kNameInSetList)) {
        if (c == ',') return "the separator of set members";
        if (c == ';') return "the end of a member list";
    }
    if (at(kNameOfSet) && c == '=') return "the separator of a set name";
    if (at(kNameOnFirstLine | kNameEntering) && (c == '<' || c == '>')) return "a mark of the file specification line";
    if (at(kNameEntering) && c == params.CloseRemarkChar) return "a remark mark";
    if (c == '\0') return "a NUL byte";  // at every place
    return std::nullopt;
}

const char* KindWord(NameKind kind) {
    switch (kind) {
        case NameKind::Individual: return "Individual";
        case NameKind::Locus: return "Locus";
        case NameKind::Group: return "Group";
        case NameKind::LocusSet: return "Locus set";
    }
    return "";
}

}  // namespace

std::string ShownChar(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 32 || code == 127) return "#" + UIntToStr(code);
    return std::string(1, c);
}

std::string QuotedChar(char c) {
    const std::string shown = ShownChar(c);
    return shown.size() == 1 ? "'" + shown + "'" : shown;
}

std::uint8_t EnteringNamePlaces(NameKind kind) {
    if (kind == NameKind::Group || kind == NameKind::LocusSet) return kNameOfSet | kNameEntering;
    return kNameInMatrix | kNameOnFirstLine | kNameInSetList | kNameEntering;
}

std::optional<NameFault> FindNameFault(std::string_view name, std::uint8_t places, const FileParamRecord& params) {
    // Blanks around names collapse, and a set line without a name is skipped. An empty member
    // is carried by its separators; the saver looks after a member list of one empty name.
    if (name.empty() && (places & (kNameInMatrix | kNameOfSet | kNameEntering)) != 0) return NameFault{true, 0, {}};
    const CharSet delimiters = MakeCharSet(params.Delimiters);
    for (const char c : name)
        if (const auto role = RoleOf(c, places, params, delimiters)) return NameFault{false, c, *role};
    return std::nullopt;
}

std::string NameFaultText(NameKind kind, std::string_view name, std::size_t index, const NameFault& fault) {
    const std::string what = std::string(KindWord(kind)) + " name ";
    if (fault.Empty) return what + UIntToStr(index + 1) + " is empty";
    // Control characters would not show in a message box (a NUL byte would even end the text there).
    std::string shown;
    for (const char c : AbbrevLeft(name, kShownNameMax, "", "...")) shown += ShownChar(c);
    return what + "\"" + shown + "\" holds " + QuotedChar(fault.Char) + " (" + std::string(fault.Role) + ")";
}

namespace {

bool ReportFirstFault(TPopGenDataSet& ds, const AString& names, NameKind kind, std::uint8_t places,
                      const FileParamRecord& params) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (const auto fault = FindNameFault(names[i], places, params)) {
            ds.ReportError("Name not allowed:\r\n" + NameFaultText(kind, names[i], i, *fault));
            return false;
        }
    }
    return true;
}

}  // namespace

bool CheckNewNames(TPopGenDataSet& ds, const AString& names, NameKind kind, const FileParamRecord& params) {
    return ReportFirstFault(ds, names, kind, EnteringNamePlaces(kind), params);
}

bool CheckReadNames(TPopGenDataSet& ds, const AString& names, NameKind kind, const FileParamRecord& params) {
    return ReportFirstFault(ds, names, kind, 0, params);
}

// The list is the one FindDuplicates gives (a name once per earlier copy of it), built only as far
// as the report shows it: that list grows with the square of the copies, and a file whose names
// are all "-" would otherwise take minutes and gigabytes to be refused.
bool ReportDuplicateNames(TPopGenDataSet& ds, const AString& names, NameKind kind) {
    constexpr std::size_t kShown = 100;
    std::unordered_map<std::string_view, std::size_t> seen;
    seen.reserve(names.size());
    std::string list;
    bool any = false;
    for (const std::string& name : names) {
        std::size_t& earlier = seen[name];
        for (std::size_t k = 0; k < earlier && list.size() <= kShown; ++k) {
            if (any) list += ", ";
            list += name;
            any = true;
        }
        if (list.size() > kShown) break;
        ++earlier;
    }
    if (!any) return false;
    ds.ReportError(std::string(KindWord(kind)) + " names are not unique:\r\n\r\n" +
                   AbbrevLeft(list, kShown, "", "..."));
    return true;
}
