#include "shell/shannon_commands.h"

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/memory_guard.h"
#include "foundation/number_text.h"
#include "foundation/random.h"
#include "foundation/rounding.h"
#include "numeric/math_error.h"
#include "numeric/welch.h"
#include "popgen/analyses/shannon.h"
#include "popgen/data/band_stats.h"
#include "popgen/data/filters.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"

namespace {

// Bowman's variance of per-locus frequencies can even be negative: the box and the reports carry this
// beside it, so that it is never read as a plain result.
constexpr std::string_view kVarianceNote =
    "Note: *Variance is only meaningful if frequencies are calculated relative to entire data matrix!";

std::string LogBaseText(const ShannonOptions& options) {
    switch (options.Scale) {
        case ShannonScale::Bits: return "2";
        case ShannonScale::Nats: return "e";
        case ShannonScale::Decimal: return "10";
        case ShannonScale::Base: return ExtToStr(options.Base);
        default: return {};
    }
}

std::string FrequencyLine(bool perInd) {
    return perInd ? "Frequencies per locus: p(i):=presences(i)/#individuals"
                  : "Frequencies per datamatrix: p(i):=presences(i)/presences(datamatrix)";
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void ShowCurrentData(const TPopGenDataSet& ds) {
    if (ds.CurLayer == kScratchLayer) {
        const TDSLayer& l = ds.GetCurrLayer();
        SetStatusDataMatrix(MatrixSizeText("Temporary Data ", l.NInd, l.NLoci));
    } else {
        UpdateStatusDataMatrix();
    }
}

void BootstrapShannonCommand(const std::string& progress, const std::string& title, std::int32_t replicates,
                             const ShannonOptions& options, bool toFile,
                             const std::function<bool(ShannonValue&, AExt&)>& engine) {
    CommandRun run(progress);
    if (replicates <= 1) {
        ShowError("Need to select multiple runs");
        run.Fail();
        return;
    }
    ShannonValue v;
    AExt values;
    if (!run.Calculate([&] { return engine(v, values); })) return;
    const std::string reps = UIntToStr(static_cast<std::uint32_t>(replicates));
    if (toFile) {
        std::vector<std::string> lines{"Writing individual Shannon replicates (" + reps + ") for group " +
                                       DataSet->CurrGroupName() + ":"};
        for (const Extended h : values) lines.push_back(ExtToStr(h));
        lines.emplace_back();
        const std::string text = Lines(lines);
        if (!run.Write(AnalysisFileName, [&](bool append) { return SaveTextToFile(AnalysisFileName, text, append); }))
            return;
    }
    values.clear();
    if (v.H < 0.0L || v.Variance < 0.0L) {
        ShowError("Calculations failed. Shannon or its variance are negative:\r\nShannon= " + ExtToStr(v.H) +
                  " Var= " + ExtToStr(v.Variance));
        run.Fail();
        return;
    }
    if (AskUser("I= " + ExtToStr(v.H) + "\r\nvar(I)= " + ExtToStr(v.Variance) + "\r\nstd.dev.= " + ExtToStr(v.SD) +
                    " times\r\n\r\nWrite to analysis file?",
                "Shannon's Diversity Index Bootstrapped " + reps + " Times", kQuestionYesNo) != kAnswerYes)
        return;
    const std::string text =
        Lines({title, "LogBase = " + LogBaseText(options), FrequencyLine(options.PerInd), "",
               "I =       " + ExtToStr(v.H), "var(I) =  " + ExtToStr(v.Variance), "std.dev.= " + ExtToStr(v.SD), ""});
    run.Write(AnalysisFileName, [&](bool append) { return SaveTextToFile(AnalysisFileName, text, append); });
}

// The engine's bootstrap of a command's replicates (none below 0).
ShannonBootstrap BootstrapOf(std::int32_t replicates, const ShannonReplicateOptions& output) {
    return {replicates > 0 ? static_cast<std::size_t>(replicates) : 0, output.IncludeZero, output.ToFile};
}

// One group's result in a t-test section.
struct GroupResult {
    std::string Name;
    bool Ok = false;
    ShannonValue Value;
    std::size_t Size = 0;
};

constexpr std::int64_t kMaxDF = std::numeric_limits<std::int32_t>::max();

// Which section of the report is written.
struct SectionKind {
    bool Bowman = false;         // Bowman's variances (else bootstrapped ones)
    bool NoteVariances = false;  // each variance followed by kVarianceNote
};

// The Shannon block and the test block of one section; false after a maths error (shown).
bool WriteSection(std::vector<std::string>& out, const std::vector<GroupResult>& groups, const SectionKind& section,
                  const ShannonTTestOptions& test) {
    const bool bowman = section.Bowman;
    const std::string kind = bowman ? "(Bowman)" : "(bootstrapped)";
    if (test.OutputShannon) {
        out.push_back("Shannon's index and variance " + kind);
        for (const GroupResult& g : groups) {
            out.emplace_back();
            if (g.Ok) {
                out.push_back("Shannon's index of group " + g.Name + "= " + ExtToStr(g.Value.H));
                out.push_back("Shannon's variance of group " + g.Name + "= " + ExtToStr(g.Value.Variance));
                if (section.NoteVariances) out.emplace_back(kVarianceNote);
                if (g.Value.Variance > 0.0L)
                    out.push_back("Shannon's std. dev of group " + g.Name + "= " +
                                  ExtToStr(std::sqrt(g.Value.Variance)));
            } else {
                out.push_back("Shannon's index of group " + g.Name + ": not computed");
            }
            out.push_back("Size of group " + g.Name + "= " + UIntToStr(g.Size));
        }
        out.emplace_back();
    }
    out.push_back("T-test based on Shannon values and variances " + kind);
    out.emplace_back();
    bool ok = true;
    for (std::size_t i = 1; i < groups.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            const GroupResult& a = groups[i];
            const GroupResult& b = groups[j];
            const Extended va = a.Value.Variance, vb = b.Value.Variance;
            if (bowman && a.Ok && b.Ok && (va < 0.0L || vb < 0.0L)) {
                ShowWarning(
                    "Cannot compare Shannon(Bowman) values due to negative variance!\r\n[This can happen if band "
                    "frequency is calculated per locus]");
                continue;
            }
            out.push_back(a.Name + " vs. " + b.Name + ":");
            const char* untestable = nullptr;
            std::int64_t df = -1;
            if (!a.Ok || !b.Ok) {
                untestable = "not testable (no Shannon's index)";
            } else if (a.Size == 0 || b.Size == 0) {
                untestable = "not testable (a group of size 0)";
            } else if (!(va + vb > 0.0L)) {
                untestable = "not testable (both variances are 0)";
            } else {
                df = WelchDF(static_cast<std::uint32_t>(std::min<std::size_t>(a.Size, 0xFFFFFFFFu)),
                             static_cast<std::uint32_t>(std::min<std::size_t>(b.Size, 0xFFFFFFFFu)), va, vb);
                if (df < 0) untestable = "not testable (no degrees of freedom)";
            }
            if (untestable != nullptr) {
                out.emplace_back(untestable);
                out.emplace_back();
                continue;
            }
            if (df > kMaxDF) df = kMaxDF;
            const Extended t = std::fabs(TStatistic(a.Value.H, b.Value.H, va, vb));
            const Extended p = TDistProb(static_cast<std::int32_t>(df), t);
            const std::int32_t code = GetMathError();
            if (code != kMathOk) {
                ShowError("Maths error in t-distribution. Error code: " + std::to_string(code));
                ok = false;
            }
            out.push_back(test.OutputT ? "t(" + UIntToStr(static_cast<std::uint64_t>(df)) + ")= " + ExtToStr(t) + ", "
                                       : std::string());
            if (test.Confidence == TTestConfidence::PValue) {
                out.back() += "p= " + ExtToStr(p);
            } else {
                const std::string level = ExtToStr(static_cast<Extended>(TTestAlpha));
                out.push_back((ExtLess(p, static_cast<Extended>(TTestAlpha)) ? "significantly different (at "
                                                                             : "not significantly different (at ") +
                              level + " level)");
            }
            out.emplace_back();
        }
    }
    return ok;
}

}  // namespace

