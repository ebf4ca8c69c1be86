#include "popgen/exports/count_exports.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "popgen/data/band_stats.h"
#include "popgen/exports/export_support.h"
#include "popgen/data/filters.h"

namespace {

constexpr std::size_t kCountLayer = kExportLayer;

// The fraction as numerator / 10^k, from the shortest decimal that gives the float back: what the
// user typed, not the binary value nearest to it.
void DecimalFraction(float fraction, std::uint64_t& numerator, std::uint64_t& denominator) {
    if (!(fraction > 0.0f)) {
        numerator = 0;
        denominator = 1;
        return;
    }
    if (fraction >= 1.0f) {
        numerator = denominator = 1;
        return;
    }
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, fraction, std::chars_format::fixed);
    constexpr std::size_t kMaxDecimals = 9;  // keeps (P + M * fraction) * 10^k within 64 bits
    if (ec != std::errc() || end - text > static_cast<std::ptrdiff_t>(kMaxDecimals + 2))
        end =
            std::to_chars(text, text + sizeof text, fraction, std::chars_format::fixed, static_cast<int>(kMaxDecimals))
                .ptr;
    numerator = 0;
    denominator = 1;
    bool afterPoint = false;
    for (const char* p = text; p != end; ++p) {
        if (*p == '.') {
            afterPoint = true;
            continue;
        }
        numerator = numerator * 10 + static_cast<std::uint64_t>(*p - '0');
        if (afterPoint) denominator *= 10;
    }
}

struct GroupCounts {
    std::size_t individuals = 0;
    std::vector<std::size_t> present, absent, missing;  // per locus
};

// The counts of every selected group over the current locus set, taken on layer 5 built from the
// current layer. False (reported) when fewer than two groups are selected, the current layer is a
// temporary one, or a group has no individuals there.
bool CollectCounts(TPopGenDataSet& ds, const AByte& selection, const std::string& what, const std::string& tooFew,
                   std::vector<GroupCounts>& counts, std::size_t& loci) {
    std::size_t selected = 0;
    for (std::size_t g = 0; g < selection.size() && g < ds.Groups.size(); ++g)
        if (selection[g] == 1) ++selected;
    if (selected < 2) {
        ds.ReportError(tooFew);
        return false;
    }
    if (ds.CurLayer >= kCountLayer) {
        ds.ReportError("Cannot perform " + what + " on current data layer!");
        return false;
    }
    const SelectionKeeper keep(ds);
    const std::size_t source = ds.CurLayer;
    const std::size_t locusSet = ds.CurLocusSet;
    std::vector<GroupCounts> result;
    for (std::size_t g = 0; g < selection.size() && g < ds.Groups.size(); ++g) {
        if (selection[g] != 1) continue;
        if (!ds.MakeSubsetLayer(source, kCountLayer, g, locusSet)) return false;
        const TDSLayer& layer = ds.Layers[kCountLayer];
        GroupCounts c;
        c.individuals = layer.NInd;
        for (std::size_t l = 1; l <= layer.NLoci; ++l) {
            c.present.push_back(CountLocStateInLayer(ds, kCountLayer, l, kPresent));
            c.absent.push_back(CountLocStateInLayer(ds, kCountLayer, l, kAbsent));
            c.missing.push_back(CountLocStateInLayer(ds, kCountLayer, l, kMissing));
        }
        result.push_back(std::move(c));
    }
    loci = result.front().present.size();
    counts = std::move(result);
    return true;
}

}  // namespace

std::size_t ExpectedPresences(std::size_t presences, std::size_t missing, float fraction, std::uint8_t roundMode) {
    std::uint64_t num = 0, den = 1;
    DecimalFraction(fraction, num, den);
    const std::uint64_t total = presences * den + missing * num;  // (P + M * fraction) * den
    const std::uint64_t whole = total / den;
    const std::uint64_t rest = total % den;
    if (rest == 0) return whole;
    switch (roundMode) {
        case 1:
        case 3: return whole;
        case 2: return whole + 1;
        default:
            if (2 * rest > den) return whole + 1;
            if (2 * rest < den) return whole;
            return whole % 2 == 0 ? whole : whole + 1;
    }
}

