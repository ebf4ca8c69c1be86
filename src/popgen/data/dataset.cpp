#include "popgen/data/dataset.h"

#include <algorithm>
#include <cmath>
#include <limits>


TPopGenDataSet::TPopGenDataSet() { Init(); }

TPopGenDataSet::TPopGenDataSet(Reporter& reporter) : reporter_(&reporter) { Init(); }

TPopGenDataSet::TPopGenDataSet(std::uint8_t valueSize) : TPopGenDataSet() { ValueSize = valueSize; }

// Every owned block is a vector or a smart pointer, so destruction frees each exactly once.
TPopGenDataSet::~TPopGenDataSet() = default;

void TPopGenDataSet::Init() {
    for (std::size_t l = 0; l < kLayerCount; ++l) InitLayer(l);
    CurLayer = kNoLayer;
    DataLoaded = false;
    DataText.reset();
    ValueSize = kValueSize;
    CurGroup = 0;
    CurLocusSet = 0;
    SkipLabels = false;
    AutoWorkingCopy = true;
    NeiLiR = 6.0L;
    AvgDraws = 100;
    OutputFileName = "output.txt";
    ReportBuf.reset();
    GroupSelMask.clear();
    WeightingScheme = Weighting::None;
    MarkErrors();
    ResetCounters();
    ResetStateWeights(*this);
    Kernel = KernelChoice{};  // Jaccard, Standard treatment
    SetTextDelimiters(true, '<', '>');
}

void TPopGenDataSet::Clear() {
    for (std::size_t l = 0; l < kLayerCount; ++l) ClearLayer(l);
    DataLoaded = false;
    GroupSelMask.clear();
    CurGroup = 0;
    CurLocusSet = 0;
    CurLayer = kLoadedLayer;
    DataFileName.clear();
    Groups.clear();
    LocusSets.clear();
    ThirdSets.clear();
    ReportBuf.reset();
}

void TPopGenDataSet::ReportError(const std::string& msg) { reporter_->Error(msg); }

void TPopGenDataSet::ReportWarning(const std::string& msg) { reporter_->Warning(msg); }

int TPopGenDataSet::Ask(const std::string& text, const std::string& caption, std::uint32_t flags) {
    return reporter_->Ask(text, caption, flags);
}

void TPopGenDataSet::ResetCounters() {
    QuietMode = false;
    QuietFailures = 0;
}

void TPopGenDataSet::SetTextDelimiters(bool enabled, char open, char close) {
    PreParse = enabled;
    PreParseOpen = open;
    PreParseClose = close;
}

void TPopGenDataSet::SetDistOptions(std::size_t draws, Transformation transform, Extended neiLiR) {
    AvgDraws = draws;
    DistTransform = transform;
    NeiLiR = neiLiR;
}

void TPopGenDataSet::InitLayer(std::size_t l) {
    if (l >= kLayerCount) return;
    Layers[l] = TDSLayer{};
}

void TPopGenDataSet::ClearLayer(std::size_t l) {
    if (l >= kLayerCount) return;
    DistTransform = Transformation::OneMinusS;
    Layers[l] = TDSLayer{};
}

bool TPopGenDataSet::AllocLayerMatrix(std::size_t l, std::size_t nInd, std::size_t nLoci) {
    if (l >= kLayerCount) return false;
    TDSLayer& layer = Layers[l];
    layer.Matrix.clear();
    layer.NInd = layer.NLoci = layer.NCells = 0;
    if (nLoci != 0 && nInd > std::numeric_limits<std::size_t>::max() / nLoci) {
        ReportError("Out of memory");
        return false;
    }
    layer.Matrix.assign(nInd * nLoci, 0);
    layer.NInd = nInd;
    layer.NLoci = nLoci;
    layer.NCells = nInd * nLoci;
    return true;
}

bool TPopGenDataSet::HasData() const { return DataLoaded && CurLayer < kLayerCount && Layers[CurLayer].HasMatrix(); }

TDSLayer& TPopGenDataSet::GetCurrLayer() {
    if (CurLayer < kLayerCount) return Layers[CurLayer];
    noLayer_ = TDSLayer{};
    return noLayer_;
}

