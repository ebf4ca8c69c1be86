// Distance-matrix import: the end-of-data character and the title and label flags come from the
// end of the input (the command's when it ends in text), the file is the rest. An imported matrix
// written as the distance report writes it (title, labels, lower triangle with ten decimals) must
// read back with the same title, names and values to the report's precision, also when the title
// or a name holds the end-of-data character.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/text_file.h"
#include "fuzz_support.h"
#include "popgen/data/data_import.h"
#include "popgen/distance/distance_report.h"

namespace {

bool Import(fuzz::CountingDataSet& d, const std::string& file, bool hasTitle, bool hasLabels, char eod) {
    d.ds.Layers[d.ds.BaseLayer()].KeepMatrixList = 0;
    return ReportShortage(d.reporter, [&] {
        return ImportDistMatrix(d.ds, file, DistMatrixLayout{.HasTitle = hasTitle, .HasLabels = hasLabels}, eod);
    });
}

void CheckFailedImport(const fuzz::CountingDataSet& d, const ReportScope& scope) {
    fuzz::CheckErrorCount(d, scope, false, "ImportDistMatrix");
    const TDSLayer& layer = d.ds.Layers[0];
    fuzz::Check(d.ds.DataLoaded == 0 && layer.DistMatrix.empty() && layer.IndNames.empty() && layer.NInd == 0 &&
                    !d.ds.InputText && !d.ds.DataText,
                "ImportDistMatrix failed but left data behind: " + d.Errors());
}

}  // namespace

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
    const bool ok = Import(loaded, file, hasTitle, hasLabels, eod);
    if (!ok) {
        CheckFailedImport(loaded, scope);
        return 0;
    }
    fuzz::CheckErrorCount(loaded, scope, ok, "ImportDistMatrix");
    const TDSLayer& layer = loaded.ds.Layers[0];
    fuzz::Check(layer.NInd == layer.IndNames.size() && layer.DistMatrix.size() == PackedSize(layer.NInd) &&
                    layer.NInd > 0 && !loaded.ds.HasData() && loaded.ds.CurLayer == 0,
                "an imported matrix of another shape");

    // The report's title line must not be empty, or the reader would take the labels for it.
    const std::string title = hasTitle ? layer.Name : std::string("Distances");
    Ttf report;
    std::size_t index = 0;
    MatrixToText(layer, report, index, layer.DistMatrix, title, MaxIndNameLength(layer));
    // The end-of-data character of the run may be one the rows of numbers use (a digit, a blank):
    // the report was not written to be read with it. The title and the names may hold it.
    for (std::size_t line = 3; line < report.Count(); ++line)
        if (report.Lines[line].find(eod) != std::string::npos) return 0;
    report.Add(std::string(1, eod));
    const std::string written = fuzz::Scratch().Path("report.txt");
    fuzz::Check(report.SaveToFile(written, false) == 0, "cannot write the report");

    fuzz::CountingDataSet again(0);
    const ReportScope reading(again.reporter);
    const bool back = Import(again, written, true, true, eod);
    fuzz::CheckErrorCount(again, reading, back, "reading the written matrix");
    const TDSLayer& read = again.ds.Layers[0];
    fuzz::Check(read.Name == title, "the title '" + title + "' came back as '" + read.Name + "'");
    fuzz::Check(read.IndNames == layer.IndNames,
                "names " + fuzz::Show(layer.IndNames) + "came back as " + fuzz::Show(read.IndNames));
    fuzz::Check(read.DistMatrix.size() == layer.DistMatrix.size(), "another number of values");
    for (std::size_t k = 0; k < read.DistMatrix.size(); ++k) {
        const Extended a = layer.DistMatrix[k];
        const Extended b = read.DistMatrix[k];
        // Ten decimals: half a unit of the last, and the rounding of a large value to 64 bits.
        fuzz::Check(std::fabs(a - b) <= 0.51e-10L + std::fabs(a) * 0x1p-62L, "a value came back changed");
    }
    return 0;
}
