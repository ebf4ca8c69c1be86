#include "popgen/analyses/amova_sums.h"

#include "foundation/number_text.h"
#include "foundation/packed_matrix.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/distance/pair_count.h"

AmovaDistances::AmovaDistances(TPopGenDataSet& ds, const TDSLayer& layer, RandomStream& random)
    : ds_(ds), n_(layer.NInd) {
    kernel_ = KernelProc(ds.Kernel.Mode, ds.Kernel.Coeff);
    src_.PairCount = PairCounter(layer, layer, ds.WeightingScheme, ds.StateWeights);
    src_.NeiLiR = ds.NeiLiR;
    src_.AvgDraws = ds.AvgDraws;
    src_.Random = &random;
    src_.Problems = &problems_;
    replay_ = ds.Kernel.Mode == Treatment::Average;
    // Plain counts are integers, so c(1,0) + c(0,1) and c(0,1) + c(1,0) agree exactly; weighted
    // counts need not, and then both orders of a pair are kept.
    symmetric_ = ds.WeightingScheme == Weighting::None;
    if (replay_ || !kernel_) return;
    if (symmetric_) {
        cache_.resize(PackedSize(n_));
        ForEachPackedPair(n_, [&](std::size_t i, std::size_t j, std::size_t k) { cache_[k] = Evaluate(i - 1, j - 1); });
    } else {
        cache_.resize(n_ * n_);
        for (std::size_t i = 0; i < n_; ++i)
            for (std::size_t j = 0; j < n_; ++j) cache_[i * n_ + j] = Evaluate(i, j);
    }
}

Extended AmovaDistances::Evaluate(std::size_t i, std::size_t j) {
    if (!kernel_) return DistNaN();
    const Extended raw = kernel_(src_, i + 1, j + 1);
    Extended d = DistNaN();
    if (transformOk_) {
        const ReportScope scope(ds_.Reporting());
        d = DistXF(ds_, raw);
        if (scope.Errors() > 0) transformOk_ = false;
    }
    return d * d;
}

Extended AmovaDistances::D2(std::size_t i, std::size_t j) {
    if (replay_) return Evaluate(i, j);
    if (symmetric_) return cache_[PairIndex(i + 1, j + 1)];
    return cache_[i * n_ + j];
}

PopMembers MembersOf(const std::vector<std::uint32_t>& assignment, std::size_t populations) {
    PopMembers members(populations);
    for (std::size_t k = 0; k < assignment.size(); ++k)
        if (assignment[k] != kNoPopulation && assignment[k] < populations) members[assignment[k]].push_back(k);
    return members;
}

Extended AmovaSums::SSDOf(const std::vector<std::size_t>& members) {
    if (members.empty()) return 0.0L;
    Extended s = 0.0L;
    for (const std::size_t i : members)
        for (const std::size_t j : members) s += d_.D2(i, j);
    return s / (2.0L * static_cast<Extended>(members.size()));
}

Extended AmovaSums::SSDT() {
    if (haveTotal_) return total_;
    const std::size_t n = d_.Size();
    Extended s = 0.0L;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) s += d_.D2(i, j);
    const Extended t = n == 0 ? 0.0L : s / (2.0L * static_cast<Extended>(n));
    if (!d_.Replays()) {
        haveTotal_ = true;
        total_ = t;
    }
    return t;
}

Extended AmovaSums::SSDUnit(const PopMembers& members, const std::vector<std::size_t>& unit) {
    Extended s = 0.0L;
    std::size_t nu = 0;
    for (const std::size_t p : unit) {
        nu += members[p].size();
        for (const std::size_t i : members[p])
            for (const std::size_t q : unit)
                for (const std::size_t j : members[q]) s += d_.D2(i, j);
    }
    return nu == 0 ? 0.0L : s / (2.0L * static_cast<Extended>(nu));
}

Extended AmovaN0(const std::vector<std::size_t>& unitSizes) {
    std::uint64_t sum = 0, sumSq = 0;
    for (const std::size_t n : unitSizes) {
        sum += n;
        sumSq += static_cast<std::uint64_t>(n) * n;
    }
    const auto g = static_cast<Extended>(unitSizes.size());
    return (static_cast<Extended>(sum) - static_cast<Extended>(sumSq) / static_cast<Extended>(sum)) / (g - 1.0L);
}

std::vector<std::size_t> UnitSizes(const AmovaDesign& design) {
    std::vector<std::size_t> sizes;
    sizes.reserve(design.Units.size());
    for (const auto& unit : design.Units) {
        std::size_t n = 0;
        for (const std::size_t p : unit) n += design.Members[p].size();
        sizes.push_back(n);
    }
    return sizes;
}

