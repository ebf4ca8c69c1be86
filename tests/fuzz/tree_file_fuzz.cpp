// Tree files: the consensus threshold comes from the end of the input (50 % when it ends in text),
// the file is the rest. Any text either reads into trees or is refused with one message; a
// consensus holds exactly the clusters found in enough trees and reads back to them, also as the
// only tree of a file (unless OTU names agree in their first 20 characters); the cluster matrix
// has a cell per tree and cluster and distinct row names. Names written by the tree text writer
// read back as themselves (quoted) or without their blanks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "trees/cluster_list.h"
#include "trees/cluster_matrix.h"
#include "trees/consensus.h"
#include "trees/tree_reading.h"
#include "trees/tree_records.h"
#include "trees/tree_text.h"

namespace {

struct Recording {
    std::vector<std::string> errors;
    Reporter reporter{[this](const std::string& msg) { errors.push_back(msg); }};
};

using Clusters = std::set<std::set<std::string>>;

Clusters ClustersOf(const ParsedTree& tree) {
    Clusters out;
    for (const auto& group : tree.Groups) {
        std::set<std::string> c;
        for (std::size_t m : group.Members()) c.insert(tree.Names[m]);
        out.insert(c);
    }
    return out;
}

Clusters ClustersOfLine(const std::string& line) {
    ParsedTree tree;
    std::string reason;
    fuzz::Check(ParseTreeLine(line, tree, reason), "a consensus line does not read back: " + line + ": " + reason);
    return ClustersOf(tree);
}

// The clusters of the first method's list that the threshold keeps, by OTU names.
Clusters Kept(const std::vector<ParsedTree>& trees, std::uint32_t threshold) {
    Reporter quiet;
    OTUList otus;
    Clusters kept;
    if (!FirstTreeOTUs(quiet, trees, otus)) return kept;
    ClusterList list;
    FirstMethodClusters(quiet, trees, otus, list);
    const std::size_t required = TTrees::RequiredTrees(trees.size(), threshold);
    for (const TTrSetCluster& c : list.Entries()) {
        if (c.Count < required) continue;
        std::set<std::string> names;
        for (std::size_t i = 0; i < c.Mask.Size(); ++i)
            if (c.Mask.Test(i)) names.insert(otus[i]);
        kept.insert(names);
    }
    return kept;
}

bool IsReadBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

// The packed caterpillar of the names ((n1, n2), n3), ... written and read back: every leaf is the
// name it was written from, as the reader takes it, and the title comes back too.
void NamesRoundTrip(FuzzedDataProvider& in) {
    AString names;
    std::set<std::string> expected;
    while (names.size() < 8 && in.remaining_bytes() > 0) {
        const std::string name = TreeName(in.ConsumeRandomLengthString(30));
        std::string read = name;
        if (NewickName(name) == name) std::erase_if(read, IsReadBlank);
        // Names the reader cannot tell apart, or that leave nothing, are no names for a tree.
        if (read.empty() || !expected.insert(read).second) return;
        names.push_back(name);
    }
    if (names.size() < 2) return;
    PackedNodes nodes;
    const std::size_t n = names.size();
    for (std::size_t i = 0; i < n; ++i)
        nodes.push_back({i + 1, names[i], 0.5L, i == 0 ? n + 1 : n + i, 0, 0});
    for (std::size_t k = n + 1; k < 2 * n; ++k) nodes.push_back({k, "", 0.5L, k + 1 < 2 * n ? k + 1 : 0, 2, 0});
    const std::string title = names.front().find('<') == std::string::npos ? names.front() : "T";
    Reporter quiet;
    std::string text;
    fuzz::Check(DendrogramToText(quiet, nodes, title, text), "a packed tree of names is not written");
    ParsedTree tree;
    std::string reason;
    fuzz::Check(ParseTreeLine(text, tree, reason), "a written tree does not read back: " + text + ": " + reason);
    fuzz::Check(std::set<std::string>(tree.Names.begin(), tree.Names.end()) == expected && tree.Names.size() == n,
                "written names read back as other names: " + text);
    std::string titleRead = title;
    if (NewickName(title) == title) std::erase_if(titleRead, IsReadBlank);
    fuzz::Check(tree.RootLabel == titleRead, "a written title reads back as another: " + text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    FuzzedDataProvider in(data, size);
    if (size > 0 && data[0] == 'N') {
        in.ConsumeIntegral<std::uint8_t>();
        NamesRoundTrip(in);
        return 0;
    }
    std::uint32_t threshold = 50;
    bool labels = true;
    if (fuzz::WantsVariation(in)) {
        threshold = in.ConsumeIntegralInRange<std::uint32_t>(0, 110);
        labels = in.ConsumeBool();
    }
    const std::string file = fuzz::Scratch().Write("trees.ph", in.ConsumeRemainingBytesAsString());

    Recording read;
    TreeLines lines;
    std::vector<ParsedTree> trees;
    const bool parsed = ReadTreeFile(read.reporter, file, lines) && ParseTreeLines(read.reporter, file, lines, trees);
    fuzz::Check(parsed ? read.errors.empty() : read.errors.size() == 1, "a read reported no error or several");
    fuzz::Check(parsed || trees.empty(), "a refused file left trees behind");
    if (!parsed) return 0;

    Recording run;
    TTrees options;
    ConsensusResult result;
    const bool ok = options.Consensus(run.reporter, threshold, labels, file, result);
    fuzz::Check(ok == !result.Text.empty(), "a consensus result that contradicts its line");
    // The first method writes the OTU names cut to 20 characters; names that agree in their first
    // 20 characters are then written alike, and such a line is no tree to read back.
    AString cutNames;
    TreeOTUNames(trees.front(), cutNames);
    const bool cutNamesDistinct = std::set<std::string>(cutNames.begin(), cutNames.end()).size() == cutNames.size();
    if (!ok) {
        fuzz::Check(!run.errors.empty(), "a consensus failed without a message");
    } else if (!cutNamesDistinct) {
        fuzz::Check(!result.Match, "the methods agree on names cut alike");
    } else {
        // The outermost group holds every OTU, also when no tree count kept that cluster.
        const Clusters kept = Kept(trees, threshold);
        Clusters line = ClustersOfLine(result.Text);
        Clusters expected = kept;
        expected.insert(*std::max_element(line.begin(), line.end(),
                                          [](const auto& a, const auto& b) { return a.size() < b.size(); }));
        fuzz::Check(line == expected,
                    "the consensus line holds other clusters than those found in enough trees: " + result.Text);
        // The written line as the only tree of a file gives itself back.
        Recording again;
        ConsensusResult back;
        const std::string written = fuzz::Scratch().Write("constree.ph", result.Text + "\r\n");
        fuzz::Check(options.StrictConsensus(again.reporter, written, back) && again.errors.empty(),
                    "a consensus line is refused as input: " + result.Text);
        fuzz::Check(ClustersOfLine(back.Text) == line, "the consensus line read back to other clusters");
        fuzz::Check(back.Match, "the two methods differ on a consensus line");
    }

    Recording matrix;
    TreeClusterMatrix m;
    const bool built = Trees2Bin(matrix.reporter, file, m, true);
    fuzz::Check(built == matrix.errors.empty(), "the cluster matrix's verdict disagrees with its messages");
    if (built) {
        fuzz::Check(m.Trees == trees.size() && m.TreeNames.size() == m.Trees && m.Clusters > 0 &&
                        m.Matrix.size() == m.Trees * m.Clusters,
                    "a cluster matrix of another shape");
        fuzz::Check(std::set<std::string>(m.TreeNames.begin(), m.TreeNames.end()).size() == m.Trees,
                    "two trees with the same row name");
        for (std::size_t t = 0; t < m.Trees; ++t) {
            std::size_t held = 0;
            for (std::size_t k = 0; k < m.Clusters; ++k) held += m.Matrix[k * m.Trees + t];
            fuzz::Check(held == ClustersOf(trees[t]).size(), "a tree's column does not hold its clusters");
        }
    } else {
        fuzz::Check(m.Matrix.empty() && m.Trees == 0, "a failed matrix left cells behind");
    }
    return 0;
}
