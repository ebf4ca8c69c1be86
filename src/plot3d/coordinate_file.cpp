#include "plot3d/coordinate_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "foundation/char_set.h"
#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/strict_number.h"
#include "foundation/strings.h"

namespace {

constexpr CharSet kFieldSeparators = MakeCharSet("\t ,");
constexpr char kFieldSeparator = '\t';
constexpr std::array<std::string_view, 3> kHeaderMarkers = {"LABELX", "LABELY", "LABELZ"};
constexpr std::uint16_t kImportedSymbolSize = 2;

struct NamedColour {
    std::string_view name;
    PlotColour colour;
};
constexpr std::array<NamedColour, 12> kColourNames = {{
    {"BLACK", 0x000000},
    {"WHITE", 0xFFFFFF},
    {"GREEN", 0x008000},
    {"BLUE", 0xFF0000},
    {"MAGENTA", 0xFF00FF},
    {"CYAN", 0xFFFF00},
    {"GREY", 0x7F7F7F},
    {"ORANGE", 0x007FFF},
    {"RED", 0x0000FF},
    {"YELLOW", 0x00FFFF},
    {"LGREEN", 0x00FF00},
    {"OLIVE", 0x008080},
}};

// A coordinate: a strict decimal number that a single-precision value can hold.
bool ParseCoordinate(const std::string& text, float& value) {
    Extended parsed = 0.0L;
    if (!StrictToExtended(text, parsed) || !FitsSingle(parsed)) return false;
    value = static_cast<float>(parsed);
    return true;
}

// A shape word: decimal digits with a value of at most 65535.
bool ParseShapeWord(const std::string& text, std::uint16_t& value) {
    std::uint64_t parsed = 0;
    if (!StrictToUInt64(text, parsed) || parsed > std::numeric_limits<std::uint16_t>::max()) return false;
    value = static_cast<std::uint16_t>(parsed);
    return true;
}

// A colour number as the export writes it: a signed 32-bit decimal.
bool ParseColourNumber(std::string_view text, PlotColour& value) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    std::uint64_t magnitude = 0;
    if (!StrictToUInt64(text, magnitude)) return false;
    const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    if (magnitude > limit) return false;
    value = static_cast<PlotColour>(negative ? (0 - magnitude) & 0xFFFFFFFFu : magnitude);
    return true;
}

// Counts the problems of one import and reports the first few.
class ImportErrors {
public:
    explicit ImportErrors(Reporter& reporter) : reporter_(reporter) {}
    void Report(const std::string& message) {
        if (++count_ <= kMaxReportedImportErrors) reporter_.Error(message);
    }
    void Finish() const {
        if (count_ > kMaxReportedImportErrors)
            reporter_.Error("More errors in this file not shown: " + UIntToStr(count_ - kMaxReportedImportErrors));
    }

private:
    Reporter& reporter_;
    std::size_t count_ = 0;
};

// Two or more quote characters and nothing else: kEmptyLabelField, or a quotes-only label with
// two added by LabelField.
bool QuotesOnly(std::string_view field) {
    return field.size() >= kEmptyLabelField.size() && field.find_first_not_of('"') == std::string_view::npos;
}

std::string LabelOfField(const std::string& field) {
    const std::size_t drop = QuotesOnly(field) ? kEmptyLabelField.size() : 0;
    return field.substr(0, std::min(field.size() - drop, kMaxLabelLength));
}

t3dsymbol ParsePointLine(const std::string& line, ImportErrors& errors) {
    t3dsymbol point;
    std::string collapsed = line;
    CollapseSeparators(collapsed, kFieldSeparators, kFieldSeparator, true);
    AString fields;
    if (!collapsed.empty()) SplitByChar(collapsed, kFieldSeparator, fields);
    if (fields.size() < 3) {
        errors.Report("Line contains < 3 arguments");
        return point;
    }
    float* coordinates[] = {&point.X, &point.Y, &point.Z};
    for (std::size_t i = 0; i < 3; ++i)
        if (!ParseCoordinate(fields[i], *coordinates[i])) errors.Report("Not a valid number: " + line);
    if (fields.size() > 3) {
        point.Label = LabelOfField(fields[3]);
        point.ShowLabel = true;
    }
    if (fields.size() > 4) {
        point.Size = kImportedSymbolSize;
        if (!ParseShapeWord(fields[4], point.Shape)) errors.Report("Not a valid 16-bit value: " + fields[4]);
    }
    if (fields.size() > 5 && !ParseColourNumber(fields[5], point.Colour))
        point.Colour = ColourByName(UpperCaseAscii(fields[5])).value_or(kPlotBlack);
    return point;
}

std::string LabelField(const std::string& label) {
    if (label.empty() || QuotesOnly(label)) return label + std::string(kEmptyLabelField);
    std::string field = label;
    for (char& c : field)
        if (kFieldSeparators.Contains(c) || c == '\r' || c == '\n') c = '_';
    return field;
}

}  // namespace

std::optional<PlotColour> ColourByName(std::string_view upperName) {
    for (const NamedColour& entry : kColourNames)
        if (entry.name == upperName) return entry.colour;
    return std::nullopt;
}

a3dsymbol ParseCoordinateLines(Reporter& reporter, AString lines) {
    // Each marker's first line is found before any is emptied: one header line naming all three
    // must not send the search for the next marker on to a point labelled with it.
    std::array<std::size_t, kHeaderMarkers.size()> headers{};
    for (std::size_t m = 0; m < kHeaderMarkers.size(); ++m) {
        headers[m] = lines.size();
        for (std::size_t i = 0; i < lines.size() && headers[m] == lines.size(); ++i)
            if (lines[i].find(kHeaderMarkers[m]) != std::string::npos) headers[m] = i;
    }
    for (const std::size_t i : headers)
        if (i < lines.size()) lines[i].clear();
    ImportErrors errors(reporter);
    a3dsymbol points;
    for (const std::string& line : lines)
        if (!line.empty()) points.push_back(ParsePointLine(line, errors));
    errors.Finish();
    return points;
}

bool ReadCoordinateFile(Reporter& reporter, const std::string& fileName, a3dsymbol& points) {
    AString lines;
    if (!FileCanOpen(fileName) || ReadTextLines(fileName, lines) != 0) return false;
    bool anyLine = false;
    for (const std::string& line : lines) anyLine = anyLine || !line.empty();
    if (!anyLine) return false;
    a3dsymbol read = ParseCoordinateLines(reporter, std::move(lines));
    if (read.empty()) return false;
    points = std::move(read);
    return true;
}

std::string CoordinateFileText(const a3dsymbol& points) {
    std::string text;
    // A label holding a header marker would make its line a header; a header line of its own
    // comes first then and is the one dropped.
    for (const t3dsymbol& point : points) {
        bool marked = false;
        for (const std::string_view marker : kHeaderMarkers)
            marked = marked || point.Label.find(marker) != std::string::npos;
        if (marked) {
            text += "LABELX\tLABELY\tLABELZ\r\n";
            break;
        }
    }
    for (const t3dsymbol& point : points) {
        text += ExtToStrF(point.X, 2, 5) + '\t' + ExtToStrF(point.Y, 2, 5) + '\t' + ExtToStrF(point.Z, 2, 5) + '\t';
        text += LabelField(point.Label) + '\t' + UIntToStr(point.Shape) + '\t' +
                IntToStr(static_cast<std::int32_t>(point.Colour)) + "\r\n";
    }
    return text;
}

int WriteCoordinateFile(const std::string& fileName, const a3dsymbol& points) {
    return WriteTextFile(fileName, CoordinateFileText(points), false);
}
