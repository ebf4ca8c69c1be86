#include "numeric/gamma.h"

#include <cmath>

#include "numeric/math_error.h"
#include "numeric/polynomial.h"

namespace {

constexpr Extended kSqrtTwoPi = 2.50662827463100050247L;
constexpr Extended kLnSqrtTwoPi = 0.918938533204672741749L;
constexpr Extended kPi = 3.14159265358979323830L;
constexpr Extended kLnPi = 1.14472988584940017407L;
constexpr Extended kMaxGammaArg = 1755.45499999999999996L;
constexpr Extended kMaxLnGammaArg = 1.04848146839019520990E+4928L;
constexpr Extended kMinReflectionDivisor = 5.28117926750605310786E-4932L;
constexpr Extended kSmallArg = 0.03125L;

// Stirling correction polynomials in 1/x.
constexpr Extended STIR[9] = {
    7.14739137814361078903E-4L,  -2.36384880950175906143E-5L, -5.95023755405633015592E-4L,
    6.98933226062319317221E-5L,  7.84033484274475300406E-4L,  -2.29471974787318540568E-4L,
    -2.68132716187630441837E-3L, 3.47222222223007532784E-3L,  8.33333333333333180077E-2L,
};
constexpr Extended STIRLarge[6] = {
    6.97281375836585777404E-5L,  7.84039221720066627440E-4L, -2.29472093621399176963E-4L,
    -2.68132716049382716047E-3L, 3.47222222222222222218E-3L, 8.33333333333333333220E-2L,
};
// 1/Gamma(x) / x near zero, for x >= 0 and for -x with x < 0.
constexpr Extended S[9] = {
    -1.19394505138151009563E-3L, 7.22059947803690967242E-3L,  -9.62202336040627164577E-3L,
    -4.21977336070591547003E-2L, 1.66538611372080520674E-1L,  -4.20026350340334405431E-2L,
    -6.55878071520254068494E-1L, 5.77215664901532860833E-1L,  1.0L,
};
constexpr Extended SN[9] = {
    1.13337416724389438198E-3L,  7.22083726189317032560E-3L, 9.62191115503597673329E-3L,
    -4.21977334373119172142E-2L, -1.66538611394441351933E-1L, -4.20026350340211291022E-2L,
    6.55878071520253654709E-1L,  5.77215664901532860887E-1L, -1.0L,
};
// Stirling series of ln Gamma in 1/x².
constexpr Extended LS[7] = {
    4.88502614243227078081E-3L,  -1.88080193811937690727E-3L, 8.41272329732249808060E-4L,
    -5.95234585176568851476E-4L, 7.93650779585507075579E-4L,  -2.77777777775034960340E-3L,
    8.33333333333333144840E-2L,
};
// Gamma(x + 2) = P(x) / Q(x) for 0 <= x <= 1.
constexpr Extended P[8] = {
    4.21276048747162201286E-5L, 4.54293196060800915579E-4L, 4.09266682839403550074E-3L,
    2.38536324346110825246E-2L, 1.11306281601936155905E-1L, 3.62951543664023916860E-1L,
    8.37800430157312672871E-1L, 1.0L,
};
constexpr Extended Q[9] = {
    -1.39714851747617044083E-5L, 2.34658405916063524412E-4L,  -1.23779924665315223117E-3L,
    -7.95593368249473832028E-4L, 2.77370656584007297924E-2L,  -4.63388767124453421366E-2L,
    -2.24351090567032916459E-1L, 4.15016095058845543435E-1L,  1.0L,
};
// ln Gamma(x + 2) = x·A(x) / B(x) for 0 <= x <= 1 (B with a leading 1).
constexpr Extended A[7] = {
    -2.16369082764381285755E3L,  -8.72387152284351145966E4L, -1.10432681469146426116E6L,
    -6.11122501200521430019E6L,  -1.62556806254370059114E7L, -2.00393741810381517535E7L,
    -8.87566678365070380096E6L,
};
constexpr Extended B[7] = {
    -5.13948148443537014385E2L, -3.40357084053430467030E4L, -6.22744116406621950148E5L,
    -4.81494037941188218610E6L, -1.78543328704507815692E7L, -3.13864640765618266214E7L,
    -2.09933671775789587591E7L,
};

bool IsNegativeWhole(Extended x) { return x < 0.0L && x == std::trunc(x); }

}  // namespace

Extended GammaSign(Extended x) {
    if (x > 0.0L) return 1.0L;
    return std::fmod(std::trunc(std::fabs(x)), 2.0L) == 1.0L ? 1.0L : -1.0L;
}