bool ExtLess(Extended a, Extended b) { return a < b; }

void CmdShannonIndex(const ShannonOptions& options, std::uint8_t roundMode, int answer) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (NumMonomorphicLoci(ds, {.FixedPresent = true, .FixedAbsent = true}) > 0 &&
        AskUserEx("The data-set contains monomorphic bands.\r\nFailure to remove monomorphic bands may result in "
                  "meaningless Shannon values.\r\nWould you like to remove monomorphic bands from the data-set now?",
                  "Data Warning", kQuestionYesNo, answer) == kAnswerYes)
        RemoveMonomorphicLoci(ds, kScratchLayer);
    CommandRun run("Calculating Shannon's index with current scaling settings and saving to analysis output file...");
    ShannonValue v;
    const bool ok = run.Calculate([&] {
        const RoundModeGuard rounding(roundMode);
        return ShannonVarSD(ds, options, true, v);
    });
    ShowCurrentData(ds);
    if (!ok) return;
    const std::string note(kVarianceNote);
    if (AskUser("I= " + ExtToStr(v.H) + "\r\nvar(I)= " + ExtToStr(v.Variance) +
                    " (after Bowman & al., 1969)*\r\nStandard deviation= " + ExtToStr(v.SD) + "\r\n\r\n" + note +
                    "\r\n\r\nWrite to analysis file?",
                "Shannon's Diversity Index", kQuestionYesNo) != kAnswerYes)
        return;
    std::vector<std::string> lines{"Shannon's index and variance/std.dev. (after Bowman & al., 1969)",
                                   "LogBase = " + LogBaseText(options),
                                   FrequencyLine(options.PerInd),
                                   "",
                                   "I =       " + ExtToStr(v.H),
                                   "var(I) =  " + ExtToStr(v.Variance)};
    if (!options.PerInd) lines.push_back("std.dev.= " + ExtToStr(std::sqrt(v.Variance)));
    else lines.push_back(note);
    lines.emplace_back();
    const std::string text = Lines(lines);
    run.Write(AnalysisFileName, [&](bool append) { return SaveTextToFile(AnalysisFileName, text, append); });
}

