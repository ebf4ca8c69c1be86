#include "numeric/incomplete_beta.h"

#include <cmath>
#include <limits>
#include <utility>

#include "numeric/gamma.h"
#include "numeric/math_error.h"

namespace {

constexpr Extended MACHEP = 1.08420217248550444000E-19L;  // 2^-63
constexpr Extended BIG = 9223372036854775757.0L;
constexpr Extended BIGINV = MACHEP;
constexpr Extended kMaxGammaArg = 1755.455L;
constexpr Extended MAXLOG = 11355.8302591135840043L;
constexpr Extended MINLOG = -11354.4439647524641144L;
constexpr Extended kSeriesMaxX = 0.949999999999999999989L;
constexpr int kMaxCFIterations = 400;

// Shared driver of both continued fractions: two terms of the forward recurrence per pass,
// with the eight coefficient sequences advanced by the caller's step.
struct CFTerms {
    Extended k1, k2, k3, k4, k5, k6, k7, k8;
};

template <typename Advance>
Extended ContinuedFraction(Extended z, CFTerms k, Advance advance) {
    Extended pkm2 = 0.0L, qkm2 = 1.0L, pkm1 = 1.0L, qkm1 = 1.0L;
    Extended ans = 1.0L, r = 1.0L;
    const Extended thresh = 3.0L * MACHEP;
    for (int n = 0; n <= kMaxCFIterations; ++n) {
        Extended xk = -(z * k.k1 * k.k2) / (k.k3 * k.k4);
        Extended pk = pkm1 + pkm2 * xk;
        Extended qk = qkm1 + qkm2 * xk;
        pkm2 = pkm1;
        pkm1 = pk;
        qkm2 = qkm1;
        qkm1 = qk;

        xk = (z * k.k5 * k.k6) / (k.k7 * k.k8);
        pk = pkm1 + pkm2 * xk;
        qk = qkm1 + qkm2 * xk;
        pkm2 = pkm1;
        pkm1 = pk;
        qkm2 = qkm1;
        qkm1 = qk;

        if (qk != 0.0L) r = pk / qk;
        Extended t;
        if (r != 0.0L) {
            t = std::fabs((ans - r) / r);
            ans = r;
        } else {
            t = 1.0L;
        }
        if (t < thresh) return ans;

        advance(k);
        if (std::fabs(qk) + std::fabs(pk) > BIG) {
            pkm2 *= BIGINV;
            pkm1 *= BIGINV;
            qkm2 *= BIGINV;
            qkm1 *= BIGINV;
        }
        if (std::fabs(qk) < BIGINV || std::fabs(pk) < BIGINV) {
            pkm2 *= BIG;
            pkm1 *= BIG;
            qkm2 *= BIG;
            qkm1 *= BIG;
        }
    }
    return MathErrorResult(kMathNoConvergence, ans);
}

// The complement of a probability that lies close to 0, kept below 1.
Extended OneMinus(Extended t) { return t <= MACHEP ? 1.0L - MACHEP : 1.0L - t; }

}  // namespace

Extended IncBetaCF1(Extended a, Extended b, Extended x) {
    const CFTerms start{a, a + b, a, a + 1.0L, 1.0L, b - 1.0L, a + 1.0L, a + 2.0L};
    return ContinuedFraction(x, start, [](CFTerms& k) {
        k.k1 += 1.0L;
        k.k2 += 1.0L;
        k.k3 += 2.0L;
        k.k4 += 2.0L;
        k.k5 += 1.0L;
        k.k6 -= 1.0L;
        k.k7 += 2.0L;
        k.k8 += 2.0L;
    });
}

Extended IncBetaCF2(Extended a, Extended b, Extended x) {
    const CFTerms start{a, b - 1.0L, a, a + 1.0L, 1.0L, a + b, a + 1.0L, a + 2.0L};
    return ContinuedFraction(x / (1.0L - x), start, [](CFTerms& k) {
        k.k1 += 1.0L;
        k.k2 -= 1.0L;
        k.k3 += 2.0L;
        k.k4 += 2.0L;
        k.k5 += 1.0L;
        k.k6 += 1.0L;
        k.k7 += 2.0L;
        k.k8 += 2.0L;
    });
}

