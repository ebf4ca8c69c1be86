#include "shell/resample_commands.h"

#include "popgen/data/resampling.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"

void CmdResampleLoci() {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (ds.CurLayer > kSelectionLayer) {
        ShowWarning("Switching to AllData");
        ds.CurLayer = kWorkingLayer;
    }
    constexpr std::size_t kTarget = kScratchLayer;
    CommandRun run("Generating locus-resampled (bootstrapped) data set...");
    if (!run.Calculate([&] {
            if (!InitLayerLikeCurrent(ds, kTarget, true)) return false;
            if (BootstrapLoci(ds, kTarget, {.CopyNames = true}, ProgramRandom())) return true;
            ds.ClearLayer(kTarget);  // no half-made replicate
            return false;
        }))
        return;
    ds.Layers[kTarget].IndMask = ds.GetCurrLayer().IndMask;  // the same individuals
    ds.CurLayer = kTarget;
    run.Finish();
    const TDSLayer& layer = ds.GetCurrLayer();
    SetStatusDataMatrix(MatrixSizeText("Temporary Data ", layer.NInd, layer.NLoci));
    SetStatusDistMatrix("No distance matrix");
}
