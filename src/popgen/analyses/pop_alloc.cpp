#include "popgen/analyses/pop_alloc.h"

#include <cmath>

#include "foundation/number_text.h"
#include "foundation/scope_exit.h"
#include "popgen/data/band_stats.h"
#include "popgen/data/dataset.h"

Extended CorrectedFrequency(Extended f, Extended c) {
    if (f == 0.0L) return c;
    if (f == 1.0L) return 1.0L - c;
    return f;
}

bool PopReAllocLogLik(Reporter& reporter, const PopAllocPopulation& population, const AAByte& states,
                      const PopAllocOptions& options, AExt& logLik) {
    const std::size_t nLoci = states.size();
    const std::size_t nInd = nLoci == 0 ? 0 : states[0].size();
    if (population.Freqs.size() != nLoci || population.Presences.size() != nLoci ||
        population.IsMember.size() != nInd || population.Members < 2) {
        reporter.Error("PopReAlloc: DataMatrix Error. Please submit a bug report!");
        return false;
    }
    const Extended others = static_cast<Extended>(population.Members - 1);
    // A member's own frequencies come from the others: the sample is one smaller.
    const Extended ownCorrection =
        options.SampleSizeCorrection ? 1.0L / static_cast<Extended>(population.Members) : options.Epsilon;
    AExt row(nInd, 0.0L);
    for (std::size_t i = 0; i < nInd; ++i) {
        const bool member = population.IsMember[i] == 1;
        Extended sum = 0.0L;
        for (std::size_t l = 0; l < nLoci; ++l) {
            const std::uint8_t s = states[l][i];
            Extended f = population.Freqs[l];
            if (member) {
                // Only a band of its own is in the presence count; a missing cell added nothing.
                const Extended own = s == 1 ? 1.0L : 0.0L;
                const Extended c = static_cast<Extended>(population.Presences[l]);
                f = CorrectedFrequency(own < c ? (c - own) / others : 0.0L, ownCorrection);
            }
            Extended p;
            if (s == 0) {
                p = 1.0L - f;
            } else if (s == 1) {
                p = f;
            } else if (s == 9) {
                // The band probability of the missing cell times the population's frequency alone:
                // the same factor for every population, so only f tells them apart.
                p = options.MissingProb == 0.0L ? 1.0L - f : options.MissingProb * f;
            } else {
                reporter.Error("PopReAlloc: DataMatrix Error. Please submit a bug report!");
                return false;
            }
            if (!(p > 0.0L && p < 1.0L)) {
                reporter.Error("PopReAlloc: Serious error. Please submit a bug report!");
                return false;
            }
            sum += std::log10(p);
        }
        row[i] = sum;
    }
    logLik = std::move(row);
    return true;
}

void AllocateBest(const AAExt& logLik, const std::vector<std::size_t>& groups, Extended minDiff, ADWord& best,
                  AExt& diff) {
    const std::size_t nInd = logLik.empty() ? 0 : logLik[0].size();
    best.assign(nInd, kNoAllocation);
    diff.assign(nInd, 0.0L);
    for (std::size_t i = 0; i < nInd; ++i) {
        Extended top = -5e4931L, second = -5e4931L;
        std::size_t topK = 0;
        std::size_t ties = 0;
        for (std::size_t k = 0; k < logLik.size() && k < groups.size(); ++k) {
            const Extended v = logLik[k][i];
            if (v > top) {
                second = top;
                top = v;
                topK = k;
                ties = 1;
            } else {
                if (v == top) ++ties;
                if (v > second) second = v;
            }
        }
        if (ties != 1) continue;  // a tie for the best: no allocation, difference 0
        diff[i] = top - second;
        if (diff[i] >= minDiff) best[i] = static_cast<std::uint32_t>(groups[topK]);
    }
}

