#include "popgen/distance/distance_matrix.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "foundation/cpu_dispatch.h"
#include "foundation/memory_guard.h"
#include "foundation/number_text.h"
#include "foundation/packed_matrix.h"
#include "foundation/rounding.h"
#include "foundation/scope_exit.h"
#include "foundation/thread_pool.h"
#include "popgen/distance/coefficients.h"
#include "popgen/distance/pair_count.h"

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

Transformation NormalizedTransform(Coefficient coefficient, Transformation transform) {
    const std::uint8_t code = NumberOf(transform);
    if (code > 5) return transform;
    return CodeOf<Transformation>(static_cast<std::uint8_t>(code % 3 + (IsDistanceCoeff(coefficient) ? 3 : 0)));
}

namespace {

// The six transformations, each as a callable on one value that knows the kind of coefficient
// it serves.
template <bool Distance>
struct TransformOf {
    static constexpr bool kDistance = Distance;
};
struct OneMinusS : TransformOf<false> {
    Extended operator()(Extended x) const { return 1.0L - x; }
};
struct SqrtOneMinusS : TransformOf<false> {
    Extended operator()(Extended x) const { return std::sqrt(1.0L - x); }
};
struct SqOneMinusS : TransformOf<false> {
    Extended operator()(Extended x) const { return (1.0L - x) * (1.0L - x); }
};
struct D : TransformOf<true> {
    Extended operator()(Extended x) const { return x; }
};
struct SqrtD : TransformOf<true> {
    Extended operator()(Extended x) const { return std::sqrt(x); }
};
struct SqD : TransformOf<true> {
    Extended operator()(Extended x) const { return x * x; }
};

// The transformation table: f(t) with t the transformation of the code; false for an unknown code.
template <class F>
bool WithTransform(Transformation code, F&& f) {
    switch (code) {
        case Transformation::OneMinusS: f(OneMinusS{}); return true;
        case Transformation::SqrtOneMinusS: f(SqrtOneMinusS{}); return true;
        case Transformation::SqOneMinusS: f(SqOneMinusS{}); return true;
        case Transformation::D: f(D{}); return true;
        case Transformation::SqrtD: f(SqrtD{}); return true;
        case Transformation::SqD: f(SqD{}); return true;
    }
    return false;
}

// One value transformed; false for an unknown code.
bool Transform(Transformation code, Extended x, Extended& out) {
    return WithTransform(code, [&](auto t) { out = t(x); });
}

constexpr char kUnknownTransform[] = "DistXF: Unknown option.";
constexpr char kNoDraws[] = "The number of random draws must be at least 1.";
constexpr char kNoBandData[] = "No band data to compute distances from.";

// Whether the transformation table knows the code.
bool KnownTransform(Transformation code) {
    Extended out = 0.0L;
    return Transform(code, 0.0L, out);
}

// Dist := Raw transformed, over the slots [begin, end) of one piece (a known code); returns how many
// hold the undefined Nei-Li marker, counted for Nei-Li only.
std::size_t TransformSlots(Transformation code, Coefficient coeff, DistMatrices& out, std::size_t begin,
                           std::size_t end) {
    const Extended* raw = out.Raw.data();
    Extended* dist = out.Dist.data();
    WithTransform(code, [&](auto t) {
        for (std::size_t k = begin; k < end; ++k) dist[k] = t(raw[k]);
    });
    std::size_t undefined = 0;
    if (coeff == Coefficient::NeiLi)
        for (std::size_t k = begin; k < end; ++k) undefined += raw[k] == kUndefinedDistance ? 1 : 0;
    return undefined;
}

// The pieces of a triangle of `slots` packed pairs: about 4096 pairs each, at most 4096 of them.
// They depend on the size alone, so the results (and the order the collectors are merged in) do not
// depend on the number of threads.
std::size_t PiecesOf(std::size_t slots) {
    constexpr std::size_t kPairs = 4096, kMaxPieces = 4096;
    return std::min(kMaxPieces, (slots + kPairs - 1) / kPairs);
}

// Walks the pairs of piece p of a triangle of `slots` pairs: f(i, j, k) in packed order.
template <class F>
void ForEachPairOfPiece(std::size_t slots, std::size_t pieces, std::size_t p, F&& f) {
    const PieceRange range = PieceOf(slots, pieces, p);
    std::size_t i = 0, j = 0;
    IndexToPair(range.begin, i, j);
    for (std::size_t k = range.begin; k < range.end; ++k) {
        f(i, j, k);
        if (++j > i) {
            ++i;
            j = 1;
        }
    }
}

// A kernel without draws over every pair, in pieces on the program's threads. Each piece collects
// its own undefined Nei-Li pairs; they are merged in piece order, which is pair order. Nothing is
// reported from a piece.
void KernelInPieces(const KernelSource& shared, TKernelProc kernel, Coefficient coeff, Transformation transform,
                    std::size_t n, NeiLiProblems& problems, DistMatrices& out) {
    const std::size_t slots = PackedSize(n);
    const std::size_t pieces = PiecesOf(slots);
    std::vector<NeiLiProblems> collected(pieces);
    std::vector<std::size_t> undefined(pieces, 0);
    ParallelPieces(pieces, [&](std::size_t p) {
        ResetFPU();  // every thread computes in the state the run set on its caller
        KernelSource src = shared;
        src.Problems = &collected[p];
        src.NoDraws = nullptr;  // only the Average treatment draws
        ForEachPairOfPiece(slots, pieces, p,
                           [&](std::size_t i, std::size_t j, std::size_t k) { out.Raw[k] = kernel(src, i, j); });
        const PieceRange range = PieceOf(slots, pieces, p);
        undefined[p] = TransformSlots(transform, coeff, out, range.begin, range.end);
    });
    for (std::size_t p = 0; p < pieces; ++p) {
        problems.Append(collected[p]);
        out.UndefinedPairs += undefined[p];
    }
}

// The counts of one pair from bit planes as the kernels' formulas read them: the values
// PlanePairCounter returns under the scheme None, without a call per count.
constexpr std::size_t StateIndex(std::uint8_t s) { return s == 9 ? 2 : s; }
struct PlaneCounts {
    StatePairCounts n;
    Extended operator()(std::uint8_t a, std::uint8_t b) const {
        return static_cast<Extended>(static_cast<std::int64_t>(n[StateIndex(a)][StateIndex(b)]));
    }
};

// A run without draws on bit planes, and what its pieces collect (one entry per piece).
struct PlaneRun {
    const BandPlanes* planes;
    const KernelSource* shared;
    Coefficient coeff;
    Transformation transform;
    std::size_t slots, pieces;
    NeiLiProblems* collected;
    std::size_t* undefined;
    DistMatrices* out;
};

// One piece: every pair counted in one pass over the planes and formula F, then the transformation.
// Written without lambdas so that all of it is compiled for the population count instruction.
template <formulas::Proc<PlaneCounts> F, class T>
[[gnu::always_inline]] inline void PlanePieceBody(const PlaneRun& run, std::size_t p) {
    ResetFPU();  // every thread computes in the state the run set on its caller
    KernelSource src = *run.shared;
    src.Problems = &run.collected[p];
    src.NoDraws = nullptr;
    PlaneCounts c{};
    Extended* raw = run.out->Raw.data();
    Extended* dist = run.out->Dist.data();
    const T transform;
    const PieceRange range = PieceOf(run.slots, run.pieces, p);
    std::size_t i = 0, j = 0;
    IndexToPair(range.begin, i, j);
    for (std::size_t k = range.begin; k < range.end; ++i, j = 1) {
        const std::size_t rowEnd = std::min(range.end, k + (i - j + 1));
        for (; k < rowEnd; ++k, ++j) {
            run.planes->CountWithin(i - 1, j - 1, c.n);
            const Extended v = F(src, i, j, c);
            raw[k] = v;
            dist[k] = transform(v);
        }
    }
    std::size_t undefined = 0;
    if (run.coeff == Coefficient::NeiLi)
        for (std::size_t k = range.begin; k < range.end; ++k) undefined += raw[k] == kUndefinedDistance ? 1 : 0;
    run.undefined[p] = undefined;
}

template <formulas::Proc<PlaneCounts> F, class T>
__attribute__((target("popcnt"))) void PlanePiece(const PlaneRun& run, std::size_t p) {
    PlanePieceBody<F, T>(run, p);
}

using PlanePieceProc = void (*)(const PlaneRun& run, std::size_t p);

// The piece routine of formula K = 6 * treatment + coefficient (treatments 0-2) under the
// transformation, which the run has brought into line with the kind of the coefficient.
template <std::size_t K = 0>
PlanePieceProc PlanePieceFor(std::size_t formula, Transformation code) {
    if constexpr (K == 18) {
        return nullptr;
    } else {
        if (formula != K) return PlanePieceFor<K + 1>(formula, code);
        PlanePieceProc proc = nullptr;
        WithTransform(code, [&](auto t) {
            if constexpr (decltype(t)::kDistance == (K % 6 >= 3))  // NeiLi, Euclidean, SqEuclidean
                proc = PlanePiece<formulas::kByTreatment<PlaneCounts>[K / 6][K % 6], decltype(t)>;
        });
        return proc;
    }
}

// KernelInPieces on bit planes, for a processor with the population count instruction; false, and
// nothing done, for a transformation of the other kind of coefficient.
bool KernelOnPlanes(const KernelSource& shared, const BandPlanes& planes, Treatment mode, Coefficient coeff, Transformation transform, std::size_t n, NeiLiProblems& problems,
                    DistMatrices& out) {
    const std::size_t slots = PackedSize(n);
    const std::size_t pieces = PiecesOf(slots);
    std::vector<NeiLiProblems> collected(pieces);
    std::vector<std::size_t> undefined(pieces, 0);
    const std::size_t formula = NumberOf(mode) * 6u + NumberOf(coeff);
    const PlanePieceProc proc = PlanePieceFor(formula, transform);
    if (!proc) return false;
    PlaneRun run{&planes, &shared, coeff, transform, slots, pieces, nullptr, nullptr, &out};
    run.collected = collected.data();
    run.undefined = undefined.data();
    ParallelPieces(pieces, [&](std::size_t p) { proc(run, p); });
    for (std::size_t p = 0; p < pieces; ++p) {
        problems.Append(collected[p]);
        out.UndefinedPairs += undefined[p];
    }
    return true;
}

// The Average treatment: the bounds of every pair in pieces (undefined Nei-Li pairs collected per
// piece and merged in pair order), then the draws on the calling thread in pair order from the one
// stream, then the transformation in pieces. A pair waiting for its draws holds its bounds in Raw
// and Dist meanwhile.
void AverageInPieces(const KernelSource& shared, Coefficient coeff, bool spread, Transformation transform,
                     std::size_t n, NeiLiProblems& problems, DistMatrices& out) {
    const std::size_t slots = PackedSize(n);
    const std::size_t pieces = PiecesOf(slots);
    std::vector<NeiLiProblems> collected(pieces);
    std::vector<NoDrawPairs> noDraws(pieces);
    std::vector<std::uint8_t> drawn(slots, 0);
    ParallelPieces(pieces, [&](std::size_t p) {
        ResetFPU();
        KernelSource src = shared;
        src.Problems = &collected[p];
        src.NoDraws = &noDraws[p];
        ForEachPairOfPiece(slots, pieces, p, [&](std::size_t i, std::size_t j, std::size_t k) {
            const AverageStep step = AverageBoundsOf(src, coeff, i, j);
            if (step.draw) {
                out.Raw[k] = step.lo;
                out.Dist[k] = step.hi;
                drawn[k] = 1;
                return;
            }
            out.Raw[k] = step.mean;
            if (spread) {
                out.Var[k] = step.variance;
                out.SD[k] = step.sd;
            }
        });
    });
    for (const NeiLiProblems& c : collected) problems.Append(c);
    for (const NoDrawPairs& d : noDraws) out.NoDraws.Append(d);
    for (std::size_t k = 0; k < slots; ++k) {
        if (!drawn[k]) continue;
        AverageStep step;
        step.lo = out.Raw[k];
        step.hi = out.Dist[k];
        step.draw = true;
        DrawAverage(shared, coeff, step);
        out.Raw[k] = step.mean;
        if (spread) {
            out.Var[k] = step.variance;
            out.SD[k] = step.sd;
        }
    }
    std::vector<std::size_t> undefined(pieces, 0);
    ParallelPieces(pieces, [&](std::size_t p) {
        ResetFPU();
        const PieceRange range = PieceOf(slots, pieces, p);
        undefined[p] = TransformSlots(transform, coeff, out, range.begin, range.end);
    });
    for (const std::size_t u : undefined) out.UndefinedPairs += u;
}

bool HasBandData(const TDSLayer& l) {
    return l.NInd > 0 && l.NLoci > 0 && l.Matrix.size() >= l.NInd * l.NLoci;
}

// Sizes the given packed matrices for n individuals; a size that cannot be had is reported.
bool SizeMatrices(Reporter& reporter, std::size_t n, std::initializer_list<PackedMatrix*> matrices) {
    const std::size_t maxN = 1ull << 31;  // keeps n(n+1)/2 from overflowing; the allocation refuses the rest
    const auto refuse = [&] {
        reporter.Error("Not enough memory for a distance matrix of " + UIntToStr(n) + " individuals.");
        return false;
    };
    if (n >= maxN) return refuse();
    const std::size_t slots = PackedSize(n);
    // Blocks that must be had afresh are zeroed at once, the page faults spread over the threads.
    const std::vector<PackedMatrix*> list(matrices);
    if (!CompletesInMemory([&] { ParallelPieces(list.size(), [&](std::size_t p) { list[p]->resize(slots); }); }))
        return refuse();
    return true;
}

// Stores a run's result in the current layer and its options in the data set; reports the
// undefined Nei-Li pairs it left.
void Commit(TPopGenDataSet& ds, const DistRunOptions& options, bool spread, DistMatrices& result,
            const NeiLiProblems& problems) {
    TDSLayer& layer = ds.GetCurrLayer();
    layer.RawMatrix = std::move(result.Raw);
    layer.DistMatrix = std::move(result.Dist);
    if (spread) {
        layer.VarMatrix = std::move(result.Var);
        layer.SDMatrix = std::move(result.SD);
    } else {
        ds.Kernel = KernelChoice{options.Mode, options.Coeff};
    }
    layer.UndefinedPairs = result.UndefinedPairs;
    layer.NoDraws = result.NoDraws;
    ds.SetDistOptions(options.Draws, NormalizedTransform(options.Coeff, options.Transform), options.NeiLiR);
    // The matrix is kept with its -1.0 markers (trees and PCoA refuse it); the pairs are told once.
    if (problems.Count() > 0) ds.ReportWarning(problems.Message());
}

// The problem that stops a run before it computes anything, or nullptr. (An unknown transformation
// stops it at the first pair.)
const char* RunProblem(const TDSLayer& layer, const DistRunOptions& options, bool spread) {
    const Treatment mode = spread ? Treatment::Average : options.Mode;
    if (spread && NumberOf(options.Coeff) > 5) return "TeskCore/TPopGenDataSet: Unknown coeffient 2";
    if (const char* problem = KernelCodeProblem(mode, options.Coeff)) return problem;
    if (mode == Treatment::Average && options.Draws < 1) return kNoDraws;
    if (!HasBandData(layer)) return kNoBandData;
    return nullptr;
}

// Whether a run overwrites the layer's matrices in place: when it certainly computes every value and
// the layer holds all its matrices at the run's size (fresh blocks of that size cost more in page
// faults than the counting). The run cannot fail then; should anything pass through it, the layer
// gets them back.
bool RunsInPlace(const TDSLayer& layer, const DistRunOptions& options, bool spread) {
    const std::size_t slots = PackedSize(layer.NInd);
    const auto fits = [slots](const PackedMatrix& m) { return m.size() == slots; };
    return !RunProblem(layer, options, spread) &&
           KnownTransform(NormalizedTransform(options.Coeff, options.Transform)) && fits(layer.RawMatrix) &&
           fits(layer.DistMatrix) && (!spread || (fits(layer.VarMatrix) && fits(layer.SDMatrix)));
}

void SwapMatrices(TDSLayer& layer, DistMatrices& result, bool spread) {
    std::swap(layer.RawMatrix, result.Raw);
    std::swap(layer.DistMatrix, result.Dist);
    if (spread) {
        std::swap(layer.VarMatrix, result.Var);
        std::swap(layer.SDMatrix, result.SD);
    }
}

bool RunOnCurrentLayer(TPopGenDataSet& ds, const DistRunOptions& options, bool spread, RandomStream& random) {
    if (ds.CurLayer >= kLayerCount) {
        ds.ReportError(kNoBandData);
        return false;
    }
    TDSLayer& layer = ds.GetCurrLayer();
    NeiLiProblems problems;
    DistMatrices result;
    const bool inPlace = RunsInPlace(layer, options, spread);
    if (inPlace) SwapMatrices(layer, result, spread);
    ScopeExit giveBack([&] {
        if (inPlace) SwapMatrices(layer, result, spread);
    });
    const LayerCounts counts(layer, ds.WeightingScheme, ds.StateWeights);
    const bool ok = ComputeDistances(layer, counts, options, spread, random, problems, ds.Reporting(), result);
    if (!ok) return false;
    giveBack.Dismiss();
    Commit(ds, options, spread, result, problems);
    return true;
}

}  // namespace

