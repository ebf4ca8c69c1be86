// Polynomial evaluation by Horner's rule; coefficients highest power first.
#pragma once

#include <span>

#include "foundation/types.h"

// coef[0]·xⁿ + coef[1]·xⁿ⁻¹ + ... + coef[n]; uses n + 1 coefficients.
Extended EvalPoly(Extended x, std::span<const Extended> coef, int n);
// xⁿ + coef[0]·xⁿ⁻¹ + ... + coef[n-1]; the leading 1 is implicit, n coefficients.
Extended EvalPoly1(Extended x, std::span<const Extended> coef, int n);
