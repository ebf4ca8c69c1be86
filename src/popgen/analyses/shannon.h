// Shannon's diversity index of the band frequencies of a layer, with its analytical variance
// (after Bowman et al., 1969), for the working data or for one group, and bootstrap estimates of
// its variance (loci resampled with replacement, optionally individuals resampled to a fixed
// number).
//
// The index is computed in bits and scaled to the chosen base. The group and bootstrap routines
// work in the temporary layers 4 and 5; whichever way they end, quiet mode is off again and the
// layer that was current is current again (a selection or temporary layer they cannot work on
// gives way to the working copy, which then stays current).
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/random.h"
#include "foundation/reporter.h"
#include "foundation/types.h"
#include "popgen/data/dataset.h"

// The base of the reported index (the numbers of the ShannonLogBase setting).
enum class ShannonScale : std::uint8_t {
    Bits = 0,     // base 2
    Nats = 1,     // base e
    Decimal = 2,  // base 10
    Base = 3,     // a base of the user's
};

struct ShannonOptions {
    ShannonScale Scale = ShannonScale::Bits;
    Extended Base = 2.0L;  // of ShannonScale::Base
    // Frequencies: presences / individuals (true), or / all presences of the layer (false).
    bool PerInd = false;
    // Missing cells replaced before the index (each a presence with probability MissingShare).
    bool ReplaceMissing = false;
    Extended MissingShare = 0.5L;
};

struct ShannonBootstrap {
    std::size_t Replicates = 10000;
    bool IncludeZero = false;  // replicates with an index of 0 count (else they are drawn again)
    bool KeepValues = false;   // return every replicate's index
};

// An index with its variance and standard deviation; of a bootstrap, H is the mean of the replicates.
struct ShannonValue {
    Extended H = 0.0L;
    Extended Variance = 0.0L;
    Extended SD = 0.0L;
};

// The factor f that turns an index in bits into one of the scale: 1, ln 2, log10 2, log_b 2
// (Decimal is log_b 2 with b = 10, so both give the same numbers). False, reported, for an unknown
// scale and for a base that is not a finite number above 0 other than 1.
bool ShannonScaleFactor(Reporter& reporter, ShannonScale scale, Extended base, Extended& f);

// The index of the current layer: over the loci with p > 0, A = sum p log2 p and
// B = sum p (log2 p)^2; H2 = -A; V2 = (B - H2^2) / N + (S - 1) / (2 N^2) (N individuals, S loci);
// H = f H2, variance f^2 V2, sd its root (0 for a negative variance). fill refills the layer's
// LocFreqs first (they are refilled anyway when they do not fit the layer). False, reported, for
// a layer without individuals or loci and for a scale it cannot use.
bool ShannonVarSD(TPopGenDataSet& ds, const ShannonOptions& options, bool fill, ShannonValue& result);

// The index of group g over the current locus set, cut from the working data into layer 4, with
// missing cells replaced (options, drawing from random) and, with removeMono, the monomorphic loci removed; a group
// without a polymorphic locus is refused ("GrpShannonVarSD Error: (Grp<g>): no loci to work on.
// Aborting rountine.").
bool GrpShannonVarSD(TPopGenDataSet& ds, std::size_t g, const ShannonOptions& options, bool removeMono,
                     RandomStream& random, ShannonValue& result);

// Bootstrap over the loci of the current layer (a temporary layer gives way to the working copy):
// each replicate with missing cells replaced (options) and monomorphic loci removed; result.H is the
// mean index, Variance their variance (n - 1), SD its root. At most Replicates replicates may be
// discarded (all loci monomorphic), and at most Replicates may be drawn again for an index of 0;
// beyond either the run ends with its report. values gets the replicates' indices with KeepValues.
// Every draw (loci, individuals, missing cells) comes from random, replicate by replicate.
bool BsShannonVarSD(TPopGenDataSet& ds, const ShannonOptions& options, const ShannonBootstrap& bootstrap,
                    RandomStream& random, ShannonValue& result, AExt& values);
// The same within group g (over the current locus set): the group is cut into layer 4 and each
// replicate drawn from it into layer 5.
bool GrpBsShannonVarSD(TPopGenDataSet& ds, std::size_t g, const ShannonOptions& options,
                       const ShannonBootstrap& bootstrap, RandomStream& random, ShannonValue& result, AExt& values);
// The same with n individuals per replicate, drawn without repeats from the current layer (with
// repeats beyond its individuals), and loci drawn with replacement.
bool BsShannonVarSDAtN(TPopGenDataSet& ds, std::size_t n, const ShannonOptions& options,
                       const ShannonBootstrap& bootstrap, RandomStream& random, ShannonValue& result, AExt& values);
