// Welch's t-test of two means known with their variances (Shannon's indices of two groups).
#pragma once

#include <cstdint>

#include "foundation/types.h"

// Degrees of freedom (varA + varB)^2 / (varA^2 / sizeA + varB^2 / sizeB), rounded up when not whole
// (the sizes as given, not less one). -1 when a size is 0 or the value is not a finite number.
std::int64_t WelchDF(std::uint32_t sizeA, std::uint32_t sizeB, Extended varA, Extended varB);
// (indexB - indexA) / sqrt(varA + varB).
Extended TStatistic(Extended indexA, Extended indexB, Extended varA, Extended varB);
// Two-sided Student t probability of |t| with df degrees of freedom; sets the math error code.
Extended TDistProb(std::int32_t df, Extended t);
