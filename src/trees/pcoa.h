// Eigen-decomposition of a symmetric matrix by Jacobi rotations in extended precision, as
// principal coordinate analysis (TDistAnalysis::PCoA) uses it.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "foundation/types.h"

class TDistAnalysis;

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

// The Jacobi procedure of JacobiEigen laid out for the memory and the processor: the eigenvectors
// are kept transposed (one row per vector, so that a rotation updates two contiguous rows) and, with
// more than one thread, follow the rotations on a thread of their own; the maxima of the rows of
// the upper triangle are brought up to date while a rotation is written, and compared as floats
// first (the order survives the rounding, ties are compared exactly). It makes the same rotations
// in the same order and gives bit-identical results. A run stopped by its rotation limit can go on
// with a larger limit: the rotations are those of a fresh run with that limit.
class JacobiSolver {
public:
    // The upper triangle and diagonal of a (n x n) are taken; the lower triangle is ignored.
    JacobiSolver(const ExtMatrix& a, Extended tolerance);
    ~JacobiSolver();
    JacobiSolver(const JacobiSolver&) = delete;
    JacobiSolver& operator=(const JacobiSolver&) = delete;

    // Rotates until the stop test holds, nothing is left off the diagonal, or more rotations than
    // `limit` have been made in all. True when done; false at the limit (the state is kept, Run
    // may be called again with a larger limit).
    bool Run(std::size_t limit);
    std::size_t Rotations() const { return rotations_; }

    // After Run returned true: the eigenvalues in decreasing order and the eigenvectors, vector k
    // at vectors[k * n .. k * n + n - 1], each with a non-negative first component. The solver is
    // spent afterwards.
    void Take(AExt& values, AExt& vectors);

private:
    struct Rotation {
        std::size_t p, q;
        Extended c, s;
    };
    class VectorThread;

    Extended& A(std::size_t i, std::size_t j) { return a_[rowBase_[i] + j]; }  // i <= j
    std::size_t Pivot() const;
    void Rotate(std::size_t p, std::size_t q);
    void RotateVectors(const Rotation& r);
    void Rescan(std::size_t k);
    void SetRowMax(std::size_t k, Extended value, std::size_t col);

    std::size_t n_;
    std::vector<std::size_t> rowBase_;  // where row i would start if it held columns 0 .. i-1 too
    AExt a_;   // the upper triangle with the diagonal, row by row
    AExt vt_;  // n x n, row k = eigenvector k
    std::vector<float> magnitude_;  // |a(i, j)| rounded to float, for the row-maximum scans
    Extended tolerance_, total_ = 0.0L, sd_ = 0.0L;
    std::vector<Extended> rowMax_;     // largest |a(k, j)|, j > k
    std::vector<float> rowMaxNear_;    // the same rounded to float, for a fast first look
    std::vector<std::size_t> rowCol_;  // its first column
    std::size_t rotations_ = 0;
    bool tested_ = true;  // the stop test has been made for the current state
    std::unique_ptr<VectorThread> vectorThread_;
};

// The double-centred matrix of -d²/2 of the analysis's distances (diagonal taken as 0).
ExtMatrix CentredMatrix(const TDistAnalysis& analysis);

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