namespace {

std::string Signed(std::int64_t v) {
    return v < 0 ? "-" + UIntToStr(static_cast<std::uint64_t>(-v)) : UIntToStr(static_cast<std::uint64_t>(v));
}

std::size_t PopulationCount(const AmovaDesign& design) {
    std::size_t populations = 0;
    for (const auto& unit : design.Units) populations += unit.size();
    return populations;
}

// Sum over units of (sum_{p in u} n_p^2) / n_u, with the totals sum n_p and sum n_p^2.
Extended WithinUnitSquares(const AmovaDesign& design, std::uint64_t& sumP, std::uint64_t& sumPSq) {
    sumP = 0;
    sumPSq = 0;
    Extended within = 0.0L;
    for (const auto& unit : design.Units) {
        std::uint64_t nu = 0, sq = 0;
        for (const std::size_t p : unit) {
            const std::uint64_t np = design.Members[p].size();
            nu += np;
            sq += np * np;
        }
        sumP += nu;
        sumPSq += sq;
        within += static_cast<Extended>(sq) / static_cast<Extended>(nu);
    }
    return within;
}

}  // namespace

std::int64_t AmovaDfT(const AmovaDesign& design) { return static_cast<std::int64_t>(design.NTotal) - 1; }
std::int64_t AmovaDfWP(const AmovaDesign& design) {
    return static_cast<std::int64_t>(design.NTotal) - static_cast<std::int64_t>(PopulationCount(design));
}
std::int64_t AmovaDfAmong(const AmovaDesign& design) { return static_cast<std::int64_t>(design.Units.size()) - 1; }
std::int64_t AmovaDfAPWG(const AmovaDesign& design) {
    return static_cast<std::int64_t>(PopulationCount(design)) - static_cast<std::int64_t>(design.Units.size());
}

Extended AmovaSSDT(AmovaSums& sums) { return sums.SSDT(); }

Extended AmovaSSDWP(AmovaSums& sums, const AmovaDesign& design, AmovaPartSums& parts) {
    parts.Pop.clear();
    Extended total = 0.0L;
    for (const auto& unit : design.Units)
        for (const std::size_t p : unit) {
            const Extended s = sums.SSDOf(design.Members[p]);
            parts.Pop.push_back(s);
            total += s;
        }
    return total;
}

Extended AmovaSSDAmong(AmovaSums& sums, const AmovaDesign& design, AmovaPartSums& parts) {
    const Extended ssdT = sums.SSDT();
    parts.Unit.clear();
    Extended sumU = 0.0L;
    std::size_t entry = 0;
    for (const auto& unit : design.Units) {
        // At level 1 a unit is one population: with cached distances its pooled sum is the
        // population's sum, term for term.
        const bool reuse = design.Level == 1 && !sums.Replays() && entry < parts.Pop.size();
        const Extended s = reuse ? parts.Pop[entry] : sums.SSDUnit(design.Members, unit);
        entry += unit.size();
        parts.Unit.push_back(s);
        sumU += s;
    }
    return ssdT - sumU;
}

Extended AmovaSSDAPWG(AmovaSums& sums, const AmovaDesign& design, const AmovaPartSums& parts) {
    Extended total = 0.0L;
    std::size_t entry = 0;
    const bool reuse =
        !sums.Replays() && parts.Unit.size() == design.Units.size() && parts.Pop.size() == PopulationCount(design);
    for (std::size_t u = 0; u < design.Units.size(); ++u) {
        const Extended pooled = reuse ? parts.Unit[u] : sums.SSDUnit(design.Members, design.Units[u]);
        Extended inner = 0.0L;
        for (const std::size_t p : design.Units[u]) {
            inner += reuse ? parts.Pop[entry] : sums.SSDOf(design.Members[p]);
            ++entry;
        }
        total += pooled - inner;
    }
    return total;
}

Extended AmovaNCoef(const AmovaDesign& design) {
    std::uint64_t sumP = 0, sumPSq = 0;
    const Extended within = WithinUnitSquares(design, sumP, sumPSq);
    const auto populations = static_cast<Extended>(PopulationCount(design));
    return (static_cast<Extended>(sumP) - within) / (populations - static_cast<Extended>(design.Units.size()));
}

Extended AmovaNCoef2(const AmovaDesign& design) {
    std::uint64_t sumP = 0, sumPSq = 0;
    const Extended within = WithinUnitSquares(design, sumP, sumPSq);
    return (within - static_cast<Extended>(sumPSq) / static_cast<Extended>(sumP)) /
           (static_cast<Extended>(design.Units.size()) - 1.0L);
}

Extended AmovaSSDWPOf(AmovaSums& sums, const PopMembers& populations) {
    Extended total = 0.0L;
    for (const auto& members : populations) total += sums.SSDOf(members);
    return total;
}

