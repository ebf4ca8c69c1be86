#include "popgen/analyses/allele_freq.h"

#include <cerrno>
#include <cmath>
#include <memory>
#include <utility>

#include "foundation/memory_guard.h"
#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "numeric/gamma.h"
#include "numeric/math_error.h"
#include "popgen/analyses/bi_allele.h"

namespace {

constexpr char kCrLf[] = "\r\n";

Extended Size(const TBiAlleleRec& rec, std::size_t g) { return static_cast<Extended>(rec.GroupSizes[g]); }

void SizeEstimates(TBiAlleleRec& rec, bool withVariance) {
    rec.Freq.assign(rec.NGroups, AExt(rec.NLoci, 0.0L));
    if (withVariance) {
        rec.FreqVar.assign(rec.NGroups, AExt(rec.NLoci, 0.0L));
    } else {
        rec.FreqVar.clear();
    }
}

}  // namespace

void SqrtAlleleFreqs(TBiAlleleRec& rec) {
    SizeEstimates(rec, false);
    for (std::size_t g = 0; g < rec.NGroups; ++g)
        for (std::size_t l = 0; l < rec.NLoci; ++l) rec.Freq[g][l] = std::sqrt(rec.AbsenceCounts[g][l] / Size(rec, g));
    rec.Method = 1;
}

void LynchMilliganFreqs(TBiAlleleRec& rec) {
    SizeEstimates(rec, true);
    for (std::size_t g = 0; g < rec.NGroups; ++g) {
        const Extended n = Size(rec, g);
        for (std::size_t l = 0; l < rec.NLoci; ++l) {
            const Extended x = rec.AbsenceCounts[g][l];
            if (x <= 3.0L) {
                rec.Freq[g][l] = kNotEstimated;
                rec.FreqVar[g][l] = kNotEstimated;
                continue;
            }
            const Extended p = x / n;
            rec.Freq[g][l] = std::sqrt(p) / (1.0L - (1.0L - p) / (8.0L * n * p));
            rec.FreqVar[g][l] = (1.0L - p) / (4.0L * n);
        }
    }
    rec.Method = 2;
}

namespace {

// Mean and variance of absence frequencies with weights: M = sum x / T, S = sum x^2 / (T n), V = S - M^2.
struct MeanVar {
    Extended M = 0.0L;
    Extended V = 0.0L;
};

MeanVar AmongPopulations(const TBiAlleleRec& rec, std::size_t l) {
    Extended t = 0.0L;
    for (std::size_t g = 0; g < rec.NGroups; ++g) t += Size(rec, g);
    Extended m = 0.0L, s = 0.0L;
    for (std::size_t g = 0; g < rec.NGroups; ++g) {
        const Extended x = rec.AbsenceCounts[g][l];
        m += x / t;
        s += x * x / (t * Size(rec, g));
    }
    return {m, s - m * m};
}

MeanVar AmongLoci(const TBiAlleleRec& rec, std::size_t g) {
    const Extended t = static_cast<Extended>(rec.NLoci) * Size(rec, g);
    Extended m = 0.0L, s = 0.0L;
    for (std::size_t l = 0; l < rec.NLoci; ++l) {
        const Extended x = rec.AbsenceCounts[g][l];
        m += x / t;
        s += x * x / (t * Size(rec, g));
    }
    return {m, s - m * m};
}

// The prior's mean and variance for every locus (prior 1) or group (prior 2), corrected where the
// variance is 0. False, reported, when the correction does not help.
bool PriorMoments(Reporter& reporter, TBiAlleleRec& rec, std::uint8_t prior, Extended c, std::vector<MeanVar>& out) {
    const std::size_t count = prior == 1 ? rec.NLoci : rec.NGroups;
    out.clear();
    for (std::size_t k = 0; k < count; ++k) {
        const auto moments = [&] { return prior == 1 ? AmongPopulations(rec, k) : AmongLoci(rec, k); };
        MeanVar mv = moments();
        const std::string where = prior == 1 ? "locus # " : "# ";
        if (mv.V < 0.0L) {
            reporter.Warning("Encountered negative variance at " + where + UIntToStr(k + 1) + kCrLf +
                             "Setting it to zero and attempting correction.");
            mv.V = 0.0L;
        }
        if (mv.V == 0.0L) {
            Extended& first = prior == 1 ? rec.AbsenceCounts[0][k] : rec.AbsenceCounts[k][0];
            const Extended kept = first;
            first += c;
            mv = moments();
            first = kept;
            // A corrected variance that is still not positive gives no usable beta prior.
            if (!(mv.V > 0.0L)) {
                reporter.Error(prior == 1 ? "Variance correction failed for locus # " + UIntToStr(k + 1) + "."
                                          : "Variance correction failed at # " + UIntToStr(k + 1) + ".");
                return false;
            }
        }
        out.push_back(mv);
    }
    return true;
}

// q and E from the three beta functions; negative values while D is the beta routine's error value
// become 0, values above 1 become 1.
void Posterior(Extended d, Extended qb, Extended eb, Extended& q, Extended& e) {
    q = qb / d;
    e = eb / d;
    const bool failedBeta = d == -MaxNum;
    if (q < 0.0L && failedBeta) q = 0.0L;
    if (e < 0.0L && failedBeta) e = 0.0L;
    if (q > 1.0L) q = 1.0L;
    if (e > 1.0L) e = 1.0L;
}

}  // namespace

