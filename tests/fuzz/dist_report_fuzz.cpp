// Distance report -> import -> report. Names and values built from the input (names with blanks
// inside, quotes, brackets, control and non-ASCII bytes, names that read as numbers or are the
// end-of-data mark; undefined values of either sign) are written by the report writer and imported
// with an end-of-data character from the input, the report followed or not by an end-of-data line
// and text behind it. The import must give the same names and values, and the imported matrix
// written again must give the same report byte for byte. Names it cannot carry it must refuse:
// names alike or with a NUL byte (a tree could not tell them apart), and names with a blank or a
// tab inside, which the report's header turns into more names.
//
// Not built: names with a line break (no reader lets one in), empty names and names with blanks
// or tabs at either end. The header separates names by blanks, so these read back without their
// blanks or not at all, and the import cannot tell; they can enter only through a data file whose
// delimiters leave blanks in names.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "dist_matrix_import.h"
#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "fuzz_support.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/distance/distance_report.h"

namespace {

constexpr std::string_view kSeparators = " \t";

bool IsSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

// A name of up to 12 bytes: any bytes but line breaks, or the end-of-data mark, or a number's text.
std::string MakeName(FuzzedDataProvider& in, char eod) {
    std::string name;
    switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0: name = std::string(1, eod); break;
        case 1:
            name = MatrixValueToStr(in.ConsumeIntegral<std::int16_t>() / 8.0L, 0, in.ConsumeIntegralInRange(0, 3));
            break;
        default: name = in.ConsumeRandomLengthString(12); break;
    }
    std::string kept;
    for (const char c : name)
        if (c != '\r' && c != '\n') kept += c;
    while (!kept.empty() && IsSeparator(kept.back())) kept.pop_back();
    while (!kept.empty() && IsSeparator(kept.front())) kept.erase(0, 1);
    return kept.empty() ? std::string("x") : kept;
}

// Undefined values of either sign (the program's own and the library's), infinities, negative
// zero, binary fractions (halves at the eleventh decimal among them), decimal fractions, and values
// up to the double range that the import takes.
Extended MakeValue(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 8)) {
        case 8:
            return in.ConsumeBool() ? std::numeric_limits<Extended>::infinity()
                                    : -std::numeric_limits<Extended>::infinity();
        case 0: return std::numeric_limits<Extended>::quiet_NaN();
        case 1: return -std::numeric_limits<Extended>::quiet_NaN();
        case 2: return DistNaN();
        case 3: return -0.0L;
        case 4:
            return std::ldexp(static_cast<Extended>(in.ConsumeIntegral<std::int32_t>()),
                              -in.ConsumeIntegralInRange(1, 64));
        case 5:
            return std::ldexp(static_cast<Extended>(in.ConsumeIntegral<std::int64_t>()),
                              in.ConsumeIntegralInRange(-100, 960));
        default: {
            Extended x = static_cast<Extended>(in.ConsumeIntegral<std::int32_t>());
            for (int k = in.ConsumeIntegralInRange(1, 14); k > 0; --k) x /= 10.0L;
            return x;
        }
    }
}

// The import's first objection to the names, in the order it checks them; empty when it has none.
std::string Objection(const AString& names) {
    std::size_t labels = 0;
    for (const std::string& name : names)
        for (std::size_t i = 0; i < name.size(); ++i)
            if (i == 0 || (IsSeparator(name[i - 1]) && !IsSeparator(name[i]))) ++labels;
    if (labels != names.size()) return "Labels and apparent number of matrix entries do not match";
    for (const std::string& name : names)
        if (name.find('\0') != std::string::npos) return "Name not allowed:\r\n";
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (names[i] == names[j]) return "Individual names are not unique:\r\n\r\n";
    return {};
}

std::string ReportText(const TDSLayer& layer) {
    const std::string file = fuzz::Scratch().Path("report.txt");
    fuzz::Check(WriteDistanceReport(layer, DistReportOptions{}, file, false) == 0, "cannot write the report");
    std::string text;
    std::uint64_t size = 0;
    fuzz::Check(ReadFileToString(file, text, size) == 0, "cannot read the report");
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    FuzzedDataProvider in(data, size);
    // Often one that stands in the report's numbers or between them.
    static constexpr std::string_view kNumberMarks = ".0123456789-eEN \t";
    const char eod = in.ConsumeBool() ? kNumberMarks[in.ConsumeIntegralInRange<std::size_t>(0, kNumberMarks.size() - 1)]
                                      : fuzz::RandomChar(in);
    const bool endLine = in.ConsumeBool();
    TDSLayer layer;
    layer.NInd = in.ConsumeIntegralInRange<std::size_t>(1, 8);
    for (std::size_t i = 0; i < layer.NInd; ++i) layer.IndNames.push_back(MakeName(in, eod));
    for (std::size_t k = 0; k < PackedSize(layer.NInd); ++k) layer.DistMatrix.push_back(MakeValue(in));

    const std::string report = ReportText(layer);
    std::string file = report;
    // A line break as the mark cannot be written as a line of its own.
    if (endLine && eod != '\r' && eod != '\n')
        file += std::string(1, eod) + "\r\n" + in.ConsumeRemainingBytesAsString();
    const std::string name = fuzz::Scratch().Write("import.txt", file);

    fuzz::CountingDataSet d(0);
    const ReportScope scope(d.reporter);
    const bool ok = fuzz::ImportMatrix(d, name, true, true, eod);
    const std::string objection = Objection(layer.IndNames);
    fuzz::Stats::Count(objection.empty() ? std::string("read back") : "refused: " + objection);
    if (!objection.empty()) {
        fuzz::Check(!ok, "names " + fuzz::Show(layer.IndNames) + "were not refused");
        fuzz::CheckFailedImport(d, scope);
        fuzz::Check(d.errors.size() == 1 && d.errors[0].starts_with(objection),
                    "names " + fuzz::Show(layer.IndNames) + "refused with " + d.Errors());
        return 0;
    }
    fuzz::CheckErrorCount(d, scope, ok, "importing the report");
    fuzz::CheckImportedShape(d);
    const TDSLayer& back = d.ds.Layers[0];
    fuzz::Check(back.IndNames == layer.IndNames,
                "names " + fuzz::Show(layer.IndNames) + "came back as " + fuzz::Show(back.IndNames));
    for (std::size_t k = 0; k < back.DistMatrix.size(); ++k)
        fuzz::Check(std::isnan(back.DistMatrix[k]) == std::isnan(layer.DistMatrix[k]) &&
                        std::isinf(back.DistMatrix[k]) == std::isinf(layer.DistMatrix[k]),
                    "a value that is not finite changed");
    fuzz::Check(ReportText(back) == report, "the report of the imported matrix differs from the one imported");
    return 0;
}
