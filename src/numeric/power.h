// Sign, swap and integer and real powers in extended precision.
#pragma once

#include <cstdint>

#include "foundation/types.h"

// 1 for x >= 0, else -1.
Extended Sign(Extended x);
void SwapFloat(Extended& a, Extended& b);

// xⁿ by repeated squaring. 0 to a negative power gives -2 and MaxNum; a result too large to
// represent gives -3 and ±MaxNum.
Extended IntPower(Extended x, std::int32_t n);
// x^y. Whole y goes through IntPower; a negative base to a non-integer power gives -1 and 0;
// exp(y·ln x) out of range gives -4 and 0 (underflow) or -3 and MaxNum (overflow).
Extended Power(Extended x, Extended y);