bool BayesAlleleFreqs(Reporter& reporter, TBiAlleleRec& rec, std::uint8_t prior, Extended correction) {
    TBiAlleleRec work = rec;
    if (prior == 1 && work.IncludesAllData) {
        // "AllData" (listed last) is no population of its own.
        work.NGroups -= 1;
        work.IncludesAllData = false;
        work.GroupSizes.resize(work.NGroups);
        work.GroupNames.resize(work.NGroups);
        work.AbsenceCounts.resize(work.NGroups);
    }
    if (prior == 1 && work.NGroups < 2) {
        reporter.Error("Need to have multiple groups to use prior from among-population information");
        return false;
    }
    SizeEstimates(work, true);
    work.Prior = prior;
    if (prior == 0) {
        for (std::size_t g = 0; g < work.NGroups; ++g)
            for (std::size_t l = 0; l < work.NLoci; ++l) {
                const Extended x = work.AbsenceCounts[g][l];
                const Extended a = Size(work, g) - x + 1.0L;
                const Extended d = Beta(a, x + 0.5L);
                const Extended q = Beta(a, x + 1.0L) / d;
                const Extended e = Beta(a, x + 1.5L) / d;
                work.Freq[g][l] = q;
                work.FreqVar[g][l] = e - q * q;
            }
        work.Method = 3;
        rec = std::move(work);
        return true;
    }
    std::vector<MeanVar> moments;
    if (!PriorMoments(reporter, work, prior, correction, moments)) return false;
    for (std::size_t g = 0; g < work.NGroups; ++g)
        for (std::size_t l = 0; l < work.NLoci; ++l) {
            const MeanVar& mv = moments[prior == 1 ? l : g];
            const Extended k = (1.0L - mv.M) * mv.M / mv.V - 1.0L;
            const Extended pa = mv.M * k;
            const Extended pb = (1.0L - mv.M) * k;
            const Extended x = work.AbsenceCounts[g][l];
            const Extended first = Size(work, g) - x + pb;
            const Extended d = Beta(first, x + pa);
            if (d == 0.0L) {
                reporter.Error(
                    std::string("Calculations failed\r\n[Beta(bA+a,ps-bA+b)=0 -> division by zero]\r\n\r\nNPop=") +
                    UIntToStr(g) + kCrLf + "Loc=" + UIntToStr(l));
                return false;
            }
            Extended q = 0.0L, e = 0.0L;
            Posterior(d, Beta(first, x + pa + 0.5L), Beta(first, x + pa + 1.0L), q, e);
            Extended v = e - q * q;
            if (q < 0.0L || v < 0.0L) {
                reporter.Warning("Negative allele frequency or variance at locus # " + UIntToStr(l + 1) +
                                 " for population " + work.GroupNames[g] + ":" + kCrLf + "Frq= " + ExtToStr(q) +
                                 " Var= " + ExtToStr(v) + kCrLf + "Negative values will be set to 0.0");
                if (q < 0.0L) q = 0.0L;
                if (v < 0.0L) v = 0.0L;
            }
            work.Freq[g][l] = q;
            work.FreqVar[g][l] = v;
        }
    work.Method = 3;
    rec = std::move(work);
    return true;
}

