// Distances between populations (groups) rather than individuals: the chord distance from the
// null-allele frequency estimates, and the mean individual distance between two groups. Both fill a
// derived layer whose rows are groups and whose packed matrix holds the distances, so that trees
// and reports use it like any distance matrix.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/types.h"
#include "popgen/data/codes.h"
#include "popgen/data/dataset.h"

// How MakePopLayer lists the groups of the allele-frequency record.
struct PopLayerOrder {
    bool Reversed = false;  // from the last record entry to the first
    bool DropLast = false;  // with Reversed: without the record's last entry, when that is "AllData"
};

// Target becomes an empty layer of the groups of the current layer's allele-frequency record (their
// short names, in the order). No band data, no matrix. False, reported, without a record.
bool MakePopLayer(TPopGenDataSet& ds, std::size_t target, PopLayerOrder order);

// The chord distances of the current layer's estimates into target, which becomes current with
// transformation 3 (d' = d). False, reported, without an estimate.
bool ChordDistMatrix(TPopGenDataSet& ds, std::size_t target);

// MakePopLayer(target, {.DropLast = true}), then the distance of the kind into it. False, reported, for an
// unknown kind ("Unknown population distance") or a failed distance.
bool PopDist(TPopGenDataSet& ds, PopDistance kind, std::size_t target);

// The mean distance of the current layer's matrix over all pairs of an individual of one group and
// one of the other, for every two groups other than "AllData", into target (full group names); the
// current layer and the transformation stay. False, reported, with "Cannot proceed" (no matrix, or
// masks or groups that do not fit the layer) or "AvgInd2PopDist:  No groups to work with!".
bool AvgInd2PopDist(TPopGenDataSet& ds, std::size_t target);

// The report of the current layer (the population layer) for the kind and the allele-frequency
// method 0-4: 0 or the system error of the write.
int OutputPopDist2File(const TPopGenDataSet& ds, PopDistance kind, FreqMethod method, const std::string& fileName,
                       bool append);
