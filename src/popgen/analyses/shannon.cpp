#include "popgen/analyses/shannon.h"

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "foundation/keep_alive.h"
#include "foundation/number_text.h"
#include "foundation/random.h"
#include "popgen/data/band_stats.h"
#include "popgen/data/filters.h"
#include "popgen/data/resampling.h"

namespace {

// Quiet mode ends, and the layer and transformation the routine began with are back, on every exit.
class ShannonScope {
public:
    explicit ShannonScope(TPopGenDataSet& ds) : ds_(ds), layers_(ds) {}
    ~ShannonScope() { ds_.ResetCounters(); }
    ShannonScope(const ShannonScope&) = delete;
    ShannonScope& operator=(const ShannonScope&) = delete;
    std::size_t Layer() const { return layers_.Layer(); }

private:
    TPopGenDataSet& ds_;
    TemporaryLayerScope layers_;
};

// Layer l holds its own masks: all of its individuals and loci, referring to itself.
void OwnMasks(TPopGenDataSet& ds, std::size_t l) {
    TDSLayer& layer = ds.Layers[l];
    layer.IndMask.assign(layer.NInd, 1);
    layer.LocMask.assign(layer.NLoci, 1);
    layer.MaskRefLayer = l;
}

// The monomorphic loci of the current layer l removed in place; false when the filter refused
// (every locus monomorphic), which quiet mode keeps silent.
bool RemoveMonoQuietly(TPopGenDataSet& ds, std::size_t l) {
    ds.QuietMode = 1;
    ds.QuietFailures = 0;
    RemoveMonomorphicLoci(ds, l);
    const bool refused = ds.QuietFailures != 0;
    ds.QuietFailures = 0;
    return !refused;
}

// The bootstrap loop shared by the three bootstrap routines. `replicate` builds one replicate into
// a layer, makes it current and returns the layer (kNoLayer when it failed, reported); missing cells
// are replaced after it, so each replicate draws its cells and then its missing cells.
bool BootstrapLoop(TPopGenDataSet& ds, const ShannonOptions& options, const ShannonBootstrap& bootstrap,
                   RandomStream& random, const std::function<std::size_t()>& replicate, const char* noLociMessage,
                   ShannonValue& result, AExt& values) {
    const std::size_t n = bootstrap.Replicates;
    AExt kept;
    if (bootstrap.KeepValues) kept.reserve(n);
    Extended s1 = 0.0L, s2 = 0.0L;
    std::size_t counted = 0, discarded = 0, zeroes = 0;
    while (counted < n) {
        KeepAlive();
        const std::size_t l = replicate();
        if (l >= kLayerCount) return false;
        if (options.ReplaceMissing &&
            !ReplaceMissingData(ds, l, options.MissingShare, random))
            return false;
        OwnMasks(ds, l);
        if (!RemoveMonoQuietly(ds, l)) {
            if (++discarded >= n) {
                ds.ReportError(noLociMessage);
                return false;
            }
            continue;
        }
        ShannonValue v;
        if (!ShannonVarSD(ds, options, true, v)) return false;
        if (v.H > 0.0L || bootstrap.IncludeZero) {
            s1 += v.H;
            s2 += v.H * v.H;
            if (bootstrap.KeepValues) kept.push_back(v.H);
            ++counted;
        } else if (++zeroes >= n) {
            // A replicate without diversity is drawn again, but not for ever (one polymorphic locus
            // whose frequency is 1, say).
            ds.ReportError("BsShannon: Could not get bootstrap replicates with a Shannon index above 0");
            return false;
        }
    }
    const Extended reps = static_cast<Extended>(n);
    result.H = s1 / reps;
    result.Variance = (s2 - reps * result.H * result.H) / (reps - 1.0L);
    result.SD = result.Variance >= 0.0L ? std::sqrt(result.Variance) : 0.0L;
    values = std::move(kept);
    return true;
}

// The start of the bootstrap routines: at least two replicates; a layer above 2 gives way to the
// working copy, rebuilt from the loaded data (AllData x AllLoci).
bool BeginBootstrap(TPopGenDataSet& ds, const ShannonBootstrap& bootstrap, const char* singleMessage) {
    if (bootstrap.Replicates <= 1) {
        ds.ReportError(singleMessage);
        return false;
    }
    if (ds.CurLayer > kSelectionLayer && ds.CurLayer < kLayerCount) {
        ds.ReportWarning("BsShannonVarSD: cannot perform routine in this data layer. Switching to AllData");
        if (!ds.MakeSubsetLayer(kLoadedLayer, kWorkingLayer, 0, 0)) return false;
        ds.CurLayer = kWorkingLayer;
    }
    return true;
}

// A replicate of layer `from` with its loci drawn, in layer `to`, made current; kNoLayer when the
// draw fails.
std::size_t DrawLoci(TPopGenDataSet& ds, std::size_t from, std::size_t to, RandomStream& random) {
    ds.CurLayer = from;
    if (!InitLayerLikeCurrent(ds, to, false) || !BootstrapLoci(ds, to, {}, random)) return kNoLayer;
    ds.CurLayer = to;
    return to;
}

}  // namespace

bool ShannonScaleFactor(Reporter& reporter, ShannonScale scale, Extended base, Extended& f) {
    switch (scale) {
        case ShannonScale::Bits: f = 1.0L; return true;
        case ShannonScale::Nats: f = std::log(2.0L); return true;
        case ShannonScale::Decimal: base = 10.0L; break;
        case ShannonScale::Base: break;
        default: reporter.Error(".ShannonVarSD - Unknown ShannonScaleMode"); return false;
    }
    if (!std::isfinite(base) || base <= 0.0L || base == 1.0L) {
        reporter.Error("Shannon's index: the logarithm base must be a number above 0 other than 1 (got " +
                       ExtToStr(base) + ").");
        return false;
    }
    f = std::log(2.0L) / std::log(base);
    return true;
}