namespace {

// The run; with the planes of its plain counts it counts on them where it can.
bool Run(const TDSLayer& layer, const TPairCountFunc& counter, const BandPlanes* planes, const DistRunOptions& options, bool spread, RandomStream& random,
         NeiLiProblems& problems, Reporter& reporter, DistMatrices& out) {
    const Treatment mode = spread ? Treatment::Average : options.Mode;
    if (const char* problem = RunProblem(layer, options, spread)) {
        reporter.Error(problem);
        return false;
    }
    // A transformation left by a distance import or a population distance must not turn this
    // run's similarities into "distances" (or the reverse).
    const Transformation transform = NormalizedTransform(options.Coeff, options.Transform);
    ResetFPU();
    const std::size_t n = layer.NInd;
    if (!(spread ? SizeMatrices(reporter, n, {&out.Raw, &out.Dist, &out.Var, &out.SD})
                 : SizeMatrices(reporter, n, {&out.Raw, &out.Dist})))
        return false;

    KernelSource src;
    src.PairCount = counter;
    src.NeiLiR = options.NeiLiR;
    src.AvgDraws = options.Draws;
    src.Random = &random;
    src.Problems = &problems;
    src.NoDraws = &out.NoDraws;
    const TKernelProc kernel = KernelProc(mode, options.Coeff);
    const TAvgSDKernelProc spreadKernel = AvgSDKernelProc(options.Coeff);
    out.UndefinedPairs = 0;
    out.NoDraws = {};
    // Pairs run in pieces; the Average treatment still draws from the one stream in pair order. An
    // unknown transformation keeps the walk that stops at the first pair.
    if (KnownTransform(transform)) {
        if (mode == Treatment::Average)
            AverageInPieces(src, options.Coeff, spread, transform, n, problems, out);
        else if (!planes || !CPUHasPOPCNT ||
                 !KernelOnPlanes(src, *planes, mode, options.Coeff, transform, n, problems, out))
            KernelInPieces(src, kernel, options.Coeff, transform, n, problems, out);
        return true;
    }
    const bool done = ForEachPackedPair(n, [&](std::size_t i, std::size_t j, std::size_t k) {
        Extended v = 0.0L;
        if (spread) {
            v = spreadKernel(src, i, j, out.Var[k], out.SD[k]);
        } else {
            v = kernel(src, i, j);
        }
        out.Raw[k] = v;
        if (v == kUndefinedDistance && options.Coeff == Coefficient::NeiLi) ++out.UndefinedPairs;
        return Transform(transform, v, out.Dist[k]);
    });
    if (!done) {
        reporter.Error(kUnknownTransform);
        return false;
    }
    return true;
}

}  // namespace

