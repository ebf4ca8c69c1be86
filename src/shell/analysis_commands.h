// The commands of the Analysis menu.
#pragma once

#include <cstdint>

#include "foundation/types.h"

// The (dis)similarity matrix of the current layer under a missing-data treatment (0 Standard,
// 1 Minimum, 2 Maximum, 3 Average), written to the analysis output file as the two output flags
// ask. Names the matrix DistMatrixName (e.g. "StdJaccard"). A failed run leaves the layer's
// matrices as they were before it.
void CmdCalculateMatrix(std::uint8_t treatment, std::uint8_t coefficient, std::uint8_t transformation,
                        Extended neiLiR, std::int32_t jcRandomDraws, std::uint8_t simOutput,
                        std::uint8_t distOutput);
