// Eigen-decomposition of a symmetric matrix by Jacobi rotations in extended precision, as
// principal coordinate analysis (TDistAnalysis::PCoA) uses it.
#pragma once

#include <cstddef>
#include <vector>

#include "foundation/types.h"

// A dense square matrix of extended values, row-major.
class ExtMatrix {
public:
    ExtMatrix() = default;
    explicit ExtMatrix(std::size_t n) : n_(n), values_(n * n, 0.0L) {}

    std::size_t Size() const { return n_; }
    Extended& operator()(std::size_t i, std::size_t j) { return values_[i * n_ + j]; }
    Extended operator()(std::size_t i, std::size_t j) const { return values_[i * n_ + j]; }

private:
    std::size_t n_ = 0;
    std::vector<Extended> values_;
};

// How the largest off-diagonal element is found before each rotation. Both give the same
// pivot (the first largest in row-major order) and so bit-identical results: Plain searches
// the whole upper triangle every time; RowMaxima keeps each row's largest element and
// rescans only rows whose largest element a rotation made smaller.
enum class JacobiPivotSearch { Plain, RowMaxima };

// sqrt(a² + b²) without overflow.
Extended Pythag(Extended a, Extended b);

// Eigenvalues and eigenvectors of the symmetric matrix a on the index range lo..hi (only the
// upper triangle is read and changed). values(i) receive the eigenvalues in decreasing order,
// the columns of vectors the matching eigenvectors, each with a non-negative first component.
// Stops when |1 - total / diagonal sum of squares| < tolerance, or at once when nothing is
// left off the diagonal. Returns and sets the math error code: 0, or -1 (kMathDomain) when
// more than maxIterations rotations were needed.
int JacobiEigen(ExtMatrix& a, std::size_t lo, std::size_t hi, ExtMatrix& vectors, AExt& values,
                Extended tolerance, std::size_t maxIterations,
                JacobiPivotSearch search = JacobiPivotSearch::RowMaxima);
