// Band profiles of the groups (one row per group after "AllData", one column per locus of the
// current locus set) and the private bands derived from them.
//
// Additive profile: 1 where any member of the group shows the band. Fixed profile: 1 where every
// member shows it, missing cells allowed up to the number of presences (no absence, m <= p).
// A private band of group g is a locus whose additive profile has exactly one presence, in row g;
// a fixed private band is one that is also fixed in g.
#pragma once

#include <cstddef>

#include "foundation/types.h"
#include "popgen/data/dataset.h"

// Layer 3 := the profile of the current layer (layer 0 or 1) through the groups and the current
// locus set, made current: Name "Additive Band Profile" / "Fixed Band Profile", rows named by the
// groups' lowest name levels, masks all 1 over its own rows and columns, SourceLayer 255.
// False, with nothing changed, with fewer than two groups (silently) or when the current layer is
// a selection or temporary layer (reported: the profile needs the working data).
bool AdditiveBandProfile(TPopGenDataSet& ds);
bool FixedBandProfile(TPopGenDataSet& ds);

// Per group 1..G-1 (entry g-1) the number of private / fixed private bands in the working data
// (the current layer, or layer 1 when a selection or temporary layer is current) over the current
// locus set. No layer changes. Fewer than two groups: "privatebands error: indfilter" /
// "fixedprivatebands error: indfilter" and false.
bool PrivateBands(TPopGenDataSet& ds, std::vector<std::size_t>& counts);
bool FixedPrivateBands(TPopGenDataSet& ds, std::vector<std::size_t>& counts);
