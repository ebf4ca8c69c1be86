// Tree files: the consensus threshold comes from the end of the input (50 % when it ends in text),
// the file is the rest. Any text either reads into trees or is refused with one message; a
// consensus holds exactly the clusters found in enough trees and reads back to them, also as the
// only tree of a file (unless OTU names agree in their first 20 characters); the cluster matrix
// has a cell per tree and cluster and distinct row names. Inputs that begin with "N" make names
// (with blanks, quotes, brackets, control characters, bytes that are not UTF-8) that the tree
// writers write and the reader, the consensus and the cluster matrix read back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "trees/cluster_list.h"
#include "trees/cluster_matrix.h"
#include "trees/consensus.h"
#include "trees/tree_reading.h"
#include "trees/tree_records.h"
#include "trees/tree_series.h"
#include "trees/tree_text.h"

namespace {

struct Recording {
    std::vector<std::string> errors;
    Reporter reporter{[this](const std::string& msg) { errors.push_back(msg); }};
    std::string Errors() const {
        std::string text;
        for (const std::string& e : errors) text += e + " | ";
        return text;
    }
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

bool Carried(std::string_view name) {
    return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

// A name from the input: its bytes, now and then with one of the characters tree text must guard
// put in front, behind or in the middle.
std::string HostileName(FuzzedDataProvider& in) {
    static constexpr std::string_view kHostile[] = {" ", "\t", "'",    "''",   "[",    "]",        "(",    ")", ",",
                                                    ":", ";",  "\x01", "\x7f", "\xe9", "\xc3\xbc", "\xc3", "<", ">"};
    constexpr std::size_t kCount = std::size(kHostile);
    std::string name = in.ConsumeRandomLengthString(30);
    const std::size_t pick = in.ConsumeIntegral<std::uint8_t>();
    if (pick < 3 * kCount) {
        const std::size_t where = pick / kCount;
        name.insert(where == 0 ? 0 : where == 1 ? name.size() : name.size() / 2, kHostile[pick % kCount]);
    }
    return name;
}

// A tree line read back: its names (cut as the first consensus method holds them) are the names
// it was written from, and its title too.
void CheckReadBack(const std::string& line, const AString& sortedNames, const std::string& title,
                   const std::string& what) {
    ParsedTree tree;
    std::string reason;
    fuzz::Check(ParseTreeLine(line, tree, reason), what + " does not read back: " + line + ": " + reason);
    AString read;
    TreeOTUNames(tree, read);
    std::sort(read.begin(), read.end());
    fuzz::Check(read == sortedNames && tree.Names.size() == sortedNames.size(),
                what + " reads back to other names: " + line);
    fuzz::Check(tree.RootLabel == title, what + " reads back with another title: " + line);
}

// Names written by the program's writers, read back by its reader, its consensus and its cluster
// matrix: a packed caterpillar ((n1, n2), n3), ... and a UPGMA or NJ tree of the names over
// distances from the input. Every name comes back as its first 20 characters, the title too; a
// name or title that a line cannot carry (NUL, CR, LF) is refused with one error and no text.
void NamesRoundTrip(FuzzedDataProvider& in) {
    AString names;
    while (names.size() < 8 && in.remaining_bytes() > 0) names.push_back(HostileName(in));
    if (names.size() < 2) return;
    std::string title = in.ConsumeRandomLengthString(24);
    // A title holding "<" is an angle label to the reader (the consensus writes "<TreeID~r>").
    if (title.find('<') != std::string::npos) title = "T";
    const std::string cutTitle = TreeName(title);
    AString cut;
    bool carried = Carried(cutTitle);
    for (const std::string& name : names) {
        cut.push_back(TreeName(name));
        carried = carried && Carried(cut.back());
        if (cut.back().empty()) return;  // no name of a tree: the loaders refuse it
    }
    AString sorted = cut;
    std::sort(sorted.begin(), sorted.end());
    const bool distinct = std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
    const std::size_t n = names.size();

    PackedNodes nodes;
    for (std::size_t i = 0; i < n; ++i) nodes.push_back({i + 1, names[i], 0.5L, i == 0 ? n + 1 : n + i, 0, 0});
    for (std::size_t k = n + 1; k < 2 * n; ++k) nodes.push_back({k, "", 0.5L, k + 1 < 2 * n ? k + 1 : 0, 2, 0});
    for (PackedNode& node : nodes) node.Name = TreeName(node.Name);  // as DendrogramToPacked cuts them
    Recording packed;
    std::string text;
    const bool written = DendrogramToText(packed.reporter, nodes, title, text);
    fuzz::Check(carried ? written && packed.errors.empty() : !written && text.empty() && packed.errors.size() == 1,
                carried ? "a packed tree of names is not written" : "a name a line cannot carry was written");

    Recording built;
    TDistAnalysis analysis(built.reporter);
    analysis.NOTU = n;
    analysis.OTUNames = names;
    analysis.Dist.assign(PackedSize(n), 0.0L);
    for (std::size_t i = 2; i <= n; ++i)
        for (std::size_t j = 1; j < i; ++j)
            analysis.Dist[PairIndex(i, j)] = static_cast<Extended>(in.ConsumeIntegralInRange<int>(1, 1000)) / 100.0L;
    const TreeKind kind = n >= 3 && in.ConsumeBool() ? TreeKind::NJ : TreeKind::UPGMA;
    const std::string builtText = analysis.BuildTree(kind, title) ? SeriesTreeText(analysis, kind) : std::string();
    fuzz::Check(carried ? !builtText.empty() && built.errors.empty() : builtText.empty() && built.errors.size() == 1,
                carried ? "a built tree of names is not written: " + built.Errors()
                        : "a built tree of names a line cannot carry was written");
    if (!carried) return;

    if (!distinct) {
        // Names the cut makes equal: the reader refuses a tree that names an OTU twice.
        ParsedTree tree;
        std::string reason;
        fuzz::Check(!ParseTreeLine(text, tree, reason) && !ParseTreeLine(builtText, tree, reason),
                    "a tree naming an OTU twice was read");
        return;
    }
    CheckReadBack(text, sorted, cutTitle, "a packed tree");
    CheckReadBack(builtText, sorted, cutTitle, "a built tree");

    // Both trees as a tree file: the consensus lines and the cluster matrix hold the same names.
    const std::string file = fuzz::Scratch().Write("names.ph", text + "\r\n" + builtText + "\r\n");
    Recording run;
    TTrees options;
    ConsensusResult result;
    fuzz::Check(options.Consensus(run.reporter, 50, true, file, result) && run.errors.empty(),
                "the consensus of written trees failed: " + run.Errors());
    fuzz::Check(result.Match, "the two methods differ on written trees");
    // The whole set, in both trees, is labelled 100.
    CheckReadBack(result.Text, sorted, "100", "a consensus line");
    Recording matrix;
    TreeClusterMatrix m;
    fuzz::Check(Trees2Bin(matrix.reporter, file, m) && matrix.errors.empty() && m.Trees == 2,
                "the cluster matrix of written trees failed: " + matrix.Errors());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    if (size > 0 && data[0] == 'N') {
        FuzzedDataProvider names(data + 1, size - 1);
        NamesRoundTrip(names);
        return 0;
    }
    FuzzedDataProvider in(data, size);
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
