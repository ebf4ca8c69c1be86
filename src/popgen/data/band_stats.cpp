#include "popgen/data/band_stats.h"

#include <cmath>

namespace {

// A layer whose matrix holds its NInd x NLoci cells; anything else counts as empty.
bool Usable(const TDSLayer& layer) {
    return layer.NInd != 0 && layer.NLoci != 0 && layer.Matrix.size() == layer.NInd * layer.NLoci;
}

std::size_t IndState(const TDSLayer& layer, std::size_t i, std::uint8_t s) {
    if (!Usable(layer) || i == 0 || i > layer.NInd) return 0;
    std::size_t n = 0;
    for (std::size_t l = 1; l <= layer.NLoci; ++l) n += layer.Cell(i, l) == s;
    return n;
}

std::size_t LocState(const TDSLayer& layer, std::size_t l, std::uint8_t s) {
    if (!Usable(layer) || l == 0 || l > layer.NLoci) return 0;
    const std::uint8_t* col = layer.Matrix.data() + (l - 1) * layer.NInd;
    std::size_t n = 0;
    for (std::size_t i = 0; i < layer.NInd; ++i) n += col[i] == s;
    return n;
}

struct LocusCounts {
    std::size_t p = 0, a = 0, m = 0;
};

LocusCounts CountLocus(const TDSLayer& layer, std::size_t l) {
    return {LocState(layer, l, kPresent), LocState(layer, l, kAbsent), LocState(layer, l, kMissing)};
}

// Mean, sd and variance of x over the individuals.
void Moments(const std::vector<Extended>& x, Extended& mean, Extended& sd, Extended& variance) {
    mean = sd = variance = 0.0L;
    const std::size_t n = x.size();
    if (n == 0) return;
    Extended sum = 0.0L, sumSq = 0.0L;
    for (const Extended v : x) {
        sum += v;
        sumSq += v * v;
    }
    const Extended nn = static_cast<Extended>(n);
    mean = sum / nn;
    if (n == 1) {
        sd = variance = -1.0L;
        return;
    }
    variance = (sumSq - nn * mean * mean) / (nn - 1.0L);
    sd = std::sqrt(variance);
}

void BandsPerInd(const TPopGenDataSet& ds, bool withMissing, Extended& mean, Extended& sd, Extended& variance) {
    const TDSLayer& layer = ds.GetCurrLayer();
    std::vector<Extended> x;
    if (Usable(layer)) {
        x.reserve(layer.NInd);
        for (std::size_t i = 1; i <= layer.NInd; ++i) {
            std::size_t n = IndState(layer, i, kPresent);
            if (withMissing) n += IndState(layer, i, kMissing);
            x.push_back(static_cast<Extended>(n));
        }
    }
    Moments(x, mean, sd, variance);
}

Extended Ratio(std::size_t count, std::size_t divisor) {
    return divisor == 0 ? 0.0L : static_cast<Extended>(count) / static_cast<Extended>(divisor);
}

}  // namespace

std::size_t CountIndState(const TPopGenDataSet& ds, std::size_t i, std::uint8_t s) {
    return IndState(ds.GetCurrLayer(), i, s);
}

std::size_t CountLocState(const TPopGenDataSet& ds, std::size_t l, std::uint8_t s) {
    return LocState(ds.GetCurrLayer(), l, s);
}

std::size_t CountLocStateInLayer(const TPopGenDataSet& ds, std::size_t layer, std::size_t l, std::uint8_t s) {
    return layer < kLayerCount ? LocState(ds.Layers[layer], l, s) : 0;
}

std::uint8_t GetState(const TPopGenDataSet& ds, std::size_t i, std::size_t l) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!Usable(layer) || i == 0 || i > layer.NInd || l == 0 || l > layer.NLoci) return kMissing;
    return layer.Cell(i, l);
}

std::size_t CountPresences(const TPopGenDataSet& ds) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!Usable(layer)) return 0;
    std::size_t n = 0;
    for (const std::uint8_t c : layer.Matrix) n += c == kPresent;
    return n;
}

Extended PercentMissing(const TDSLayer& layer) {
    if (!Usable(layer)) return 0.0L;
    std::size_t missing = 0;
    for (const std::uint8_t c : layer.Matrix) missing += c == kMissing;
    return 100.0L * Ratio(missing, layer.Matrix.size());
}

