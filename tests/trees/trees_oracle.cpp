// Trees and principal coordinates against R (ape, phangorn, stats) on fixed-seed, tie-free
// distances. Skipped when Rscript is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <utility>
#include <vector>
#include <sstream>
#include <string>

#include "support/r_oracle.h"
#include "support/temp_dir.h"
#include "tree_test_util.h"
#include "trees/dist_analysis.h"
#include "trees/tree_text.h"
#include "trees/upgma.h"

namespace {

// The value printed after "key " on a line of its own; NaN when missing.
double Value(const std::string& output, const std::string& key) {
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + " ", 0) == 0) return std::strtod(line.c_str() + key.size() + 1, nullptr);
    }
    ADD_FAILURE() << "R printed no " << key << ":\n" << output;
    return std::nan("");
}

std::string Num(Extended x) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.21Lg", x);
    return buffer;
}

// Distances rounded to doubles, so that R and we start from the same numbers.
TDistAnalysis OracleInput(Reporter& reporter, std::size_t n, std::size_t dims, std::uint32_t seed, bool euclidean) {
    TDistAnalysis a = RandomEuclidean(reporter, n, dims, seed);
    for (std::size_t i = 2; i <= n; ++i) {
        for (std::size_t j = 1; j < i; ++j) {
            Extended& d = a.Dist[PairIndex(i, j)];
            d = static_cast<double>(euclidean ? d : 0.1L + RandomFloat());
        }
    }
    return a;
}

std::string MatrixFile(const TempDir& dir, const TDistAnalysis& a) {
    std::string text;
    for (std::size_t i = 1; i <= a.NOTU; ++i) {
        for (std::size_t j = 1; j <= a.NOTU; ++j) text += (i == j ? std::string("0") : Num(a.PairDist(i, j))) + " ";
        text += "\n";
    }
    dir.Write("labels.txt", [&a] {
        std::string names;
        for (const std::string& n : a.OTUNames) names += n + "\n";
        return names;
    }());
    return dir.Write("d.txt", text);
}

// Path lengths between all leaves of a packed tree, as an n x n table by OTU order.
std::string PatristicFile(const TempDir& dir, const PackedNodes& nodes, const AString& names) {
    // Per leaf: its ancestors from the leaf up, with the path length to each.
    std::map<std::string, std::vector<std::pair<std::size_t, Extended>>> up;
    for (std::size_t k = 1; k <= nodes.size(); ++k) {
        if (nodes[k - 1].ChildCount != 0) continue;
        Extended length = 0.0L;
        auto& path = up[nodes[k - 1].Name];
        for (std::size_t v = k; v != 0; v = nodes[v - 1].Parent) {
            path.emplace_back(v, length);
            length += nodes[v - 1].Value;
        }
    }
    std::string text;
    for (const std::string& a : names) {
        for (const std::string& b : names) {
            std::map<std::size_t, Extended> other(up.at(b).begin(), up.at(b).end());
            Extended length = 0.0L;
            for (const auto& [entry, la] : up.at(a)) {  // the first common ancestor
                const auto it = other.find(entry);
                if (it != other.end()) {
                    length = la + it->second;
                    break;
                }
            }
            text += Num(length) + " ";
        }
        text += "\n";
    }
    return dir.Write("patristic.txt", text);
}

const char* kReadInput = R"(
suppressMessages({library(ape); library(phangorn)})
lab <- readLines("labels.txt")
m <- as.matrix(read.table("d.txt")); dimnames(m) <- list(lab, lab)
d <- as.dist(m)
pat <- as.matrix(read.table("patristic.txt")); dimnames(pat) <- list(lab, lab)
ours <- read.tree(text = readLines("tree.txt"))
cat("tips", length(ours$tip.label), "\n")
)";

class TreesOracle : public ::testing::Test {
protected:
    void SetUp() override {
        rscript_ = FindRscript();
        if (rscript_.empty()) GTEST_SKIP() << "Rscript is not installed";
    }
    std::string rscript_;
    TempDir dir_;
};

}  // namespace

