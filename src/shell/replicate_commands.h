// The tree series of the Replicate Analyses menu: bootstrap trees, averaged trees and bootstrapped
// population trees, each series added to the tree output file, one tree per line.
#pragma once

#include <cstdint>

#include "foundation/types.h"
#include "popgen/data/codes.h"
#include "trees/dist_analysis.h"

// `replicates` trees of the kind from bootstrap replicates of the current layer's loci, each
// matrix under the treatment (Standard or Average) and coefficient.
void CmdBootstrapTrees(TreeKind treeType, Treatment treatment, Coefficient coefficient, Transformation transformation,
                       std::int32_t replicates, Extended neiLiR, std::int32_t jcRandomDraws);
// `replicates` trees of the kind, each from a new Average matrix of the current layer.
void CmdMultipleAvgTrees(TreeKind treeType, Coefficient coefficient, Transformation transformation,
                         std::int32_t replicates, Extended neiLiR, std::int32_t jcRandomDraws);
// `replicates` trees of the kind over the groups (at least three besides "AllData"), each from
// population distances of the measure on a bootstrap replicate of the loci, with allele frequencies
// estimated by the method.
void CmdBootstrapPopTree(TreeKind treeType, FreqMethod method, PopDistance measure, std::int32_t replicates, bool rmd,
                         float mdFraction);
