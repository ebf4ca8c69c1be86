// The exports of the example data, read back by the programs and packages that read each format
// (ape, phangorn, adegenet, R's own table readers, PHYLIP's neighbor); each must recover the
// band matrix, the names and the populations of the data set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "command_fixture.h"
#include "popgen/exports/count_exports.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/exports/matrix_exports.h"
#include "popgen/exports/nexus_export.h"
#include "popgen/exports/popgen_exports.h"
#include "shell/data_commands.h"
#include "shell/reporting.h"

namespace {

bool HaveR(const std::string& packages) {
    return std::system(("Rscript -e 'suppressPackageStartupMessages({" + packages + "})' >/dev/null 2>&1").c_str()) ==
           0;
}

bool HaveNeighbor() {
    return std::system("command -v phylip >/dev/null 2>&1 || test -x /usr/lib/phylip/bin/neighbor") == 0;
}

const std::string kExample = std::string(TESK_SOURCE_DIR) + "/examples/fingerprints.txt";
const std::string kScript = std::string(TESK_SOURCE_DIR) + "/tests/data/shell/exports_oracle.R";

class ExportsOracle : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        BatchAnswer = 1;  // every question of the writers answered Yes
        CmdLoadInputFile(kExample);
        ASSERT_NE(DataSet, nullptr);
        ASSERT_TRUE(DataSet->HasData());
    }

    // "name<TAB>cells" per individual of the current layer, cells as 0, 1, 9 in locus order.
    static std::map<std::string, std::string> Expected() {
        const TDSLayer& layer = DataSet->GetCurrLayer();
        std::map<std::string, std::string> rows;
        for (std::size_t i = 1; i <= layer.NInd; ++i) {
            std::string cells;
            for (std::size_t l = 1; l <= layer.NLoci; ++l) cells += static_cast<char>('0' + layer.Cell(i, l));
            rows[layer.IndNames[i - 1]] = cells;
        }
        return rows;
    }

    // Lines "name<TAB>cells" the R script wrote for one reader.
    static std::map<std::string, std::string> Recovered(const std::string& file) {
        std::map<std::string, std::string> rows;
        std::ifstream in(file);
        std::string line;
        while (std::getline(in, line)) {
            const auto tab = line.find('\t');
            if (tab != std::string::npos) rows[line.substr(0, tab)] = line.substr(tab + 1);
        }
        return rows;
    }

    // Runs the script's part for one format on the file; true when R ended without error.
    bool RunR(const std::string& format, const std::string& file, const std::string& out) const {
        return std::system(("Rscript '" + kScript + "' " + format + " '" + file + "' '" + out + "' >'" +
                            dir.Path("r.log") + "' 2>&1")
                               .c_str()) == 0;
    }
    std::string Log() const { return File(dir.Path("r.log")); }
};

