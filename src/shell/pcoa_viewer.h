// What a principal coordinate analysis hands to the 3-D viewer, and the routine that opens it.
#pragma once

#include <cstdint>

#include "foundation/types.h"
#include "popgen/groups.h"

struct TPCoAViewerRec {
    AString OTUNames;                  // one per coordinate row, appended centroids included
    TFilterArray Groups;               // the data set's groups, for colouring and shaping by group
    AAExt Coords;                      // one row per OTU, one column per axis
    AExt EigenPercents;                // each axis's share of the positive eigenvalues, in per cent
    std::int32_t Centroids = 0;        // centroid rows at the end of Coords
    std::uint8_t IncludeTrailing = 1;  // 1: the centroid rows are shown too
};

// Viewer modes: 1 opens the viewer empty (points can be imported there); any other mode loads
// the record into it. The viewer is modal: this returns when the user has closed it.
inline constexpr int kPCoAViewerEmpty = 1;
inline constexpr int kPCoAViewerResult = 0;

// A mode other than kPCoAViewerEmpty without a record is refused with
// "DisplayPCoAViewer: Invalid setup params".
void DisplayPCoAViewer(int mode, const TPCoAViewerRec* rec);
