#include "shell/file_params.h"

#include <algorithm>

#include "foundation/char_set.h"
#include "foundation/file_io.h"
#include "foundation/strings.h"
#include "popgen/data/name_rules.h"
#include "shell/reporting.h"
#include "shell/settings.h"

FileParamRecord GetFileParams() {
    FileParamRecord rec;
    rec.PresenceChar = PresenceChar;
    rec.AbsenceChar = AbsenceChar;
    rec.AmbiguityChar = AmbiguityChar;
    rec.OpenRemarkChar = OpenRemarkChar;
    rec.CloseRemarkChar = CloseRemarkChar;
    rec.EndOfDataChar = EndOfDataChar;
    rec.Delimiters = Delimiters;
    rec.IndInColumns = IndInColumns == 1;
    rec.IndHeader = IndHeader == 1;
    rec.LocHeader = LocHeader == 1;
    rec.DelimitedData = DelimitedData == 1;
    rec.IncludeGroups = IncludeGroups == 1;
    rec.WriteDefaultSets = WriteDefaultSets == 1;
    rec.AmbiguityNegative = AmbiguityNegative == 1;
    rec.InvalidStateChar = InvalidStateChar;
    return rec;
}

FileParamRecord PackFileParams() { return GetFileParams(); }

void SetFileParams(const FileParamRecord& rec) {
    PresenceChar = rec.PresenceChar;
    AbsenceChar = rec.AbsenceChar;
    AmbiguityChar = rec.AmbiguityChar;
    OpenRemarkChar = rec.OpenRemarkChar;
    CloseRemarkChar = rec.CloseRemarkChar;
    EndOfDataChar = rec.EndOfDataChar;
    Delimiters = rec.Delimiters;
    IndInColumns = rec.IndInColumns ? 1 : 0;
    IndHeader = rec.IndHeader ? 1 : 0;
    LocHeader = rec.LocHeader ? 1 : 0;
    DelimitedData = rec.DelimitedData ? 1 : 0;
    IncludeGroups = rec.IncludeGroups ? 1 : 0;
    WriteDefaultSets = rec.WriteDefaultSets ? 1 : 0;
    AmbiguityNegative = rec.AmbiguityNegative ? 1 : 0;
    InvalidStateChar = rec.InvalidStateChar;
}

char PlusMinus(std::uint8_t flag) { return flag == 1 ? '+' : '-'; }

void ParsePlusMinus(std::uint8_t& flag, char sign) {
    if (sign == '+')
        flag = 1;
    else if (sign == '-')
        flag = 0;
}

std::string WriteSpecBlock(const FileParamRecord& rec) {
    if (WriteSpecs != 1) return {};
    if (rec.AmbiguityNegative == 1) {
        ShowWarning(
            "Not writing TESK File Specification Block.\r\n"
            "(Negative Ambiguities are not supported in TESK input files!)");
        return {};
    }
    // The close symbol comes before the open symbol, in the writer and the reader alike.
    const char symbols[] = {rec.PresenceChar,    rec.AbsenceChar,    rec.AmbiguityChar,
                            rec.CloseRemarkChar, rec.OpenRemarkChar, rec.EndOfDataChar};
    // These would end the block or the line early, so the line would not read back.
    for (const char c : symbols) {
        if (c == ':' || c == '<' || c == '>' || c == '\r' || c == '\n') {
            ShowWarning(
                "Not writing TESK File Specification Block.\r\n"
                "(The symbols ':', '<', '>' and line breaks are not supported in TESK input files!)");
            return {};
        }
    }
    std::string line = "<TESK:";
    line.append(symbols, std::size(symbols));
    line += ':';
    line += 'c';
    line += PlusMinus(rec.IndInColumns);
    line += ",i";
    line += PlusMinus(rec.IndHeader);
    line += ",l";
    line += PlusMinus(rec.LocHeader);
    line += ",d";
    line += PlusMinus(rec.DelimitedData);
    line += ",a";
    line += PlusMinus(rec.IncludeGroups);
    line += ">\r\n";
    return line;
}

bool RemarkSymbolAllowed(char c) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    return !letter && !digit && std::string_view("[]*=,;").find(c) == std::string_view::npos;
}

