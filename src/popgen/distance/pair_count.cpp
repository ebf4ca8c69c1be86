#include "popgen/distance/pair_count.h"

#include <algorithm>
#include <atomic>

std::size_t CountStatePairs(const std::uint8_t* a, std::size_t strideA, const std::uint8_t* b, std::size_t strideB,
                            std::size_t n, std::uint8_t stateA, std::uint8_t stateB) {
    std::size_t count = 0;
    for (std::size_t l = 0; l < n; ++l, a += strideA, b += strideB) count += (*a == stateA) & (*b == stateB);
    return count;
}

Extended SumStatePairWeights(const std::uint8_t* a, std::size_t strideA, const std::uint8_t* b, std::size_t strideB,
                             std::size_t n, std::uint8_t stateA, std::uint8_t stateB, const Extended* w,
                             std::size_t strideW) {
    Extended sum = 0.0L;
    for (std::size_t l = 0; l < n; ++l, a += strideA, b += strideB, w += strideW)
        if (*a == stateA && *b == stateB) sum += *w;
    return sum;
}

Extended SumStatePairWeightProducts(const std::uint8_t* a, std::size_t strideA, const std::uint8_t* b,
                                    std::size_t strideB, std::size_t n, std::uint8_t stateA, std::uint8_t stateB,
                                    const Extended* wa, std::size_t strideWa, const Extended* wb,
                                    std::size_t strideWb) {
    Extended sum = 0.0L;
    for (std::size_t l = 0; l < n; ++l, a += strideA, b += strideB, wa += strideWa, wb += strideWb)
        if (*a == stateA && *b == stateB) sum += *wa * *wb;
    return sum;
}

namespace {

// Individual i's first cell in a locus-major layer.
const std::uint8_t* Column(const TDSLayer& layer, std::size_t i) { return layer.Matrix.data() + (i - 1); }

Extended Count(const TDSLayer& la, const TDSLayer& lb, std::size_t i, std::size_t j, std::uint8_t a,
               std::uint8_t b) {
    return static_cast<Extended>(CountStatePairs(Column(la, i), la.NInd, Column(lb, j), lb.NInd, la.NLoci, a, b));
}

// A layer made after the scheme was set has no weight block of its own; every weight is 1.0
// then, as it is in every block the program fills.
bool HasLocusWeights(const TDSLayer& l) { return l.Weights.size() == l.NLoci; }
bool HasCellWeights(const TDSLayer& l) { return l.Weights.size() == l.NInd * l.NLoci && l.NInd > 0; }

Extended LociSum(const TDSLayer& la, const TDSLayer& lb, std::size_t i, std::size_t j, std::uint8_t a,
                 std::uint8_t b) {
    if (!HasLocusWeights(la)) return Count(la, lb, i, j, a, b);
    return SumStatePairWeights(Column(la, i), la.NInd, Column(lb, j), lb.NInd, la.NLoci, a, b, la.Weights.data(), 1);
}

Extended CellProductSum(const TDSLayer& la, const TDSLayer& lb, std::size_t i, std::size_t j, std::uint8_t a,
                        std::uint8_t b) {
    if (!HasCellWeights(la) || !HasCellWeights(lb)) {
        if (HasCellWeights(la))
            return SumStatePairWeights(Column(la, i), la.NInd, Column(lb, j), lb.NInd, la.NLoci, a, b,
                                       la.Weights.data() + (i - 1), la.NInd);
        if (HasCellWeights(lb))
            return SumStatePairWeights(Column(la, i), la.NInd, Column(lb, j), lb.NInd, la.NLoci, a, b,
                                       lb.Weights.data() + (j - 1), lb.NInd);
        return Count(la, lb, i, j, a, b);
    }
    return SumStatePairWeightProducts(Column(la, i), la.NInd, Column(lb, j), lb.NInd, la.NLoci, a, b,
                                      la.Weights.data() + (i - 1), la.NInd, lb.Weights.data() + (j - 1), lb.NInd);
}

}  // namespace