Extended IncBetaSeries(Extended a, Extended b, Extended x) {
    const Extended ai = 1.0L / a;
    Extended u = (1.0L - b) * x;
    Extended v = u / (a + 1.0L);
    const Extended t1 = v;
    Extended t = u;
    Extended n = 2.0L;
    Extended s = 0.0L;
    const Extended z = MACHEP * ai;
    while (std::fabs(v) > z) {
        u = (n - b) * x / n;
        t *= u;
        v = t / (a + n);
        s += v;
        n += 1.0L;
    }
    s += t1;
    s += ai;

    u = a * std::log(x);
    if (a + b < kMaxGammaArg && std::fabs(u) < MAXLOG) {
        return s * (Gamma(a + b) / (Gamma(a) * Gamma(b))) * std::pow(x, a);
    }
    t = LnGamma(a + b) - LnGamma(a) - LnGamma(b) + u + std::log(s);
    return t < MINLOG ? 0.0L : std::exp(t);
}

Extended IncompleteBeta(Extended a, Extended b, Extended x) {
    SetMathError(kMathOk);
    if (std::isnan(a) || std::isnan(b) || std::isnan(x) || std::isinf(a) || std::isinf(b)) {
        return MathErrorResult(kMathDomain, std::numeric_limits<Extended>::quiet_NaN());
    }
    if (a <= 0.0L || b <= 0.0L || x < 0.0L) return MathErrorResult(kMathDomain, 0.0L);
    if (x > 1.0L) return MathErrorResult(kMathDomain, 1.0L);
    if (x == 0.0L || x == 1.0L) return x;

    if (b * x <= 1.0L && x <= kSeriesMaxX) return IncBetaSeries(a, b, x);

    // Work in the tail where the expansions converge fast; I_x(a, b) = 1 - I_(1-x)(b, a).
    Extended w = 1.0L - x;
    Extended xc;
    bool swapped = false;
    if (x > a / (a + b)) {
        swapped = true;
        std::swap(a, b);
        xc = x;
        x = w;
    } else {
        xc = w;
    }

    if (swapped && b * x <= 1.0L && x <= kSeriesMaxX) return OneMinus(IncBetaSeries(a, b, x));

    const Extended y0 = x * (a + b - 2.0L) - (a - 1.0L);
    w = y0 < 0.0L ? IncBetaCF1(a, b, x) : IncBetaCF2(a, b, x) / xc;
    // The gamma routines below clear the code; a non-convergence must survive them.
    const std::int32_t cfError = GetMathError();

    Extended y = a * std::log(x);
    Extended t = b * std::log(xc);
    if (a + b < kMaxGammaArg && std::fabs(y) < MAXLOG && std::fabs(t) < MAXLOG) {
        t = std::pow(xc, b);
        t *= std::pow(x, a);
        t /= a;
        t *= w;
        t *= Gamma(a + b) / (Gamma(a) * Gamma(b));
    } else {
        y += t + LnGamma(a + b) - LnGamma(a) - LnGamma(b);
        y += std::log(w / a);
        t = y < MINLOG ? 0.0L : std::exp(y);
    }
    SetMathError(cfError);

    return swapped ? OneMinus(t) : t;
}

Extended StudentTProb(std::int32_t n, Extended t) {
    if (n < 1) return MathErrorResult(kMathDomain, 0.0L);
    const Extended df = static_cast<Extended>(n);
    const Extended t2 = t * t;
    // I_x(n/2, 1/2) with x = n/(n + t²). For |t| < 1, x rounds close to 1 and loses the digits
    // of 1 - x, so the complement t²/(n + t²) is formed directly and the symmetric form used;
    // the probability is then above 0.3 and the subtraction costs nothing.
    if (t2 < 1.0L) return 1.0L - IncompleteBeta(0.5L, df / 2.0L, t2 / (df + t2));
    return IncompleteBeta(df / 2.0L, 0.5L, df / (df + t2));
}
