#include "popgen/analyses/hybrid_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/number_text.h"
#include "foundation/random.h"
#include "foundation/scope_exit.h"
#include "popgen/data/band_stats.h"
#include "popgen/data/dataset.h"
#include "popgen/data/filters.h"
#include "numeric/golden_section.h"
#include "numeric/math_error.h"

namespace {

Extended LnOrImpossible(Extended probability) {
    // Also catches NaN: an observation that cannot be explained puts h far below every other.
    return probability > 0.0L ? std::log(probability) : kMLHImpossible;
}

TMLHIndexConstLikelihoodParamsEx& Params(void* ctx) { return *static_cast<TMLHIndexConstLikelihoodParamsEx*>(ctx); }

std::int32_t IterationLimit(std::uint32_t maxIter) {
    return static_cast<std::int32_t>(std::min<std::uint32_t>(maxIter, std::numeric_limits<std::int32_t>::max()));
}

// Status of a root search from its result and the math error code it left. The search sets the
// code -1 when it ran out of iterations; any other failure (no bracket, overflow) is an error.
std::uint8_t RootStatus(int result, std::int32_t math) {
    if (result == 0 && math == kMathOk) return static_cast<std::uint8_t>(MLHStatus::OK);
    if (result == -1 && math == -1) return static_cast<std::uint8_t>(MLHStatus::NonConverged);
    return static_cast<std::uint8_t>(MLHStatus::Error);
}

// A support limit between the boundary and the estimate. The support is 2 at the estimate; when it
// is not negative at the boundary the whole side lies within the interval. The bracket handed to
// the root finder already changes sign, so it is never widened past the boundary (where the
// likelihood is undefined).
Extended SupportLimit(TMLHIndexConstLikelihoodParamsEx& params, Extended boundary, std::uint8_t& status) {
    const Extended h = *params.HEstimate;
    status = static_cast<std::uint8_t>(MLHStatus::OK);
    if (MLHSupportFunction(&params, boundary) >= 0.0L) return boundary;
    const Extended atEstimate = MLHSupportFunction(&params, h);
    if (!(atEstimate > 0.0L)) {
        // The estimate is no maximum (a failed estimate): no interval to search.
        if (atEstimate != 0.0L) status = static_cast<std::uint8_t>(MLHStatus::Error);
        return h;
    }
    Extended x = std::min(boundary, h), y = std::max(boundary, h), fx = 0.0L;
    SetMathError(kMathOk);
    const int result = FindRoot(MLHSupportFunction, &params, x, y, IterationLimit(params.MaxIter), *params.Tol, fx);
    status = RootStatus(result, GetMathError());
    return (x + y) * 0.5L;
}

}  // namespace

std::string MLHStatusText(std::uint8_t code) {
    switch (static_cast<MLHStatus>(code & 3U)) {
    case MLHStatus::OK: return "OK";
    case MLHStatus::NonConverged: return "NonConverged";
    case MLHStatus::CorrectedNonConv: return "Corrected(NonConv)";
    case MLHStatus::Error: break;
    }
    return "Error";
}

Extended LnAbsenceProb(Extended h, Extended pH1, Extended pH0) {
    const Extended q = (1.0L - h) * (1.0L - pH0) + h * (1.0L - pH1);
    return LnOrImpossible(q * q);
}

Extended MLHLogLikelihood(const AAByte& states, const AExt& freqH1, const AExt& freqH0, Extended h,
                          std::uint32_t nLoci, std::uint32_t individual, Extended minFreqDiff) {
    if (h < 0.0L || h > 1.0L) return kMLHImpossible;
    const std::size_t n = std::min({static_cast<std::size_t>(nLoci), states.size(), freqH1.size(), freqH0.size()});
    Extended sum = 0.0L;
    for (std::size_t k = 0; k < n; ++k) {
        if (!(std::fabs(freqH1[k] - freqH0[k]) >= minFreqDiff)) continue;
        if (individual >= states[k].size()) continue;
        const std::uint8_t state = states[k][individual];
        if (state == 0) {
            sum += LnAbsenceProb(h, freqH1[k], freqH0[k]);
        } else if (state == 1) {
            const Extended p = h * freqH1[k] + (1.0L - h) * freqH0[k];
            const Extended q = (1.0L - h) * (1.0L - freqH0[k]) + h * (1.0L - freqH1[k]);
            sum += LnOrImpossible(p * p + 2.0L * p * q);
        }
    }
    return sum;
}

