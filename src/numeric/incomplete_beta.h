// The regularised incomplete beta function I_x(a, b) and Student's t tail probability.
#pragma once

#include <cstdint>

#include "foundation/types.h"

// I_x(a, b). Clears the math error code; a <= 0, b <= 0 or x < 0 give -1 and 0, x > 1 gives
// -1 and 1, a NaN or infinite parameter gives -1 and NaN. A continued fraction that does not
// converge leaves -6 and its last approximation.
Extended IncompleteBeta(Extended a, Extended b, Extended x);
// Power series of I_x(a, b), for b·x <= 1 and x <= 0.95.
Extended IncBetaSeries(Extended a, Extended b, Extended x);
// Continued fraction in x, for x < (a - 1) / (a + b - 2).
Extended IncBetaCF1(Extended a, Extended b, Extended x);
// Continued fraction in x / (1 - x); the caller divides by 1 - x.
Extended IncBetaCF2(Extended a, Extended b, Extended x);

// Two-sided tail probability P(|T| >= |t|) of Student's t with n degrees of freedom.
// n < 1 gives -1 and 0.
Extended StudentTProb(std::int32_t n, Extended t);
