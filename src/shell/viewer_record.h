// What a principal coordinate analysis hands to the 3-D viewer, and the routine that opens it.
#pragma once

#include <cstdint>

#include "foundation/types.h"
#include "popgen/data/groups.h"

struct TPCoAViewerRec {
    AString OTUNames;                  // one per coordinate row, appended centroids included
    TFilterArray Groups;               // the data set's groups, for colouring and shaping by group
    AAExt Coords;                      // one row per OTU, one column per axis
    AExt EigenPercents;                // each axis's share of the positive eigenvalues, in per cent
    std::int32_t Centroids = 0;        // centroid rows at the end of Coords
    bool IncludeTrailing = true;    // the centroid rows are shown too
};

// How the viewer opens: loaded with a record, or empty (points can be imported there).
enum class PCoAViewerMode : std::uint8_t { Result = 0, Empty = 1 };

// The viewer is modal: this returns when the user has closed it. Result without a record is
// refused with "DisplayPCoAViewer: Invalid setup params".
void DisplayPCoAViewer(PCoAViewerMode mode, const TPCoAViewerRec* rec);
