// The engine's codes and their one name table each (foundation/code.h says how numbers become
// codes). The shell's setting names call these where the texts are the same.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/code.h"

// Pairwise coefficients; 3-5 (and 7) are distances.
enum class Coefficient : std::uint8_t {
    Jaccard = 0,
    Dice = 1,
    SMC = 2,
    NeiLi = 3,
    Euclidean = 4,
    SqEuclidean = 5,
    UserSimilarity = 6,
    UserDistance = 7,
};

// Missing-data treatments, named as for a similarity: Minimum is the pessimistic bound (for a
// distance coefficient the maximum distance), Maximum the optimistic one.
enum class Treatment : std::uint8_t {
    Standard = 0,
    Minimum = 1,
    Maximum = 2,
    Average = 3,
    Preference = 255,
};

// Distance transformations: 0-2 turn a similarity s into a distance, 3-5 transform a distance d.
enum class Transformation : std::uint8_t {
    OneMinusS = 0,      // d = 1 - s
    SqrtOneMinusS = 1,  // d = SQRT(1 - s)
    SqOneMinusS = 2,    // d = SQ(1 - s)
    D = 3,              // d' = d
    SqrtD = 4,          // d' = SQRT(d)
    SqD = 5,            // d' = SQ(d)
};

// Weighting schemes of the pair counts.
enum class Weighting : std::uint8_t {
    None = 0,
    State = 1,
    StateComb = 2,
    Loci = 3,
    LociIndiv = 4,
};

// Allele-frequency methods; 2-4 are the Bayesian method with its three priors.
enum class FreqMethod : std::uint8_t {
    SquareRoot = 0,
    LynchMilligan = 1,
    Bayesian = 2,
    BayesianAmongPopulations = 3,
    BayesianAmongLoci = 4,
};

// Population distances.
enum class PopDistance : std::uint8_t {
    Chord = 0,
};

// False for the similarity coefficients 0, 1, 2 and 6; true for every other code.
bool IsDistanceCoeff(Coefficient code);

std::string CoeffToStr(Coefficient code);
// Long or short form; Minimum and Maximum swap for a distance coefficient (IsDistanceCoeff).
std::string SimMethodToStr(bool shortForm, Treatment mode, Coefficient coefficient);
std::string PopDistToStr(PopDistance code);
std::string WeightingToStr(Weighting code);
std::string DistXFToStr(Transformation code);
std::string AlleleFreqMethodToStr(FreqMethod code);
// Method 2 (Bayesian) with prior p names code 2 + p; any other method names itself.
std::string AlleleFreqMethodToStr2(FreqMethod method, std::uint8_t prior);
