// What the harnesses of the data-file readers share: a data set that counts its error reports, a
// scratch folder of the process, and the two checks every reader must pass: a failed load leaves
// the data set cleared with one error counted per report, and a loaded data set saved and read
// back gives the same matrix, names, groups and locus sets.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/reporter.h"
#include "popgen/data/data_loader.h"
#include "popgen/data/data_saver.h"
#include "popgen/data/dataset.h"
#include "popgen/data/file_param_record.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

namespace fuzz {

// Stops the run: libFuzzer keeps the input that led here and reports it as a finding.
[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "\nFINDING: %s\n", what.c_str());
    std::abort();
}

inline void Check(bool ok, const std::string& what) {
    if (!ok) Fail(what);
}

// With TESK_FUZZ_STATS set, how the inputs of a run ended is printed at the end (to see that the
// round trip is reached, and how often the saver refuses).
class Stats {
public:
    static void Count(const std::string& outcome) {
        static Stats stats;
        if (!stats.on_) return;
        std::string line = outcome.substr(0, 120);
        for (char& c : line)
            if (c == '\r' || c == '\n') c = ' ';
        ++stats.counts_[line];
    }

private:
    Stats() : on_(std::getenv("TESK_FUZZ_STATS") != nullptr) {}
    ~Stats() {
        for (const auto& [outcome, n] : counts_) std::fprintf(stderr, "%10zu  %s\n", n, outcome.c_str());
    }
    bool on_;
    std::map<std::string, std::size_t> counts_;
};

// Messages and questions go nowhere: the harness judges by the error count and the data.
class SilentUi : public UiPort {
public:
    int ShowMessageBox(std::string_view, std::string_view, int) override { return kAnswerNone; }
    void SetMessageLines(const MessageLines&) override {}
    void SetStatusPanel(std::size_t, std::string_view) override {}
};

// Settings at their defaults and the silent port, before every input.
inline void ResetShell() {
    static SilentUi ui;
    SetUiPort(&ui);
    RestoreDefaultSettings();
}

// A folder of this process under the temporary folder, for the files the readers take by name.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tesk-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot create a scratch folder");
        root_ = pattern;
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    std::string Path(std::string_view name) const { return (root_ / name).string(); }

    std::string Write(std::string_view name, std::string_view bytes) const {
        const std::string full = Path(name);
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) Fail("cannot write the scratch file " + full);
        return full;
    }

private:
    std::filesystem::path root_;
};

inline const ScratchDir& Scratch() {
    static const ScratchDir dir;
    return dir;
}

// A fresh data set that reports through a reporter that records.
struct CountingDataSet {
    std::vector<std::string> errors;
    Reporter reporter{[this](const std::string& msg) { errors.push_back(msg); }};
    TPopGenDataSet ds{reporter};

    explicit CountingDataSet(std::uint8_t includeGroups) { ds.IncludeGroups = includeGroups; }
    CountingDataSet(const CountingDataSet&) = delete;
    CountingDataSet& operator=(const CountingDataSet&) = delete;

    std::string Errors() const {
        std::string all;
        for (const std::string& e : errors) all += "[" + e.substr(0, 300) + "] ";
        return all;
    }
};

// One error counted per report (by the reporter, and by the data set since the call began), none
// on success and at least one on failure. The reports are those since `errors` was last emptied.
inline void CheckErrorCount(const CountingDataSet& d, const ReportScope& scope, bool ok, const char* reader) {
    Check(scope.Errors() == d.errors.size() && d.ds.ErrorCount() <= d.errors.size(),
          std::string(reader) + ": the error count is not the number of reports");
    if (ok) Check(d.errors.empty(), std::string(reader) + " succeeded with errors: " + d.Errors());
    else Check(!d.errors.empty(), std::string(reader) + " failed without a report");
}

// A failed band-data load: nothing loaded, no sets, no text held.
inline void CheckFailedLoad(const CountingDataSet& d, const ReportScope& scope, const char* reader) {
    Stats::Count("load failed");
    CheckErrorCount(d, scope, false, reader);
    const TPopGenDataSet& ds = d.ds;
    bool cleared = !ds.HasData() && ds.DataLoaded == 0 && ds.Groups.empty() && ds.LocusSets.empty() && !ds.InputText &&
                   !ds.DataText;
    for (const TDSLayer& layer : ds.Layers) cleared = cleared && layer.Matrix.empty() && layer.IndNames.empty();
    Check(cleared, std::string(reader) + " failed but left data behind: " + d.Errors());
}

inline std::string Show(const AString& names) {
    std::string s;
    for (const std::string& n : names) s += "'" + n + "' ";
    return s.substr(0, 600);
}

