// One-dimensional minimisation by golden-section search and root finding by bisection.
// The context pointer is handed to the objective unchanged, so a caller can reach its own data.
#pragma once

#include <cstdint>
#include <functional>

#include "foundation/types.h"

using MathFunc = std::function<Extended(void* ctx, Extended x)>;

// Expansions the bracketing routines try before giving up (the interval grows by φ each time).
inline constexpr int kMaxBracketSteps = 200;

// From the start pair a, b walks downhill until a, b, t bracket a minimum: f(b) <= f(a), f(t),
// with a < t on return. Returns 0, or -1 when no bracket was found within kMaxBracketSteps (math
// error code -6), a value was NaN (-1) or the walk left the finite numbers (-3).
int BracketMinimum(const MathFunc& f, void* ctx, Extended& a, Extended& b, Extended& t,
                   Extended& fa, Extended& fb, Extended& ft);

// Minimum of f near the start pair a, b. tol (relative) is raised to √ε when smaller.
// Returns 0 on convergence, -1 when maxIter was exceeded; the math error code is set alike.
// When no bracket is found the result is -1 with the bracketing error code, and xMin, yMin
// hold the best point seen.
int GoldenSectionSearch(const MathFunc& f, void* ctx, std::int32_t maxIter, Extended& xMin,
                        Extended& yMin, Extended tol, Extended a, Extended b);

// Widens x, y until f(x) and f(y) differ in sign (or one is 0). Returns 0, or -1 with the
// same math error codes as BracketMinimum.
int BracketRoot(const MathFunc& f, void* ctx, Extended& x, Extended& y, Extended& fx, Extended& fy);

// Root of f by bisection, starting from x, y (bracketed first when needed). Stops when
// |x - y| < tol·(|x| + |y|) with x the root and fx = f(x); returns 0 then. Returns -1 when
// maxIter was exceeded (math error code -1), when no bracket was found (bracketing code), when
// f gave NaN (-1), or when maxIter < 1 and f(x) is not already 0 (-1).
int FindRoot(const MathFunc& f, void* ctx, Extended& x, Extended& y, std::int32_t maxIter,
             Extended tol, Extended& fx);
