#include "shell/population_commands.h"

#include <string>

#include "foundation/number_text.h"
#include "popgen/analyses/allele_freq.h"
#include "popgen/analyses/amova.h"
#include "popgen/analyses/bi_allele.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/data/group_levels.h"
#include "popgen/analyses/pairwise_phist.h"
#include "popgen/analyses/pop_distance.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

namespace {

std::size_t Count(std::int32_t n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

}  // namespace

void CmdEstimateAlleleFreq(FreqMethod method, bool /*rmd*/, float /*fraction*/) {
    if (!NeedData()) return;
    if (NumberOf(method) > 250) {
        ShowError("Unknown allele estimation method requested");
        return;
    }
    TPopGenDataSet& ds = *DataSet;
    CommandRun run("Estimating null allele frequency: " + AlleleFreqMethodToStr(method) + "...");
    SwitchToAllData();
    // A refused estimate (an unknown method among them) writes no report: the record would still
    // hold the previous estimate.
    if (!run.Calculate([&] {
            return EstimateAlleleFreqs(ds, {.Method = method,
                                            .Correction = CorrFactor,
                                            .Fill = true,
                                            .UseMissing = RMD == 1,
                                            .MissingFraction = MDReplaceFraction});
        }))
        return;
    run.Write(AnalysisFileName, [&](bool append) { return OutputAlleleFreqs(ds, AnalysisFileName, append); });
}

void CmdAMOVA(std::uint8_t levels, Treatment simMethod, Coefficient coefficient, Transformation transformation,
              Extended neiLiR, std::int32_t jcRandomDraws, std::int32_t randomisations, bool locByLoc) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    CommandRun run("Performing AMOVA (" + UIntToStr(levels + 1u) + " levels)...");
    AmovaOptions options;
    options.Level = levels;
    options.Mode = simMethod;
    options.Coeff = coefficient;
    options.Transform = transformation;
    options.NeiLiR = neiLiR;
    options.Draws = Count(jcRandomDraws);
    options.LocusByLocus = locByLoc;
    options.Permutations = Count(randomisations);
    Transformation applied = transformation;
    if (!run.Calculate(
            [&] { return AMOVA(ds, options, ProgramRandom(), applied) && ds.GetCurrLayer().Amova != nullptr; }))
        return;

    const TAmovaRes& r = ds.GetCurrLayer().Amova->Observed;
    std::string summary;
    if (levels == 1) {
        summary = "Va= " + ExtToStr(r.PctVa) + "% (Among Populations)\r\nVb= " + ExtToStr(r.PctVb) +
                  "% (Within Populations)\r\n\r\nPhiST= " + ExtToStr(r.PhiST) +
                  "\r\n\r\nWrite results to analysis file?";
    } else {
        summary = "Va= " + ExtToStr(r.PctVa) + "% (Among Groups)\r\nVb= " + ExtToStr(r.PctVb) +
                  "% (Among Populations/Within Groups)\r\nVc= " + ExtToStr(r.PctVc) +
                  "% (Within Populations)\r\n\r\nWrite results to analysis file?";
    }
    if (!UserAgreed(AskUser(summary, "AMOVA", kQuestionYesNo))) return;
    run.Write(ds.OutputFileName, [&](bool append) {
        return OutputAMOVA2File(ds, levels, simMethod, coefficient, applied, locByLoc, options.Permutations,
                                ds.OutputFileName, append);
    });
}

void CmdPairwisePhiST(Treatment simMethod, Coefficient coefficient, Transformation transformation, Extended neiLiR,
                      std::int32_t jcRandomDraws, bool rmd, float mdFraction) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (GroupLevels(ds) <= 1) {
        ShowError("Groups must be defined for PhiST");
        return;
    }
    if (!UserAgreed(AskUser("Generating a distance matrix using this function will make the data matrix currently in "
                            "memory unusable.\r\nIf you still need it, you will have to restore your original data "
                            "matrix afterwards.\r\n\r\nDo you with to proceed?",
                            "Pairwise PhiST distance", kQuestionYesNo)))
        return;
    SwitchToAllData();
    CommandRun run("Calculating pairwise PhiST matrix...");
    Transformation applied = transformation;
    if (!run.Calculate([&] {
            return PwPhiST(ds, simMethod, coefficient, true, kDerivedLayer, rmd, mdFraction, Count(jcRandomDraws),
                           neiLiR, ProgramRandom(), applied);
        }))
        return;
    DistMatrixName = "PhiST";
    const TDSLayer& layer = ds.GetCurrLayer();
    SetStatusDataMatrix(MatrixSizeText("Derived Data ", layer.NInd, layer.NLoci));
    SetStatusDistMatrix("Pairwise PhiST");
    if (DistOutput != 1) return;
    ds.OutputFileName = AnalysisFileName;
    // The report names the transformation the user chose, under which the sums were taken.
    run.Write(ds.OutputFileName, [&](bool append) {
        return OutputPwPhiST2File(ds, simMethod, coefficient, NormalizedTransform(coefficient, transformation),
                                  ds.OutputFileName, append);
    });
}

void CmdPopulationDistance(PopDistance measure, FreqMethod method, bool rmd, float mdFraction, bool writeToFile) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (ds.Groups.size() < 4) {
        ShowError("To use this function, at least 3 groups (populations) must be defined.");
        return;
    }
    const std::string methodName = AlleleFreqHeadingName(method);
    CommandRun run("Calculating chord population distance (" + methodName + ")...");
    SwitchToAllData();
    if (!run.Calculate([&] {
            return FillBiAlleleRec(ds, {.UseMissing = rmd, .WithoutAllData = true, .MissingFraction = mdFraction}) &&
                   EstimateAlleleFreqs(ds, {.Method = method, .Correction = CorrFactor}) &&
                   PopDist(ds, measure, kDerivedLayer);
        }))
        return;
    // The data set's transformation is 3 for the chord matrix; the setting stays as the user chose it,
    // so that the next similarity run does not take its similarities for distances.
    DistMatrixName = "Chord";
    if (writeToFile)
        run.Write(ds.OutputFileName,
                  [&](bool append) { return OutputPopDist2File(ds, measure, method, ds.OutputFileName, append); });
    run.Finish();
    const TDSLayer& layer = ds.GetCurrLayer();
    SetStatusDataMatrix("Derived Data [" + UIntToStr(layer.NInd) + " x 0(" + UIntToStr(layer.NLoci) + ")]");
    SetStatusDistMatrix("Chord");
}