void CmdBootstrapShannon(const ShannonOptions& options, std::int32_t replicates,
                         const ShannonReplicateOptions& output) {
    if (!NeedData()) return;
    const std::string reps = UIntToStr(static_cast<std::uint32_t>(std::max(replicates, 0)));
    BootstrapShannonCommand("Estimating Shannon Variance by Bootstrapping... ",
                            "Shannon's index and variance/std.dev. bootstrapped " + reps + " times", replicates,
                            options, output.ToFile, [&](ShannonValue& v, AExt& values) {
                                return BsShannonVarSD(*DataSet, options, BootstrapOf(replicates, output),
                                                      ProgramRandom(), v, values);
                            });
}

void CmdBootstrapShannonAtN(std::int32_t n, const ShannonOptions& options, std::int32_t replicates,
                            const ShannonReplicateOptions& output) {
    if (!NeedData()) return;
    if (n < 1) {
        ShowError("Invalid input number");
        return;
    }
    const std::string reps = UIntToStr(static_cast<std::uint32_t>(std::max(replicates, 0)));
    const std::string count = UIntToStr(static_cast<std::uint32_t>(n));
    BootstrapShannonCommand("Estimating Shannon Variance by Bootstrapping At N_Indiv=" + count + " ... ",
                            "Shannon's index and variance/std.dev. bootstrapped " + reps +
                                " times, sampling from N= " + count + " individuals",
                            replicates, options, output.ToFile, [&](ShannonValue& v, AExt& values) {
                                return BsShannonVarSDAtN(*DataSet, static_cast<std::size_t>(n), options,
                                                         BootstrapOf(replicates, output), ProgramRandom(), v, values);
                            });
}

void CmdShannonTTests(const AByte& selection, const ShannonOptions& options, const ShannonTTestOptions& test) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (selection.size() != ds.Groups.size()) {
        ShowError("Shannon t-test internal error 1");
        return;
    }
    std::vector<std::size_t> chosen;
    for (std::size_t g = 0; g < ds.Groups.size(); ++g) {
        ds.Groups[g].Selected = selection[g] == 1;
        if (selection[g] == 1) chosen.push_back(g);
    }
    if (chosen.size() < 2) {
        ShowError("At least 2 groups need to be selected to perform a t-test");
        return;
    }
    CommandRun run("Calculating Shannon values and performing t-tests...");
    SetStatusCalculating();
    std::vector<std::string> report;
    bool ok = true;
    if (test.Bowman) {
        std::vector<GroupResult> groups;
        for (const std::size_t g : chosen) {
            GroupResult r{GroupDisplayName(ds.Groups[g].Name), false, {}, ds.Groups[g].Count};
            // Judged as a command step is, without ending the command: a group that cannot be computed
            // is marked in the report while the others go on.
            r.Ok =
                EngineCall([&] { return GrpShannonVarSD(ds, g, options, test.RemoveMono, ProgramRandom(), r.Value); });
            groups.push_back(std::move(r));
        }
        ok = WriteSection(report, groups, {.Bowman = true, .NoteVariances = options.PerInd}, test) && ok;
    }
    if (test.Bootstrap) {
        std::vector<GroupResult> groups;
        const ShannonBootstrap b = BootstrapOf(SHReplicates, test.Replicates);
        const std::size_t reps = b.Replicates;
        for (const std::size_t g : chosen) {
            GroupResult r{GroupDisplayName(ds.Groups[g].Name), false, {}, ds.Groups[g].Count};
            if (r.Size == 0) {
                ShowError("T-test/groups error");
                run.Fail();
                SetStatusIdle();
                return;
            }
            AExt values;
            r.Ok = EngineCall([&] { return GrpBsShannonVarSD(ds, g, options, b, ProgramRandom(), r.Value, values); });
            if (test.Replicates.ToFile) {
                report.push_back("Writing individual Shannon replicates (" + UIntToStr(reps) + ") for " + r.Name + ":");
                for (const Extended h : values) report.push_back(ExtToStr(h));
                report.emplace_back();
            }
            groups.push_back(std::move(r));
        }
        ok = WriteSection(report, groups, {.Bowman = false}, test) && ok;
    }
    const std::string text = Lines(report);
    run.Write(AnalysisFileName, [&](bool append) { return SaveTextToFile(AnalysisFileName, text, append); });
    if (!ok) run.Fail();  // a maths error was shown: the report is kept, the run failed
}
