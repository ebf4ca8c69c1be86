#include "popgen/distance_report.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "foundation/memory_guard.h"
#include "foundation/number_text.h"
#include "popgen/distance_matrix.h"

std::size_t MaxIndNameLength(const TPopGenDataSet& ds, std::uint8_t layer) {
    if (layer >= kLayerCount) return 0;
    std::size_t longest = 0;
    for (const std::string& name : ds.Layers[layer].IndNames) longest = std::max(longest, name.size());
    return longest;
}

void MatrixToText(const TPopGenDataSet& ds, Ttf& buffer, std::size_t& index, std::uint8_t layer,
                  const PackedMatrix& matrix, const std::string& title, std::size_t width) {
    const TDSLayer& l = ds.Layers[std::min<std::size_t>(layer, kLayerCount - 1)];
    const std::size_t n = layer < kLayerCount ? l.NInd : 0;
    if (buffer.Count() < index + n + 4) buffer.AddEmpty(index + n + 4 - buffer.Count());
    buffer.SetLine(index, title);
    std::string header;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string name = i < l.IndNames.size() ? l.IndNames[i] : std::string();
        header += name;
        if (name.size() < width) header.append(width - name.size(), ' ');
        header += ' ';
    }
    buffer.SetLine(index + 2, header);
    std::size_t k = 0;
    for (std::size_t r = 1; r <= n; ++r) {
        std::string row;
        for (std::size_t c = 1; c <= r; ++c, ++k)
            if (k < matrix.size()) row += ExtToStrF(matrix[k], 11, 10) + ' ';
        buffer.SetLine(index + 2 + r, row);
    }
    index += n + 4;
}

namespace {

int OutputDistancesSteps(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, std::uint8_t transform,
                         std::uint8_t simOutput, std::uint8_t distOutput, std::uint8_t append) {
    if (simOutput != 1 && distOutput != 1) return 0;
    const bool average = mode == 3;
    const std::string suffix = average ? " (" + UIntToStr(ds.AvgDraws) + " random draws)" : std::string();
    const TDSLayer& layer = ds.GetCurrLayer();
    const std::size_t n = layer.NInd;
    const std::size_t blocks = (simOutput == 1) + (distOutput == 1) + (average ? 2 : 0);
    // A fresh buffer every time: lines left over from an earlier report must not trail this one.
    ds.ReportBuf = std::make_shared<Ttf>();
    ds.ReportBuf->AddEmpty(blocks * (n + 4));
    const std::size_t width = std::max<std::size_t>(MaxIndNameLength(ds, ds.CurLayer), 12);
    const std::string method = SimMethodToStr(false, mode, coefficient) + " " + CoeffToStr(coefficient);
    std::size_t index = 0;
    if (simOutput == 1)
        MatrixToText(ds, *ds.ReportBuf, index, ds.CurLayer, layer.RawMatrix, method + " coefficients" + suffix, width);
    if (average) {
        MatrixToText(ds, *ds.ReportBuf, index, ds.CurLayer, layer.VarMatrix,
                     "Variance on " + CoeffToStr(coefficient) + " coefficients" + suffix, width);
        MatrixToText(ds, *ds.ReportBuf, index, ds.CurLayer, layer.SDMatrix,
                     "StdDev on " + CoeffToStr(coefficient) + " coefficients" + suffix, width);
    }
    // The run brought the transformation into line with the coefficient; the title must name the
    // one the matrix holds, not a code left over from a distance import.
    if (distOutput == 1)
        MatrixToText(ds, *ds.ReportBuf, index, ds.CurLayer, layer.DistMatrix,
                     "Distances " + DistXFToStr(NormalizedTransform(coefficient, transform)) + " (" + method +
                         " coefficients)" + suffix,
                     width);
    const int result = ds.ReportBuf->SaveToFile(ds.OutputFileName, append == 1);
    ds.ReportBuf.reset();
    return result;
}

}  // namespace

int OutputDistances2File(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, std::uint8_t transform,
                         std::uint8_t simOutput, std::uint8_t distOutput, std::uint8_t append) {
    // The report is built in memory: for a large matrix its text can outgrow the matrix itself,
    // and a report that does not fit is a failed write.
    int result = 0;
    if (CompletesInMemory([&] { result = OutputDistancesSteps(ds, mode, coefficient, transform, simOutput, distOutput, append); }))
        return result;
    ds.ReportBuf.reset();
    return ENOMEM;
}