TEST_F(TreesOracle, UpgmaMatchesWeightedPairGroupClustering) {
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        TDistAnalysis a = OracleInput(SilentReporter(), 25, 4, seed, seed != 3);
        PackedNodes nodes;
        ASSERT_TRUE(UPGMA(a.Reporting(), a.Dist, a.NOTU, &a.OTUNames, nodes));
        ASSERT_TRUE(a.BuildTree(TreeKind::UPGMA, "UPMGAStdJaccard"));
        MatrixFile(dir_, a);
        PatristicFile(dir_, nodes, a.OTUNames);
        dir_.Write("tree.txt", a.StoredTree + "\n");
        const std::string out = RunR(dir_, rscript_, std::string(kReadInput) + R"(
ref <- cophenetic(wpgma(d))[lab, lab]
hc <- as.matrix(cophenetic(hclust(d, method = "mcquitty")))[lab, lab]
cat("wpgma", max(abs(ref - pat)), "\n")
cat("mcquitty", max(abs(hc - pat)), "\n")
cat("text", max(abs(cophenetic(ours)[lab, lab] - ref)), "\n")
)");
        EXPECT_EQ(Value(out, "tips"), 25.0);
        EXPECT_LT(Value(out, "wpgma"), 1e-12) << "seed " << seed;
        EXPECT_LT(Value(out, "mcquitty"), 1e-12) << "seed " << seed;
        EXPECT_LT(Value(out, "text"), 1e-7) << "seed " << seed;
    }
}

TEST_F(TreesOracle, NeighbourJoiningMatchesApe) {
    for (const std::uint32_t seed : {4u, 5u, 6u}) {
        TDistAnalysis a = OracleInput(SilentReporter(), 20, 5, seed, seed != 6);
        ASSERT_TRUE(a.BuildTree(TreeKind::NJ, "NJStdJaccard"));
        PackedNodes nodes;
        DendrogramToPacked(a.Tree, nodes);
        MatrixFile(dir_, a);
        PatristicFile(dir_, nodes, a.OTUNames);
        dir_.Write("tree.txt", a.DendrogramText() + "\n");
        const std::string out = RunR(dir_, rscript_, std::string(kReadInput) + R"(
ref <- nj(d)
cat("rf", RF.dist(unroot(ref), unroot(ours)), "\n")
cat("patristic", max(abs(cophenetic(ref)[lab, lab] - pat)), "\n")
cat("text", max(abs(cophenetic(ours)[lab, lab] - pat)), "\n")
)");
        EXPECT_EQ(Value(out, "tips"), 20.0);
        EXPECT_EQ(Value(out, "rf"), 0.0) << "seed " << seed;
        EXPECT_LT(Value(out, "patristic"), 1e-12) << "seed " << seed;
        EXPECT_LT(Value(out, "text"), 1e-7) << "seed " << seed;
    }
}

TEST_F(TreesOracle, PCoAMatchesClassicalScaling) {
    for (const std::uint32_t seed : {7u, 8u}) {
        TDistAnalysis a = OracleInput(SilentReporter(), 15, 20, seed, seed == 7);
        ASSERT_TRUE(a.PCoA(kPCoADefaultMaxIterations, 1e-18L));
        MatrixFile(dir_, a);
        std::string eig, coords;
        for (std::size_t k = 0; k < a.NPosEigen; ++k) eig += Num(a.EigenPercents[k] * a.SumPosEigen / 100.0L) + "\n";
        for (const AExt& row : a.Coords) {
            for (const Extended x : row) coords += Num(x) + " ";
            coords += "\n";
        }
        dir_.Write("eig.txt", eig);
        dir_.Write("coords.txt", coords);
        // Only the axes of clearly positive eigenvalues: the rest are rounding noise.
        const std::string out = RunR(dir_, rscript_, R"(
m <- as.matrix(read.table("d.txt"))
ours <- scan("eig.txt", quiet = TRUE)
xy <- as.matrix(read.table("coords.txt"))
ref <- cmdscale(as.dist(m), k = nrow(m) - 1, eig = TRUE)
k <- sum(ref$eig > 1e-10 * ref$eig[1])
cat("axes", k, "\n")
cat("eig", max(abs(ours[1:k] - ref$eig[1:k]) / ref$eig[1]), "\n")
worst <- 0
for (j in 1:k) {
  s <- sign(sum(xy[, j] * ref$points[, j]))
  worst <- max(worst, abs(xy[, j] - s * ref$points[, j]))
}
cat("coords", worst, "\n")
)");
        EXPECT_GE(Value(out, "axes"), 5.0);
        EXPECT_LT(Value(out, "eig"), 1e-13) << "seed " << seed;
        EXPECT_LT(Value(out, "coords"), 1e-8) << "seed " << seed;
    }
}