Extended AmovaSSDAmongOf(AmovaSums& sums, const std::vector<std::size_t>& all, const PopMembers& populations) {
    const Extended ssdT = sums.SSDOf(all);
    Extended sumU = 0.0L;
    for (const auto& members : populations) sumU += sums.SSDOf(members);
    return ssdT - sumU;
}

namespace {

// Refused before any kernel call, so a refused design draws nothing from the random stream.
bool DesignUsable(const AmovaDesign& design, Reporter& reporter) {
    std::size_t assigned = 0;
    for (const std::size_t n : UnitSizes(design)) assigned += n;
    const std::string top = design.Level == 2 ? "AG" : "AP";
    if (assigned == 0) {
        reporter.Error("AMOVA error: b2");
        return false;
    }
    if (AmovaDfWP(design) <= 0) {
        reporter.Error("AMOVA error: df(WP)= " + Signed(AmovaDfWP(design)));
        return false;
    }
    if (AmovaDfAmong(design) <= 0) {
        reporter.Error("AMOVA error: df(" + top + ")= " + Signed(AmovaDfAmong(design)));
        return false;
    }
    if (design.Level == 2 && AmovaDfAPWG(design) <= 0) {
        reporter.Error("AMOVA error: n0");
        return false;
    }
    return true;
}

// The sums of squares, n0 and degrees of freedom that one and two levels share.
void SumsOfBothLevels(AmovaSums& sums, const AmovaDesign& design, AmovaPartSums& parts, TAmovaRes& r) {
    r.SSDT = AmovaSSDT(sums);
    r.SSDWP = AmovaSSDWP(sums, design, parts);
    r.SSDAmong = AmovaSSDAmong(sums, design, parts);
    r.NCoef[2] = AmovaN0(UnitSizes(design));
    r.DfT = AmovaDfT(design);
    r.DfWP = AmovaDfWP(design);
    r.DfAmong = AmovaDfAmong(design);
}

}  // namespace

bool AmovaComponents1(AmovaSums& sums, const AmovaDesign& design, Reporter& reporter, TAmovaRes& res) {
    if (!DesignUsable(design, reporter)) return false;
    TAmovaRes r;
    AmovaPartSums parts;
    SumsOfBothLevels(sums, design, parts, r);
    const Extended msWP = r.SSDWP / static_cast<Extended>(r.DfWP);
    r.Vb = msWP;
    r.MSDAmong = r.SSDAmong / static_cast<Extended>(r.DfAmong);
    r.Va = (r.MSDAmong - msWP) / r.NCoef[2];
    r.Vt = r.Va + r.Vb;
    r.PctVa = 100.0L * r.Va / r.Vt;
    r.PctVb = 100.0L * r.Vb / r.Vt;
    r.PhiST = r.Va / r.Vt;
    res = r;
    return true;
}

bool AmovaComponents2(AmovaSums& sums, const AmovaDesign& design, Reporter& reporter, TAmovaRes& res) {
    if (!DesignUsable(design, reporter)) return false;
    TAmovaRes r;
    AmovaPartSums parts;
    SumsOfBothLevels(sums, design, parts, r);
    r.SSDAPWG = AmovaSSDAPWG(sums, design, parts);
    r.NCoef[0] = AmovaNCoef(design);
    r.NCoef[1] = AmovaNCoef2(design);
    r.DfAPWG = AmovaDfAPWG(design);
    const Extended msWP = r.SSDWP / static_cast<Extended>(r.DfWP);
    r.Vc = msWP;
    r.MSD2 = r.SSDAPWG / static_cast<Extended>(r.DfAPWG);
    r.MSDAmong = r.SSDAmong / static_cast<Extended>(r.DfAmong);
    r.Vb = (r.MSD2 - msWP) / r.NCoef[0];
    r.Va = ((r.MSDAmong - msWP) - r.NCoef[1] * r.Vb) / r.NCoef[2];
    r.Vt = r.Va + r.Vb + r.Vc;
    r.PctVa = 100.0L * r.Va / r.Vt;
    r.PctVb = 100.0L * r.Vb / r.Vt;
    r.PctVc = 100.0L * r.Vc / r.Vt;
    r.PhiST = (r.Va + r.Vb) / r.Vt;
    r.PhiRT = r.Va / r.Vt;
    r.PhiSR = r.Vb / (r.Vb + r.Vc);
    res = r;
    return true;
}

bool AMOVA_VarianceComponents(AmovaSums& sums, const AmovaDesign& design, Reporter& reporter, TAmovaRes& res) {
    if (design.Level == 1) return AmovaComponents1(sums, design, reporter, res);
    if (design.Level == 2) return AmovaComponents2(sums, design, reporter, res);
    reporter.Error("Wrong Level in AMOVA_VarianceComponents");
    return false;
}