const TDSLayer& TPopGenDataSet::GetCurrLayer() const {
    static const TDSLayer empty;
    return CurLayer < kLayerCount ? Layers[CurLayer] : empty;
}

std::string TPopGenDataSet::CurrGroupName() const {
    return CurGroup < Groups.size() ? StrAfterLastSlash(Groups[CurGroup].Name) : std::string();
}

std::string TPopGenDataSet::CurrLocusSetName() const {
    return CurLocusSet < LocusSets.size() ? StrAfterLastSlash(LocusSets[CurLocusSet].Name)
                                          : std::string();
}

void TPopGenDataSet::CorrelationLayer(std::size_t source, std::size_t target, bool clampNegative) {
    if (source > kScratchLayer || target > kScratchLayer) return;
    // Copied first: source and target may be the same layer.
    const std::vector<TLabelledPtr> list = Layers[source].MatrixList;
    const std::size_t values = PackedSize(Layers[source].NInd);
    ClearLayer(target);
    TDSLayer& t = Layers[target];
    const std::size_t n = list.size();
    t.RawMatrix.assign(PackedSize(n), 0.0L);
    ForEachPackedPair(n, [&](std::size_t i, std::size_t j, std::size_t k) {
        const PackedMatrix& a = list[i - 1].Matrix;
        const PackedMatrix& b = list[j - 1].Matrix;
        const std::size_t m = std::min({values, a.size(), b.size()});
        Extended r = PearsonCorr(a, b, m);
        if (clampNegative && r < 0.0L) r = 0.0L;
        t.RawMatrix[k] = r;
    });
    t.IndNames.clear();
    for (const TLabelledPtr& entry : list) t.IndNames.push_back(entry.Label);
    t.NInd = n;
    CurLayer = target;
    DistTransform = Transformation::OneMinusS;
}

// ---- free routines ---------------------------------------------------------------------------

void MaskStrArray(const AByte& mask, const AString& items, AString& result) {
    if (mask.empty() || mask.size() != items.size()) return;
    result.clear();
    for (std::size_t k = 0; k < mask.size(); ++k)
        if (mask[k] == 1) result.push_back(items[k]);
}

std::size_t MaskByteArray(const AByte& mask, const AByte& items, AByte& result) {
    if (mask.empty() || mask.size() != items.size()) return 0;
    result.clear();
    for (std::size_t k = 0; k < mask.size(); ++k)
        if (mask[k] == 1) result.push_back(items[k]);
    return result.size();
}

bool TransposeByteMatrix(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst,
                         std::size_t nCols, std::size_t nRows) {
    if (nCols != 0 && nRows > std::numeric_limits<std::size_t>::max() / nCols) return false;
    const std::size_t cells = nCols * nRows;
    if (src.size() < cells || dst.size() < cells) return false;
    for (std::size_t r = 0; r < nRows; ++r)
        for (std::size_t c = 0; c < nCols; ++c) dst[nRows * c + r] = src[nCols * r + c];
    return true;
}

std::string StrAfterLastSlash(std::string_view s) {
    const std::size_t p = s.rfind('/');
    return std::string(p == std::string_view::npos ? s : s.substr(p + 1));
}

void ClearByteArray(AByte& a) { a.clear(); }

Extended PearsonCorr(std::span<const Extended> a, std::span<const Extended> b, std::size_t n) {
    n = std::min({n, a.size(), b.size()});
    if (n == 0) return 0.0L;
    Extended sx = 0.0L, sy = 0.0L, sxy = 0.0L, sxx = 0.0L, syy = 0.0L;
    for (std::size_t k = 0; k < n; ++k) {
        const Extended x = a[k];
        const Extended y = b[k];
        sx += x;
        sy += y;
        sxy += x * y;
        sxx += x * x;
        syy += y * y;
    }
    const Extended nn = static_cast<Extended>(n);
    return (sxy - sx * sy / nn) / std::sqrt((sxx - sx * sx / nn) * (syy - sy * sy / nn));
}

void ResetStateWeights(TPopGenDataSet& ds) {
    for (auto& row : ds.StateWeights) row.fill(1.0L);
}
