#include "popgen/analyses/amova.h"

#include <cerrno>
#include <cmath>
#include <utility>

#include "foundation/keep_alive.h"
#include "foundation/memory_guard.h"
#include "foundation/number_text.h"
#include "foundation/random.h"
#include "foundation/rounding.h"
#include "foundation/text_file.h"
#include "popgen/analyses/amova_sums.h"
#include "popgen/distance/coefficients.h"
#include "popgen/distance/distance_matrix.h"

std::size_t TAmovaRec::NEntries() const {
    std::size_t n = 0;
    for (const auto& unit : Structure) n += unit.size();
    return n;
}

void ClearAmovaRec(TAmovaRec& rec) { rec = TAmovaRec{}; }

bool MakeAmovaAssignment(TPopGenDataSet& ds, TAmovaRec& rec) {
    rec.Assignment.assign(rec.NTotal, kNoPopulation);
    std::uint32_t number = 0;
    for (const auto& unit : rec.Structure)
        for (const PopEntry& entry : unit) {
            for (std::size_t k = 0; k < rec.NTotal && k < entry.MaskInUse.size(); ++k) {
                if (entry.MaskInUse[k] != 1) continue;
                if (rec.Assignment[k] != kNoPopulation) {
                    ds.ReportError("AMOVA structure invalid");
                    return false;
                }
                rec.Assignment[k] = number;
            }
            ++number;
        }
    return true;
}

// Kept as it always was: each position is swapped with a drawn one, so the draws and the results of
// a seeded run stay reproducible. Individuals outside every population stay where they are.
std::vector<std::uint32_t> ShuffleAssignment(const std::vector<std::uint32_t>& assignment, RandomStream& random) {
    std::vector<std::uint32_t> shuffled = assignment;
    const auto n = static_cast<std::uint32_t>(shuffled.size());
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t j = random.Random(n);
        if (shuffled[i] != kNoPopulation && shuffled[j] != kNoPopulation) std::swap(shuffled[i], shuffled[j]);
    }
    return shuffled;
}

bool Amova_MakeStrucutre(TPopGenDataSet& ds, const TAmovaRec& rec, const std::vector<std::uint32_t>& shuffled,
                         PopMembers& members) {
    if (shuffled.size() != rec.NTotal) {
        ds.ReportError("Amova_MakeStrucutre failed (1)");
        return false;
    }
    members = MembersOf(shuffled, rec.NEntries());
    return true;
}

bool PermuteAmovaStructure(TPopGenDataSet& ds, const TAmovaRec& rec, RandomStream& random, PopMembers& members) {
    return Amova_MakeStrucutre(ds, rec, ShuffleAssignment(rec.Assignment, random), members);
}

bool PrepareAmovaKernel(TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, Transformation transform,
                        Extended neiLiR, std::size_t draws) {
    if (const char* problem = KernelCodeProblem(mode, coefficient)) {
        ds.ReportError(problem);
        return false;
    }
    if (mode == Treatment::Average && draws < 1) {
        ds.ReportError("The number of random draws must be at least 1.");
        return false;
    }
    const Transformation applied = NormalizedTransform(coefficient, transform);
    if (NumberOf(applied) > 5) {
        ds.ReportError("DistXF: Unknown option.");
        return false;
    }
    ResetFPU();
    ds.Kernel = KernelChoice{mode, coefficient};
    ds.SetDistOptions(draws, applied, neiLiR);
    return true;
}