inline void CheckSameSets(const TFilterArray& a, const TFilterArray& b, const char* what) {
    Check(a.size() == b.size(),
          std::string(what) + ": " + std::to_string(a.size()) + " sets became " + std::to_string(b.size()));
    for (std::size_t k = 0; k < a.size(); ++k) {
        const std::string which = std::string(what) + " '" + a[k].Name + "'";
        Check(a[k].Name == b[k].Name, which + " came back named '" + b[k].Name + "'");
        Check(a[k].Members == b[k].Members,
              which + ": members " + Show(a[k].Members) + "came back as " + Show(b[k].Members));
        Check(a[k].Count == b[k].Count, which + ": another count");
        Check(a[k].Mask == b[k].Mask, which + ": another mask");
    }
}

// The loaded data of two data sets: layer 0's matrix and names, the groups and the locus sets.
inline void CheckSameData(const TPopGenDataSet& a, const TPopGenDataSet& b) {
    const TDSLayer& la = a.Layers[0];
    const TDSLayer& lb = b.Layers[0];
    Check(la.NInd == lb.NInd && la.NLoci == lb.NLoci, "size " + std::to_string(la.NInd) + " x " +
                                                          std::to_string(la.NLoci) + " came back as " +
                                                          std::to_string(lb.NInd) + " x " + std::to_string(lb.NLoci));
    Check(la.Matrix == lb.Matrix, "the matrix came back changed");
    Check(la.IndNames == lb.IndNames, "individual names " + Show(la.IndNames) + "came back as " + Show(lb.IndNames));
    Check(la.LocNames == lb.LocNames, "locus names " + Show(la.LocNames) + "came back as " + Show(lb.LocNames));
    CheckSameSets(a.Groups, b.Groups, "group");
    CheckSameSets(a.LocusSets, b.LocusSets, "locus set");
}

// The prefix of the saver's refusal of a name or a symbol that the layout cannot carry.
inline constexpr std::string_view kSaveRefused = "Data not saved:";

// Reads a saved file back into a fresh data set; true when the reader succeeded.
using Reload = std::function<bool(CountingDataSet& again, const std::string& saved)>;

// The route by which the user reopens a saved file: the data-file loader with the same record.
inline Reload LoadWith(const FileParamRecord& params) {
    return [params](CountingDataSet& again, const std::string& saved) { return LoadDataFile(again.ds, saved, params); };
}

// Saves the current layer of a loaded data set with the record and reads the file back; the two
// must hold the same data. A save refused because the layout cannot carry a name or a symbol is
// no finding: it is the saver's promise never to write what would read back differently.
inline void CheckSaveLoad(CountingDataSet& loaded, const FileParamRecord& params, const std::string& specLine,
                          const Reload& reload) {
    // A file of other programs: missing cells as "-?" are not read back.
    if (params.AmbiguityNegative == 1 && params.DelimitedData == 1) return;
    const std::string file = Scratch().Path("saved.txt");
    loaded.errors.clear();
    const ReportScope saving(loaded.reporter);
    const bool saved =
        ReportShortage(loaded.reporter, [&] { return SaveData(loaded.ds, file, false, specLine, params); });
    Check(saving.Errors() == loaded.errors.size(), "the save's error count is not the number of reports");
    Stats::Count(saved ? "saved" : "refused: " + (loaded.errors.empty() ? std::string() : loaded.errors[0]));
    if (!saved) {
        Check(loaded.errors.size() == 1 &&
                  std::string_view(loaded.errors[0]).substr(0, kSaveRefused.size()) == kSaveRefused,
              "the save failed: " + loaded.Errors());
        return;
    }
    Check(loaded.errors.empty(), "the save succeeded with errors: " + loaded.Errors());
    CountingDataSet again(loaded.ds.IncludeGroups);
    const ReportScope reading(again.reporter);
    const bool ok = ReportShortage(again.reporter, [&] { return reload(again, file); });
    CheckErrorCount(again, reading, ok, "reading the saved file");
    CheckSameData(loaded.ds, again.ds);
}

