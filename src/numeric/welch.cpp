#include "numeric/welch.h"

#include <cmath>

#include "numeric/incomplete_beta.h"

std::int64_t WelchDF(std::uint32_t sizeA, std::uint32_t sizeB, Extended varA, Extended varB) {
    if (sizeA == 0 || sizeB == 0) return -1;
    const Extended sum = varA + varB;
    const Extended df = sum * sum / (varA * varA / sizeA + varB * varB / sizeB);
    if (!std::isfinite(df) || df < 0.0L || df > 9.0e18L) return -1;
    return static_cast<std::int64_t>(std::ceil(df));
}

Extended TStatistic(Extended indexA, Extended indexB, Extended varA, Extended varB) {
    return (indexB - indexA) / std::sqrt(varA + varB);
}

Extended TDistProb(std::int32_t df, Extended t) { return StudentTProb(df, t); }