Extended MLHNegLogLikelihood(void* ctx, Extended x) {
    const auto& p = Params(ctx);
    return -MLHLogLikelihood(*p.States, *p.FreqH1, *p.FreqH0, x, p.NLoci, p.Individual, p.MinFreqDiff);
}

Extended MLHSupportFunction(void* ctx, Extended x) {
    const auto& p = Params(ctx);
    return MLHLogLikelihood(*p.States, *p.FreqH1, *p.FreqH0, x, p.NLoci, p.Individual, p.MinFreqDiff) -
           static_cast<Extended>(p.MaxLnL) + 2.0L;
}

Extended MLHEstimate(TMLHIndexConstLikelihoodParamsEx& params) {
    Extended h = 0.0L, minimum = 0.0L;
    SetMathError(kMathOk);
    const int result =
        GoldenSectionSearch(MLHNegLogLikelihood, &params, IterationLimit(params.MaxIter), h, minimum, *params.Tol,
                            0.0L, 0.5L);
    const std::int32_t math = GetMathError();
    const Extended tol = *params.Tol;
    if (result == 0 && math == kMathOk) {
        params.StatusH = static_cast<std::uint8_t>(MLHStatus::OK);
    } else if (result == -1 && math == -1) {
        // Out of iterations. With a relative tolerance a search towards 0 never converges; at a
        // boundary the estimate is the boundary.
        if (std::fabs(h) <= tol || std::fabs(1.0L - h) <= tol) {
            h = h > 0.5L ? 1.0L : 0.0L;
            params.StatusH = static_cast<std::uint8_t>(MLHStatus::CorrectedNonConv);
        } else {
            params.StatusH = static_cast<std::uint8_t>(MLHStatus::NonConverged);
        }
    } else {
        params.StatusH = static_cast<std::uint8_t>(MLHStatus::Error);
    }
    params.MaxLnL = static_cast<double>(-minimum);
    return h;
}

Extended MLHLowerBound(TMLHIndexConstLikelihoodParamsEx& params) {
    const Extended h = *params.HEstimate;
    if (!(h > 0.0L)) {
        params.StatusLB = static_cast<std::uint8_t>(MLHStatus::OK);
        return 0.0L;
    }
    Extended limit = SupportLimit(params, 0.0L, params.StatusLB);
    if (limit < 0.0L || std::fabs(limit) <= *params.Tol) limit = 0.0L;
    return limit;
}

Extended MLHUpperBound(TMLHIndexConstLikelihoodParamsEx& params) {
    const Extended h = *params.HEstimate;
    if (!(h < 1.0L)) {
        params.StatusUB = static_cast<std::uint8_t>(MLHStatus::OK);
        return 1.0L;
    }
    Extended limit = SupportLimit(params, 1.0L, params.StatusUB);
    if (limit > 1.0L || std::fabs(1.0L - limit) <= *params.Tol) limit = 1.0L;
    return limit;
}

