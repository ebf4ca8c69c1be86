// The straightforward tree and eigen-solver paths the program's fast ones must match bit for bit:
// every UPGMA step rescans and copies the whole matrix, neighbour joining copies the packed
// matrix after every join, and PCoA runs JacobiEigen (row-major upper triangle, eigenvectors in
// columns) afresh on every retry.
#pragma once

#include <cstddef>
#include <string_view>

#include "foundation/packed_matrix.h"
#include "foundation/reporter.h"
#include "foundation/types.h"
#include "trees/dist_analysis.h"
#include "trees/pcoa.h"
#include "trees/tree_records.h"

// UPGMA as a sequence of whole-matrix steps: shortest distance, pairs at it, linked set, nodes,
// next id table, next matrix.
bool ReferenceUPGMA(Reporter& reporter, const PackedMatrix& matrix, std::size_t n, const AString* labels,
                    PackedNodes& nodes);

// Neighbour joining of the analysis on a packed copy that is rebuilt after every join; fills the
// analysis's Tree as TDistAnalysis::NJ does.
bool ReferenceNJ(TDistAnalysis& analysis, std::string_view title);

// PCoA of the analysis that redoes the whole eigen-decomposition on every retry; fills the same
// fields as TDistAnalysis::PCoA.
bool ReferencePCoA(TDistAnalysis& analysis, std::size_t maxIterations, Extended precision);