bool ExportDfDist(TPopGenDataSet& ds, const std::string& fileName, const AByte& selection, bool useMissing,
                  float fraction, std::uint8_t roundMode) {
    std::vector<GroupCounts> counts;
    std::size_t loci = 0;
    if (!CollectCounts(ds, selection, "ExportDfDist", "Cannot export file: Less than 2 groups selected!", counts, loci))
        return false;
    Ttf tf;
    tf.Add("0");
    tf.Add(UIntToStr(counts.size()));
    tf.Add(UIntToStr(loci));
    tf.Add("");
    for (std::size_t l = 0; l < loci; ++l) {
        tf.Add("2");
        for (const GroupCounts& c : counts) {
            std::size_t present = c.present[l], absent = c.absent[l];
            if (useMissing) {
                present = ExpectedPresences(c.present[l], c.missing[l], fraction, roundMode);
                absent = c.individuals - present;
            }
            tf.Add(UIntToStr(absent) + " " + UIntToStr(present));
        }
        tf.Add("");
    }
    return SaveExportFile(ds, tf, fileName);
}

bool ExportBayeScan(TPopGenDataSet& ds, const std::string& fileName, const AByte& selection, bool useMissing,
                    float fraction, std::uint8_t roundMode) {
    std::vector<GroupCounts> counts;
    std::size_t loci = 0;
    if (!CollectCounts(ds, selection, "ExportBayeScan", "Cannot export BayeScan file: Less than 2 groups selected!",
                       counts, loci))
        return false;
    Ttf tf;
    tf.Add("[loci]=" + UIntToStr(loci));
    tf.Add("");
    tf.Add("[populations]=" + UIntToStr(counts.size()));
    tf.Add("");
    for (std::size_t k = 0; k < counts.size(); ++k) {
        const GroupCounts& c = counts[k];
        tf.Add("[pop]=" + UIntToStr(k + 1));
        for (std::size_t l = 0; l < loci; ++l) {
            std::size_t bands = c.present[l], genes = c.individuals - c.missing[l];
            if (useMissing) {
                bands = ExpectedPresences(c.present[l], c.missing[l], fraction, roundMode);
                genes = c.individuals;
            }
            tf.Add(" " + UIntToStr(l + 1) + "\t" + UIntToStr(genes) + "\t" + UIntToStr(bands));
        }
        tf.Add("");
    }
    return SaveExportFile(ds, tf, fileName);
}

bool ExportHINDEX(TPopGenDataSet& ds, const std::string& fileName, std::size_t parent1, std::size_t parent2,
                  std::size_t testGroup, float replaceFraction, RandomStream& random) {
    std::size_t source = ds.CurLayer;
    if (source > kWorkingLayer) {
        ds.ReportWarning("ExportHINDEX: switching to AllData x Current Locus Selection");
        source = kWorkingLayer;
    }
    const std::string individualsName = DerivedFileName(fileName, "_indiv");
    const std::string parentsName = DerivedFileName(fileName, "_parents");
    ExportNames fit("hindex", IsTokenChar);
    Ttf individuals, parents;
    {
        const SelectionKeeper keep(ds);
        const std::size_t locusSet = ds.CurLocusSet;
        if (!ds.MakeSubsetLayer(source, kCountLayer, testGroup, locusSet)) return false;
        const TDSLayer& test = ds.Layers[kCountLayer];
        if (!BandCellsValid(ds, test, "Data Error. Could not complete hindex export of data file")) return false;
        individuals.Add("Individual");
        std::string line = ds.Groups[testGroup].Name + " # ";
        for (const std::string& name : test.IndNames) line += fit.Fit(name) + " ";
        individuals.Add(std::move(line));
        for (std::size_t l = 1; l <= test.NLoci; ++l) {
            std::string row = (l <= test.LocNames.size() ? fit.Fit(test.LocNames[l - 1]) : std::string()) + " # ";
            for (std::size_t i = 1; i <= test.NInd; ++i) row += CellSymbol(test.Cell(i, l), "1 ", "0 ", "NA ");
            individuals.Add(std::move(row));
        }
        const AString locusNames = test.LocNames;

        AExt frequencies[2];
        const std::size_t parentGroups[2] = {parent1, parent2};
        for (int k = 0; k < 2; ++k) {
            if (!ds.MakeSubsetLayer(source, kCountLayer, parentGroups[k], locusSet) ||
                !ReplaceMissingData(ds, kCountLayer, replaceFraction, random) ||
                !LocusBandFreqs(ds, true, frequencies[k]))
                return false;
        }
        parents.Add("Parental");
        parents.Add(ds.Groups[parent1].Name + " " + ds.Groups[parent2].Name + " #");
        for (std::size_t l = 0; l < locusNames.size() && l < frequencies[0].size() && l < frequencies[1].size(); ++l)
            parents.Add(fit.Fit(locusNames[l]) + " # D " + ExtToStrF(frequencies[0][l], 10, 9) + " " +
                        ExtToStrF(frequencies[1][l], 10, 9));
    }
    ds.CurLayer = source;
    fit.Report(ds);
    return SaveExportFile(ds, individuals, individualsName) && SaveExportFile(ds, parents, parentsName);
}
