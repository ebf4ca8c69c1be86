#include "numeric/math_error.h"

#include <cstddef>

#include "foundation/memory_guard.h"

namespace {
// Per thread: a numeric routine running on a worker sets the code its own caller reads.
thread_local std::int32_t g_mathError = kMathOk;
}

void SetMathError(std::int32_t code) { g_mathError = code; }

std::int32_t GetMathError() { return g_mathError; }

Extended MathErrorResult(std::int32_t code, Extended value) {
    g_mathError = code;
    return value;
}

FloatVector AllocFloatVector(std::int32_t ub) {
    if (ub < 0 || ub > kMaxFloatVectorUb) return {};
    FloatVector v;
    if (!CompletesInMemory([&] { v.assign(static_cast<std::size_t>(ub) + 1, 0.0L); })) return {};
    return v;
}

FloatMatrix AllocFloatMatrix(std::int32_t ub1, std::int32_t ub2) {
    if (ub1 < 0 || ub1 > kMaxFloatMatrixUb1 || ub2 < 0 || ub2 > kMaxFloatVectorUb) return {};
    FloatMatrix m;
    if (!CompletesInMemory(
            [&] { m.assign(static_cast<std::size_t>(ub1) + 1, FloatVector(static_cast<std::size_t>(ub2) + 1, 0.0L)); }))
        return {};
    return m;
}
