#include "shell/filter_commands.h"

#include <functional>
#include <string>

#include "foundation/number_text.h"
#include "foundation/random.h"
#include "popgen/analyses/band_profiles.h"
#include "popgen/data/filters.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/ui_port.h"

namespace {

constexpr int kMbIconInformation = 0x40;

// What one removal command says.
struct RemovalTexts {
    const char* removedPhrase;  // after "Removing " n
    bool withThreshold;         // the phrase goes on with the threshold and `afterThreshold`
    const char* afterThreshold;
    const char* none;  // nothing removed; with the threshold when `noneWithThreshold`
    bool noneWithThreshold;
    const char* summary;  // after n in the summary box
    const char* caption;
};

using Filter = std::function<std::size_t(TPopGenDataSet&, std::size_t target)>;

std::string Pct(Extended threshold) { return ExtToStr(threshold * 100.0L); }

void RunRemoval(const RemovalTexts& t, bool showSummary, Extended threshold, const Filter& filter) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    std::size_t n = 0;
    CommandRun run;
    // A refusal (everything would go, a broken matrix) has been reported by the engine.
    if (!run.Calculate([&] {
            n = filter(ds, ds.CurLayer);
            return true;
        }))
        return;
    run.Finish();
    std::string msg;
    if (n > 0) {
        msg = "Removing " + UIntToStr(n) + t.removedPhrase;
        if (t.withThreshold) msg += Pct(threshold) + t.afterThreshold;
    } else {
        msg = t.none;
        if (t.noneWithThreshold) msg += Pct(threshold) + "% missing data";
    }
    WriteMsg(msg);
    UpdateStatusDataMatrix();
    if (n > 0) {
        // The matrix of the old size is gone with the removed rows or columns.
        DistMatrixName.clear();
        ShowSelectionStatus();
    }
    if (showSummary) MsgBox(UIntToStr(n) + t.summary, t.caption, kMessageOk | kMbIconInformation);
}

void RunProfile(bool fixed, bool showBox) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (ds.Groups.size() < 2) return;
    // A profile describes the groups of the working data, not a selection of it.
    SwitchToAllData();
    CommandRun run;
    if (!run.Calculate([&] { return fixed ? FixedBandProfile(ds) : AdditiveBandProfile(ds); })) return;
    run.Finish();
    const TDSLayer& p = ds.Layers[kDerivedLayer];
    SetStatusDataMatrix(MatrixSizeText(fixed ? "Fixed Profile " : "Additive Profile ", p.NInd, p.NLoci));
    SetStatusDistMatrix("No distance matrix");
    WriteMsg(fixed ? "Generated Fixed Band Profile" : "Generated Additive Band Profile");
    if (showBox)
        MsgBox(fixed ? "Fixed Band Profile generated. This is now your current datamatrix"
                     : "Additive Band Profile generated. This is now your current datamatrix",
               fixed ? "Fixed Band Profile" : "Additive Band Profile", kMessageOk | kMbIconInformation);
}

// Choosing a group or a locus set: the list, its selection and what the command says.
struct SetChoice {
    TFilterArray TPopGenDataSet::*sets;
    bool (TPopGenDataSet::*select)(std::size_t);
    const char* noSuchSet;
    const char* wholeSelected;  // entry 0, every individual or locus
    const char* setSelected;    // followed by the set's name
};

void SelectSet(const SetChoice& choice, std::int32_t index) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (index < 0 || static_cast<std::size_t>(index) >= (ds.*choice.sets).size()) {
        ShowError(choice.noSuchSet);
        return;
    }
    const auto k = static_cast<std::size_t>(index);
    CommandRun run;
    if (!run.Run([&] { return (ds.*choice.select)(k); })) return;
    run.Finish();
    WriteMsg(k == 0 ? std::string(choice.wholeSelected) : choice.setSelected + (ds.*choice.sets)[k].Name);
    ShowSelectionStatus();
}

}  // namespace

void ShowSelectionStatus() {
    if (!DataSet) return;
    UpdateStatusDataMatrix();
    const std::size_t layer = DataSet->CurLayer;
    SetStatusDistMatrix(DataSet->GetCurrLayer().DistMatrix.empty() ? std::string("No distance matrix")
                                                                   : "Distance matrix (" + UIntToStr(layer) + ")");
}

void CmdReplaceMissingData(Extended fraction) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    CommandRun run;
    if (!run.Calculate([&] { return ReplaceMissingData(ds, kDerivedLayer, fraction, ProgramRandom()); })) return;
    run.Finish();
    WriteMsg("Replaced missing data (?) with 0s and 1s.");
    ShowSelectionStatus();
}