namespace {

AmovaDesign DesignOf(const TAmovaRec& rec, std::uint8_t level, PopMembers members) {
    AmovaDesign design;
    design.Level = level;
    design.NTotal = rec.NTotal;
    std::size_t number = 0;
    for (const auto& unit : rec.Structure) {
        std::vector<std::size_t> pops;
        for (std::size_t e = 0; e < unit.size(); ++e) pops.push_back(number++);
        design.Units.push_back(std::move(pops));
    }
    design.Members = std::move(members);
    return design;
}

// The current layer cut to one locus, with its weights where the scheme has them.
TDSLayer OneLocusLayer(const TDSLayer& layer, std::size_t locus) {
    TDSLayer one;
    one.NInd = layer.NInd;
    one.NLoci = 1;
    one.NCells = layer.NInd;
    one.Matrix.assign(layer.Matrix.begin() + static_cast<std::ptrdiff_t>(locus * layer.NInd),
                      layer.Matrix.begin() + static_cast<std::ptrdiff_t>((locus + 1) * layer.NInd));
    if (layer.Weights.size() == layer.NLoci) {
        one.Weights = {layer.Weights[locus]};
    } else if (layer.Weights.size() == layer.NCells) {
        one.Weights.assign(layer.Weights.begin() + static_cast<std::ptrdiff_t>(locus * layer.NInd),
                           layer.Weights.begin() + static_cast<std::ptrdiff_t>((locus + 1) * layer.NInd));
    }
    return one;
}

// An undefined Nei-Li distance makes the sums meaningless: the run is refused with the pairs listed.
bool DistancesUsable(TPopGenDataSet& ds, const AmovaDistances& d) {
    if (d.Problems().Count() == 0) return true;
    ds.ReportError(d.Problems().Message());
    return false;
}

// Individuals that do not differ at all (Vt = 0) leave every share and phi statistic 0/0: refused,
// rather than reported as results.
bool ComponentsDefined(TPopGenDataSet& ds, const TAmovaRes& r) {
    if (std::isfinite(r.PctVa) && std::isfinite(r.PhiST)) return true;
    ds.ReportError("AMOVA error: Vt= " + ExtToStr(r.Vt));
    return false;
}

bool ObservedAndPermuted(TPopGenDataSet& ds, TAmovaRec& rec, std::uint8_t level, std::size_t permutations,
                         RandomStream& random) {
    const TDSLayer& layer = ds.GetCurrLayer();
    AmovaDistances d(ds, layer, random);
    AmovaSums sums(d);
    TAmovaRes observed;
    if (!AMOVA_VarianceComponents(sums, DesignOf(rec, level, MembersOf(rec.Assignment, rec.NEntries())), ds.Reporting(),
                                  observed)) {
        return false;
    }
    if (!ComponentsDefined(ds, observed)) return false;
    std::vector<std::vector<TAmovaRes>> slots(std::max<std::size_t>(permutations, 1), std::vector<TAmovaRes>(1));
    std::size_t countA = 0, countB = 0, countC = 0;
    for (std::size_t p = 0; p < permutations; ++p) {
        KeepAlive();
        // Every permutation starts from the observed assignment, so they do not accumulate. At level
        // 2 too the individuals are shuffled across all populations at once (not within groups):
        // kept as it always was, since the draws and so the results of a seeded run depend on it.
        PopMembers permuted;
        if (!PermuteAmovaStructure(ds, rec, random, permuted)) return false;
        TAmovaRes& r = slots[p][0];
        if (!AMOVA_VarianceComponents(sums, DesignOf(rec, level, std::move(permuted)), ds.Reporting(), r)) {
            return false;
        }
        if (r.Va >= observed.Va) ++countA;
        if (level == 2) {
            if (r.Vb >= observed.Vb) ++countB;
            if (r.Vc <= observed.Vc) ++countC;
        }
    }
    if (!DistancesUsable(ds, d)) return false;
    if (!d.TransformOk()) return false;
    if (permutations > 1) {
        const auto perms = static_cast<Extended>(permutations);
        observed.ProbVa = static_cast<Extended>(countA) / perms;
        if (level == 2) {
            observed.ProbVb = static_cast<Extended>(countB) / perms;
            observed.ProbVc = static_cast<Extended>(countC) / perms;
        }
    }
    rec.Observed = observed;
    rec.Slots = std::move(slots);
    rec.LocusMeans = TAmovaRes{};
    rec.LocusMeans.PhiST = -111.0L;
    rec.LocusMeans.PhiSR = -222.0L;
    rec.LocusMeans.PhiRT = -333.0L;
    rec.AnalysedLoci.clear();
    return true;
}

bool LocusByLocus(TPopGenDataSet& ds, TAmovaRec& rec, std::uint8_t level, const std::vector<std::size_t>& loci,
                  RandomStream& random) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (loci.empty()) {
        ds.ReportError("Locus-by-Locus AMOVA: no loci to evaluate!");
        return false;
    }
    std::vector<std::vector<TAmovaRes>> slots(1, std::vector<TAmovaRes>(loci.size()));
    const AmovaDesign design = DesignOf(rec, level, MembersOf(rec.Assignment, rec.NEntries()));
    for (std::size_t k = 0; k < loci.size(); ++k) {
        // Every sum, SSD(T) included, is taken over the analysed locus, so that the sums of one
        // locus add up (SSD(T) = SSD(among) + SSD(within)).
        const TDSLayer one = OneLocusLayer(layer, loci[k]);
        AmovaDistances d(ds, one, random);
        AmovaSums sums(d);
        if (!AMOVA_VarianceComponents(sums, design, ds.Reporting(), slots[0][k])) {
            return false;
        }
        if (!DistancesUsable(ds, d) || !d.TransformOk()) return false;
        if (!ComponentsDefined(ds, slots[0][k])) return false;
    }
    TAmovaRes mean;
    const auto n = static_cast<Extended>(loci.size());
    for (const TAmovaRes& r : slots[0]) {
        mean.SSDT += r.SSDT;
        mean.SSDWP += r.SSDWP;
        mean.SSDAPWG += r.SSDAPWG;
        mean.SSDAmong += r.SSDAmong;
        mean.Va += r.Va;
        mean.Vb += r.Vb;
        mean.Vc += r.Vc;
        mean.Vt += r.Vt;
        mean.PctVa += r.PctVa;
        mean.PctVb += r.PctVb;
        mean.PctVc += r.PctVc;
        mean.PhiST += r.PhiST;
        mean.PhiRT += r.PhiRT;
        mean.PhiSR += r.PhiSR;
    }
    for (Extended* v : {&mean.SSDT, &mean.SSDWP, &mean.SSDAPWG, &mean.SSDAmong, &mean.Va, &mean.Vb, &mean.Vc, &mean.Vt,
                        &mean.PctVa, &mean.PctVb, &mean.PctVc, &mean.PhiST, &mean.PhiRT, &mean.PhiSR})
        *v /= n;
    rec.Slots = std::move(slots);
    rec.LocusMeans = mean;
    rec.Observed = mean;
    rec.AnalysedLoci = loci;
    return true;
}

}  // namespace