bool EstimateAlleleFreqs(TPopGenDataSet& ds, const AlleleFreqOptions& options) {
    const FreqMethod method = options.Method;
    const std::uint8_t code = NumberOf(method);
    if (code > 4) {
        ds.ReportError("unknown allele estimation method");
        return false;
    }
    if (options.Fill &&
        !FillBiAlleleRec(ds, {.UseMissing = options.UseMissing, .MissingFraction = options.MissingFraction}))
        return false;
    TDSLayer& layer = ds.GetCurrLayer();
    if (!layer.BiAllele) {
        ds.ReportError("No allele data in memory");
        return false;
    }
    TBiAlleleRec work = *layer.BiAllele;
    if (method == FreqMethod::SquareRoot) {
        SqrtAlleleFreqs(work);
    } else if (method == FreqMethod::LynchMilligan) {
        LynchMilliganFreqs(work);
    } else {
        if (!BayesAlleleFreqs(ds.Reporting(), work, static_cast<std::uint8_t>(code - 2), options.Correction)) return false;
    }
    layer.BiAllele = std::make_shared<TBiAlleleRec>(std::move(work));
    return true;
}

AString AlleleFreqReportLines(const TPopGenDataSet& ds, const TBiAlleleRec& rec) {
    AString lines;
    const std::string method =
        AlleleFreqMethodToStr2(CodeOf<FreqMethod>(static_cast<std::uint8_t>(rec.Method - 1)), rec.Prior).substr(0, 255);
    const AString* names = ds.CurLocusSet < ds.LocusSets.size() ? &ds.LocusSets[ds.CurLocusSet].Members : nullptr;
    for (std::size_t g = 0; g < rec.NGroups && g < rec.Freq.size(); ++g) {
        lines.push_back("Null allele frequencies for group " + rec.GroupNames[g]);
        lines.push_back("Calculation method: " + method);
        lines.emplace_back();
        for (std::size_t l = 0; l < rec.NLoci; ++l) {
            const std::string name = names && l < names->size() ? (*names)[l] : UIntToStr(l + 1);
            const Extended q = rec.Freq[g][l];
            const Extended v = rec.FreqVar.size() > g ? rec.FreqVar[g][l] : 0.0L;
            if (rec.Method == 1) {
                lines.push_back(name + " " + ExtToStr(q));
            } else if (rec.Method == 2) {
                lines.push_back(q == kNotEstimated ? name + " ignored"
                                                   : name + " " + ExtToStr(q) + " Var= " + ExtToStr(v));
            } else {
                lines.push_back(name + " " + ExtToStr(q) + " SqSE= " + ExtToStr(v));
            }
        }
        lines.emplace_back();
    }
    return lines;
}

int OutputAlleleFreqs(TPopGenDataSet& ds, const std::string& fileName, bool append) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!layer.BiAllele || layer.BiAllele->Method == 0) {
        ds.ReportError("No allele data in memory");
        return -2;
    }
    int result = 0;
    if (!CompletesInMemory([&] {
            Ttf report;
            report.AddStrings(AlleleFreqReportLines(ds, *layer.BiAllele));
            result = report.SaveToFile(fileName, append);
        }))
        return ENOMEM;
    return result;
}