std::string ReadFirstLine(const std::string& fileName) {
    // Read piece by piece up to the first line break: a large data file is read once, by the loader.
    constexpr std::uint64_t kPiece = 4096;
    std::string line;
    for (std::uint64_t offset = 0;; offset += kPiece) {
        std::string piece;
        std::uint64_t got = 0, left = 0;
        if (ReadFileRange(fileName, piece, got, left, offset, kPiece, kPiece) != 0) return {};
        const auto stop = piece.find_first_of("\r\n");
        line.append(piece, 0, stop);
        if (stop != std::string::npos || left == 0 || got == 0) return line;
    }
}

bool ExtractSpecBlock(std::string_view line, std::string& block) {
    block.clear();
    const auto open = line.find('<');
    const auto close = line.find('>');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return false;
    const auto brackets = std::count_if(line.begin(), line.end(),
                                        [](char c) { return c == '<' || c == '>'; });
    if (brackets != 2) return false;
    block.assign(line.substr(open, close - open + 1));
    return true;
}

void ParseSpecBlock(std::string_view block) {
    if (block.size() < 5 || block.front() != '<' || block.back() != '>' ||
        block.substr(1, 4) != "TESK")
        return;
    const auto p1 = block.find(':');
    if (p1 == std::string_view::npos) return;
    const auto p2 = block.find(':', p1 + 1);
    if (p2 == std::string_view::npos) return;

    // The block sets the settings themselves: a flag is a number there, as the options dialog edits it.
    char* const symbols[] = {&PresenceChar,    &AbsenceChar,    &AmbiguityChar,
                             &CloseRemarkChar, &OpenRemarkChar, &EndOfDataChar};
    const std::string_view given = block.substr(p1 + 1, p2 - p1 - 1);
    for (std::size_t k = 0; k < given.size() && k < std::size(symbols); ++k) *symbols[k] = given[k];

    AString pieces;
    SplitByChar(RemoveCharsInSet(block.substr(p2), MakeCharSet(":> ")), ',', pieces);
    for (const std::string& piece : pieces) {
        if (piece.size() < 2) continue;
        std::uint8_t* flag = nullptr;
        switch (piece[0]) {
            case 'a': flag = &IncludeGroups; break;
            case 'c': flag = &IndInColumns; break;
            case 'd': flag = &DelimitedData; break;
            case 'i': flag = &IndHeader; break;
            case 'l': flag = &LocHeader; break;
            default: break;
        }
        if (flag) ParsePlusMinus(*flag, piece[1]);
    }
}

namespace {

// A piece of the line as a message shows it: cut, with control characters by their codes.
std::string ShownText(std::string_view text) {
    constexpr std::size_t kShownMax = 20;
    std::string shown;
    for (const char c : AbbrevLeft(text, kShownMax, "", "...")) shown += ShownChar(c);
    return shown;
}

}  // namespace

std::string SpecLineFault(std::string_view line) {
    std::string block;
    if (!ExtractSpecBlock(line, block)) {
        if (UpperCaseAscii(line).find("<TESK") == std::string::npos) return {};
        if (line.find('>', line.find('<')) == std::string_view::npos) return "No '>' closes the block";
        return "The line holds more than one '<' or '>'";
    }
    if (block.rfind("<TESK:", 0) != 0) return "The block does not begin with \"<TESK:\"";
    const auto p2 = block.find(':', 6);
    if (p2 == std::string::npos) return "No ':' follows the symbols";
    if (p2 - 6 > 6) return "More than six symbols stand between the colons";

    // As ParseSpecBlock reads them, blanks dropped; each piece must name a flag and set it.
    constexpr std::string_view kFlags = "cilda";
    bool given[kFlags.size()] = {};
    AString pieces;
    SplitByChar(RemoveCharsInSet(block.substr(p2 + 1, block.size() - p2 - 2), MakeCharSet(" ")), ',', pieces);
    for (const std::string& piece : pieces) {
        if (piece.empty()) continue;  // a doubled or trailing ',' sets nothing and hides nothing
        const auto flag = kFlags.find(piece[0]);
        if (piece.size() != 2 || flag == std::string_view::npos || (piece[1] != '+' && piece[1] != '-'))
            return "Unknown flag \"" + ShownText(piece) + "\"";
        given[flag] = true;
    }
    for (std::size_t k = 0; k < kFlags.size(); ++k)
        if (!given[k]) return std::string("Flag \"") + kFlags[k] + "\" is missing";
    return {};
}