Extended StirlingGamma(Extended x) {
    const Extended w = 1.0L / x;
    const Extended s = x > 1024.0L ? EvalPoly(w, STIRLarge, 5) : EvalPoly(w, STIR, 8);
    return kSqrtTwoPi * std::exp((x - 0.5L) * std::log(x) - x) * (1.0L + w * s);
}

Extended StirlingLnGamma(Extended x) {
    Extended q = (x - 0.5L) * std::log(x) - x + kLnSqrtTwoPi;
    if (x <= 1.0E10L) q += EvalPoly(1.0L / (x * x), LS, 6) / x;
    return q;
}

Extended GammaSmall(Extended z, Extended x) {
    if (x == 0.0L) return MathErrorResult(kMathSingularity, MaxNum);
    if (x > 0.0L) return z / (x * EvalPoly(x, S, 8));
    const Extended ax = std::fabs(x);
    return z / (ax * EvalPoly(ax, SN, 8));
}

Extended Gamma(Extended x) {
    SetMathError(kMathOk);
    const Extended sgn = GammaSign(x);
    if (x == 0.0L || IsNegativeWhole(x)) return MathErrorResult(kMathSingularity, sgn * MaxNum);
    if (x > kMaxGammaArg) return MathErrorResult(kMathOverflow, MaxNum);

    if (std::fabs(x) > 13.0L) {
        if (x > 0.0L) return StirlingGamma(x);
        // Reflection: Gamma(x)·Gamma(1 - x) = π / sin(πx).
        const Extended q = std::fabs(x);
        Extended z = q - std::trunc(q);
        if (z > 0.5L) z = q - (std::trunc(q) + 1.0L);
        const Extended d = std::fabs(q * std::sin(kPi * z)) * StirlingGamma(q);
        if (d <= kMinReflectionDivisor) return MathErrorResult(kMathOverflow, sgn * MaxNum);
        return sgn * kPi / d;
    }

    Extended z = 1.0L;
    while (x >= 3.0L) {
        x -= 1.0L;
        z *= x;
    }
    while (x < -kSmallArg) {
        z /= x;
        x += 1.0L;
    }
    if (std::fabs(x) <= kSmallArg) return GammaSmall(z, x);
    while (x < 2.0L) {
        z /= x;
        x += 1.0L;
    }
    if (x == 2.0L || x == 3.0L) return z;
    x -= 2.0L;
    return z * EvalPoly(x, P, 7) / EvalPoly(x, Q, 8);
}

Extended LnGamma(Extended x) {
    SetMathError(kMathOk);
    if (x == 0.0L || IsNegativeWhole(x)) return MathErrorResult(kMathSingularity, MaxNum);
    if (x > kMaxLnGammaArg) return MathErrorResult(kMathOverflow, MaxNum);

    if (std::fabs(x) > 34.0L) {
        if (x > 0.0L) return StirlingLnGamma(x);
        const Extended q = std::fabs(x);
        Extended z = q - std::trunc(q);
        if (z > 0.5L) z = std::trunc(q) + 1.0L - q;
        z = q * std::sin(kPi * z);
        if (z == 0.0L) return MathErrorResult(kMathOverflow, MaxNum);
        return kLnPi - std::log(z) - StirlingLnGamma(q);
    }
    if (x >= 13.0L) return StirlingLnGamma(x);

    Extended z = 1.0L;
    while (x >= 3.0L) {
        x -= 1.0L;
        z *= x;
    }
    while (x < 2.0L) {
        if (std::fabs(x) <= kSmallArg) return std::log(std::fabs(GammaSmall(z, x)));
        z /= x;
        x += 1.0L;
    }
    z = std::fabs(z);
    if (x == 2.0L) return std::log(z);
    x -= 2.0L;
    return std::log(z) + x * EvalPoly(x, A, 6) / EvalPoly1(x, B, 7);
}

Extended Beta(Extended x, Extended y) {
    SetMathError(kMathOk);
    const Extended sgn = GammaSign(x) * GammaSign(y) * GammaSign(x + y);
    const Extended lnXY = LnGamma(x + y);
    if (GetMathError() != kMathOk) return 0.0L;
    const Extended lnY = LnGamma(y);
    if (GetMathError() != kMathOk) return sgn * MaxNum;
    const Extended lnX = LnGamma(x);
    if (GetMathError() != kMathOk) return sgn * MaxNum;
    return sgn * std::exp(lnX + lnY - lnXY);
}
