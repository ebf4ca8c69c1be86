// The population-genetic commands of the Analysis menu: null-allele frequencies, AMOVA, the pairwise
// PhiST matrix and the chord population distances. Each ends "failed." and writes no report when its
// engine call failed.
#pragma once

#include <cstdint>

#include "foundation/types.h"
#include "popgen/data/codes.h"

// Estimates the null-allele frequencies of every group (with "AllData") by the method and writes
// them to the analysis file. The missing-data settings are read by the command (RMD,
// MDReplaceFraction, CorrFactor); rmd and fraction are accepted for the menu's sake.
void CmdEstimateAlleleFreq(FreqMethod method, bool rmd, float fraction);

// AMOVA with one (levels 1) or two (levels 2) levels above the individuals, with randomisations and
// optionally locus by locus; shows the summary and writes the report when the user asks for it.
void CmdAMOVA(std::uint8_t levels, Treatment simMethod, Coefficient coefficient, Transformation transformation,
              Extended neiLiR, std::int32_t jcRandomDraws, std::int32_t randomisations, bool locByLoc);

// The pairwise PhiST matrix of the groups becomes the current (derived) data, after the user has
// agreed to lose the data matrix in memory; written to the analysis file when DistOutput is 1.
// rmd and mdFraction go to the working copy's allele-frequency record, which the run fills (a
// missing cell counts as 1 - mdFraction of an absence when rmd).
void CmdPairwisePhiST(Treatment simMethod, Coefficient coefficient, Transformation transformation, Extended neiLiR,
                      std::int32_t jcRandomDraws, bool rmd, float mdFraction);

// The chord distances between the groups (at least three besides "AllData") from the null-allele
// frequencies by method 0-4 become the current (derived) data; written when writeToFile. A missing
// cell counts as 1 - mdFraction of an absence when rmd. The DistTransformation setting is left as
// the user chose it.
void CmdPopulationDistance(PopDistance measure, FreqMethod method, bool rmd, float mdFraction, bool writeToFile);
