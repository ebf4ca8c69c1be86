#include "popgen/pair_count.h"

#include <algorithm>

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

const TDSLayer& Within(const TPopGenDataSet& ds) { return ds.GetCurrLayer(); }
const TDSLayer& LayerA(const TPopGenDataSet& ds) { return ds.Layers[ds.PairLayerA]; }
const TDSLayer& LayerB(const TPopGenDataSet& ds) { return ds.Layers[ds.PairLayerB]; }

Extended Count(const TDSLayer& la, const TDSLayer& lb, std::size_t i, std::size_t j, std::uint8_t a,
               std::uint8_t b) {
    return static_cast<Extended>(CountStatePairs(Column(la, i), la.NInd, Column(lb, j), lb.NInd, la.NLoci, a, b));
}

Extended StateWeight(const TPopGenDataSet& ds, std::uint8_t a, std::uint8_t b) {
    return ds.StateWeights[std::min<std::uint8_t>(a, 2)][std::min<std::uint8_t>(b, 2)];
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

Extended PairCountNone(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b) {
    return Count(Within(ds), Within(ds), i, j, a, b);
}

Extended PairCountNoneBetween(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                              std::uint8_t b) {
    return Count(LayerA(ds), LayerB(ds), i, j, a, b);
}

Extended PairCountState(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b) {
    return PairCountNone(ds, i, j, a, b) * StateWeight(ds, a, b);
}

Extended PairCountStateBetween(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                               std::uint8_t b) {
    return PairCountNoneBetween(ds, i, j, a, b) * StateWeight(ds, a, b);
}

Extended PairCountLoci(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b) {
    return LociSum(Within(ds), Within(ds), i, j, a, b);
}

Extended PairCountLociBetween(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                              std::uint8_t b) {
    return LociSum(LayerA(ds), LayerB(ds), i, j, a, b);
}

Extended PairCountLociIndiv(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                            std::uint8_t b) {
    return CellProductSum(Within(ds), Within(ds), i, j, a, b);
}

Extended PairCountLociIndivBetween(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                                   std::uint8_t b) {
    return CellProductSum(LayerA(ds), LayerB(ds), i, j, a, b);
}

void SetWeightingScheme(TPopGenDataSet& ds, std::uint8_t scheme) {
    using Counter = Extended (*)(const TPopGenDataSet&, std::size_t, std::size_t, std::uint8_t, std::uint8_t);
    static constexpr Counter kWithin[5] = {PairCountNone, PairCountState, PairCountState, PairCountLoci,
                                           PairCountLociIndiv};
    static constexpr Counter kBetween[5] = {PairCountNoneBetween, PairCountStateBetween, PairCountStateBetween,
                                            PairCountLociBetween, PairCountLociIndivBetween};
    ds.WeightingScheme = scheme;
    if (scheme > 4) {
        ds.ReportError("Unknown Weighting Scheme");
    } else {
        const TPopGenDataSet* self = &ds;
        const Counter within = kWithin[scheme];
        const Counter between = kBetween[scheme];
        ds.PairCountWithin = [self, within](std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b) {
            return within(*self, i, j, a, b);
        };
        ds.PairCountBetween = [self, between](std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b) {
            return between(*self, i, j, a, b);
        };
        if (ds.CurLayer < kLayerCount) {
            if (scheme == 3) InitLocusWeights(ds, ds.CurLayer);
            if (scheme == 4) InitCellWeights(ds, ds.CurLayer);
        }
    }
    ds.PairCount = ds.PairCountWithin;
}

void ResetStateWeights(TPopGenDataSet& ds) {
    for (auto& row : ds.StateWeights) row.fill(1.0L);
}

void InitLocusWeights(TPopGenDataSet& ds, std::size_t layer) {
    TDSLayer& l = ds.Layers[layer];
    if (l.NLoci > 0) l.Weights.assign(l.NLoci, 1.0L);
}

void InitCellWeights(TPopGenDataSet& ds, std::size_t layer) {
    TDSLayer& l = ds.Layers[layer];
    if (l.NLoci > 0 && l.NInd > 0) l.Weights.assign(l.NInd * l.NLoci, 1.0L);
}
