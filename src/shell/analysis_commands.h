// The commands of the Analysis menu.
#pragma once

#include <cstdint>

#include "foundation/types.h"
#include "popgen/data/codes.h"

// The (dis)similarity matrix of the current layer under a missing-data treatment, written to the
// analysis output file as the two output flags ask. Names the matrix DistMatrixName (e.g.
// "StdJaccard"). A failed run leaves the layer's matrices as they were before it.
void CmdCalculateMatrix(Treatment treatment, Coefficient coefficient, Transformation transformation, Extended neiLiR,
                        std::int32_t jcRandomDraws, bool simOutput, bool distOutput);
