// Filters that remove loci or individuals from the current layer, and the replacement of missing
// cells.
//
// A filter counts, per locus or individual of the current layer, the presences p, absences a and
// missing cells m, marks those that fail its test (strict comparisons: a value equal to the
// threshold stays), and copies the rest into the target layer, which becomes current. It returns
// the number removed: 0 when nothing qualified (nothing changed) or when it refused (everything
// would go, or the counts do not add up; reported).
//
// Layer 0 (the loaded data) is never written: a target of 0 means layer 1, the working copy. A
// copy that removes rows or columns leaves the target without the distance results of the old
// size (raw, distance, variance and SD matrices, the distance analysis, frequencies, weights and
// the AMOVA and allele-frequency records), so nothing is later built from a matrix of the old size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/random.h"
#include "foundation/types.h"
#include "popgen/data/dataset.h"

// Loci: p < m.
std::size_t RemoveLocMoreMDThanBands(TPopGenDataSet& ds, std::size_t target);
// Loci: m / NInd > f.
std::size_t RemoveLocMD(TPopGenDataSet& ds, std::size_t target, Extended f);
// Loci fixed for presence or for absence. While QuietMode is on a refusal sets QuietFailures
// instead of reporting (this one and RemoveMonomorphicAbsences).
std::size_t RemoveMonomorphicLoci(TPopGenDataSet& ds, std::size_t target);
std::size_t RemoveMonomorphicAbsences(TPopGenDataSet& ds, std::size_t target);
std::size_t RemoveMonomorphicPresences(TPopGenDataSet& ds, std::size_t target);
// Loci: p / NInd > f, p / NInd < f.
std::size_t RemoveLocHighFreq(TPopGenDataSet& ds, std::size_t target, Extended f);
std::size_t RemoveLocLowFreq(TPopGenDataSet& ds, std::size_t target, Extended f);
// Individuals: m / NLoci > f, p / NLoci > f, p / NLoci < f.
std::size_t RemoveIndMD(TPopGenDataSet& ds, std::size_t target, Extended f);
std::size_t RemoveIndHighFreq(TPopGenDataSet& ds, std::size_t target, Extended f);
std::size_t RemoveIndLowFreq(TPopGenDataSet& ds, std::size_t target, Extended f);

// The copy step of the filters: target := the current layer without the rows (columns) whose keep
// byte is 0 (an empty keep mask keeps all), with names, and masks over the layer its masks refer
// to; the target becomes current. Everything is built before a layer changes, so a refusal leaves
// every layer as it was.
bool RmvCpyCurr2TargetLyr(TPopGenDataSet& ds, std::size_t target, const AByte& indKeep, std::size_t nLocRemoved,
                          std::size_t nIndRemoved, const AByte& locKeep);

// result := the template with its 1 entries replaced, in order, by the entries of sub.
bool MakeNEwMaskFromSubMask(TPopGenDataSet& ds, const AByte& templateMask, const AByte& sub, AByte& result);

// target := the current layer with every missing cell replaced: by 0 (p = 0), by 1 (p = 1), else
// by 1 with probability p, one draw u of `random` per missing cell in locus-major order (1 when
// p >= u). A target other than the current layer gets the name "Missing Data Replaced" and the
// current layer's names and masks; the target becomes current. p outside [0, 1] is refused.
bool ReplaceMissingData(TPopGenDataSet& ds, std::size_t target, Extended p, RandomStream& random);
