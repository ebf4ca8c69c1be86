// The comparison of two individuals of the current layer, locus by locus: their joint band states,
// each one's shares of present, missing and absent cells, how often they differ, and their distance
// under the four missing-data treatments.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "foundation/types.h"
#include "popgen/data/codes.h"
#include "popgen/data/dataset.h"

// The states in the order of the table's rows and columns.
inline constexpr std::array<std::uint8_t, 3> kPwicStates = {kPresent, kAbsent, kMissing};

struct IndividualShares {
    float Present = 0.0f;  // per cent of the loci
    float Missing = 0.0f;
    float Absent = 0.0f;
};

struct PairwiseComparison {
    // Counts[r][c]: loci where the first individual shows kPwicStates[r] and the second
    // kPwicStates[c] (weighted counts under a weighting scheme).
    std::array<std::array<Extended, 3>, 3> Counts{};
    std::array<IndividualShares, 2> Shares{};
    float Differences01 = 0.0f;   // per cent of loci with 1 against 0
    float Differences019 = 0.0f;  // ... with any two different states
    // Distances under treatment Standard, Average, Minimum (treatment 2) and Maximum (treatment 1).
    Extended StdDistance = 0.0L;
    Extended AvgDistance = 0.0L;
    Extended MinDistance = 0.0L;
    Extended MaxDistance = 0.0L;
};

// Compares individuals i1 and i2 (1-based, may be equal) of the current layer with the coefficient
// and transformation given. The Average treatment draws from the program's random stream. False,
// with the result left alone, when the layer holds no band data or an individual is outside it.
bool CompareIndividuals(TPopGenDataSet& ds, std::size_t i1, std::size_t i2, Coefficient coefficient,
                        Transformation transform, PairwiseComparison& result);

// How the dialog shows them: counts as whole numbers, percentages with 3 decimals, distances with 10.
std::string PwicCountText(Extended count);
std::string PwicPercentText(float percent);
std::string PwicDistanceText(Extended distance);
