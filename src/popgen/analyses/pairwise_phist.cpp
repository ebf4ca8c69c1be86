#include "popgen/analyses/pairwise_phist.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

#include "foundation/packed_matrix.h"
#include "foundation/random.h"
#include "popgen/analyses/amova.h"
#include "popgen/analyses/amova_sums.h"
#include "popgen/analyses/bi_allele.h"
#include "popgen/distance/distance_report.h"
#include "popgen/data/group_levels.h"
#include "popgen/data/groups.h"

std::vector<std::size_t> PhiSTGroupList(const TPopGenDataSet& ds, std::uint8_t phiLevel,
                                        const std::vector<std::size_t>& presetGroups) {
    if (!presetGroups.empty()) return presetGroups;
    std::vector<std::size_t> groups;
    for (std::size_t g = 1; g < ds.Groups.size(); ++g)
        if (phiLevel == kAllLevels || GroupLevelOf(ds.Groups, static_cast<std::uint32_t>(g)) == phiLevel)
            groups.push_back(g);
    return groups;
}

namespace {

// The members (0-based, ascending) of a 0/1 mask over a layer.
std::vector<std::size_t> MembersOfMask(const AByte& mask) {
    std::vector<std::size_t> members;
    for (std::size_t k = 0; k < mask.size(); ++k)
        if (mask[k] == 1) members.push_back(k);
    return members;
}

}  // namespace

bool PreparePwPhiST(TPopGenDataSet& ds, std::size_t target, const std::vector<std::size_t>& groups) {
    if (ds.CurLayer > kWorkingLayer && !ds.Select(0, 0)) return false;
    if (ds.LocusSets.empty()) {
        ds.ReportError("Locus Filter not initialised!");
        return false;
    }
    const TDSLayer& c = ds.GetCurrLayer();
    const bool wholeMask = c.LocMask.empty() && c.NLoci == ds.Layers[kLoadedLayer].NLoci;
    if (!wholeMask && CountOnes(c.LocMask) != c.NLoci) {
        ds.ReportError("AMOVA: LocMAsk not set!!");
        return false;
    }
    const std::size_t source = ds.CurLayer;
    const Transformation kept = ds.DistTransform;
    ds.ClearLayer(target);
    ds.DistTransform = kept;
    TDSLayer& t = ds.Layers[target];
    t.SourceLayer = source;
    t.MaskRefLayer = source;
    t.NInd = groups.size();
    for (const std::size_t g : groups) t.IndNames.push_back(StrAfterLastSlash(ds.Groups[g].Name));
    t.DistMatrix.assign(PackedSize(groups.size()), 0.0L);
    return true;
}

namespace {

// The matrix of the listed groups over layer c, in packed order; false, reported, for a pair that
// gives no PhiST.
bool ComputePhiST(TPopGenDataSet& ds, const TDSLayer& c, const std::vector<std::size_t>& groups, RandomStream& random,
                  PackedMatrix& matrix) {
    std::vector<std::vector<std::size_t>> members;
    for (const std::size_t g : groups) {
        AByte mask;
        if (!GroupMaskInLayer(ds, c, ds.Groups[g].Mask, mask)) {
            ds.ReportError("PwPhiST fails: the group masks do not match the data");
            return false;
        }
        members.push_back(MembersOfMask(mask));
        if (members.back().empty()) {
            ds.ReportError("PwPhiST fails: group " + ds.Groups[g].Name + " has no individuals in the data");
            return false;
        }
    }
    AmovaDistances d(ds, c, random);
    AmovaSums sums(d);
    matrix.assign(PackedSize(groups.size()), 0.0L);
    const bool done = ForEachPackedPair(groups.size(), [&](std::size_t i, std::size_t j, std::size_t k) {
        if (i == j) return true;  // the diagonal is 0 without any computation
        const std::vector<std::size_t>& a = members[i - 1];
        const std::vector<std::size_t>& b = members[j - 1];
        std::vector<std::size_t> both;
        std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
        const auto nTotal = static_cast<std::int64_t>(both.size());
        const std::int64_t dfWP = nTotal - 2;
        if (dfWP <= 0) {
            ds.ReportError(
                "PwPhiST fails with dfWP=0\r\nThis can happen when trying to comapre two groups\r\nconsisting of 1 "
                "individual each\r\n\r\nPlease check your input data/group setup");
            return false;
        }
        // The order of a direct evaluation: SSD(T) of the pair's layer, SSD(AP) (SSD(T) again less
        // the two groups' pooled sums), SSD(WP), with the groups cut from the same layer. PhiST needs
        // only the last two; the first matters for the draws of the Average treatment.
        const PopMembers pops{a, b};
        if (sums.Replays()) sums.SSDOf(both);
        const Extended ssdAP = AmovaSSDAmongOf(sums, both, pops);
        const Extended ssdWP = AmovaSSDWPOf(sums, pops);
        const Extended n0 = AmovaN0({a.size(), b.size()});
        const Extended msWP = ssdWP / static_cast<Extended>(dfWP);
        const Extended msAP = ssdAP;  // df(AP) = 1
        const Extended va = (msAP - msWP) / n0;
        matrix[k] = va / (va + msWP);
        // Two groups of one and the same profile have neither variance within nor between them: their
        // PhiST is 0/0, which no tree or ordination can take as a distance.
        if (!std::isfinite(matrix[k])) {
            ds.ReportError("PwPhiST fails: PhiST of groups " + ds.Groups[groups[j - 1]].Name + " and " +
                           ds.Groups[groups[i - 1]].Name + " is undefined (no variance within or between them)");
            return false;
        }
        return true;
    });
    if (!done) return false;
    if (d.Problems().Count() > 0) {
        ds.ReportError(d.Problems().Message());
        return false;
    }
    return d.TransformOk();
}

}  // namespace