TPairCountFunc PairCounter(const TDSLayer& a, const TDSLayer& b, Weighting scheme, const StateWeightTable& weights) {
    const TDSLayer* la = &a;
    const TDSLayer* lb = &b;
    switch (scheme) {
        case Weighting::None:
            return [la, lb](std::size_t i, std::size_t j, std::uint8_t x, std::uint8_t y) {
                return Count(*la, *lb, i, j, x, y);
            };
        case Weighting::State:
        case Weighting::StateComb: {
            const StateWeightTable* w = &weights;
            return [la, lb, w](std::size_t i, std::size_t j, std::uint8_t x, std::uint8_t y) {
                return Count(*la, *lb, i, j, x, y) * (*w)[std::min<std::uint8_t>(x, 2)][std::min<std::uint8_t>(y, 2)];
            };
        }
        case Weighting::Loci:
            return [la, lb](std::size_t i, std::size_t j, std::uint8_t x, std::uint8_t y) {
                return LociSum(*la, *lb, i, j, x, y);
            };
        case Weighting::LociIndiv:
            return [la, lb](std::size_t i, std::size_t j, std::uint8_t x, std::uint8_t y) {
                return CellProductSum(*la, *lb, i, j, x, y);
            };
    }
    return nullptr;
}

namespace {

// Index of a cell code in StatePairCounts; -1 for a code no planar cell holds.
int PlaneState(std::uint8_t s) { return s == 0 ? 0 : s == 1 ? 1 : s == 9 ? 2 : -1; }

Extended PlaneCount(const BandPlanes& planes, std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b) {
    const int x = PlaneState(a), y = PlaneState(b);
    if (x < 0 || y < 0) return 0.0L;  // planes are built only from cells 0, 1 and 9
    // A kernel asks for several counts of one pair in a row; one pass gives all nine. The cache is
    // the thread's own, so calls may run at once.
    struct Last {
        std::uint64_t build = 0;
        std::size_t i = 0, j = 0;
        StatePairCounts c{};
    };
    thread_local Last last;
    if (last.build != planes.BuildId() || last.i != i || last.j != j || last.build == 0) {
        planes.Count(i - 1, planes, j - 1, last.c);
        last.build = planes.BuildId();
        last.i = i;
        last.j = j;
    }
    return static_cast<Extended>(last.c[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)]);
}

}  // namespace

TPairCountFunc PlanePairCounter(const BandPlanes& planes, Weighting scheme, const StateWeightTable& weights) {
    const BandPlanes* p = &planes;
    switch (scheme) {
        case Weighting::None:
            return [p](std::size_t i, std::size_t j, std::uint8_t x, std::uint8_t y) {
                return PlaneCount(*p, i, j, x, y);
            };
        case Weighting::State:
        case Weighting::StateComb: {
            const StateWeightTable* w = &weights;
            return [p, w](std::size_t i, std::size_t j, std::uint8_t x, std::uint8_t y) {
                return PlaneCount(*p, i, j, x, y) * (*w)[std::min<std::uint8_t>(x, 2)][std::min<std::uint8_t>(y, 2)];
            };
        }
        case Weighting::Loci:
        case Weighting::LociIndiv: break;
    }
    return nullptr;
}

namespace {
std::atomic<std::uint64_t> gRowBuilds{0};
}

