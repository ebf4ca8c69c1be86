#include "shell/pairwise_comparison.h"

#include <cmath>

#include "foundation/number_text.h"
#include "popgen/data/band_stats.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/distance/pair_count.h"

namespace {

float PercentOf(Extended part, std::size_t whole) {
    return static_cast<float>(part / static_cast<Extended>(whole) * 100.0L);
}

}  // namespace

bool CompareIndividuals(TPopGenDataSet& ds, std::size_t i1, std::size_t i2, Coefficient coefficient,
                        Transformation transform, PairwiseComparison& result) {
    const TDSLayer& layer = ds.GetCurrLayer();
    const std::size_t n = layer.NLoci;
    if (!layer.HasMatrix() || n == 0 || layer.Matrix.size() < layer.NInd * n) return false;
    if (i1 == 0 || i2 == 0 || i1 > layer.NInd || i2 > layer.NInd) return false;

    PairwiseComparison out;
    const std::size_t inds[2] = {i1, i2};
    for (std::size_t k = 0; k < 2; ++k) {
        out.Shares[k].Present = PercentOf(static_cast<Extended>(CountIndState(ds, inds[k], kPresent)), n);
        out.Shares[k].Absent = PercentOf(static_cast<Extended>(CountIndState(ds, inds[k], kAbsent)), n);
        out.Shares[k].Missing = PercentOf(static_cast<Extended>(CountIndState(ds, inds[k], kMissing)), n);
    }
    const TPairCountFunc count = PairCounterOf(ds);
    if (!count) return false;
    for (std::size_t r = 0; r < 3; ++r)
        for (std::size_t c = 0; c < 3; ++c) out.Counts[r][c] = count(i1, i2, kPwicStates[r], kPwicStates[c]);
    const auto& t = out.Counts;  // rows and columns: 1, 0, 9
    out.Differences01 = PercentOf(t[0][1] + t[1][0], n);
    out.Differences019 = PercentOf(t[0][1] + t[1][0] + t[0][2] + t[1][2] + t[2][0] + t[2][1], n);

    out.StdDistance = PairDistance(ds, Treatment::Standard, coefficient, transform, i1, i2, ProgramRandom());
    out.AvgDistance = PairDistance(ds, Treatment::Average, coefficient, transform, i1, i2, ProgramRandom());
    out.MinDistance = PairDistance(ds, Treatment::Maximum, coefficient, transform, i1, i2, ProgramRandom());
    out.MaxDistance = PairDistance(ds, Treatment::Minimum, coefficient, transform, i1, i2, ProgramRandom());
    result = out;
    return true;
}

std::string PwicCountText(Extended count) { return ExtToStrF(count, 0, 0); }

std::string PwicPercentText(float percent) { return ExtToStrF(static_cast<Extended>(percent), 2, 3); }

std::string PwicDistanceText(Extended distance) {
    // An undefined distance (a Nei-Li pair without shared bands, say) is shown as such, not as a number.
    if (!std::isfinite(distance)) return "n/a";
    return ExtToStrF(distance, 2, 10);
}
