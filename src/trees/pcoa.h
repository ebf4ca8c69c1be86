// Principal coordinate analysis (TDistAnalysis::PCoA): the centred matrix whose eigenvectors the
// Jacobi solver of numeric/jacobi.h finds.
#pragma once

#include "numeric/jacobi.h"

class TDistAnalysis;

// The double-centred matrix of -d²/2 of the analysis's distances (diagonal taken as 0).
ExtMatrix CentredMatrix(const TDistAnalysis& analysis);
