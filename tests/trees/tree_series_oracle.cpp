// Every tree series, written as the commands write it, read back by ape::read.tree: as many trees
// as asked for, each over the same tips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../popgen/grouped_bands.h"
#include "series_fixture.h"
#include "support/temp_dir.h"

namespace {

bool HaveApe() { return std::system("Rscript -e 'suppressPackageStartupMessages(library(ape))' >/dev/null 2>&1") == 0; }

// What ape reads from the trees: the number of trees, then per tree its tip count and sorted tips.
std::vector<std::string> ReadBack(const TempDir& dir, const AString& trees) {
    std::string text;
    for (const std::string& t : trees) text += t + "\r\n";
    const std::string script = std::string(TESK_SOURCE_DIR) + "/tests/data/trees/tree_series_oracle.R";
    const std::string out = dir.Path("tips.txt");
    if (std::system(("Rscript '" + script + "' '" + dir.Write("outtree.ph", text) + "' '" + out + "'").c_str()) != 0)
        return {"Rscript failed"};
    std::ifstream in(out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string TipLine(AString tips) {
    std::sort(tips.begin(), tips.end());
    std::string line = std::to_string(tips.size());
    for (const std::string& t : tips) line += " " + t;
    return line;
}

TEST(TreeSeriesOracle, ApeReadsEverySeriesWithAllItsTips) {
    if (!HaveApe()) GTEST_SKIP() << "Rscript with ape is not installed";
    TempDir dir;
    GroupedBands data;
    data.Load(RandomRows(30, 80, 5), {{"P1", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
                                      {"P2", {10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
                                      {"P3", {20, 21, 22, 23, 24, 25, 26, 27, 28, 29}}});
    const std::string individuals = TipLine(data.ds.Layers[1].IndNames);
    for (const TreeKind kind : {TreeKind::UPGMA, TreeKind::NJ}) {
        TreeSeriesOptions o;
        o.Kind = kind;
        o.NTrees = 12;
        o.Draws = 10;
        AString trees;
        ASSERT_TRUE(BsTrees(data.ds, o, ProgramRandom(), trees));
        std::vector<std::string> expected{"12"};
        expected.resize(13, individuals);
        EXPECT_EQ(ReadBack(dir, trees), expected) << TreeKindName(kind);
        o.Mode = Treatment::Average;
        o.NTrees = 5;
        ASSERT_TRUE(MultiAvgTrees(data.ds, o, ProgramRandom(), trees));
        expected = {"5"};
        expected.resize(6, individuals);
        EXPECT_EQ(ReadBack(dir, trees), expected) << TreeKindName(kind);
        PopTreeOptions p;
        p.Kind = kind;
        p.Method = FreqMethod::SquareRoot;
        p.NTrees = 6;
        ASSERT_TRUE(BsPopTrees(data.ds, p, ProgramRandom(), trees));
        expected = {"6"};
        expected.resize(7, "3 P1 P2 P3");
        EXPECT_EQ(ReadBack(dir, trees), expected) << TreeKindName(kind);
    }
    EXPECT_TRUE(data.errors.empty());
}

}  // namespace
