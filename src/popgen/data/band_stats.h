// Descriptive statistics of a band matrix: cell counts per individual and per locus, fixed,
// monomorphic and polymorphic loci, bands per individual, missing fractions and band frequencies.
//
// Unless a routine names a layer, it works on the data set's current layer. Individuals and loci
// are numbered from 1; an index outside the layer counts nothing.
//
// Locus classes, with p presences, a absences and m missing cells at a locus:
//   fixed for presence  a = 0 and p >= m
//   fixed for absence   p = 0 and a >= m
//   monomorphic         fixed for presence or for absence; polymorphic otherwise
// so a locus whose cells are all missing is polymorphic (it is fixed for neither).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/types.h"
#include "popgen/data/dataset.h"

// ---- counts ------------------------------------------------------------------------------------

// Cells of individual i equal to s, over all loci.
std::size_t CountIndState(const TPopGenDataSet& ds, std::size_t i, std::uint8_t s);
// Cells of locus l equal to s, over all individuals.
std::size_t CountLocState(const TPopGenDataSet& ds, std::size_t l, std::uint8_t s);
// The same in layer `layer` (0-5).
std::size_t CountLocStateInLayer(const TPopGenDataSet& ds, std::size_t layer, std::size_t l, std::uint8_t s);
// The cell of individual i at locus l; kMissing outside the layer.
std::uint8_t GetState(const TPopGenDataSet& ds, std::size_t i, std::size_t l);
// All cells equal to 1.
std::size_t CountPresences(const TPopGenDataSet& ds);

// 100 x missing cells / cells; 0 for a layer without cells.
Extended PercentMissing(const TDSLayer& layer);
Extended PercentMissing(const TPopGenDataSet& ds);
// Missing cells of individual i / loci, of locus l / individuals (0 for an empty layer).
Extended IndMissingFraction(const TPopGenDataSet& ds, std::size_t i);
Extended LocMissingFraction(const TPopGenDataSet& ds, std::size_t l);

// ---- locus classes -----------------------------------------------------------------------------

bool IsFixedForPresence(std::size_t p, std::size_t a, std::size_t m);
bool IsFixedForAbsence(std::size_t p, std::size_t a, std::size_t m);

// Loci minus those fixed for presence minus those fixed for absence.
std::size_t NumPolymorphicLoci(const TPopGenDataSet& ds);
bool IsPolymorphicLocus(const TPopGenDataSet& ds, std::size_t l);
// The fixed loci NumMonomorphicLoci counts.
struct MonomorphicKinds {
    bool FixedPresent = false;  // every scored cell a presence
    bool FixedAbsent = false;   // every scored cell an absence
};
// The loci of the kinds. A locus whose counts do not add up to the individuals (a cell code other
// than 0, 1, 9) ends the count with "Data matrix error." and 0.
std::size_t NumMonomorphicLoci(TPopGenDataSet& ds, MonomorphicKinds kinds);
// Loci fixed for presence.
std::size_t NumFixedBands(const TPopGenDataSet& ds);

// ---- bands per individual and frequencies ------------------------------------------------------

// Mean, standard deviation and variance of the presences per individual; with one individual the
// variance and sd are -1.0 (undefined), without any all three are 0.
void MeanBandsPerInd(const TPopGenDataSet& ds, Extended& mean, Extended& sd, Extended& variance);
// The same counting every missing cell as a presence.
void MeanBandsPerIndMD(const TPopGenDataSet& ds, Extended& mean, Extended& sd, Extended& variance);

// Per individual: presences / loci.
void IndBandFreqs(const TPopGenDataSet& ds, AExt& freqs);
// The current layer's LocFreqs: presences per locus divided by the individuals (perInd) or by all
// presences of the layer (so that they sum to 1); the divisor goes to LocFreqDivisor. A divisor
// of 0 gives frequencies of 0. False without a current band matrix.
bool FillLocusBandFreqs(TPopGenDataSet& ds, bool perInd);
// FillLocusBandFreqs, then a copy of the frequencies.
bool LocusBandFreqs(TPopGenDataSet& ds, bool perInd, AExt& freqs);
// Per selected group (grpMask: one byte per group, 1 = selected; group order, group 0 included
// when selected) the locus band frequencies of the group's individuals over the current locus set.
// A selection or temporary layer gives way to layer 1 ("GrpFreqPerLoc: Switching to AllData"),
// which stays current; the current group and locus set are kept. A group without individuals in
// the data gets frequencies of 0.
bool GrpFreqPerLoc(TPopGenDataSet& ds, const AByte& grpMask, bool perInd, AAExt& freqs);

// ---- small helpers -----------------------------------------------------------------------------

void CopyStrArray(AString& target, const AString& source);
// target := the items whose mask byte is 1, when items and mask have the same length; otherwise
// false and target unchanged.
bool MaskStrs(AString& target, const AString& items, const AByte& mask);
// One byte per group, all 1; without includeFirst the first is 0 when there are at least two.
void GroupMaskAll(const TPopGenDataSet& ds, bool includeFirst, AByte& mask);

// The 0-based rows (kind Individuals) or columns (kind Loci) of `layer` that belong to a set whose
// mask is over layer 0 (or, when as long as the layer, over the layer itself). False when the
// lengths fit neither way.
bool SetPositionsInLayer(const TPopGenDataSet& ds, const TDSLayer& layer, const AByte& setMask, SetKind kind,
                         std::vector<std::size_t>& positions);