LayerCounts::LayerCounts(const TDSLayer& layer, Weighting scheme, const StateWeightTable& weights) {
    counter_ = PlanePairCounter(planes_, scheme, weights);
    bool built = false;
    if (counter_ && HasBandData(layer))
        CompletesInMemory([&] { built = planes_.Build(layer.Matrix.data(), layer.NInd, layer.NLoci); });
    onPlanes_ = built && scheme == Weighting::None;
    if (!counter_) {
        CompletesInMemory([&] { built = rows_.Build(layer, scheme); });
        if (built) counter_ = WeightedRowsCounter(rows_);
    }
    if (!built) counter_ = PairCounter(layer, layer, scheme, weights);
}

bool ComputeDistances(const TDSLayer& layer, const TPairCountFunc& counter, const DistRunOptions& options, bool spread,
                      RandomStream& random, NeiLiProblems& problems, Reporter& reporter, DistMatrices& out) {
    return Run(layer, counter, nullptr, options, spread, random, problems, reporter, out);
}

bool ComputeDistances(const TDSLayer& layer, const LayerCounts& counts, const DistRunOptions& options, bool spread,
                      RandomStream& random, NeiLiProblems& problems, Reporter& reporter, DistMatrices& out) {
    return Run(layer, counts.Counter(), counts.Planes(), options, spread, random, problems, reporter, out);
}