bool MLHybridIndices(const AExt& freqBand1, const AExt& freqBand2, const AAByte& states, std::uint32_t maxIter,
                     Extended tol, Extended minFreqDiff, Extended poorFreqDiff, TMLHybridIndexResults& results) {
    results.H.clear();
    results.LowerBound.clear();
    results.UpperBound.clear();
    results.LnL.clear();
    results.Status.clear();
    results.ExcludedLoci.clear();
    results.PoorLoci.clear();
    const std::size_t nLoci = freqBand1.size();
    if (nLoci == 0 || freqBand2.size() != nLoci || states.size() != nLoci || states[0].empty()) return false;
    if (maxIter == 0 || !(tol > 0.0L) || nLoci > std::numeric_limits<std::uint32_t>::max()) return false;
    const std::size_t nInd = states[0].size();
    if (nInd > std::numeric_limits<std::uint32_t>::max()) return false;
    for (const AByte& row : states)
        if (row.size() != nInd) return false;
    const auto isFrequency = [](Extended f) { return f >= 0.0L && f <= 1.0L; };
    if (!std::all_of(freqBand1.begin(), freqBand1.end(), isFrequency) ||
        !std::all_of(freqBand2.begin(), freqBand2.end(), isFrequency))
        return false;

    // Square-root estimate: the allele without the band has the frequency √(band absence).
    AExt pH1(nLoci), pH0(nLoci);
    for (std::size_t k = 0; k < nLoci; ++k) {
        pH1[k] = 1.0L - std::sqrt(1.0L - freqBand1[k]);
        pH0[k] = 1.0L - std::sqrt(1.0L - freqBand2[k]);
    }
    ADWord excluded, poor;
    for (std::size_t k = 0; k < nLoci; ++k) {
        const Extended d = std::fabs(pH1[k] - pH0[k]);
        if (d < minFreqDiff) excluded.push_back(static_cast<std::uint32_t>(k));
        else if (d < poorFreqDiff) poor.push_back(static_cast<std::uint32_t>(k));
    }

    AExt h(nInd), lower(nInd), upper(nInd), lnL(nInd);
    AByte status(nInd);
    TMLHIndexConstLikelihoodParamsEx params;
    params.States = &states;
    params.FreqH1 = &pH1;
    params.FreqH0 = &pH0;
    params.NLoci = static_cast<std::uint32_t>(nLoci);
    params.MaxIter = maxIter;
    params.Tol = &tol;
    params.MinFreqDiff = minFreqDiff;
    for (std::size_t i = 0; i < nInd; ++i) {
        params.Individual = static_cast<std::uint32_t>(i);
        h[i] = MLHEstimate(params);
        lnL[i] = params.MaxLnL;
        params.HEstimate = &h[i];
        lower[i] = MLHLowerBound(params);
        upper[i] = MLHUpperBound(params);
        status[i] = static_cast<std::uint8_t>(params.StatusH + 4 * params.StatusLB + 16 * params.StatusUB);
    }
    results.H = std::move(h);
    results.LowerBound = std::move(lower);
    results.UpperBound = std::move(upper);
    results.LnL = std::move(lnL);
    results.Status = std::move(status);
    results.ExcludedLoci = std::move(excluded);
    results.PoorLoci = std::move(poor);
    return true;
}

void StateMatrix(const TPopGenDataSet& ds, AAByte& m) {
    m.clear();
    const TDSLayer& layer = ds.GetCurrLayer();
    if (layer.NInd == 0 || layer.NLoci == 0) return;
    AAByte states(layer.NLoci, AByte(layer.NInd));
    for (std::size_t l = 1; l <= layer.NLoci; ++l)
        for (std::size_t i = 1; i <= layer.NInd; ++i) states[l - 1][i - 1] = GetState(ds, i, l);
    m = std::move(states);
}