bool ComputeAmova(TPopGenDataSet& ds, TAmovaRec& rec, std::uint8_t level, bool locusByLocus,
                  const std::vector<std::size_t>& loci, std::size_t permutations, RandomStream& random) {
    if (level != 1 && level != 2) {
        ds.ReportError("Wrong Level in AMOVA_VarianceComponents");
        return false;
    }
    if (rec.Assignment.size() != rec.NTotal || rec.NTotal != ds.GetCurrLayer().NInd) {
        ds.ReportError("Amova_MakeStrucutre failed (1)");
        return false;
    }
    TAmovaRec work = rec;
    // Locus by locus the observed per-locus results are the table and the means; the permutation
    // test would need one per locus and is not run in this mode.
    const bool ok = locusByLocus ? LocusByLocus(ds, work, level, loci, random)
                                 : ObservedAndPermuted(ds, work, level, permutations, random);
    if (!ok) return false;
    rec = std::move(work);
    return true;
}

// ---- the report ------------------------------------------------------------------------------

namespace {

std::string Df(std::int64_t v) {
    return v < 0 ? "-" + UIntToStr(static_cast<std::uint64_t>(-v)) : UIntToStr(static_cast<std::uint64_t>(v));
}

constexpr char kCrLf[] = "\r\n";

std::string ObservedItem(const TAmovaRes& r, std::uint8_t level, std::size_t permutations) {
    const std::string est = " (estimated from " + UIntToStr(permutations) + " randomisations)";
    std::string s;
    if (level == 1) {
        s = "SSD(AP)= " + ExtToStr(r.SSDAmong) + ", df(AP)= " + Df(r.DfAmong) + kCrLf;
        s += "SSD(WP)= " + ExtToStr(r.SSDWP) + ", df(WP)= " + Df(r.DfWP) + kCrLf;
        s += "SSD(T)= " + ExtToStr(r.SSDT) + ", df(T)= " + Df(r.DfT) + kCrLf + kCrLf;
        s += "Va= " + ExtToStr(r.Va) + ", %Var= " + ExtToStr(r.PctVa) + " (Among Populations)" + kCrLf;
        s += "Vb= " + ExtToStr(r.Vb) + ", %Var= " + ExtToStr(r.PctVb) + " (Within Populations)" + kCrLf;
        s += "Vt= " + ExtToStr(r.Vt) + kCrLf + kCrLf;
        s += "PhiST= " + ExtToStr(r.PhiST);
        if (permutations > 0)
            s += std::string(kCrLf) + "Prob(Random_Value >= Observed_Value) for Va & PhiST = " + ExtToStr(r.ProbVa) +
                 est;
        return s;
    }
    s = "SSD(AG)= " + ExtToStr(r.SSDAmong) + ", df(AG)= " + Df(r.DfAmong) + kCrLf;
    s += "SSD(APWG)= " + ExtToStr(r.SSDAPWG) + ", df(APWG)= " + Df(r.DfAPWG) + kCrLf;
    s += "SSD(WP)= " + ExtToStr(r.SSDWP) + ", df(WP)= " + Df(r.DfWP) + kCrLf;
    s += "SSD(T)= " + ExtToStr(r.SSDT) + ", df(T)= " + Df(r.DfT) + kCrLf + kCrLf;
    s += "Va= " + ExtToStr(r.Va) + ", %Var= " + ExtToStr(r.PctVa) + " (Among Groups)" + kCrLf;
    s += "Vb= " + ExtToStr(r.Vb) + ", %Var= " + ExtToStr(r.PctVb) + " (Among Populations/Within Groups)" + kCrLf;
    s += "Vc= " + ExtToStr(r.Vc) + ", %Var= " + ExtToStr(r.PctVc) + " (Within Populations)" + kCrLf;
    s += "Vt= " + ExtToStr(r.Vt) + kCrLf + kCrLf;
    s += "PhiST= " + ExtToStr(r.PhiST) + kCrLf + "PhiRT= " + ExtToStr(r.PhiRT) + kCrLf + "PhiSR= " + ExtToStr(r.PhiSR);
    if (permutations > 0) {
        s += std::string(kCrLf) + "Prob(Random_Value >= Observed_Value) for Va & PhiRT = " + ExtToStr(r.ProbVa) + est;
        s += std::string(kCrLf) + "Prob(Random_Value >= Observed_Value) for Vb & PhiSR = " + ExtToStr(r.ProbVb) + est;
        s += std::string(kCrLf) + "Prob(Random_Value <= Observed_Value) for Vc & PhiST = " + ExtToStr(r.ProbVc) + est;
    }
    return s;
}

std::string MeansItem(const TAmovaRes& m, std::uint8_t level, std::size_t loci) {
    std::string s = "Mean AMOVA results from Locus-by-Locus analysis (N= " + UIntToStr(loci) + " loci used)" + kCrLf;
    s += (level == 1 ? "Mean SSD(AP)= " : "Mean SSD(AG)= ") + ExtToStr(m.SSDAmong) + kCrLf;
    s += "Mean SSD(WP)= " + ExtToStr(m.SSDWP) + kCrLf;
    if (level == 2) s += "Mean SSD(APWG)= " + ExtToStr(m.SSDAPWG) + kCrLf;
    s += "Mean SSD(T)= " + ExtToStr(m.SSDT) + kCrLf;
    s += "Mean Va= " + ExtToStr(m.Va) + " %Var= " + ExtToStr(m.PctVa) +
         (level == 1 ? " (Among Populations)" : " (Among Groups)") + kCrLf;
    s += "Mean Vb= " + ExtToStr(m.Vb) + " %Var= " + ExtToStr(m.PctVb) +
         (level == 1 ? " (Within Populations)" : " (Among Populations/Within Groups)") + kCrLf;
    if (level == 2) s += "Mean Vc= " + ExtToStr(m.Vc) + " %Var= " + ExtToStr(m.PctVc) + " (Within Populations)" + kCrLf;
    s += "Mean PhiST = " + ExtToStr(m.PhiST) + kCrLf;
    if (level == 2) {
        s += "Mean PhiRT = " + ExtToStr(m.PhiRT) + kCrLf;
        s += "Mean PhiSR = " + ExtToStr(m.PhiSR) + kCrLf;
    }
    return s;
}

std::string Tabbed(std::initializer_list<std::string> items) {
    std::string s;
    for (const std::string& item : items) {
        if (!s.empty()) s += '\t';
        s += item;
    }
    return s;
}

}  // namespace

