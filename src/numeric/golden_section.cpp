#include "numeric/golden_section.h"

#include <cmath>
#include <utility>

#include "numeric/math_error.h"

namespace {

constexpr Extended kGoldenRatio = 1.61803398874989484821L;
constexpr Extended kGoldenFraction = 0.381966011250105151766L;  // 2 - φ
// √ε with ε = 2^-63·(1 + 51·2^-63), about 3.29E-10.
const Extended kMinTolerance = std::sqrt(0x1p-63L * (1.0L + 51.0L * 0x1p-63L));

// Signs compared directly: the product of two tiny values underflows to 0.
bool SameSign(Extended a, Extended b) { return (a > 0.0L && b > 0.0L) || (a < 0.0L && b < 0.0L); }

int Fail(std::int32_t code) {
    SetMathError(code);
    return -1;
}

}  // namespace

int BracketMinimum(const MathFunc& f, void* ctx, Extended& a, Extended& b, Extended& t,
                   Extended& fa, Extended& fb, Extended& ft) {
    if (b < a) std::swap(a, b);
    fa = f(ctx, a);
    fb = f(ctx, b);
    if (std::isnan(fa) || std::isnan(fb)) return Fail(kMathDomain);
    if (fa < fb) {  // step from a to b downhill
        std::swap(a, b);
        std::swap(fa, fb);
    }
    for (int step = 0;; ++step) {
        if (step > kMaxBracketSteps) return Fail(kMathNoConvergence);
        t = b + kGoldenRatio * (b - a);
        if (!std::isfinite(t)) return Fail(kMathOverflow);
        ft = f(ctx, t);
        if (std::isnan(ft)) return Fail(kMathDomain);
        if (!(fb > ft)) break;
        // Still downhill: an infinite value means f falls without bound.
        if (std::isinf(ft)) return Fail(kMathOverflow);
        a = b;
        b = t;
        fa = fb;
        fb = ft;
    }
    if (t < a) {
        std::swap(a, t);
        std::swap(fa, ft);
    }
    return 0;
}

int GoldenSectionSearch(const MathFunc& f, void* ctx, std::int32_t maxIter, Extended& xMin,
                        Extended& yMin, Extended tol, Extended a, Extended b) {
    if (!(tol >= kMinTolerance)) tol = kMinTolerance;
    Extended t, fa, fb, ft;
    if (BracketMinimum(f, ctx, a, b, t, fa, fb, ft) != 0) {
        xMin = b;
        yMin = fb;
        return -1;
    }

    Extended x0 = a, x1, x2, x3 = t;
    if (b - a >= t - b) {
        x2 = b;
        x1 = b - kGoldenFraction * (b - a);
    } else {
        x1 = b;
        x2 = b + kGoldenFraction * (t - b);
    }
    Extended f1 = f(ctx, x1);
    Extended f2 = f(ctx, x2);

    int result = -1;
    for (std::int64_t iter = 0; iter <= maxIter; ++iter) {
        if (tol * (std::fabs(x1) + std::fabs(x2)) >= std::fabs(x3 - x0)) {
            result = 0;
            break;
        }
        if (f1 > f2) {
            x0 = x1;
            x1 = x2;
            f1 = f2;
            x2 = x1 + kGoldenFraction * (x3 - x1);
            f2 = f(ctx, x2);
        } else {
            x3 = x2;
            x2 = x1;
            f2 = f1;
            x1 = x2 - kGoldenFraction * (x2 - x0);
            f1 = f(ctx, x1);
        }
    }
    if (f1 < f2) {
        xMin = x1;
        yMin = f1;
    } else {
        xMin = x2;
        yMin = f2;
    }
    SetMathError(result);
    return result;
}

int BracketRoot(const MathFunc& f, void* ctx, Extended& x, Extended& y, Extended& fx, Extended& fy) {
    fx = f(ctx, x);
    fy = f(ctx, y);
    for (int step = 0;; ++step) {
        if (std::isnan(fx) || std::isnan(fy)) return Fail(kMathDomain);
        if (!SameSign(fx, fy)) return 0;
        // No sign change yet: an infinite value or point cannot be widened further.
        if (!std::isfinite(x) || !std::isfinite(y) || std::isinf(fx) || std::isinf(fy)) {
            return Fail(kMathOverflow);
        }
        if (step >= kMaxBracketSteps) return Fail(kMathNoConvergence);
        if (std::fabs(fx) < std::fabs(fy)) {
            x += kGoldenRatio * (x - y);
            fx = f(ctx, x);
        } else {
            y += kGoldenRatio * (y - x);
            fy = f(ctx, y);
        }
    }
}

int FindRoot(const MathFunc& f, void* ctx, Extended& x, Extended& y, std::int32_t maxIter,
             Extended tol, Extended& fx) {
    SetMathError(kMathOk);
    fx = f(ctx, x);
    // Without a single step only a start point that already is a root counts as found.
    if (maxIter < 1) return fx == 0.0L ? 0 : Fail(kMathDomain);

    Extended fy = f(ctx, y);
    if (std::isnan(fx) || std::isnan(fy)) return Fail(kMathDomain);
    if (SameSign(fx, fy) && BracketRoot(f, ctx, x, y, fx, fy) != 0) return -1;

    for (std::int64_t iter = 1;; ++iter) {
        if (iter > maxIter) return Fail(kMathDomain);
        const Extended m = (x + y) * 0.5L;
        const Extended fm = f(ctx, m);
        if (std::isnan(fm)) return Fail(kMathDomain);
        if (SameSign(fx, fm)) {
            x = m;
            fx = fm;
        } else {
            y = m;
            fy = fm;
        }
        if (std::fabs(x - y) < tol * (std::fabs(x) + std::fabs(y))) {
            x = (x + y) * 0.5L;
            fx = f(ctx, x);
            return 0;
        }
    }
}