bool ShannonVarSD(TPopGenDataSet& ds, const ShannonOptions& options, bool fill, ShannonValue& result) {
    Extended f = 1.0L;
    if (!ShannonScaleFactor(ds.Reporting(), options.Scale, options.Base, f)) return false;
    TDSLayer& layer = ds.GetCurrLayer();
    if (ds.CurLayer >= kLayerCount || layer.NInd == 0 || layer.NLoci == 0 || !layer.HasMatrix()) {
        ds.ReportError("Shannon's index: no individuals or loci to work on.");
        return false;
    }
    if ((fill || layer.LocFreqs.size() != layer.NLoci) && !FillLocusBandFreqs(ds, options.PerInd)) return false;
    Extended a = 0.0L, b = 0.0L;
    for (const Extended p : layer.LocFreqs) {
        if (p <= 0.0L) continue;
        const Extended lp = std::log2(p);
        a += p * lp;
        b += p * lp * lp;
    }
    const Extended n = static_cast<Extended>(layer.NInd);
    const Extended s = static_cast<Extended>(layer.NLoci);
    const Extended h2 = -a;
    const Extended v2 = (b - h2 * h2) / n + (s - 1.0L) / (2.0L * n * n);
    result.H = f * h2;
    result.Variance = f * f * v2;
    result.SD = result.Variance >= 0.0L ? std::sqrt(result.Variance) : 0.0L;
    return true;
}

bool GrpShannonVarSD(TPopGenDataSet& ds, std::size_t g, const ShannonOptions& options, bool removeMono,
                     RandomStream& random, ShannonValue& result) {
    if (ds.CurLayer > kWorkingLayer && ds.CurLayer < kLayerCount) ds.CurLayer = kWorkingLayer;
    const ShannonScope scope(ds);
    constexpr std::size_t kGroupLayer = kScratchLayer;
    if (!ds.MakeLayerFromSets(g, ds.CurLocusSet, kGroupLayer)) return false;
    ds.CurLayer = kGroupLayer;
    if (options.ReplaceMissing && !ReplaceMissingData(ds, kGroupLayer, options.MissingShare, random)) return false;
    OwnMasks(ds, kGroupLayer);
    if (removeMono && !RemoveMonoQuietly(ds, kGroupLayer)) {
        ds.ReportError("GrpShannonVarSD Error: (Grp" + UIntToStr(g) + "): no loci to work on. Aborting rountine.");
        return false;
    }
    return ShannonVarSD(ds, options, true, result);
}

bool BsShannonVarSD(TPopGenDataSet& ds, const ShannonOptions& options, const ShannonBootstrap& bootstrap,
                    RandomStream& random, ShannonValue& result, AExt& values) {
    values.clear();
    if (!BeginBootstrap(ds, bootstrap, "BsShannonVarSD: only a single replicate selected")) return false;
    const ShannonScope scope(ds);
    const std::size_t c = scope.Layer();
    constexpr std::size_t kReplicate = kScratchLayer;
    return BootstrapLoop(
        ds, options, bootstrap, random,
        [&] { return DrawLoci(ds, c, kReplicate, random); },
        "BsShannon: Could not get bootstrap replictes with >0 loci after removal of monomorphic bands", result, values);
}

bool GrpBsShannonVarSD(TPopGenDataSet& ds, std::size_t g, const ShannonOptions& options,
                       const ShannonBootstrap& bootstrap, RandomStream& random, ShannonValue& result, AExt& values) {
    values.clear();
    if (!BeginBootstrap(ds, bootstrap, "GrpBsShannonVarSD: only a single replicate selected")) return false;
    const ShannonScope scope(ds);
    constexpr std::size_t kGroupLayer = kScratchLayer, kReplicate = kExportLayer;
    // The group's cells draw nothing, so they are cut once for every replicate.
    if (!ds.MakeLayerFromSets(g, ds.CurLocusSet, kGroupLayer)) return false;
    ds.Layers[kGroupLayer].SourceLayer = scope.Layer();
    return BootstrapLoop(
        ds, options, bootstrap, random,
        [&] { return DrawLoci(ds, kGroupLayer, kReplicate, random); },
        "BsShannon: Could not get bootstrap replicates with >0 loci after removal of monomorphic bands", result,
        values);
}

bool BsShannonVarSDAtN(TPopGenDataSet& ds, std::size_t n, const ShannonOptions& options,
                       const ShannonBootstrap& bootstrap, RandomStream& random, ShannonValue& result, AExt& values) {
    values.clear();
    if (!BeginBootstrap(ds, bootstrap, "BsShannonVarSD: only a single replicate selected")) return false;
    if (n == 0 || n > std::numeric_limits<std::uint32_t>::max()) {
        ds.ReportError("BsShannonVarSDAtN: the number of individuals must be between 1 and 4294967295.");
        return false;
    }
    const ShannonScope scope(ds);
    const std::size_t c = scope.Layer();
    constexpr std::size_t kReplicate = kScratchLayer;
    return BootstrapLoop(
        ds, options, bootstrap, random,
        [&]() -> std::size_t {
            ds.CurLayer = c;
            if (!InitLayerWithIndCount(ds, n, kReplicate) || !BootstrapIndivLoci(ds, false, kReplicate, random))
                return kNoLayer;
            ds.CurLayer = kReplicate;
            return kReplicate;
        },
        "BsShannon: Could not get bootstrap replictes with >0 loci after removal of monomorphic bands", result, values);
}
