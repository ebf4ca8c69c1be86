// Tree series: the steps distance matrix, tree and tree text repeated many times on data that is
// drawn again for each tree, returning the tree texts one per line (for the tree file, consensus
// and R-support):
// - MultiAvgTrees: every matrix drawn again by a Monte-Carlo treatment of the current layer;
// - BsTrees: every tree from a replicate of the current layer's loci drawn with replacement;
// - BsPopTrees: every tree from population distances of such a replicate.
//
// A series works on scratch data of its own: the data set's layers, their matrices and
// analyses, the kernel choice and the distance options are as they were afterwards, and the
// layer that was current is current again (a temporary layer above 2 gives way to the working
// copy, with a warning, and that stays current). Draws come from the stream given in the
// order of a sequential run, so a series is reproducible from the seed; replicates whose matrix
// draws nothing are built on all cores with the same result. Names that the tree text's cut makes
// equal are warned about once per series.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/random.h"
#include "foundation/types.h"
#include "popgen/data/codes.h"
#include "popgen/data/dataset.h"
#include "trees/dist_analysis.h"

struct TreeSeriesOptions {
    TreeKind Kind = TreeKind::UPGMA;
    Treatment Mode = Treatment::Standard;
    Coefficient Coeff = Coefficient::Jaccard;
    Transformation Transform = Transformation::OneMinusS;
    Extended NeiLiR = 6.0L;
    std::size_t Draws = 100;  // of the Average treatment
    std::size_t NTrees = 100;
};

// The text of the tree an analysis just built, by its kind: the UPGMA text, or the
// neighbour-joining tree written out. Empty for an unknown kind.
std::string SeriesTreeText(const TDistAnalysis& analysis, TreeKind kind);

// NTrees trees, each from a new matrix of the current layer under the options (titles "Avg" +
// coefficient + draws + "x" + number, e.g. "AvgJaccard100x1"). False, reported, when a matrix or
// a tree cannot be made; trees is then empty.
bool MultiAvgTrees(TPopGenDataSet& ds, const TreeSeriesOptions& options, RandomStream& random, AString& trees);

// NTrees trees, each from a bootstrap replicate of the current layer's loci (titles "Bs" +
// treatment + coefficient + number, e.g. "BsStdJaccard1"). False, reported, as above.
bool BsTrees(TPopGenDataSet& ds, const TreeSeriesOptions& options, RandomStream& random, AString& trees);

struct PopTreeOptions {
    TreeKind Kind = TreeKind::UPGMA;
    FreqMethod Method = FreqMethod::BayesianAmongPopulations;  // of the allele-frequency estimates
    PopDistance Measure = PopDistance::Chord;
    bool UseMissing = true;  // a missing cell counts as 1 - MissingShare absences
    float MissingShare = 0.5f;
    Extended Correction = 0.01L;  // of the Bayesian estimates
    std::size_t NTrees = 100;
};

// NTrees trees of the groups (without "AllData"), each from population distances of a bootstrap
// replicate of the current layer's loci (titles the distance's name + number, e.g. "Chord1"). The
// replicate is drawn into layer 5 and its distances go to layer 4; the layer that was current and
// the transformation are restored. False, reported, as above.
bool BsPopTrees(TPopGenDataSet& ds, const PopTreeOptions& options, RandomStream& random, AString& trees);
