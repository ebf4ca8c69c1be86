#include "numeric/power.h"

#include <cmath>
#include <utility>

#include "numeric/math_error.h"

namespace {

constexpr Extended kMinExpArg = -11354.4439647524641144L;
constexpr Extended kMaxExpArg = 11355.8302591135840043L;

// The cases shared by both power routines; true when result holds the answer.
bool PowerSpecialCase(Extended x, Extended y, Extended& result) {
    if (x == 0.0L) {
        if (y == 0.0L) {
            result = 1.0L;
        } else if (y > 0.0L) {
            result = 0.0L;
        } else {
            result = MathErrorResult(kMathSingularity, MaxNum);
        }
        return true;
    }
    if (y == 0.0L) {
        result = 1.0L;
        return true;
    }
    if (y == 1.0L) {
        result = x;
        return true;
    }
    return false;
}

}  // namespace

Extended Sign(Extended x) { return x >= 0.0L ? 1.0L : -1.0L; }

void SwapFloat(Extended& a, Extended& b) { std::swap(a, b); }

Extended IntPower(Extended x, std::int32_t n) {
    Extended result;
    if (PowerSpecialCase(x, static_cast<Extended>(n), result)) return result;

    // Square a base of magnitude at most 1 so that intermediate products cannot overflow.
    const bool invertBase = std::fabs(x) > 1.0L;
    Extended base = invertBase ? 1.0L / x : x;
    // The exponent as a 64-bit magnitude: -2147483648 has no 32-bit absolute value.
    std::uint64_t m = n < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(n))
                            : static_cast<std::uint64_t>(n);
    result = 1.0L;
    while (m > 0) {
        if (m & 1u) result *= base;
        base *= base;
        m >>= 1;
    }
    const bool invertResult = (n < 0) != invertBase;
    if (!invertResult) return result;
    // copysign keeps the sign of a result that underflowed to -0.
    if (std::fabs(result) < MinNum) return MathErrorResult(kMathOverflow, std::copysign(MaxNum, result));
    return 1.0L / result;
}

Extended Power(Extended x, Extended y) {
    Extended result;
    if (PowerSpecialCase(x, y, result)) return result;
    if (y == std::trunc(y) && std::fabs(y) < 2147483647.0L) {
        return IntPower(x, static_cast<std::int32_t>(y));
    }
    if (x < 0.0L) return MathErrorResult(kMathDomain, 0.0L);
    const Extended t = y * std::log(x);
    if (t < kMinExpArg) return MathErrorResult(kMathUnderflow, 0.0L);
    if (t > kMaxExpArg) return MathErrorResult(kMathOverflow, MaxNum);
    return std::exp(t);
}