// Saves a selection of a loaded data set (the last group by the last locus set), reads it back and
// saves that again: the two files must be the same byte for byte and read back the same. Sets
// without a member in the selection are written empty and must come back as empty sets.
inline void CheckSelectionSaveLoadSave(CountingDataSet& loaded, const FileParamRecord& params,
                                       const std::string& specLine, const Reload& reload) {
    if (params.AmbiguityNegative == 1 && params.DelimitedData == 1) return;
    TPopGenDataSet& ds = loaded.ds;
    if (ds.Groups.size() < 2 && ds.LocusSets.size() < 2) return;
    const std::uint32_t g = static_cast<std::uint32_t>(ds.Groups.empty() ? 0 : ds.Groups.size() - 1);
    const std::uint32_t l = static_cast<std::uint32_t>(ds.LocusSets.empty() ? 0 : ds.LocusSets.size() - 1);
    loaded.errors.clear();
    if (!ReportShortage(loaded.reporter, [&] { return ds.Select(g, l); }) || !loaded.errors.empty()) return;
    const std::string first = Scratch().Path("selection.txt");
    if (!ReportShortage(loaded.reporter, [&] { return SaveData(ds, first, false, specLine, params); })) {
        Check(loaded.errors.size() == 1 &&
                  std::string_view(loaded.errors[0]).substr(0, kSaveRefused.size()) == kSaveRefused,
              "the save of a selection failed: " + loaded.Errors());
        return;
    }
    CountingDataSet again(ds.IncludeGroups);
    const ReportScope reading(again.reporter);
    const bool ok = ReportShortage(again.reporter, [&] { return reload(again, first); });
    CheckErrorCount(again, reading, ok, "reading the saved selection");
    const std::string second = Scratch().Path("selection2.txt");
    Check(ReportShortage(again.reporter, [&] { return SaveData(again.ds, second, false, specLine, params); }),
          "the reloaded selection could not be saved: " + again.Errors());
    std::ifstream a(first, std::ios::binary), b(second, std::ios::binary);
    const std::string bytesA((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
    const std::string bytesB((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
    Check(bytesA == bytesB, "a saved selection, read back and saved again, gives another file");
    CountingDataSet third(ds.IncludeGroups);
    Check(ReportShortage(third.reporter, [&] { return reload(third, second); }),
          "the file saved again does not read back: " + third.Errors());
    CheckSameData(again.ds, third.ds);
}

// Runs a reader of band data on a fresh data set (IncludeGroups from the record) and checks what
// it leaves: after a failure a cleared data set, after a success the same data once saved with
// the record and the file specification line and read back, and a selection of it saved, read
// back and saved again unchanged.
inline void CheckBandReader(const char* reader, const FileParamRecord& params, const std::string& specLine,
                            const std::function<bool(TPopGenDataSet&)>& read, const Reload& reload) {
    CountingDataSet loaded(params.IncludeGroups);
    const ReportScope scope(loaded.reporter);
    // As the commands call the engine: a memory shortage becomes "Out of memory" and false.
    const bool ok = ReportShortage(loaded.reporter, [&] { return read(loaded.ds); });
    if (!ok) {
        CheckFailedLoad(loaded, scope, reader);
        return;
    }
    CheckErrorCount(loaded, scope, ok, reader);
    CheckSaveLoad(loaded, params, specLine, reload);
    CheckSelectionSaveLoadSave(loaded, params, specLine, reload);
}

// Whether an input asks for settings other than the defaults: its last byte is not a text
// character. Text files given as seeds thus run with the defaults and load; the fuzzer varies
// the settings by changing the end of the input.
inline bool WantsVariation(FuzzedDataProvider& in) { return in.ConsumeIntegral<std::uint8_t>() >= 128; }

// A character from the end of the input: one that means something in a data file (so that the
// symbols meet each other and the names), or any byte.
inline char RandomChar(FuzzedDataProvider& in) {
    static constexpr char kPool[] = "10?}{*9 ,;=\t<>[]:-/aAlLuO#!+\r\n";
    const auto pick = in.ConsumeIntegral<std::uint8_t>();
    if (pick < 224) return kPool[pick % (sizeof(kPool) - 1)];
    return static_cast<char>(in.ConsumeIntegral<std::uint8_t>());
}

// The record with some fields changed at random, as the end of the input says: each field is kept
// when its byte is a text character.
inline FileParamRecord RandomParams(FuzzedDataProvider& in, FileParamRecord p) {
    const auto change = [&in] { return in.ConsumeIntegral<std::uint8_t>() >= 128; };
    for (char* symbol : {&p.PresenceChar, &p.AbsenceChar, &p.AmbiguityChar, &p.OpenRemarkChar, &p.CloseRemarkChar,
                         &p.EndOfDataChar, &p.InvalidStateChar})
        if (change()) *symbol = RandomChar(in);
    if (change()) {
        p.Delimiters.clear();
        const std::size_t delimiters = in.ConsumeIntegralInRange<std::size_t>(0, 4);
        for (std::size_t k = 0; k < delimiters; ++k) p.Delimiters += RandomChar(in);
    }
    for (bool* flag : {&p.IndInColumns, &p.IndHeader, &p.LocHeader, &p.DelimitedData, &p.IncludeGroups,
                       &p.WriteDefaultSets, &p.AmbiguityNegative})
        if (change()) *flag = *flag == 1 ? 0 : 1;
    return p;
}

// A layout and whether the file gets a file specification line: the defaults (with the line), or
// changed as the end of the input says.
struct Layout {
    FileParamRecord params;
    bool specLine = true;
};

inline Layout VariedLayout(FuzzedDataProvider& in, const FileParamRecord& defaults) {
    Layout layout{defaults, true};
    if (WantsVariation(in)) {
        layout.params = RandomParams(in, defaults);
        layout.specLine = in.ConsumeBool();
    }
    return layout;
}

}  // namespace fuzz