bool CalcDistMatrix(TPopGenDataSet& ds, const DistRunOptions& options, RandomStream& random) {
    return RunOnCurrentLayer(ds, options, false, random);
}

bool CalcDistances(TPopGenDataSet& ds, const DistRunOptions& options, RandomStream& random) {
    return RunOnCurrentLayer(ds, options, true, random);
}

Extended DistXF(TPopGenDataSet& ds, Extended x) {
    Extended out = DistNaN();
    if (!Transform(ds.DistTransform, x, out)) {
        ds.ReportError(kUnknownTransform);
        return DistNaN();
    }
    return out;
}

Extended KernelXF(TPopGenDataSet& ds, std::size_t i, std::size_t j, RandomStream& random) {
    const TDSLayer& layer = ds.GetCurrLayer();
    const TKernelProc kernel = KernelProc(ds.Kernel.Mode, ds.Kernel.Coeff);
    if (!kernel || i == 0 || j == 0 || i > layer.NInd || j > layer.NInd || !HasBandData(layer)) return DistNaN();
    return DistXF(ds, kernel(KernelSourceOf(ds, random), i, j));
}

Extended BetweenLayersXF(TPopGenDataSet& ds, std::size_t layerA, std::size_t layerB, std::size_t i, std::size_t j,
                         RandomStream& random) {
    const TKernelProc kernel = KernelProc(ds.Kernel.Mode, ds.Kernel.Coeff);
    if (layerA >= kLayerCount || layerB >= kLayerCount || !kernel) return DistNaN();
    const TDSLayer& a = ds.Layers[layerA];
    const TDSLayer& b = ds.Layers[layerB];
    if (!HasBandData(a) || !HasBandData(b) || a.NLoci != b.NLoci) {
        ds.ReportError("BetweenLayersXF: the layers do not hold the same loci.");
        return DistNaN();
    }
    if (i == 0 || j == 0 || i > a.NInd || j > b.NInd) return DistNaN();
    KernelSource src = KernelSourceOf(ds, random);
    src.PairCount = PairCounter(a, b, ds.WeightingScheme, ds.StateWeights);
    return DistXF(ds, kernel(src, i, j));
}