Extended PercentMissing(const TPopGenDataSet& ds) { return PercentMissing(ds.GetCurrLayer()); }

Extended IndMissingFraction(const TPopGenDataSet& ds, std::size_t i) {
    const TDSLayer& layer = ds.GetCurrLayer();
    return Ratio(IndState(layer, i, kMissing), layer.NLoci);
}

Extended LocMissingFraction(const TPopGenDataSet& ds, std::size_t l) {
    const TDSLayer& layer = ds.GetCurrLayer();
    return Ratio(LocState(layer, l, kMissing), layer.NInd);
}

bool IsFixedForPresence(std::size_t p, std::size_t a, std::size_t m) { return a == 0 && p >= m; }
bool IsFixedForAbsence(std::size_t p, std::size_t a, std::size_t m) { return p == 0 && a >= m; }

std::size_t NumPolymorphicLoci(const TPopGenDataSet& ds) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!Usable(layer)) return 0;
    std::size_t n = 0;
    for (std::size_t l = 1; l <= layer.NLoci; ++l) n += IsPolymorphicLocus(ds, l);
    return n;
}

bool IsPolymorphicLocus(const TPopGenDataSet& ds, std::size_t l) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!Usable(layer) || l == 0 || l > layer.NLoci) return false;
    const LocusCounts c = CountLocus(layer, l);
    return !IsFixedForPresence(c.p, c.a, c.m) && !IsFixedForAbsence(c.p, c.a, c.m);
}

std::size_t NumMonomorphicLoci(TPopGenDataSet& ds, MonomorphicKinds kinds) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!Usable(layer)) return 0;
    std::size_t n = 0;
    for (std::size_t l = 1; l <= layer.NLoci; ++l) {
        const LocusCounts c = CountLocus(layer, l);
        if (c.p + c.a + c.m != layer.NInd) {
            ds.ReportError("Data matrix error.");
            return 0;
        }
        if (kinds.FixedPresent && IsFixedForPresence(c.p, c.a, c.m)) ++n;
        if (kinds.FixedAbsent && IsFixedForAbsence(c.p, c.a, c.m)) ++n;
    }
    return n;
}

std::size_t NumFixedBands(const TPopGenDataSet& ds) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!Usable(layer)) return 0;
    std::size_t n = 0;
    for (std::size_t l = 1; l <= layer.NLoci; ++l) {
        const LocusCounts c = CountLocus(layer, l);
        n += IsFixedForPresence(c.p, c.a, c.m);
    }
    return n;
}

void MeanBandsPerInd(const TPopGenDataSet& ds, Extended& mean, Extended& sd, Extended& variance) {
    BandsPerInd(ds, false, mean, sd, variance);
}

void MeanBandsPerIndMD(const TPopGenDataSet& ds, Extended& mean, Extended& sd, Extended& variance) {
    BandsPerInd(ds, true, mean, sd, variance);
}

void IndBandFreqs(const TPopGenDataSet& ds, AExt& freqs) {
    const TDSLayer& layer = ds.GetCurrLayer();
    AExt result;
    if (Usable(layer)) {
        result.reserve(layer.NInd);
        for (std::size_t i = 1; i <= layer.NInd; ++i)
            result.push_back(Ratio(IndState(layer, i, kPresent), layer.NLoci));
    }
    freqs = std::move(result);
}

bool FillLocusBandFreqs(TPopGenDataSet& ds, bool perInd) {
    if (ds.CurLayer >= kLayerCount) return false;
    TDSLayer& layer = ds.Layers[ds.CurLayer];
    if (!Usable(layer)) return false;
    const std::size_t divisor = perInd ? layer.NInd : CountPresences(ds);
    AExt freqs;
    freqs.reserve(layer.NLoci);
    for (std::size_t l = 1; l <= layer.NLoci; ++l) freqs.push_back(Ratio(LocState(layer, l, kPresent), divisor));
    layer.LocFreqs = std::move(freqs);
    layer.LocFreqDivisor = divisor;
    return true;
}

bool LocusBandFreqs(TPopGenDataSet& ds, bool perInd, AExt& freqs) {
    if (!FillLocusBandFreqs(ds, perInd)) return false;
    freqs = ds.GetCurrLayer().LocFreqs;
    return true;
}

