#include "trees/dist_analysis.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "popgen/data/dataset.h"
#include "trees/tree_text.h"

std::string TreeKindName(TreeKind kind) {
    switch (kind) {
        case TreeKind::UPGMA: return "UPGMA";
        case TreeKind::NJ: return "NJ";
    }
    return {};
}

PackedMatrix ZeroDiagonalCopy(const PackedMatrix& matrix, std::size_t n) {
    PackedMatrix copy(matrix);
    for (std::size_t i = 1; i <= n && PairIndex(i, i) < copy.size(); ++i) copy[PairIndex(i, i)] = 0.0L;
    return copy;
}

TDistAnalysis& MakeDistAnalysis(TPopGenDataSet& dataSet) {
    TDSLayer& layer = dataSet.GetCurrLayer();
    layer.Analysis.reset();
    auto analysis = std::make_shared<TDistAnalysis>(dataSet.Reporting(), dataSet.ValueSize);
    analysis->NOTU = layer.NInd;
    analysis->Dist = layer.DistMatrix.empty() ? PackedMatrix(PackedSize(layer.NInd), 0.0L)
                                              : layer.DistMatrix;
    analysis->OTUNames = layer.IndNames;
    analysis->UndefinedPairs = layer.UndefinedPairs;
    layer.Analysis = analysis;
    return *analysis;
}

void TDistAnalysis::ClearTrees() {
    StoredTree.clear();
    FreeDendrogram(Tree);
}

void TDistAnalysis::ClearOrdination() {
    if (OTUNames.size() > NOTU) OTUNames.resize(NOTU);  // drop appended centroids
    NPosEigen = 0;
    FirstEigen = 0.0L;
    SumPosEigen = 0.0L;
    EigenPercents.clear();
    Coords.clear();
    Centroids.clear();
}

AString TDistAnalysis::TreeLabels() const {
    AString labels;
    labels.reserve(OTUNames.size());
    for (const std::string& name : OTUNames) labels.push_back(TreeName(name));
    return labels;
}

bool TDistAnalysis::CheckInput(std::string_view method, const char* mismatchMessage) const {
    if (OTUNames.size() != NOTU || Dist.size() != PackedSize(NOTU)) {
        Reporting().Error(mismatchMessage);
        return false;
    }
    if (UndefinedPairs > 0) {
        Reporting().Error(std::string(method) + ": " + UIntToStr(UndefinedPairs) +
                          (UndefinedPairs == 1 ? " pair of individuals has" : " pairs of individuals have") +
                          " no defined NeiLi distance (-1.0 in the matrix).\r\n"
                          "Choose another coefficient, or another r for NeiLi.");
        return false;
    }
    // The diagonal is not read, whatever it holds.
    for (std::size_t i = 2; i <= NOTU; ++i) {
        for (std::size_t j = 1; j < i; ++j) {
            if (!std::isfinite(Dist[PairIndex(i, j)])) {
                Reporting().Error(std::string(method) +
                                  ": the distance matrix holds a value that is not a finite number");
                return false;
            }
        }
    }
    return true;
}

bool TDistAnalysis::BuildTree(TreeKind kind, std::string_view title) {
    switch (kind) {
        case TreeKind::UPGMA: return UPGMA(title);
        case TreeKind::NJ: return NJ(title);
        default:
            ClearTrees();
            Reporting().Error("Unknown tree type to build");
            return false;
    }
}

std::string TDistAnalysis::DendrogramText() const { return TreeRecordText(Reporting(), Tree); }

bool TDistAnalysis::TreeText(TreeKind kind, bool nonPhylip, std::string& text) const {
    if (nonPhylip) {
        Reporting().Error("Currently cannot handle non-phylip tree formats");
        return false;
    }
    switch (kind) {
        case TreeKind::UPGMA: text = StoredTree; return true;
        case TreeKind::NJ: text = DendrogramText(); return true;
        default:
            text.clear();
            Reporting().Error("Unknown tree format");
            return false;
    }
}

std::size_t TDistAnalysis::GroupCentroids(std::span<const std::int32_t> groups, bool append) {
    if (groups.empty() || Coords.size() != groups.size() || Coords.front().empty()) {
        Centroids.clear();
        return 0;
    }
    std::int32_t highest = 0;
    for (const std::int32_t g : groups) {
        if (g < 0) return 0;  // an OTU in no group: nothing changes
        if (g > highest) highest = g;
    }
    const std::size_t groupCount = static_cast<std::size_t>(highest) + 1;
    const std::size_t columns = Coords.front().size();
    Centroids.assign(groupCount, AExt(columns, 0.0L));
    std::vector<std::size_t> counts(groupCount, 0);
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const auto g = static_cast<std::size_t>(groups[i]);
        ++counts[g];
        for (std::size_t k = 0; k < columns && k < Coords[i].size(); ++k) Centroids[g][k] += Coords[i][k];
    }
    for (std::size_t g = 0; g < groupCount; ++g) {
        if (counts[g] == 0) continue;
        for (Extended& x : Centroids[g]) x /= static_cast<Extended>(counts[g]);
    }
    if (append) {
        for (std::size_t g = 0; g < groupCount; ++g) {
            OTUNames.push_back("Centoid_" + UIntToStr(g));
            Coords.push_back(Centroids[g]);
        }
    }
    return groupCount;
}

AString TDistAnalysis::PCoAReportLines(std::size_t maxCoordinates) const {
    const std::size_t shown = std::min(maxCoordinates, NPosEigen);
    AString lines;
    lines.emplace_back();
    lines.emplace_back("Principal Coordinate Analysis");
    lines.emplace_back();
    lines.push_back("Number of positive eigenvalues: " + UIntToStr(NPosEigen));
    lines.push_back("First eigenvalue: " + ExtToStr(FirstEigen));
    lines.push_back("Sum of positive eigenvalues: " + ExtToStr(SumPosEigen));
    lines.emplace_back("Eigenvalues (as percentages of the sum of positive eigenvalues)");
    for (std::size_t k = 0; k < NPosEigen && k < EigenPercents.size(); ++k) {
        lines.push_back(ExtToStr(EigenPercents[k]));
    }
    lines.emplace_back();
    lines.emplace_back("PCoA coordinates");
    for (std::size_t i = 0; i < OTUNames.size(); ++i) {
        std::string line = OTUNames[i] + " ";
        if (i < Coords.size()) {
            for (std::size_t k = 0; k < shown && k < Coords[i].size(); ++k) {
                line += ExtToStr(Coords[i][k]);
                line += ' ';
            }
        }
        lines.push_back(std::move(line));
    }
    lines.emplace_back();
    return lines;
}

int TDistAnalysis::WritePCoAReport(const std::string& fileName, std::size_t maxCoordinates,
                                   bool rewrite) const {
    std::string text;
    for (const std::string& line : PCoAReportLines(maxCoordinates)) {
        text += line;
        text += "\r\n";
    }
    return WriteTextFile(fileName, text, !rewrite);
}