AString AmovaReportLines(const TPopGenDataSet& ds, const TAmovaRec& rec, std::uint8_t level, Treatment mode,
                         Coefficient coefficient, Transformation transform, bool locusByLocus,
                         std::size_t permutations) {
    AString lines;
    lines.push_back("AMOVA results");
    lines.push_back("Coefficient: " + SimMethodToStr(false, mode, coefficient) + " " + CoeffToStr(coefficient) +
                    ". Distance Transformation: " + DistXFToStr(transform) + ".");
    lines.emplace_back();
    lines.push_back(locusByLocus ? std::string() : ObservedItem(rec.Observed, level, permutations));
    lines.emplace_back();
    const std::size_t nLoci = rec.Slots.empty() ? 0 : rec.Slots[0].size();
    if (locusByLocus && nLoci > 0 && rec.AnalysedLoci.size() == nLoci) {
        lines.push_back(MeansItem(rec.LocusMeans, level, nLoci));
        lines.emplace_back();
        const std::string titles =
            level == 1
                ? Tabbed({"Locus", "SSD(AP)", "SSD(WP)", "SSD(T)", "Va(AP)", "Vb(WP)", "%Var(AG)", "%Var(WP)", "PhiST"})
                : Tabbed({"Locus", "SSD(AG)", "SSD(WP)", "SSD(APWG)", "SSD(T)", "Va(AG)", "Vb(APWG)", "Vc(WP)",
                          "%Var(AP)", "%Var(WP)", "%Var(WP)", "PhiST", "PhiRT", "PhiSR"});
        lines.push_back("Locus-by-Locus AMOVA results" + std::string(kCrLf) + titles);
        const TDSLayer& layer = ds.GetCurrLayer();
        for (std::size_t k = 0; k < nLoci; ++k) {
            const TAmovaRes& r = rec.Slots[0][k];
            const std::size_t l = rec.AnalysedLoci[k];
            const std::string name = l < layer.LocNames.size() ? layer.LocNames[l] : UIntToStr(l + 1);
            if (level == 1) {
                lines.push_back(Tabbed({name, ExtToStr(r.SSDAmong), ExtToStr(r.SSDWP), ExtToStr(r.SSDT), ExtToStr(r.Va),
                                        ExtToStr(r.Vb), ExtToStr(r.PctVa), ExtToStr(r.PctVb), ExtToStr(r.PhiST)}));
            } else {
                lines.push_back(
                    Tabbed({name, ExtToStr(r.SSDAmong), ExtToStr(r.SSDWP), ExtToStr(r.SSDAPWG), ExtToStr(r.SSDT),
                            ExtToStr(r.Va), ExtToStr(r.Vb), ExtToStr(r.Vc), ExtToStr(r.PctVa), ExtToStr(r.PctVb),
                            ExtToStr(r.PctVc), ExtToStr(r.PhiST), ExtToStr(r.PhiRT), ExtToStr(r.PhiSR)}));
            }
        }
        lines.emplace_back();
    }
    return lines;
}

int OutputAMOVA2File(TPopGenDataSet& ds, std::uint8_t level, Treatment mode, Coefficient coefficient,
                     Transformation transform, bool locusByLocus, std::size_t permutations, const std::string& fileName,
                     bool append) {
    if (level != 1 && level != 2) {
        ds.ReportError("OutputAMOVA2File: Invalid AMOVA Level");
        return -2;
    }
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!layer.Amova) {
        ds.ReportError("OutputAMOVA2File: no AMOVA results");
        return -2;
    }
    int result = 0;
    if (!CompletesInMemory([&] {
            Ttf report;
            report.AddStrings(
                AmovaReportLines(ds, *layer.Amova, level, mode, coefficient, transform, locusByLocus, permutations));
            result = report.SaveToFile(fileName, append);
        }))
        return ENOMEM;
    return result;
}
