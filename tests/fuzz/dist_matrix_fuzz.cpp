// Distance-matrix import: the end-of-data character and the title and label flags come from the
// end of the input (the command's when it ends in text), the file is the rest. An imported matrix
// written as the distance report writes it (title, labels, lower triangle with ten decimals, an
// undefined value as NaN, an infinite one as Inf or -Inf) must read back with the same title, names
// and values to the report's precision, also when the title or a name holds or is the end-of-data
// character, whatever that character is.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "dist_matrix_import.h"
#include "foundation/text_file.h"
#include "fuzz_support.h"
#include "popgen/distance/distance_report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    FuzzedDataProvider in(data, size);
    bool hasTitle = true;
    bool hasLabels = true;
    char eod = '*';
    if (fuzz::WantsVariation(in)) {
        hasTitle = in.ConsumeBool();
        hasLabels = in.ConsumeBool();
        eod = fuzz::RandomChar(in);
    }
    const std::string file = fuzz::Scratch().Write("matrix.txt", in.ConsumeRemainingBytesAsString());

    fuzz::CountingDataSet loaded(0);
    const ReportScope scope(loaded.reporter);
    const bool ok = fuzz::ImportMatrix(loaded, file, hasTitle, hasLabels, eod);
    if (!ok) {
        fuzz::CheckFailedImport(loaded, scope);
        return 0;
    }
    fuzz::CheckErrorCount(loaded, scope, ok, "ImportDistMatrix");
    fuzz::CheckImportedShape(loaded);
    const TDSLayer& layer = loaded.ds.Layers[0];

    // The report's title line must not be empty, or the reader would take the labels for it.
    const std::string title = hasTitle ? layer.Name : std::string("Distances");
    Ttf report;
    std::size_t index = 0;
    MatrixToText(layer, report, index, layer.DistMatrix, title, MaxIndNameLength(layer));
    // Only a line holding the mark alone ends the rows, so any character will do, also one that
    // the numbers use (a digit, the point, a blank).
    report.Add(std::string(1, eod));
    const std::string written = fuzz::Scratch().Path("report.txt");
    fuzz::Check(report.SaveToFile(written, false) == 0, "cannot write the report");

    fuzz::CountingDataSet again(0);
    const ReportScope reading(again.reporter);
    const bool back = fuzz::ImportMatrix(again, written, true, true, eod);
    fuzz::CheckErrorCount(again, reading, back, "reading the written matrix");
    const TDSLayer& read = again.ds.Layers[0];
    fuzz::Check(read.Name == title, "the title '" + title + "' came back as '" + read.Name + "'");
    fuzz::Check(read.IndNames == layer.IndNames,
                "names " + fuzz::Show(layer.IndNames) + "came back as " + fuzz::Show(read.IndNames));
    fuzz::Check(read.DistMatrix.size() == layer.DistMatrix.size(), "another number of values");
    for (std::size_t k = 0; k < read.DistMatrix.size(); ++k) {
        const Extended a = layer.DistMatrix[k];
        const Extended b = read.DistMatrix[k];
        // Infinities come back as they were; finite values to ten decimals: half a unit of the
        // last, and the rounding of a large value to 64 bits.
        fuzz::Check(a == b || fuzz::BothUndefined(a, b) ||
                        (std::isfinite(a) && std::fabs(a - b) <= 0.51e-10L + std::fabs(a) * 0x1p-62L),
                    "a value came back changed");
    }
    return 0;
}
