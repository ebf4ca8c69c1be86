#include "popgen/distance_matrix.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "foundation/memory_guard.h"
#include "foundation/number_text.h"
#include "foundation/packed_matrix.h"
#include "foundation/rounding.h"
#include "popgen/coefficients.h"

Extended DistNaN() {
    // The x87 "indefinite": sign 1, exponent 7FFF, mantissa C000000000000000.
    Extended x = 0.0L;
    unsigned char bytes[sizeof(Extended)] = {};
    const std::uint64_t mantissa = 0xC000000000000000ull;
    const std::uint16_t signExp = 0xFFFF;
    std::memcpy(bytes, &mantissa, sizeof mantissa);
    std::memcpy(bytes + 8, &signExp, sizeof signExp);
    std::memcpy(&x, bytes, sizeof x);
    return x;
}

bool IsTriangularNumber(std::size_t m) {
    // m is triangular exactly when 8m + 1 is a perfect square.
    const std::size_t v = 8 * m + 1;
    auto r = static_cast<std::size_t>(std::sqrt(static_cast<long double>(v)));
    while (r * r > v) --r;
    while ((r + 1) * (r + 1) <= v) ++r;
    return r * r == v;
}

std::uint8_t NormalizedTransform(std::uint8_t coefficient, std::uint8_t transform) {
    if (transform > 5) return transform;
    return static_cast<std::uint8_t>(transform % 3 + (IsDistanceCoeff(coefficient) ? 3 : 0));
}

namespace {

// The transformation table; false for an unknown code.
bool Transform(std::uint8_t code, Extended x, Extended& out) {
    switch (code) {
        case 0: out = 1.0L - x; return true;
        case 1: out = std::sqrt(1.0L - x); return true;
        case 2: out = (1.0L - x) * (1.0L - x); return true;
        case 3: out = x; return true;
        case 4: out = std::sqrt(x); return true;
        case 5: out = x * x; return true;
        default: return false;
    }
}

constexpr char kUnknownTransform[] = "DistXF: Unknown option.";

bool HasBandData(const TDSLayer& l) {
    return l.NInd > 0 && l.NLoci > 0 && l.Matrix.size() >= l.NInd * l.NLoci;
}

// A current layer whose band matrix can be compared; otherwise reported.
bool CheckRunLayer(TPopGenDataSet& ds) {
    if (ds.CurLayer >= kLayerCount || !HasBandData(ds.GetCurrLayer())) {
        ds.ReportError("No band data to compute distances from.");
        return false;
    }
    return true;
}

// Sizes the given packed matrices for n individuals; a size that cannot be had is reported.
bool SizeMatrices(TPopGenDataSet& ds, std::size_t n, std::initializer_list<PackedMatrix*> matrices) {
    const std::size_t maxN = 1ull << 31;  // keeps n(n+1)/2 from overflowing; the allocation refuses the rest
    const auto refuse = [&] {
        ds.ReportError("Not enough memory for a distance matrix of " + UIntToStr(n) + " individuals.");
        return false;
    };
    if (n >= maxN) return refuse();
    const std::size_t slots = PackedSize(n);
    if (!CompletesInMemory([&] {
            for (PackedMatrix* m : matrices) m->resize(slots);
        }))
        return refuse();
    ds.MatrixBytes = slots * ds.ValueSize;
    return true;
}

bool RefuseNoDraws(TPopGenDataSet& ds, std::size_t draws) {
    if (draws >= 1) return false;
    ds.ReportError("The number of random draws must be at least 1.");
    return true;
}

NeiLiReportScope RunReport(TPopGenDataSet& ds) {
    return NeiLiReportScope([&ds](const std::string& msg) { ds.ReportError(msg); });
}

}  // namespace

bool PrepareDistRun(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, std::size_t draws,
                    Extended neiLiR, std::uint8_t& transform) {
    ds.Kernel = nullptr;
    if (!GetCoefficientFunc(ds, mode, coefficient, ds.Kernel)) return false;
    if (mode == 3 && RefuseNoDraws(ds, draws)) return false;
    if (!CheckRunLayer(ds)) return false;
    ResetFPU();
    TDSLayer& layer = ds.GetCurrLayer();
    if (!SizeMatrices(ds, layer.NInd, {&layer.RawMatrix, &layer.DistMatrix})) return false;
    // A transformation left by a distance import or a population distance must not turn this
    // run's similarities into "distances" (or the reverse).
    transform = NormalizedTransform(coefficient, transform);
    ds.SetDistOptions(draws, transform, neiLiR);
    return true;
}

bool CalcDistMatrix(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, std::uint8_t transform,
                    Extended neiLiR, std::size_t draws, std::uint8_t prepare) {
    if (prepare == 1) {
        if (!PrepareDistRun(ds, mode, coefficient, draws, neiLiR, transform)) return false;
    } else {
        transform = NormalizedTransform(coefficient, transform);
    }
    if (!ds.Kernel || !CheckRunLayer(ds)) {
        if (!ds.Kernel) ds.ReportError("No coefficient selected for the distance matrix.");
        return false;
    }
    TDSLayer& layer = ds.GetCurrLayer();
    const std::size_t n = layer.NInd;
    if (layer.RawMatrix.size() != PackedSize(n) || layer.DistMatrix.size() != PackedSize(n)) {
        if (!SizeMatrices(ds, n, {&layer.RawMatrix, &layer.DistMatrix})) return false;
    }
    auto report = RunReport(ds);
    std::size_t k = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= i; ++j, ++k) {
            const Extended v = ds.Kernel(i, j);
            layer.RawMatrix[k] = v;
            if (!Transform(transform, v, layer.DistMatrix[k])) {
                report.Flush();
                ds.ReportError(kUnknownTransform);
                return false;
            }
        }
    }
    report.Flush();
    return true;
}