bool PopAlloc(TPopGenDataSet& ds, const ABool& selection, const PopAllocOptions& options, TPopAllocResults& results) {
    results = {};
    if (options.MinDiff < 0.0L) {
        ds.ReportError("Erroneous minimum likelihood difference");
        return false;
    }
    const std::size_t nGroups = ds.Groups.size();
    if (nGroups <= 1) {
        ds.ReportError("PopAlloc: No groups defined");
        return false;
    }
    if (!selection.empty() && selection.size() != nGroups) {
        ds.ReportError("Population selection array is invalid");
        return false;
    }
    // "AllData" is never a population.
    AByte chosen(nGroups, 0);
    std::vector<std::size_t> groups;
    for (std::size_t g = 1; g < nGroups; ++g) {
        if (!selection.empty() && selection[g] == 0) continue;
        chosen[g] = 1;
        groups.push_back(g);
    }
    if (groups.size() < 2) {
        ds.ReportError("At least two populations must be selected for this function.");
        return false;
    }
    if (!options.SampleSizeCorrection && !(options.Epsilon >= 0.0L && options.Epsilon <= 1.0L)) {
        ds.ReportError("PopAlloc: Invalid epsilon!");
        return false;
    }

    // The frequencies are taken on layer 1 when a selection is current; the selection is current
    // again afterwards.
    const std::size_t remembered = ds.CurLayer;
    ScopeExit restore([&] { ds.CurLayer = remembered; });
    AAExt freqs;
    const ReportScope scope(ds.Reporting());
    if (!scope.Succeeded(GrpFreqPerLoc(ds, chosen, true, freqs)) || freqs.size() != groups.size()) return false;
    const TDSLayer& layer = ds.GetCurrLayer();
    const std::size_t nInd = layer.NInd;
    // The states are taken at the loci of the current locus set, where the frequencies are.
    std::vector<std::size_t> loci;
    if (nInd == 0 || ds.CurLocusSet >= ds.LocusSets.size() ||
        !SetPositionsInLayer(ds, layer, ds.LocusSets[ds.CurLocusSet].Mask, SetKind::Loci, loci) || loci.empty()) {
        ds.ReportError("PopAlloc: the data matrix does not match its groups and locus sets");
        return false;
    }
    std::vector<std::vector<std::size_t>> members(groups.size());
    for (std::size_t k = 0; k < groups.size(); ++k) {
        // Membership and sample size are those of the analysed layer, where the counts were taken.
        if (!SetPositionsInLayer(ds, layer, ds.Groups[groups[k]].Mask, SetKind::Individuals, members[k]) ||
            freqs[k].size() != loci.size()) {
            ds.ReportError("PopAlloc: the data matrix does not match its groups and locus sets");
            return false;
        }
        if (members[k].size() < 3) {
            ds.ReportError("Cannot do population re-allocation procedure if groups have < 3 individuals!");
            return false;
        }
    }
    AAByte states(loci.size(), AByte(nInd));
    for (std::size_t k = 0; k < loci.size(); ++k)
        for (std::size_t i = 0; i < nInd; ++i) states[k][i] = layer.Cell(i + 1, loci[k] + 1);

    AAExt logLik(groups.size());
    for (std::size_t k = 0; k < groups.size(); ++k) {
        const std::size_t n = members[k].size();
        PopAllocPopulation population;
        population.Group = groups[k];
        population.Members = n;
        population.IsMember.assign(nInd, 0);
        for (const std::size_t r : members[k]) population.IsMember[r] = 1;
        const Extended correction =
            options.SampleSizeCorrection ? 1.0L / static_cast<Extended>(n + 1) : options.Epsilon;
        for (const Extended f : freqs[k]) {
            population.Freqs.push_back(CorrectedFrequency(f, correction));
            // The frequency is the presence count over the members.
            population.Presences.push_back(static_cast<std::uint32_t>(std::llround(f * static_cast<Extended>(n))));
        }
        if (!PopReAllocLogLik(ds.Reporting(), population, states, options, logLik[k])) return false;
    }
    TPopAllocResults result;
    AllocateBest(logLik, groups, options.MinDiff, result.Best, result.Diff);
    result.LogLik = std::move(logLik);
    result.IndNames = layer.IndNames;
    results = std::move(result);
    return true;
}

bool PopReAllocReport(TPopGenDataSet& ds, const ABool& selection, const TPopAllocResults& results,
                      const PopAllocOptions& options, Ttf& report) {
    const std::size_t nGroups = ds.Groups.size();
    if (nGroups == 0 || (!selection.empty() && selection.size() != nGroups)) {
        ds.ReportError("Population selection array is invalid");
        return false;
    }
    const auto selected = [&](std::size_t g) { return selection.empty() || selection[g] != 0; };
    const auto shortName = [&](std::size_t g) { return StrAfterLastSlash(ds.Groups[g].Name); };
    const std::string tab = "\t";
    report.Add("Population reallocation results");
    report.Add("Frequency Correction: " +
               (options.SampleSizeCorrection ? std::string("Duchesne & Bernatchez 2002")
                                             : "epsilon = " + ExtToStr(options.Epsilon)) +
               "; log-likelihood values and best allocation using minimum log-likelihood difference of " +
               ExtToStr(options.MinDiff) + "; Missing data used by assigning probability of band of presences = " +
               ExtToStr(options.MissingProb));
    std::string line = ".";
    for (const std::string& name : results.IndNames) line += tab + name;
    report.Add(line);
    std::size_t k = 0;
    for (std::size_t g = 1; g < nGroups; ++g) {
        if (!selected(g)) continue;
        line = shortName(g);
        if (k < results.LogLik.size())
            for (const Extended v : results.LogLik[k]) line += tab + ExtToStrF(v, 2, 3);
        report.Add(line);
        ++k;
    }
    line = "Log-Likelihood Difference:";
    for (const Extended d : results.Diff) line += tab + ExtToStrF(d, 2, 3);
    report.Add(line);
    line = "Group_H0:";
    for (const std::string& name : results.IndNames) line += tab + shortName(ds.FindIndGroup(name));
    report.Add(line);
    line = "Allocation:";
    for (const std::uint32_t g : results.Best) line += tab + (g < nGroups ? shortName(g) : std::string("None"));
    report.Add(line);
    report.Add("");
    return true;
}

int OutputPopReAlloc2File(TPopGenDataSet& ds, const ABool& selection, const TPopAllocResults& results,
                          const PopAllocOptions& options, bool append) {
    Ttf report;
    if (!PopReAllocReport(ds, selection, results, options, report)) return -1;
    return report.SaveToFile(ds.OutputFileName, append);
}