bool WeightedRows::Build(const TDSLayer& layer, Weighting scheme) {
    n_ = loci_ = 0;
    id_ = 0;
    state_.clear();
    weights_.clear();
    const std::size_t n = layer.NInd, loci = layer.NLoci;
    if (n == 0 || loci == 0 || layer.Matrix.size() < n * loci) return false;
    if (scheme == Weighting::Loci && HasLocusWeights(layer)) {
        cells_ = false;
    } else if (scheme == Weighting::LociIndiv && HasCellWeights(layer)) {
        cells_ = true;
    } else {
        return false;
    }
    state_.resize(n * loci);
    for (std::size_t l = 0; l < loci; ++l) {
        for (std::size_t i = 0; i < n; ++i) {
            const int s = PlaneState(layer.Matrix[l * n + i]);
            if (s < 0) {
                state_.clear();
                return false;
            }
            state_[i * loci + l] = static_cast<std::uint8_t>(s);
        }
    }
    if (cells_) {
        weights_.resize(n * loci);
        for (std::size_t l = 0; l < loci; ++l)
            for (std::size_t i = 0; i < n; ++i) weights_[i * loci + l] = layer.Weights[l * n + i];
    } else {
        weights_ = layer.Weights;
    }
    n_ = n;
    loci_ = loci;
    id_ = gRowBuilds.fetch_add(1, std::memory_order_relaxed) + 1;
    return true;
}

void WeightedRows::Sums(std::size_t i, std::size_t j, std::array<Extended, 9>& sums) const {
    sums.fill(0.0L);
    const std::uint8_t* a = state_.data() + (i - 1) * loci_;
    const std::uint8_t* b = state_.data() + (j - 1) * loci_;
    if (cells_) {
        const Extended* wa = weights_.data() + (i - 1) * loci_;
        const Extended* wb = weights_.data() + (j - 1) * loci_;
        for (std::size_t l = 0; l < loci_; ++l) sums[a[l] * 3u + b[l]] += wa[l] * wb[l];
    } else {
        const Extended* w = weights_.data();
        for (std::size_t l = 0; l < loci_; ++l) sums[a[l] * 3u + b[l]] += w[l];
    }
}

TPairCountFunc WeightedRowsCounter(const WeightedRows& rows) {
    const WeightedRows* r = &rows;
    return [r](std::size_t i, std::size_t j, std::uint8_t x, std::uint8_t y) {
        const int a = PlaneState(x), b = PlaneState(y);
        if (a < 0 || b < 0) return 0.0L;  // rows are built only from cells 0, 1 and 9
        // As with the planes: one pass serves the kernel's several asks of a pair, per thread.
        struct Last {
            std::uint64_t build = 0;
            std::size_t i = 0, j = 0;
            std::array<Extended, 9> sums{};
        };
        thread_local Last last;
        if (last.build != r->BuildId() || last.i != i || last.j != j || last.build == 0) {
            r->Sums(i, j, last.sums);
            last.build = r->BuildId();
            last.i = i;
            last.j = j;
        }
        return last.sums[static_cast<std::size_t>(a * 3 + b)];
    };
}

TPairCountFunc PairCounterOf(const TPopGenDataSet& ds) {
    const TDSLayer& layer = ds.GetCurrLayer();
    return PairCounter(layer, layer, ds.WeightingScheme, ds.StateWeights);
}

void SetWeightingScheme(TPopGenDataSet& ds, Weighting scheme) {
    if (NumberOf(scheme) > NumberOf(Weighting::LociIndiv)) {
        ds.ReportError("Unknown Weighting Scheme");
        return;
    }
    ds.WeightingScheme = scheme;
    if (ds.CurLayer < kLayerCount) {
        if (scheme == Weighting::Loci) InitLocusWeights(ds, ds.CurLayer);
        if (scheme == Weighting::LociIndiv) InitCellWeights(ds, ds.CurLayer);
    }
}

void InitLocusWeights(TPopGenDataSet& ds, std::size_t layer) {
    TDSLayer& l = ds.Layers[layer];
    if (l.NLoci > 0) l.Weights.assign(l.NLoci, 1.0L);
}

void InitCellWeights(TPopGenDataSet& ds, std::size_t layer) {
    TDSLayer& l = ds.Layers[layer];
    if (l.NLoci > 0 && l.NInd > 0) l.Weights.assign(l.NInd * l.NLoci, 1.0L);
}
