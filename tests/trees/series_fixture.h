// Two data sets over the same band rows: one runs a tree series, the other rebuilds each
// replicate by hand through the data set's own layers and its distance analysis.
#pragma once

#include <string>
#include <vector>

#include "../popgen/band_fixture.h"
#include "foundation/random.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/data/resampling.h"
#include "trees/dist_analysis.h"
#include "trees/tree_series.h"

// Eight individuals over eighteen loci, with missing cells.
inline const std::vector<std::string>& SeriesRows() {
    static const std::vector<std::string> rows = {"110100111010011019", "110110101010011010", "100101111011011110",
                                                  "110101111010111011", "011011010101100111", "011011000101101101",
                                                  "011111010101100191", "111011010100100101"};
    return rows;
}

// Random rows of n individuals over m loci (about 5 % missing), from a seed.
inline std::vector<std::string> RandomRows(std::size_t n, std::size_t m, std::uint32_t seed) {
    RandomStream r(seed);
    std::vector<std::string> rows(n, std::string(m, '0'));
    for (std::string& row : rows)
        for (char& c : row) {
            const std::uint32_t x = r.Random(100);
            c = x < 5 ? '9' : (x < 50 ? '1' : '0');
        }
    return rows;
}

inline DistRunOptions RunOf(const TreeSeriesOptions& o) { return {o.Mode, o.Coeff, o.Transform, o.NeiLiR, o.Draws}; }

// The tree of the current layer's matrix, by the tree commands' steps.
inline std::string TreeByHand(TPopGenDataSet& ds, const TreeSeriesOptions& o, const std::string& title) {
    if (!CalcDistMatrix(ds, RunOf(o), ProgramRandom())) return "(matrix failed)";
    TDistAnalysis& analysis = MakeDistAnalysis(ds);
    if (!analysis.BuildTree(o.Kind, title)) return "(tree failed)";
    std::string text;
    analysis.TreeText(o.Kind, false, text);
    return text;
}

// A bootstrap series by hand: layer 4 resampled from layer 1, one tree each.
inline AString BootstrapByHand(BandDataSet& data, const TreeSeriesOptions& o, const std::string& prefix) {
    TPopGenDataSet& ds = data.ds;
    AString trees;
    for (std::size_t i = 1; i <= o.NTrees; ++i) {
        ds.CurLayer = 1;
        InitLayerLikeCurrent(ds, 4, true);
        BootstrapLoci(ds, 4, {}, ProgramRandom());
        ds.CurLayer = 4;
        trees.push_back(TreeByHand(ds, o, prefix + std::to_string(i)));
    }
    ds.CurLayer = 1;
    return trees;
}
