#include "trees/cluster_matrix.h"

#include <unordered_set>
#include <utility>

#include "foundation/number_text.h"
#include "trees/cluster_list.h"
#include "trees/consensus.h"

namespace {

// The trees' titles; when they do not tell the trees apart (bootstrap series share one title),
// every tree is named by its line instead, so that the rows of the data set stay distinct.
AString TreeNames(const TreeLines& lines, const std::vector<ParsedTree>& trees) {
    AString names;
    std::unordered_set<std::string> seen;
    bool distinct = true;
    for (std::size_t t = 0; t < trees.size(); ++t) {
        names.push_back(TreeRootLabel(trees[t], lines[t].LineNumber));
        distinct = distinct && seen.insert(names.back()).second;
    }
    if (!distinct)
        for (std::size_t t = 0; t < trees.size(); ++t) names[t] = "Tree" + UIntToStr(lines[t].LineNumber);
    return names;
}

}  // namespace

bool Trees2BinMatrix(Reporter& reporter, const std::vector<ParsedTree>& trees, TreeClusterMatrix& matrix) {
    OTUList otus;
    if (!FirstTreeOTUs(reporter, trees, otus)) return false;
    ClusterList list;
    if (!FirstMethodClusters(reporter, trees, otus, list)) return false;
    const std::size_t T = trees.size();
    const std::size_t K = list.size();
    AByte cells(K * T, 0);
    for (std::size_t t = 0; t < T; ++t) {
        std::vector<std::size_t> indices;
        std::string reason;
        if (!TreeClusterIndices(trees[t], list, otus, indices, reason)) {
            reporter.Error(reason);
            return false;
        }
        for (std::size_t k : indices) cells[k * T + t] = 1;
    }
    matrix.Trees = T;
    matrix.Clusters = K;
    matrix.Matrix = std::move(cells);
    return true;
}

bool Trees2BinB(const std::vector<ParsedTree>& trees, AByte& matrix, std::size_t& nTrees, std::size_t& nClusters) {
    if (trees.empty()) return false;
    AString names;
    TreeOTUNamesB(trees.front(), names);
    const OTUList otus(names);
    ClusterList clusters(kNoClusterLimit);
    for (const ParsedTree& tree : trees)
        if (TreeClustersB(tree, otus, clusters) != 0) return false;
    const std::size_t T = trees.size();
    AByte cells(clusters.size() * T, 0);
    for (std::size_t t = 0; t < T; ++t) {
        std::vector<std::size_t> indices;
        if (!TreeClusterIndicesNEW(trees[t], clusters, otus, indices)) return false;
        for (std::size_t k : indices) cells[k * T + t] = 1;
    }
    matrix = std::move(cells);
    nTrees = T;
    nClusters = clusters.size();
    return true;
}

bool Trees2Bin(Reporter& reporter, const std::string& fileName, TreeClusterMatrix& matrix, bool developerCheck) {
    matrix = TreeClusterMatrix{};
    TreeLines lines;
    std::vector<ParsedTree> trees;
    if (!ReadTreeFile(reporter, fileName, lines) || !ParseTreeLines(reporter, fileName, lines, trees)) return false;
    TreeClusterMatrix result;
    if (!Trees2BinMatrix(reporter, trees, result)) return false;
    if (result.Clusters == 0) {
        reporter.Error("No clusters found in the tree file:\r\n" + fileName);
        return false;
    }
    result.TreeNames = TreeNames(lines, trees);
    if (developerCheck) {
        AByte second;
        std::size_t nTrees = 0;
        std::size_t nClusters = 0;
        if (!Trees2BinB(trees, second, nTrees, nClusters))
            SelfCheckBox(reporter, "new trees2bin - second computation ended early");
        else if (nTrees != result.Trees || nClusters != result.Clusters)
            SelfCheckBox(reporter, "FAILED\r\n" + UIntToStr(nTrees) + "-" + UIntToStr(result.Trees) + "\r\n" +
                                       UIntToStr(nClusters) + "-" + UIntToStr(result.Clusters));
        else SelfCheckBox(reporter, second == result.Matrix ? "new trees2bin - OK" : "new trees2bin matrix mismatch");
    }
    matrix = std::move(result);
    return true;
}
