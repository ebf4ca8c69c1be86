#include "shell/analysis_commands.h"

#include "popgen/distance_matrix.h"
#include "popgen/distance_report.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"

namespace {

// The matrices a distance run may overwrite; a failed run puts them back.
struct DistanceState {
    explicit DistanceState(const TPopGenDataSet& ds)
        : layer(ds.CurLayer), raw(ds.GetCurrLayer().RawMatrix), dist(ds.GetCurrLayer().DistMatrix),
          var(ds.GetCurrLayer().VarMatrix), sd(ds.GetCurrLayer().SDMatrix), transform(ds.DistTransform) {}

    void Restore(TPopGenDataSet& ds) {
        if (ds.CurLayer != layer) return;
        TDSLayer& l = ds.GetCurrLayer();
        l.RawMatrix = std::move(raw);
        l.DistMatrix = std::move(dist);
        l.VarMatrix = std::move(var);
        l.SDMatrix = std::move(sd);
        ds.DistTransform = transform;
    }

    std::uint8_t layer;
    PackedMatrix raw, dist, var, sd;
    std::uint8_t transform;
};

}  // namespace

void CmdCalculateMatrix(std::uint8_t treatment, std::uint8_t coefficient, std::uint8_t transformation,
                        Extended neiLiR, std::int32_t jcRandomDraws, std::uint8_t simOutput,
                        std::uint8_t distOutput) {
    if (!DataAvailable(1, 0, 1)) return;
    TPopGenDataSet& ds = *DataSet;
    std::string progress = "Calculating " + CoeffToStr(coefficient) + " matrix";
    if (simOutput == 1 || distOutput == 1) {
        progress += ". Saving matrix to analysis file: ";
        if (simOutput == 1) progress += " Original matrix...";
        if (distOutput == 1) progress += " Distance matrix...";
    }
    CommandRun run(progress);

    DistanceState before(ds);
    const std::size_t draws = jcRandomDraws > 0 ? static_cast<std::size_t>(jcRandomDraws) : 0;
    if (!run.Calculate([&] {
            const bool computed = treatment == 3
                                      ? CalcDistances(ds, coefficient, transformation, neiLiR, draws)
                                      : CalcDistMatrix(ds, treatment, coefficient, transformation, neiLiR, draws, 1);
            return computed && !ds.GetCurrLayer().DistMatrix.empty();
        })) {
        before.Restore(ds);
        return;
    }
    DistMatrixName = (SimMethodToStr(true, treatment, coefficient) + CoeffToStr(coefficient))
                         .substr(0, kDistMatrixNameLength);

    // Asked also when nothing is written, so the user decides about the file at the usual moment.
    // The report names the transformation the run applied (the engine fits it to the coefficient).
    run.Write(ds.OutputFileName, [&](bool append) {
        return OutputDistances2File(ds, treatment, coefficient, ds.DistTransform, simOutput, distOutput, append ? 1 : 0);
    });
    run.Finish();
    SetStatusDistMatrix(DistMatrixName);
}
