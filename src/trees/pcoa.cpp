#include "trees/pcoa.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "foundation/keep_alive.h"
#include "foundation/number_text.h"
#include "trees/dist_analysis.h"

ExtMatrix CentredMatrix(const TDistAnalysis& analysis) {
    const std::size_t n = analysis.NOTU;
    ExtMatrix a(n);
    for (std::size_t i = 0; i < n; ++i) {
        KeepAlive();
        for (std::size_t j = 0; j < n; ++j) {
            const Extended d = i == j ? 0.0L : analysis.PairDist(i + 1, j + 1);
            a(i, j) = -0.5L * (d * d);
        }
    }
    const auto count = static_cast<Extended>(n);
    Extended sum = 0.0L;
    AExt rowMeans(n, 0.0L), colMeans(n, 0.0L);
    for (std::size_t i = 0; i < n; ++i) {
        KeepAlive();
        Extended row = 0.0L;
        for (std::size_t j = 0; j < n; ++j) {
            sum += a(i, j);
            row += a(i, j);
        }
        rowMeans[i] = row / count;
    }
    for (std::size_t j = 0; j < n; ++j) {
        KeepAlive();
        Extended col = 0.0L;
        for (std::size_t i = 0; i < n; ++i) col += a(i, j);
        colMeans[j] = col / count;
    }
    const Extended mean = sum / (count * count);
    for (std::size_t i = 0; i < n; ++i) {
        KeepAlive();
        for (std::size_t j = 0; j < n; ++j) a(i, j) = a(i, j) - rowMeans[i] - colMeans[j] + mean;
    }
    return a;
}

bool TDistAnalysis::PCoA(std::size_t maxIterations, Extended precision) {
    ClearOrdination();
    if (!CheckInput("PCoA", "PCoA: the names do not match the distance matrix")) return false;
    const std::size_t n = NOTU;
    if (n == 0) return true;

    // A retry goes on from where the run stopped: the rotations are those of a fresh run with the
    // larger limit.
    JacobiSolver solver(CentredMatrix(*this), precision);
    std::size_t limit = maxIterations;
    for (int retries = 0;; ++retries) {
        if (solver.Run(limit)) break;
        const std::string failed =
            "PCoA failed\r\n\r\nFinding eigenvectors/eigenvalues using Jacobi procedure failed (" +
            UIntToStr(limit) + " iterations)";
        if (retries >= kPCoAMaxRetries || limit > SIZE_MAX / 10) {
            Reporting().Error(failed);
            return false;
        }
        const int answer =
            Reporting().Ask(failed + "\r\n" + "Do you want to retry, increasing the number of iterations 10-fold?",
                            "Error", kQuestionYesNo);
        if (!UserAgreed(answer)) return false;
        limit *= 10;
    }
    AExt vectors;  // transposed: vector k at k * n
    AExt values;
    solver.Take(values, vectors);

    // The results are stored together once complete.
    std::size_t positive = 0;
    Extended sum = 0.0L;
    for (std::size_t k = 0; k < n && values[k] > 0.0L; ++k) {
        ++positive;
        sum += values[k];
    }
    AExt percents(positive);
    for (std::size_t k = 0; k < positive; ++k) percents[k] = values[k] * 100.0L / sum;
    AAExt coords(n, AExt(positive, 0.0L));
    for (std::size_t k = 0; k < positive; ++k) {
        KeepAlive();
        const Extended root = std::sqrt(values[k]);
        for (std::size_t i = 0; i < n; ++i) coords[i][k] = root * vectors[k * n + i];
    }
    NPosEigen = positive;
    SumPosEigen = sum;
    FirstEigen = values[0];
    EigenPercents = std::move(percents);
    Coords = std::move(coords);
    return true;
}
