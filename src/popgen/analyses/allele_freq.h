// Null-allele frequency estimation for dominant markers: per group and locus the frequency q of the
// allele without a band, from the absences of the allele-frequency record (popgen/analyses/bi_allele.h), by
// square root, Lynch and Milligan's correction, or a Bayesian estimator with a uniform prior or a
// beta prior fitted to the among-population or among-locus distribution of absence frequencies.
//
// Each estimator works on a copy of the record and stores it only when it succeeded, so a refused
// estimate leaves the previous one (and its method) in place.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/reporter.h"
#include "foundation/types.h"
#include "popgen/analyses/bi_allele.h"
#include "popgen/data/codes.h"
#include "popgen/data/dataset.h"

// The Lynch-Milligan marker of an estimate that was not made (three absences or fewer).
inline constexpr Extended kNotEstimated = -9.0L;

// q = sqrt(x / N); FreqVar emptied; Method 1.
void SqrtAlleleFreqs(TBiAlleleRec& rec);
// x <= 3: q and its variance are the marker; else with p = x / N, q = sqrt(p) / (1 - (1 - p) / (8 N p))
// and variance (1 - p) / (4 N). Method 2.
void LynchMilliganFreqs(TBiAlleleRec& rec);
// The Bayesian estimate with prior 0 (uniform), 1 (among populations; "AllData" leaves the record)
// or 2 (among loci); correction is added to one absence count where a variance of 0 needs it.
// Notes on negative variances and values go to the warnings. False, reported, when the estimate
// cannot be made; rec is then unchanged.
bool BayesAlleleFreqs(Reporter& reporter, TBiAlleleRec& rec, std::uint8_t prior, Extended correction);

struct AlleleFreqOptions {
    FreqMethod Method = FreqMethod::SquareRoot;
    Extended Correction = 0.0L;  // of the Bayesian estimates
    bool Fill = false;           // fill the record first, with "AllData", counting missing cells as:
    bool UseMissing = false;     //   FillBiAlleleRec's
    float MissingFraction = 0.0f;
};

// The estimate of the current layer's record by method 0-4 (square root, Lynch-Milligan, Bayesian
// with prior 0, 1, 2), after filling the record first when asked. False, reported, for an unknown
// method ("unknown allele estimation method"), a record that cannot be filled or an estimate that
// cannot be made.
bool EstimateAlleleFreqs(TPopGenDataSet& ds, const AlleleFreqOptions& options);

// The report lines of a record, locus lines named after the current locus set's members.
AString AlleleFreqReportLines(const TPopGenDataSet& ds, const TBiAlleleRec& rec);
// Writes the report of the current layer's record: 0, the system error of the write, or -2 with
// "No allele data in memory" when there is no estimate.
int OutputAlleleFreqs(TPopGenDataSet& ds, const std::string& fileName, bool append);
