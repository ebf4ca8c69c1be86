// Gamma function, its logarithm and the complete beta function in extended precision.
// A pole or an out-of-range argument sets the math error code and returns a default.
#pragma once

#include "foundation/types.h"

// 1 for x > 0; for x <= 0 the sign of Gamma near x: 1 when trunc(|x|) is odd, else -1.
Extended GammaSign(Extended x);
// Stirling's formula for Gamma, used for x > 13.
Extended StirlingGamma(Extended x);
// Stirling's series for ln Gamma, used for x >= 13.
Extended StirlingLnGamma(Extended x);
// z / (x·Gamma(x)) rational approximation for |x| <= 0.03125, i.e. z·Gamma(x).
Extended GammaSmall(Extended z, Extended x);

// Gamma(x). Clears the math error code; poles give -2 and ±MaxNum, x > 1755.455 gives -3.
Extended Gamma(Extended x);
// ln |Gamma(x)|. Clears the math error code; poles give -2 and MaxNum, x > 1.0485e4928 gives -3.
Extended LnGamma(Extended x);
// Beta(x, y) = Gamma(x)·Gamma(y) / Gamma(x + y). Clears the math error code.
Extended Beta(Extended x, Extended y);