bool CalcDistances(TPopGenDataSet& ds, std::uint8_t coefficient, std::uint8_t transform, Extended neiLiR,
                   std::size_t draws) {
    TAvgSDKernelFunc kernel;
    if (!GetAvgSDKernel(ds, coefficient, kernel)) return false;
    if (RefuseNoDraws(ds, draws) || !CheckRunLayer(ds)) return false;
    ResetFPU();
    transform = NormalizedTransform(coefficient, transform);
    ds.SetDistOptions(draws, transform, neiLiR);
    TDSLayer& layer = ds.GetCurrLayer();
    const std::size_t n = layer.NInd;
    if (!SizeMatrices(ds, n, {&layer.RawMatrix, &layer.VarMatrix, &layer.SDMatrix, &layer.DistMatrix})) return false;
    auto report = RunReport(ds);
    std::size_t k = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= i; ++j, ++k) {
            Extended variance = 0.0L, sd = 0.0L;
            const Extended mean = kernel(i, j, variance, sd);
            layer.RawMatrix[k] = mean;
            layer.VarMatrix[k] = variance;
            layer.SDMatrix[k] = sd;
            if (!Transform(transform, mean, layer.DistMatrix[k])) {
                report.Flush();
                ds.ReportError(kUnknownTransform);
                return false;
            }
        }
    }
    report.Flush();
    return true;
}

Extended DistXF(TPopGenDataSet& ds, Extended x) {
    Extended out = DistNaN();
    if (!Transform(ds.DistTransform, x, out)) {
        ds.ReportError(kUnknownTransform);
        return DistNaN();
    }
    return out;
}

Extended KernelXF(TPopGenDataSet& ds, std::size_t i, std::size_t j) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!ds.Kernel || i == 0 || j == 0 || i > layer.NInd || j > layer.NInd || !HasBandData(layer)) return DistNaN();
    return DistXF(ds, ds.Kernel(i, j));
}

Extended BetweenLayersXF(TPopGenDataSet& ds, std::uint8_t layerA, std::uint8_t layerB, std::size_t i,
                         std::size_t j) {
    if (layerA >= kLayerCount || layerB >= kLayerCount || !ds.Kernel) return DistNaN();
    const TDSLayer& a = ds.Layers[layerA];
    const TDSLayer& b = ds.Layers[layerB];
    if (!HasBandData(a) || !HasBandData(b) || a.NLoci != b.NLoci) {
        ds.ReportError("BetweenLayersXF: the layers do not hold the same loci.");
        return DistNaN();
    }
    if (i == 0 || j == 0 || i > a.NInd || j > b.NInd) return DistNaN();
    // Restores the counter also when the kernel throws.
    struct Restore {
        TPopGenDataSet& ds;
        TPairCountFunc saved;
        ~Restore() { ds.PairCount = std::move(saved); }
    } restore{ds, ds.PairCount};
    ds.PairLayerA = layerA;
    ds.PairLayerB = layerB;
    ds.PairCount = ds.PairCountBetween;
    return DistXF(ds, ds.Kernel(i, j));
}

Extended PairDistance(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, std::uint8_t transform,
                      std::size_t i, std::size_t j) {
    if (mode == 3 && RefuseNoDraws(ds, ds.AvgDraws)) return DistNaN();
    struct Restore {
        TPopGenDataSet& ds;
        std::uint8_t transform;
        TKernelFunc kernel;
        ~Restore() {
            ds.DistTransform = transform;
            ds.Kernel = std::move(kernel);
        }
    } restore{ds, ds.DistTransform, ds.Kernel};
    ds.DistTransform = transform;
    if (!GetCoefficientFunc(ds, mode, coefficient, ds.Kernel)) return DistNaN();
    return KernelXF(ds, i, j);
}

Extended GetDist(const TPopGenDataSet& ds, std::size_t i, std::size_t j) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (i == 0 || j == 0 || layer.DistMatrix.empty()) return DistNaN();
    const std::size_t k = PairIndex(i, j);
    return k < layer.DistMatrix.size() ? layer.DistMatrix[k] : DistNaN();
}

bool ExpOldStyleDistMatrix(TPopGenDataSet& ds, AExt& block) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (layer.DistMatrix.empty()) {
        ds.ReportError("ExpOldStyleDistMatrix: pDistances not set");
        return false;
    }
    block = layer.DistMatrix;
    return true;
}

bool FindDistancesBelow(TPopGenDataSet& ds, std::vector<std::size_t>& list, std::uint8_t replace, Extended threshold,
                        Extended newValue) {
    list.clear();
    TDSLayer& layer = ds.GetCurrLayer();
    if (layer.DistMatrix.empty()) return false;
    for (std::size_t k = 0; k < layer.DistMatrix.size(); ++k) {
        if (layer.DistMatrix[k] < threshold && !IsTriangularNumber(k + 1)) {
            list.push_back(k);
            if (replace == 1) layer.DistMatrix[k] = newValue;
        }
    }
    return !list.empty();
}
