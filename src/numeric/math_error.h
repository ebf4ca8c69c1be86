// The math error code (one per thread) and the float vectors and matrices of the numeric callers.
// Numeric routines never fail: they set the code and return a defined default value.
#pragma once

#include <cstdint>

#include "foundation/types.h"

// Math error codes.
inline constexpr std::int32_t kMathOk = 0;
inline constexpr std::int32_t kMathDomain = -1;         // argument outside the domain
inline constexpr std::int32_t kMathSingularity = -2;    // a pole
inline constexpr std::int32_t kMathOverflow = -3;
inline constexpr std::int32_t kMathUnderflow = -4;
inline constexpr std::int32_t kMathNoConvergence = -6;  // iteration limit reached

// MaxNum (every mantissa bit set, biased exponent 7FFD) is the default for overflows and poles;
// a magnitude below MinNum cannot be inverted without overflow.
inline constexpr Extended MaxNum = 5.94865747678615882511E+4931L;
inline constexpr Extended MinNum = 8.40525785778023376566E-4933L;

// The code of the calling thread.
void SetMathError(std::int32_t code);
std::int32_t GetMathError();
// Stores the code and returns value unchanged.
Extended MathErrorResult(std::int32_t code, Extended value);

// Zero-based vectors and matrices of extended values, always zero-filled.
using FloatVector = AExt;
using FloatMatrix = AAExt;

inline constexpr std::int32_t kMaxFloatVectorUb = 214748362;
inline constexpr std::int32_t kMaxFloatMatrixUb1 = 536870910;

// Elements 0..ub; empty when ub is out of range or memory runs out.
FloatVector AllocFloatVector(std::int32_t ub);
// Rows 0..ub1 of elements 0..ub2; empty when a bound is out of range or memory runs out.
FloatMatrix AllocFloatMatrix(std::int32_t ub1, std::int32_t ub2);