bool PwPhiST(TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, bool recalc, std::size_t target,
             bool useMissing, float missingShare, std::size_t draws, Extended neiLiR, RandomStream& random,
             Transformation& transform) {
    const std::size_t previous = ds.CurLayer;
    if (target >= kLayerCount || target <= kWorkingLayer) {
        ds.ReportError("PwPhiST: invalid target layer");
        return false;
    }
    std::size_t filled = kLayerCount;  // the layer whose allele-frequency record this run replaced
    std::shared_ptr<TBiAlleleRec> previousBiAllele;
    const auto fail = [&] {
        if (filled < kLayerCount) ds.Layers[filled].BiAllele = std::move(previousBiAllele);
        ds.ClearLayer(target);
        ds.CurLayer =
            previous == target ? (ds.Layers[kWorkingLayer].HasMatrix() ? kWorkingLayer : kLoadedLayer) : previous;
        return false;
    };
    if (recalc) {
        if (ds.CurLayer > kWorkingLayer && ds.CurLayer < kLayerCount) ds.CurLayer = kWorkingLayer;
        if (!PrepareAmovaKernel(ds, mode, coefficient, transform, neiLiR, draws)) return fail();
        if (ds.CurLayer != target && ds.CurLayer < kLayerCount && ds.GetCurrLayer().HasMatrix()) {
            filled = ds.CurLayer;
            previousBiAllele = ds.GetCurrLayer().BiAllele;
            if (!FillBiAlleleRec(ds, {.UseMissing = useMissing, .MissingFraction = missingShare})) return fail();
        }
    }
    // The level and preset list of a record the layer may hold; a cleared record compares every group.
    const std::shared_ptr<TAmovaRec> previousRec = ds.GetCurrLayer().Amova;
    const std::vector<std::size_t> groups = previousRec
                                                ? PhiSTGroupList(ds, previousRec->PhiLevel, previousRec->PresetGroups)
                                                : PhiSTGroupList(ds, kAllLevels, {});
    if (!PreparePwPhiST(ds, target, groups)) return fail();
    const std::size_t c = ds.CurLayer;
    if (c == target || !ds.Layers[c].HasMatrix()) {
        ds.ReportError("No band data to compute distances from.");
        return fail();
    }
    if (groups.size() < 2) {
        ds.ReportError("Groups must be defined for PhiST");
        return fail();
    }
    PackedMatrix matrix;
    if (!ComputePhiST(ds, ds.Layers[c], groups, random, matrix)) return fail();

    ds.Layers[c].Amova.reset();
    TDSLayer& t = ds.Layers[target];
    t.Amova.reset();
    t.DistMatrix = matrix;
    t.RawMatrix = std::move(matrix);
    t.NCells = 0;
    t.NLoci = 0;
    t.NInd = groups.size();
    t.IndNames.resize(groups.size());
    ds.CurLayer = target;
    ds.DistTransform = Transformation::D;
    transform = Transformation::D;
    return true;
}

int OutputPwPhiST2File(const TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, Transformation transform,
                       const std::string& fileName, bool append) {
    return WriteDistanceBlock(ds.GetCurrLayer(),
                              "Pairwise PhiST values (Coefficient: " + SimMethodToStr(false, mode, coefficient) + " " +
                                  CoeffToStr(coefficient) + ". Distance Transformation: " + DistXFToStr(transform) +
                                  ")",
                              fileName, append);
}
