// What the two distance-matrix harnesses share: the import command's call, the state a failed
// import leaves, and values compared as the report gives them (an undefined value as undefined).
#pragma once

#include <cmath>
#include <string>

#include "fuzz_support.h"
#include "popgen/data/data_import.h"

namespace fuzz {

inline bool ImportMatrix(CountingDataSet& d, const std::string& file, bool hasTitle, bool hasLabels, char eod) {
    d.ds.Layers[d.ds.BaseLayer()].KeepMatrixList = false;
    return ReportShortage(d.reporter, [&] {
        return ImportDistMatrix(d.ds, file, DistMatrixLayout{.HasTitle = hasTitle, .HasLabels = hasLabels}, eod);
    });
}

// A failed import: one error counted per report, no matrix, no names, no text held.
inline void CheckFailedImport(const CountingDataSet& d, const ReportScope& scope) {
    CheckErrorCount(d, scope, false, "ImportDistMatrix");
    const TDSLayer& layer = d.ds.Layers[0];
    Check(!d.ds.DataLoaded && layer.DistMatrix.empty() && layer.IndNames.empty() && layer.NInd == 0 &&
              !d.ds.InputText && !d.ds.DataText,
          "ImportDistMatrix failed but left data behind: " + d.Errors());
}

// An imported matrix: as many values as pairs, no band data, the loaded layer current.
inline void CheckImportedShape(const CountingDataSet& d) {
    const TDSLayer& layer = d.ds.Layers[0];
    Check(layer.NInd == layer.IndNames.size() && layer.DistMatrix.size() == PackedSize(layer.NInd) && layer.NInd > 0 &&
              !d.ds.HasData() && d.ds.CurLayer == 0,
          "an imported matrix of another shape");
}

inline bool BothUndefined(Extended a, Extended b) { return std::isnan(a) && std::isnan(b); }

}  // namespace fuzz
