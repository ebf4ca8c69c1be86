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

// The Jacobi procedure of JacobiEigen laid out for the memory and the processor. The maxima of
// the rows of the upper triangle are brought up to date while a rotation is written, and compared
// as floats first (the order survives the rounding, ties are compared exactly). On a large matrix a
// rotation is shared out by row between a team of threads, each of which also finds the largest
// row maximum of its rows; how many take part is measured as the run goes, since on a busy machine
// a smaller team (down to the caller alone) can be the faster one. The eigenvectors are rotated in batches: a row of the eigenvector matrix
// takes a batch of rotations in their order while it stays in the cache. It makes the same
// rotations in the same order and gives bit-identical results, for any number of threads. A run
// stopped by its rotation limit can go on with a larger limit: the rotations are those of a fresh
// run with that limit.
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
    // What one share of a rotation found: the new maxima of rows p and q over its columns, and the
    // largest row maximum of its rows other than p and q.
    struct Share {
        Extended maxP = 0.0L, maxQ = 0.0L, pivotMax = 0.0L;
        std::size_t colP = 0, colQ = 0, pivotRow = 0;
        bool foundP = false, foundQ = false, foundPivot = false;
        bool unordered = false;  // a NaN was met: the caller falls back to the one-thread rules
    };
    class Team;

    Extended& A(std::size_t i, std::size_t j) { return a_[rowBase_[i] + j]; }  // i <= j
    std::size_t Pivot() const;
    Rotation Plan(std::size_t p, std::size_t q);
    void RotateShare(const Rotation& r, std::size_t t, std::size_t size, Share& share);
    void RotateRows(const Rotation& r, std::size_t lo, std::size_t hi, Share& found);
    std::size_t Finish(const Rotation& r, const Team& team);
    void RotateVectors(std::size_t lo, std::size_t hi);
    void Rescan(std::size_t k);
    void SetRowMax(std::size_t k, Extended value, std::size_t col);

    std::size_t n_;
    std::vector<std::size_t> rowBase_;  // where row i would start if it held columns 0 .. i-1 too
    AExt a_;  // the upper triangle with the diagonal, row by row
    AExt v_;  // n x n eigenvector matrix, row-major: column k = eigenvector k
    std::vector<Rotation> batch_;  // rotations not yet applied to v_
    std::vector<float> magnitude_;  // |a(i, j)| rounded to float, for the row-maximum scans
    Extended tolerance_, total_ = 0.0L, sd_ = 0.0L;
    std::vector<Extended> rowMax_;     // largest |a(k, j)|, j > k
    std::vector<float> rowMaxNear_;    // the same rounded to float, for a fast first look
    std::vector<std::size_t> rowCol_;  // its first column
    std::size_t rotations_ = 0;
    bool tested_ = true;  // the stop test has been made for the current state
};

// sqrt(a² + b²) without overflow.
Extended Pythag(Extended a, Extended b);

// The rotation that zeroes a(p, q) of a symmetric matrix, from a(p, p), a(q, q) and a(p, q):
// a(k, p) becomes c a(k, p) + s a(k, q), a(k, q) becomes c a(k, q) - s a(k, p).
struct JacobiRotation {
    Extended c, s;
};
JacobiRotation JacobiRotationOf(Extended app, Extended aqq, Extended apq);

// Eigenvalues and eigenvectors of the symmetric matrix a on the index range lo..hi (only the
// upper triangle is read and changed). values(i) receive the eigenvalues in decreasing order,
// the columns of vectors the matching eigenvectors, each with a non-negative first component.
// Stops when |1 - total / diagonal sum of squares| < tolerance, or at once when nothing is
// left off the diagonal. Returns and sets the math error code: 0, or -1 (kMathDomain) when
// more than maxIterations rotations were needed.
int JacobiEigen(ExtMatrix& a, std::size_t lo, std::size_t hi, ExtMatrix& vectors, AExt& values,
                Extended tolerance, std::size_t maxIterations,
                JacobiPivotSearch search = JacobiPivotSearch::RowMaxima);
