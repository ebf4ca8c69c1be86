// Pairwise PhiST: for every two groups a one-level AMOVA with the two groups as its populations;
// its PhiST becomes the distance of the pair in a derived layer whose rows are the groups, with a
// packed matrix and no band data, so that trees and reports use it like any distance matrix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "foundation/types.h"
#include "popgen/data/codes.h"
#include "popgen/data/dataset.h"

// The groups a pairwise run compares: the preset list when given, otherwise every group from 1 on
// whose level is phiLevel (every group from 1 on for kAllLevels), in index order.
std::vector<std::size_t> PhiSTGroupList(const TPopGenDataSet& ds, std::uint8_t phiLevel,
                                        const std::vector<std::size_t>& presetGroups);

// The set-up on the current layer: a selection gives way to the working copy (Select(0, 0)), the
// locus sets and the locus mask are checked, and target becomes an empty group layer of the listed
// groups (their short names, one row each, a zeroed packed matrix). False, reported, with
// "Locus Filter not initialised!" or "AMOVA: LocMAsk not set!!".
bool PreparePwPhiST(TPopGenDataSet& ds, std::size_t target, const std::vector<std::size_t>& groups);

// The matrix into layer target, which becomes current with transformation 3 (transform := 3).
// With recalc, installs the kernel of (mode, coefficient) and the transformation and fills the
// working copy's allele-frequency record (FillBiAlleleRec with useMissing and missingShare, "AllData"
// included); the working copy's matrices are not touched. A failed run (df(WP) = 0, a group without
// individuals, an unusable distance) clears the target, gives the working copy back its previous
// record, restores the previous current layer and returns false. The rows are named after the
// compared groups themselves, so names and rows always match. The Average treatment draws from
// random.
bool PwPhiST(TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, bool recalc, std::size_t target,
             bool useMissing, float missingShare, std::size_t draws, Extended neiLiR, RandomStream& random,
             Transformation& transform);

// The report of the current layer (the PhiST layer) to fileName: 0 or the system error of the write.
int OutputPwPhiST2File(const TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, Transformation transform,
                       const std::string& fileName, bool append);
