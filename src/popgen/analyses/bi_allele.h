// The allele-frequency record of a layer: per group the band absences per locus (the input of the
// null-allele estimators) and, once estimated, the frequencies with their variances.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/types.h"
#include "popgen/data/dataset.h"

struct TBiAlleleRec {
    AAExt Freq;                           // [group][locus] estimated null-allele frequency q
    AAExt FreqVar;                        // its variance (empty for the square-root estimate)
    AString GroupNames;                   // the groups taken part, last selected group first
    std::vector<std::size_t> GroupSizes;  // individuals per group in the layer (N)
    AAExt AbsenceCounts;                  // [group][locus] absences, plus a share of the missing cells
    std::size_t NLoci = 0;
    std::size_t NGroups = 0;
    std::uint8_t Method = 0;           // 0 no estimate, 1 square root, 2 Lynch-Milligan, 3 Bayesian
    std::uint8_t Prior = 0;            // 0 uniform, 1 among populations, 2 among loci
    bool IncludesAllData = false;      // when "AllData" takes part (it is then the last entry)
};

// How FillBiAlleleRec counts the groups' absences.
struct BiAlleleFill {
    bool UseMissing = false;      // a missing cell counts 1 - MissingFraction of an absence, else 0
    bool WithoutAllData = false;  // "AllData" takes no part
    float MissingFraction = 0.0f;
};

// Fills the current layer's BiAllele from the groups chosen in GroupSelMask (all when it has no
// byte per group); GroupSelMask itself is not changed. Groups are taken from the last to the first
// over the current locus set; an absence counts 1, a missing cell as fill says. A group without
// individuals in the layer takes part with N = 0. False, with the record unchanged: no current band
// matrix, "pLM nil" (the layer has no locus mask), no group chosen, or masks that do not match the
// layer.
bool FillBiAlleleRec(TPopGenDataSet& ds, BiAlleleFill fill);
