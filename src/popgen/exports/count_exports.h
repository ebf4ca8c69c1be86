// Per-population summaries for programs that read counts rather than the band matrix: Dfdist and
// BayeScan input (per group and locus, the individuals with and without the band), and the two
// files of the hybrid-index program (the band states of a test group and the band frequencies of
// two parental groups). Each group is taken on a temporary layer built from the current layer and
// the current locus set; the user's current layer, group and locus set are kept.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/random.h"
#include "foundation/types.h"
#include "popgen/data/dataset.h"

// The groups are a selection (one byte per group, 1 = export it); at least two must be selected,
// and each must have individuals in the current layer. With useMissing a missing cell counts as a
// presence with the probability fraction, and the expected presences P + M * fraction are rounded
// to a whole number by roundMode (0 nearest with ties to even, 1 down, 2 up, 3 towards zero). The
// fraction is taken as the decimal the user entered (0.1 is one tenth, so 10 % of 10 missing
// cells is exactly 1), and the rounding is exact.
bool ExportDfDist(TPopGenDataSet& ds, const std::string& fileName, const AByte& selection, bool useMissing,
                  float fraction, std::uint8_t roundMode);
bool ExportBayeScan(TPopGenDataSet& ds, const std::string& fileName, const AByte& selection, bool useMissing,
                    float fraction, std::uint8_t roundMode);

// The individuals file (FileName with "_indiv") holds the band states of the test group, the
// parents file (with "_parents") the band frequencies of the two parental groups after their
// missing cells were replaced with replaceFraction (one draw of random per missing cell), over
// the current locus set. With a selection current, the whole data are used (warning) and stay
// current. Both files are built before either is written.
bool ExportHINDEX(TPopGenDataSet& ds, const std::string& fileName, std::size_t parent1, std::size_t parent2,
                  std::size_t testGroup, float replaceFraction, RandomStream& random);

// presences + missing * fraction rounded as above.
std::size_t ExpectedPresences(std::size_t presences, std::size_t missing, float fraction, std::uint8_t roundMode);