bool SetPositionsInLayer(const TPopGenDataSet& ds, const TDSLayer& layer, const AByte& setMask, SetKind kind,
                         std::vector<std::size_t>& positions) {
    const bool ind = kind == SetKind::Individuals;
    const std::size_t count = ind ? layer.NInd : layer.NLoci;
    const std::size_t base = ind ? ds.Layers[kLoadedLayer].NInd : ds.Layers[kLoadedLayer].NLoci;
    const AByte& layerMask = ind ? layer.IndMask : layer.LocMask;
    std::vector<std::size_t> result;
    if (setMask.size() == count) {
        for (std::size_t k = 0; k < count; ++k)
            if (setMask[k] == 1) result.push_back(k);
    } else if (setMask.size() == base && (layerMask.size() == base || (layerMask.empty() && count == base))) {
        // Walk layer 0's entries; those the layer holds are its rows (columns) in order.
        std::size_t pos = 0;
        for (std::size_t k = 0; k < base; ++k) {
            if (!layerMask.empty() && layerMask[k] != 1) continue;
            if (pos >= count) return false;
            if (setMask[k] == 1) result.push_back(pos);
            ++pos;
        }
        if (pos != count) return false;
    } else {
        return false;
    }
    positions = std::move(result);
    return true;
}

bool GrpFreqPerLoc(TPopGenDataSet& ds, const AByte& grpMask, bool perInd, AAExt& freqs) {
    if (grpMask.size() != ds.Groups.size()) {
        ds.ReportError("GrpFreqPerLoc: Filter lengths do not match");
        return false;
    }
    bool any = false;
    for (const std::uint8_t b : grpMask) any = any || b == 1;
    if (!any) {
        ds.ReportError("GrpFreqPerLoc: Empty selection.");
        return false;
    }
    if (ds.Groups.size() < 2) {
        ds.ReportError("GrpFreqPerLoc: No usable Groups defined!");
        return false;
    }
    if (ds.CurLayer > kWorkingLayer && ds.CurLayer < kLayerCount) {
        ds.ReportWarning("GrpFreqPerLoc: Switching to AllData");
        ds.CurLayer = kWorkingLayer;
    }
    const TDSLayer& s = ds.GetCurrLayer();
    std::vector<std::size_t> loci;
    if (!Usable(s) || ds.CurLocusSet >= ds.LocusSets.size() ||
        !SetPositionsInLayer(ds, s, ds.LocusSets[ds.CurLocusSet].Mask, SetKind::Loci, loci)) {
        ds.ReportError("GrpFreqPerLoc: the data matrix does not match its groups and locus sets");
        return false;
    }
    // Counted in place: the groups' frequencies need no layer of their own, so the current
    // layer, group and locus set stay as they are.
    AAExt result;
    for (std::size_t g = 0; g < grpMask.size(); ++g) {
        if (grpMask[g] != 1) continue;
        std::vector<std::size_t> rows;
        if (!SetPositionsInLayer(ds, s, ds.Groups[g].Mask, SetKind::Individuals, rows)) {
            ds.ReportError("GrpFreqPerLoc: the data matrix does not match its groups and locus sets");
            return false;
        }
        std::vector<std::size_t> present(loci.size(), 0);
        std::size_t total = 0;
        for (std::size_t k = 0; k < loci.size(); ++k) {
            const std::uint8_t* col = s.Matrix.data() + loci[k] * s.NInd;
            for (const std::size_t r : rows) present[k] += col[r] == kPresent;
            total += present[k];
        }
        const std::size_t divisor = perInd ? rows.size() : total;
        AExt row;
        row.reserve(loci.size());
        for (const std::size_t p : present) row.push_back(Ratio(p, divisor));
        result.push_back(std::move(row));
    }
    freqs = std::move(result);
    return true;
}

void CopyStrArray(AString& target, const AString& source) { target = source; }

bool MaskStrs(AString& target, const AString& items, const AByte& mask) {
    if (items.size() != mask.size()) return false;
    AString result;
    for (std::size_t k = 0; k < items.size(); ++k)
        if (mask[k] == 1) result.push_back(items[k]);
    target = std::move(result);
    return true;
}

void GroupMaskAll(const TPopGenDataSet& ds, bool includeFirst, AByte& mask) {
    mask.assign(ds.Groups.size(), 1);
    if (!includeFirst && mask.size() >= 2) mask[0] = 0;
}