bool MLHybridIndex(TPopGenDataSet& ds, std::size_t parent1, std::size_t parent2, std::size_t testGroup,
                   bool replaceMissing, Extended replaceFraction, std::uint32_t maxIter, Extended tol,
                   RandomStream& random, TMLHybridIndexResults& results) {
    results = {};
    if (ds.CurLayer > kWorkingLayer) {
        ds.ReportWarning("Switching to AllData");
        ds.CurLayer = kWorkingLayer;
    }
    const std::size_t source = ds.CurLayer;
    const std::size_t group = ds.CurGroup;
    const std::size_t locusSet = ds.CurLocusSet;
    // Each group is taken on layer 5 in turn, which also makes it the current group: the user's
    // choice is back in place afterwards, whatever ended the run.
    ScopeExit restore([&] {
        ds.ClearLayer(kExportLayer);
        ds.CurLayer = source;
        ds.CurGroup = group;
        ds.CurLocusSet = locusSet;
    });
    const auto parentFreqs = [&](std::size_t g, AExt& freqs) {
        if (!ds.MakeSubsetLayer(source, kExportLayer, g, locusSet)) return false;
        if (replaceMissing && !ReplaceMissingData(ds, kExportLayer, replaceFraction, random)) return false;
        return LocusBandFreqs(ds, true, freqs);
    };
    AExt freqBand1, freqBand2;
    if (!parentFreqs(parent1, freqBand1) || !parentFreqs(parent2, freqBand2)) return false;
    // The tested individuals keep their missing cells.
    if (!ds.MakeSubsetLayer(source, kExportLayer, testGroup, locusSet)) return false;
    AAByte states;
    StateMatrix(ds, states);
    TMLHybridIndexResults run;
    if (!MLHybridIndices(freqBand1, freqBand2, states, maxIter, tol, 1e-6L, 0.05L, run)) {
        ds.ReportError("MLHybridIndex: no individuals or loci to analyse");
        return false;
    }
    // The report's names are the tested layer's, in the order of its rows.
    run.IndNames = ds.Layers[kExportLayer].IndNames;
    run.LocNames = ds.Layers[kExportLayer].LocNames;
    results = std::move(run);
    return true;
}

void OutputMLHybridIndex(const std::string& nameParent1, const std::string& nameParent2, const AString& indNames,
                         const AString& locNames, const TMLHybridIndexResults& results, bool withLociLists,
                         char separator, Ttf& report) {
    const std::size_t n = indNames.size();
    if (n == 0 || results.H.size() != n || results.LowerBound.size() != n || results.UpperBound.size() != n ||
        results.LnL.size() != n || results.Status.size() != n)
        return;
    const auto lociList = [&](const std::string& title, const ADWord& loci) {
        report.Add(title + (loci.empty() ? std::string("None.") : "N= " + UIntToStr(loci.size())));
        for (const std::uint32_t k : loci)
            report.Add(!locNames.empty() && k < locNames.size() ? locNames[k] : "Locus # " + UIntToStr(k + 1ULL));
        report.Add("");
    };
    if (withLociLists) {
        lociList("Loci excluded from ML Hybird Index analysis: ", results.ExcludedLoci);
        lociList("Poor (Uninformative) Loci for ML Hybird Index analysis: ", results.PoorLoci);
    }
    report.Add("Maximum Likelihood Hybrid Index Results");
    report.Add("  Expected h=0 for Parent " + nameParent2);
    report.Add("  Expected h=1 for Parent " + nameParent1);
    const std::string sep(1, separator);
    report.Add("Individual" + sep + "h" + sep + "LowerBound" + sep + "UpperBound" + sep + "lnL" + sep + "ErrorH" + sep +
               "ErrorLB" + sep + "ErrorUB");
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t s = results.Status[i];
        report.Add(indNames[i] + sep + ExtToStrF(results.H[i], 1, 5) + sep + ExtToStrF(results.LowerBound[i], 1, 5) +
                   sep + ExtToStrF(results.UpperBound[i], 1, 5) + sep + ExtToStrF(results.LnL[i], 1, 5) + sep +
                   MLHStatusText(s) + sep + MLHStatusText(static_cast<std::uint8_t>(s >> 2)) + sep +
                   MLHStatusText(static_cast<std::uint8_t>(s >> 4)));
    }
    report.Add("");
}
