#include "popgen/distance/distance_report.h"

#include <algorithm>
#include <cerrno>

#include "foundation/memory_guard.h"
#include "foundation/number_text.h"
#include "popgen/distance/distance_matrix.h"

std::size_t MaxIndNameLength(const TDSLayer& layer) {
    std::size_t longest = 0;
    for (const std::string& name : layer.IndNames) longest = std::max(longest, name.size());
    return longest;
}

void MatrixToText(const TDSLayer& layer, Ttf& buffer, std::size_t& index, const PackedMatrix& matrix,
                  const std::string& title, std::size_t width) {
    const std::size_t n = layer.NInd;
    if (buffer.Count() < index + n + 4) buffer.AddEmpty(index + n + 4 - buffer.Count());
    buffer.SetLine(index, title);
    std::string header;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string name = i < layer.IndNames.size() ? layer.IndNames[i] : std::string();
        header += name;
        if (name.size() < width) header.append(width - name.size(), ' ');
        header += ' ';
    }
    buffer.SetLine(index + 2, header);
    std::size_t k = 0;
    for (std::size_t r = 1; r <= n; ++r) {
        std::string row;
        for (std::size_t c = 1; c <= r; ++c, ++k)
            if (k < matrix.size()) row += MatrixValueToStr(matrix[k], 11, 10) + ' ';
        buffer.SetLine(index + 2 + r, row);
    }
    index += n + 4;
}

int WriteDistanceBlock(const TDSLayer& layer, const std::string& title, const std::string& fileName, bool append) {
    int result = 0;
    if (!CompletesInMemory([&] {
            Ttf report;
            report.AddEmpty(layer.NInd + 4);
            const std::size_t width = std::max<std::size_t>(MaxIndNameLength(layer), 12);
            std::size_t index = 0;
            MatrixToText(layer, report, index, layer.DistMatrix, title, width);
            result = report.SaveToFile(fileName, append);
        }))
        return ENOMEM;
    return result;
}

namespace {

// "... for 7 pairs of individuals (lower bound in the matrix). The first 5: #2, #1; #3, #1; ..."
std::string NoDrawLine(const NoDrawPairs& d) {
    std::string line = "No random draw between the bounds of the Average coefficient for " + UIntToStr(d.Count) +
                       (d.Count == 1 ? " pair" : " pairs") + " of individuals (lower bound in the matrix)";
    line += d.Count > d.First.size() ? ". The first " + UIntToStr(d.First.size()) + ":" : ":";
    for (std::size_t k = 0; k < d.First.size(); ++k)
        line += (k == 0 ? " #" : "; #") + UIntToStr(d.First[k].first) + ", #" + UIntToStr(d.First[k].second);
    return line;
}

int WriteReport(const TDSLayer& layer, const DistReportOptions& o, const std::string& fileName, bool append) {
    if (!o.Similarities && !o.Distances) return 0;
    const bool average = o.Mode == Treatment::Average;
    const std::string suffix = average ? " (" + UIntToStr(o.Draws) + " random draws)" : std::string();
    std::size_t blocks = average ? 2 : 0;
    if (o.Similarities) ++blocks;
    if (o.Distances) ++blocks;
    Ttf report;
    report.AddEmpty(blocks * (layer.NInd + 4));
    const std::size_t width = std::max<std::size_t>(MaxIndNameLength(layer), 12);
    const std::string method = SimMethodToStr(false, o.Mode, o.Coeff) + " " + CoeffToStr(o.Coeff);
    std::size_t index = 0;
    if (o.Similarities) MatrixToText(layer, report, index, layer.RawMatrix, method + " coefficients" + suffix, width);
    if (average) {
        MatrixToText(layer, report, index, layer.VarMatrix,
                     "Variance on " + CoeffToStr(o.Coeff) + " coefficients" + suffix, width);
        MatrixToText(layer, report, index, layer.SDMatrix,
                     "StdDev on " + CoeffToStr(o.Coeff) + " coefficients" + suffix, width);
    }
    // The run brought the transformation into line with the coefficient; the title must name the
    // one the matrix holds, not a code left over from a distance import.
    if (o.Distances)
        MatrixToText(layer, report, index, layer.DistMatrix,
                     "Distances " + DistXFToStr(NormalizedTransform(o.Coeff, o.Transform)) + " (" + method +
                         " coefficients)" + suffix,
                     width);
    if (average && layer.NoDraws.Count > 0) report.Add(NoDrawLine(layer.NoDraws));
    return report.SaveToFile(fileName, append);
}

}  // namespace

int WriteDistanceReport(const TDSLayer& layer, const DistReportOptions& options, const std::string& fileName,
                        bool append) {
    // The report is built in memory: for a large matrix its text can outgrow the matrix itself,
    // and a report that does not fit is a failed write.
    int result = 0;
    if (CompletesInMemory([&] { result = WriteReport(layer, options, fileName, append); })) return result;
    return ENOMEM;
}

int OutputDistances2File(const TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, Transformation transform,
                         const DistFileOutput& output) {
    const DistReportOptions options{mode, coefficient, transform, ds.AvgDraws, output.Similarities, output.Distances};
    return WriteDistanceReport(ds.GetCurrLayer(), options, ds.OutputFileName, output.Append);
}
