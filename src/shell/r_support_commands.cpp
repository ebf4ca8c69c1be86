#include "shell/r_support_commands.h"

#include <algorithm>

#include "foundation/code.h"
#include "foundation/text_file.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "trees/r_support.h"
#include "trees/tree_text.h"

namespace {

// Negative settings become 0, which the analysis refuses with its message.
std::uint32_t NonNegative(std::int32_t value) { return value > 0 ? static_cast<std::uint32_t>(value) : 0; }

}  // namespace

void CmdEstimateRSupport(std::int32_t rFrom, std::int32_t rTo, std::uint8_t rPrecision, std::uint8_t rMRThreshold,
                         std::int32_t rxThreshold, double /*stopFraction*/, const RSupportOutput& output) {
    if (!NeedData()) return;
    CommandRun run("Estimating R support...");
    RSupportOptions options;
    options.RFrom = NonNegative(rFrom);
    options.RTo = NonNegative(rTo);
    options.RPrecision = rPrecision;
    options.RMRThreshold = rMRThreshold;
    options.RxThreshold = NonNegative(rxThreshold);
    options.RoundMode = PreferredRoundMode;
    TreeSeriesOptions series;
    series.Kind = CodeOf<TreeKind>(DefaultTreeType);
    series.Coeff = CodeOf<Coefficient>(SimCoefficient);
    series.Transform = CodeOf<Transformation>(DistTransformation);
    series.NeiLiR = NeiLiR;
    series.NTrees = NonNegative(TRReplicates);
    RSupportResult result;
    if (!run.Calculate([&] { return RSupport(ProgramReporter(), *DataSet, series, options, ProgramRandom(), result); }))
        return;
    if (output.Report)
        run.Write(AnalysisFileName, [&](bool append) {
            Ttf text;
            text.SetLines(result.Report);
            return text.SaveToFile(AnalysisFileName, append);
        });
    if (run.Write(ConsensusOutFileName,
                  [&](bool append) { return AppendLineToFile(result.Line, ConsensusOutFileName, !append); }))
        SetStatusTrees(ConsensusOutFileName);
}