Extended PairDistance(TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, Transformation transform,
                      std::size_t i, std::size_t j, RandomStream& random) {
    if (mode == Treatment::Average && ds.AvgDraws < 1) {
        ds.ReportError(kNoDraws);
        return DistNaN();
    }
    if (const char* problem = KernelCodeProblem(mode, coefficient)) {
        ds.ReportError(problem);
        return DistNaN();
    }
    const TDSLayer& layer = ds.GetCurrLayer();
    if (i == 0 || j == 0 || i > layer.NInd || j > layer.NInd || !HasBandData(layer)) return DistNaN();
    const Extended v = KernelProc(mode, coefficient)(KernelSourceOf(ds, random), i, j);
    Extended out = DistNaN();
    if (!Transform(transform, v, out)) {
        ds.ReportError(kUnknownTransform);
        return DistNaN();
    }
    return out;
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

bool FindDistancesBelow(TPopGenDataSet& ds, std::vector<std::size_t>& list, bool replace, Extended threshold,
                        Extended newValue) {
    list.clear();
    TDSLayer& layer = ds.GetCurrLayer();
    if (layer.DistMatrix.empty()) return false;
    for (std::size_t k = 0; k < layer.DistMatrix.size(); ++k) {
        if (layer.DistMatrix[k] < threshold && !IsTriangularNumber(k + 1)) {
            list.push_back(k);
            if (replace) layer.DistMatrix[k] = newValue;
        }
    }
    return !list.empty();
}