TEST_F(ExportsOracle, BandMatrixFormatsReadBackInR) {
    if (!HaveR("library(ape); library(adegenet)")) GTEST_SKIP() << "Rscript with ape and adegenet is not installed";
    TPopGenDataSet& ds = *DataSet;
    const auto expected = Expected();
    struct Case {
        std::string format, file;
        std::function<bool()> write;
    };
    const std::vector<Case> cases = {
        {"nexus", "x.nex", [&] { return ExportNexus(ds, dir.Path("x.nex"), '1', '?', '0'); }},
        {"phydat", "x.nex", [&] { return ExportNexus(ds, dir.Path("x.nex"), '1', '?', '0'); }},
        {"genepop", "x.gen", [&] { return ExportGenePop(ds, dir.Path("x.gen"), true); }},
        {"structure", "x.str", [&] { return ExportStructure(ds, dir.Path("x.str"), true, 2); }},
        {"rtable", "x.tsv", [&] { return ExportRTable(ds, dir.Path("x.tsv")); }},
        {"aflpdat", "x.dat", [&] { return ExportAFLPDat(ds, dir.Path("x.dat"), true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        ASSERT_TRUE(c.write());
        const std::string out = dir.Path(c.format + ".out");
        ASSERT_TRUE(RunR(c.format, dir.Path(c.file), out)) << Log();
        auto recovered = Recovered(out);
        if (c.format == "structure") {
            // name -> cells TAB population: the population must be the individual's group
            for (auto& [name, value] : recovered) {
                const auto tab = value.find('\t');
                ASSERT_NE(tab, std::string::npos);
                EXPECT_EQ(value.substr(tab + 1), std::to_string(ds.FindIndGroup(name))) << name;
                value.resize(tab);
            }
        }
        EXPECT_EQ(recovered, expected) << Log();
    }
}

TEST_F(ExportsOracle, PhylipMatrixIsReadByNeighborAndReadDist) {
    TPopGenDataSet& ds = *DataSet;
    ASSERT_TRUE(CalcDistMatrix(ds, DistRunOptions{}, ProgramRandom()));
    const std::string file = dir.Path("dist.txt");
    ASSERT_TRUE(ExportPhylipDistMatrix(ds, file));
    const TDSLayer& layer = ds.GetCurrLayer();

    if (HaveNeighbor()) {
        const std::string work = dir.Path("neighbor");
        ASSERT_EQ(std::system(("mkdir -p '" + work + "' && cp '" + file + "' '" + work + "/infile'").c_str()), 0);
        const std::string run =
            "cd '" + work + "' && printf 'Y\\n' | (phylip neighbor || /usr/lib/phylip/bin/neighbor) >neighbor.log 2>&1";
        ASSERT_EQ(std::system(run.c_str()), 0) << File(work + "/neighbor.log");
        const std::string tree = File(work + "/outtree");
        for (const std::string& name : layer.IndNames)
            EXPECT_NE(tree.find(name.substr(0, kPhylipNameLength)), std::string::npos) << name << "\n" << tree;
    }
    if (!HaveR("library(phangorn)")) GTEST_SKIP() << "Rscript with phangorn is not installed";
    const std::string out = dir.Path("readdist.out");
    ASSERT_TRUE(RunR("readdist", file, out)) << Log();
    std::ifstream in(out);
    std::size_t pairs = 0;
    std::string a, b;
    long double value = 0;
    while (in >> a >> b >> value) {
        std::size_t i = 0, j = 0;
        for (std::size_t k = 0; k < layer.IndNames.size(); ++k) {
            if (layer.IndNames[k] == a) i = k + 1;
            if (layer.IndNames[k] == b) j = k + 1;
        }
        ASSERT_TRUE(i > 0 && j > 0) << a << " " << b;
        EXPECT_NEAR(static_cast<double>(value), static_cast<double>(layer.DistMatrix[PairIndex(i, j)]), 1e-10);
        ++pairs;
    }
    EXPECT_EQ(pairs, layer.NInd * (layer.NInd - 1) / 2);
}

// Whitespace-separated tokens of a line.
std::vector<std::string> Tokens(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) tokens.push_back(t);
    return tokens;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

char CellOf(const std::string& token, const std::string& missing) {
    return token == "1" ? '1' : token == "0" ? '0' : token == missing ? '9' : '?';
}

// Formats without a reader at hand, read by their own rules: the matrix and the populations that
// a program taking the file would see.
TEST_F(ExportsOracle, LocusMajorAndPopulationFormatsReadBackByTheirRules) {
    TPopGenDataSet& ds = *DataSet;
    const auto expected = Expected();
    const TDSLayer& layer = ds.GetCurrLayer();
    const std::size_t n = layer.NInd, loci = layer.NLoci;

    // NTSYSpc: type line, locus and individual labels, then one row per locus.
    ASSERT_TRUE(ExportNTSYS(ds, dir.Path("x.nts")));
    auto lines = Lines(File(dir.Path("x.nts")));
    ASSERT_EQ(lines.size(), 4 + loci);
    EXPECT_EQ(Tokens(lines[1]),
              (std::vector<std::string>{"1", std::to_string(loci) + "L", std::to_string(n) + "L", "1", "-9"}));
    EXPECT_EQ(Tokens(lines[2]), layer.LocNames);
    const auto ntsysNames = Tokens(lines[3]);
    std::map<std::string, std::string> recovered;
    for (std::size_t l = 0; l < loci; ++l) {
        const auto row = Tokens(lines[4 + l]);
        ASSERT_EQ(row.size(), n);
        for (std::size_t i = 0; i < n; ++i) recovered[ntsysNames.at(i)] += CellOf(row[i], "-9");
    }
    EXPECT_EQ(recovered, expected);

    // SynTax: loci and individuals, one row per locus, the labels in their own files.
    ASSERT_TRUE(ExportSynTax(ds, dir.Path("syn.txt")));
    lines = Lines(File(dir.Path("syn.txt")));
    EXPECT_EQ(Tokens(lines.at(1)), (std::vector<std::string>{std::to_string(loci), std::to_string(n)}));
    const auto labels = Lines(File(dir.Path("syn_indivlabels.txt")));
    ASSERT_EQ(labels.size(), n + 1);
    recovered.clear();
    for (std::size_t l = 0; l < loci; ++l) {
        const auto row = Tokens(lines.at(2 + l));
        ASSERT_EQ(row.size(), n);
        for (std::size_t i = 0; i < n; ++i) recovered[labels[i + 1]] += CellOf(row[i], "-1");
    }
    EXPECT_EQ(recovered, expected);

    // Hickory: each first-level population lists its members with their cells.
    ASSERT_TRUE(ExportHickory(ds, dir.Path("h.nex"), '?'));
    lines = Lines(File(dir.Path("h.nex")));
    std::size_t at = 0;
    while (at < lines.size() && lines[at] != "MATRIX") ++at;
    std::map<std::string, std::vector<std::string>> populations;
    std::string population;
    recovered.clear();
    for (++at; at < lines.size() && lines[at] != "END;"; ++at) {
        if (!lines[at].empty() && lines[at].back() == ':') {
            population = lines[at].substr(0, lines[at].size() - 1);
            continue;
        }
        auto row = Tokens(lines[at]);
        if (!row.empty() && (row.back() == "," || row.back() == ";")) row.pop_back();
        ASSERT_EQ(row.size(), loci + 1) << lines[at];
        populations[population].push_back(row[0]);
        for (std::size_t l = 1; l <= loci; ++l) recovered[row[0]] += CellOf(row[l], "?");
    }
    EXPECT_EQ(recovered, expected);
    for (const auto& group : ds.Groups) {
        if (group.Name.find('/') != std::string::npos && group.Name.find('/') == group.Name.rfind('/')) {
            EXPECT_EQ(populations[StrAfterLastSlash(group.Name)], group.Members) << group.Name;
        }
    }
    EXPECT_EQ(populations.size(), 2u);

    // Dfdist without missing data: absences and presences of every chosen group at every locus.
    const AByte chosen = {0, 1, 0, 0, 1, 0, 0};
    ASSERT_EQ(chosen.size(), ds.Groups.size());
    ASSERT_TRUE(ExportDfDist(ds, dir.Path("d.txt"), chosen, false, 0.5f, 2));
    lines = Lines(File(dir.Path("d.txt")));
    EXPECT_EQ(lines.at(1), "2");
    EXPECT_EQ(lines.at(2), std::to_string(loci));
    for (std::size_t l = 0; l < loci; ++l) {
        EXPECT_EQ(lines.at(4 + 4 * l), "2");
        std::size_t k = 0;
        for (std::size_t g = 0; g < chosen.size(); ++g) {
            if (chosen[g] != 1) continue;
            std::size_t absent = 0, present = 0;
            for (const std::string& member : ds.Groups[g].Members) {
                const char cell = expected.at(member)[l];
                absent += cell == '0';
                present += cell == '1';
            }
            EXPECT_EQ(lines.at(5 + 4 * l + k), std::to_string(absent) + " " + std::to_string(present)) << l;
            ++k;
        }
    }
}

}  // namespace
