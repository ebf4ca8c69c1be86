// The distance run as one walk over the pairs in packed order on the calling thread, with the
// byte-scanning counter: the reference the threaded, bit-plane run must match bit for bit.
#pragma once

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "foundation/packed_matrix.h"
#include "foundation/random.h"
#include "popgen/distance/band_planes.h"
#include "popgen/distance/coefficients.h"
#include "popgen/data/dataset.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/distance/pair_count.h"

struct SequentialRun {
    DistMatrices m;
    NeiLiProblems problems;
};

inline Extended TransformedForTest(Transformation t, Extended x) {
    switch (t) {
        case Transformation::OneMinusS: return 1.0L - x;
        case Transformation::SqrtOneMinusS: return std::sqrt(1.0L - x);
        case Transformation::SqOneMinusS: return (1.0L - x) * (1.0L - x);
        case Transformation::D: return x;
        case Transformation::SqrtD: return std::sqrt(x);
        case Transformation::SqD: return x * x;
    }
    return 0.0L;
}

inline SequentialRun RunSequentially(const TDSLayer& layer, const TPairCountFunc& counter,
                                     const DistRunOptions& options, bool spread, RandomStream& random) {
    SequentialRun r;
    const std::size_t n = layer.NInd;
    const std::size_t slots = PackedSize(n);
    r.m.Raw.assign(slots, 0.0L);
    r.m.Dist.assign(slots, 0.0L);
    if (spread) {
        r.m.Var.assign(slots, 0.0L);
        r.m.SD.assign(slots, 0.0L);
    }
    KernelSource src;
    src.PairCount = counter;
    src.NeiLiR = options.NeiLiR;
    src.AvgDraws = options.Draws;
    src.Random = &random;
    src.Problems = &r.problems;
    src.NoDraws = &r.m.NoDraws;
    const Treatment mode = spread ? Treatment::Average : options.Mode;
    const TKernelProc kernel = KernelProc(mode, options.Coeff);
    const TAvgSDKernelProc spreadKernel = AvgSDKernelProc(options.Coeff);
    const Transformation transform = NormalizedTransform(options.Coeff, options.Transform);
    ForEachPackedPair(n, [&](std::size_t i, std::size_t j, std::size_t k) {
        const Extended v = spread ? spreadKernel(src, i, j, r.m.Var[k], r.m.SD[k]) : kernel(src, i, j);
        r.m.Raw[k] = v;
        if (v == kUndefinedDistance && options.Coeff == Coefficient::NeiLi) ++r.m.UndefinedPairs;
        r.m.Dist[k] = TransformedForTest(transform, v);
    });
    return r;
}

// Equal bit for bit in value (NaNs of either run count as equal): the index of the first
// difference, or npos.
inline std::size_t FirstDifference(const PackedMatrix& a, const PackedMatrix& b) {
    if (a.size() != b.size()) return 0;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (!(a[k] == b[k] || (std::isnan(a[k]) && std::isnan(b[k])))) return k;
    return std::string::npos;
}

// Random rows of 0, 1 and 9: most dense, some with hardly a band, so that Nei-Li leaves pairs
// undefined all over the triangle.
inline std::vector<std::string> RandomBandRows(std::size_t n, std::size_t loci, std::uint32_t seed) {
    RandomStream random(seed);
    std::vector<std::string> rows(n);
    for (std::size_t i = 0; i < n; ++i) {
        const bool sparse = random.Random(5) == 0;
        const std::string alphabet = sparse ? "00000000000000000019" : "0011119";
        for (std::size_t l = 0; l < loci; ++l)
            rows[i] += alphabet[random.Random(static_cast<std::uint32_t>(alphabet.size()))];
    }
    return rows;
}
