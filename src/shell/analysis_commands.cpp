#include "shell/analysis_commands.h"

#include "popgen/distance/distance_matrix.h"
#include "popgen/distance/distance_report.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"

void CmdCalculateMatrix(Treatment treatment, Coefficient coefficient, Transformation transformation, Extended neiLiR,
                        std::int32_t jcRandomDraws, bool simOutput, bool distOutput) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    std::string progress = "Calculating " + CoeffToStr(coefficient) + " matrix";
    if (simOutput || distOutput) {
        progress += ". Saving matrix to analysis file: ";
        if (simOutput) progress += " Original matrix...";
        if (distOutput) progress += " Distance matrix...";
    }
    CommandRun run(progress);

    const std::size_t draws = jcRandomDraws > 0 ? static_cast<std::size_t>(jcRandomDraws) : 0;
    const DistRunOptions options{treatment, coefficient, transformation, neiLiR, draws};
    // The run stores its matrices only when it succeeds: a failed one leaves the previous ones.
    if (!run.Calculate([&] {
            const bool computed = treatment == Treatment::Average ? CalcDistances(ds, options, ProgramRandom())
                                                                  : CalcDistMatrix(ds, options, ProgramRandom());
            return computed && !ds.GetCurrLayer().DistMatrix.empty();
        }))
        return;
    DistMatrixName = (SimMethodToStr(true, treatment, coefficient) + CoeffToStr(coefficient))
                         .substr(0, kDistMatrixNameLength);

    // Asked also when nothing is written, so the user decides about the file at the usual moment.
    // The report names the transformation the run applied (the engine fits it to the coefficient).
    run.Write(ds.OutputFileName, [&](bool append) {
        return OutputDistances2File(ds, treatment, coefficient, ds.DistTransform,
                                    {.Similarities = simOutput, .Distances = distOutput, .Append = append});
    });
    run.Finish();
    SetStatusDistMatrix(DistMatrixName);
}
