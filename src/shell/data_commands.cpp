#include "shell/data_commands.h"

#include <string>

#include "foundation/number_text.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

namespace {

// Per cent of the layer's cells that are missing.
Extended PercentMissing(const TDSLayer& layer) {
    if (layer.NCells == 0) return 0.0L;
    std::size_t missing = 0;
    for (std::size_t k = 0; k < layer.NCells && k < layer.Matrix.size(); ++k)
        if (layer.Matrix[k] == kMissing) ++missing;
    return 100.0L * static_cast<Extended>(missing) / static_cast<Extended>(layer.NCells);
}

}  // namespace

void CmdRestoreOriginalMatrix() {
    if (!LayerDataAvailable(0, 1, 0, 1)) return;
    TPopGenDataSet& ds = *DataSet;
    if (!ds.RestoreOriginalMatrix()) return;  // reported by the data set
    WriteMsg("Original data matrix restored");
    const TDSLayer& loaded = ds.Layers[0];
    SetStatusDataMatrix(MatrixSizeText("Original matrix ", loaded.NInd, loaded.NLoci));
}

void CmdMatrixStatistics(std::uint8_t display, std::uint8_t alwaysWriteToFile) {
    if (!DataAvailable(1, 0, 1)) return;
    const TDSLayer& layer = DataSet->GetCurrLayer();
    const std::string n = UIntToStr(layer.NInd);
    const std::string m = UIntToStr(layer.NLoci);
    const std::string size = UIntToStr(layer.NCells);
    const std::string pct = ExtToStrF(PercentMissing(layer), 5, 2);

    int answer = kIdNo;
    if (display == 1)
        answer = AskUser("Individuals: " + n + "\r\n" + "Loci: " + m + "\r\n" + "Data matrix size: " + size +
                             " entries" + "\r\n" + "Missing data: " + pct + "%" + "\r\n\r\n" +
                             "Write to analysis file?",
                         "Statistics", kMbYesNo);
    if (alwaysWriteToFile == 1) answer = kIdYes;
    if (answer != kIdYes) {
        WriteMsg("Displaying Data Matrix Statistics");
        return;
    }
    // Always appended (the file is created when missing): statistics accompany the reports.
    const std::string report = "Data Matrix Statistics\r\n\r\nIndividuals:  " + n + "\r\nLoci:         " + m +
                               "\r\nMatrix size:  " + size + "\r\nMissing data: " + pct + "%\r\n\r\n";
    if (ReportWriteFailure(SaveTextToFile(AnalysisFileName, report, true), AnalysisFileName)) return;
    WriteMsg("Data Matrix Statistics written to analysis output file");
}