void CmdRemoveIndivMissing(bool showSummary, Extended threshold) {
    RunRemoval({" individuals with >", true, "% missing data", "No individuals removed with >", true,
                " individuals removed.", "Data removal..."},
               showSummary, threshold,
               [&](TPopGenDataSet& ds, std::size_t t) { return RemoveIndMD(ds, t, threshold); });
}

void CmdRemoveIndivFreqBelow(bool showSummary, Extended threshold) {
    RunRemoval({" individuals with <", true, "% band frequency", "No individuals removed with current cutoff value",
                false, " individuals removed.", "Data removal..."},
               showSummary, threshold,
               [&](TPopGenDataSet& ds, std::size_t t) { return RemoveIndLowFreq(ds, t, threshold); });
}

void CmdRemoveIndivFreqAbove(bool showSummary, Extended threshold) {
    RunRemoval({" individuals with >", true, "% band frequency", "No individuals removed with current cutoff value",
                false, " individuals removed.", "Data removal..."},
               showSummary, threshold,
               [&](TPopGenDataSet& ds, std::size_t t) { return RemoveIndHighFreq(ds, t, threshold); });
}

void CmdRemoveLociMissing(bool showSummary, Extended threshold) {
    RunRemoval({" loci with >", true, "% missing data", "No loci to remove with current cutoff value", false,
                " loci removed.", "Data removal..."},
               showSummary, threshold,
               [&](TPopGenDataSet& ds, std::size_t t) { return RemoveLocMD(ds, t, threshold); });
}

void CmdRemoveMonomorphic(bool showSummary) {
    RunRemoval({" monomorphic loci", false, "", "No monomorphic loci", false,
                " monomorphic loci removed from data matrix.", "Data removal"},
               showSummary, 0.0L, [](TPopGenDataSet& ds, std::size_t t) { return RemoveMonomorphicLoci(ds, t); });
}

void CmdRemoveMonoPresences(bool showSummary) {
    RunRemoval(
        {" monomorphic loci composed of band presences.", false, "", "No monomorphic loci composed of band presences",
         false, " monomorphic loci (band presences) removed from data matrix.", "Data removal"},
        showSummary, 0.0L, [](TPopGenDataSet& ds, std::size_t t) { return RemoveMonomorphicPresences(ds, t); });
}

void CmdRemoveMonoAbsences(bool showSummary) {
    RunRemoval({" monomorphic loci composed of band absences.", false, "",
                "No monomorphic loci composed of band absences to remove", false,
                " monomorphic loci (band absences) removed from data matrix.", "Data removal"},
               showSummary, 0.0L, [](TPopGenDataSet& ds, std::size_t t) { return RemoveMonomorphicAbsences(ds, t); });
}

void CmdRemoveLociFreqAbove(bool showSummary, Extended threshold) {
    RunRemoval({" loci with >", true, "% band presences", "No loci removed with current cutoff value", false,
                " loci removed.", "Data removal..."},
               showSummary, threshold,
               [&](TPopGenDataSet& ds, std::size_t t) { return RemoveLocHighFreq(ds, t, threshold); });
}

void CmdRemoveLociFreqBelow(bool showSummary, Extended threshold) {
    RunRemoval({" loci with <", true, "% band presences", "No loci removed with current cutoff value", false,
                " loci removed.", "Data removal..."},
               showSummary, threshold,
               [&](TPopGenDataSet& ds, std::size_t t) { return RemoveLocLowFreq(ds, t, threshold); });
}

void CmdRemoveLociMoreMissing(bool showSummary) {
    RunRemoval({" loci with more missing data than presences", false, "",
                "No loci with more missing data than presences", false, " loci removed.", "Data removal..."},
               showSummary, 0.0L, [](TPopGenDataSet& ds, std::size_t t) { return RemoveLocMoreMDThanBands(ds, t); });
}

void CmdSelectGroup(std::int32_t index) {
    SelectSet({&TPopGenDataSet::Groups, &TPopGenDataSet::SelectGroup, "Selection of group failed: no such group",
               "Entire data set (AllData) selected", "Group selected: "},
              index);
}

void CmdSelectLocusSet(std::int32_t index) {
    SelectSet(
        {&TPopGenDataSet::LocusSets, &TPopGenDataSet::SelectLocusSet, "Selection of group failed: no such locus set",
         "Entire locus set (AllLoci) selected", "LocusSet selected: "},
        index);
}

void CmdAdditiveBandProfile(bool showBox) { RunProfile(false, showBox); }
void CmdFixedBandProfile(bool showBox) { RunProfile(true, showBox); }
