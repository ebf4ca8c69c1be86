// Comparison of the numeric routines with reference tables made by R (make_reference.R): shared
// by the unit tests (committed tables) and the oracle tests (tables recomputed by Rscript).
#pragma once

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/types.h"
#include "numeric/gamma.h"
#include "numeric/golden_section.h"
#include "numeric/incomplete_beta.h"
#include "numeric/math_error.h"

namespace numeric_reference {

// R computes in double: a relative error of about 1e-14 is what both sides can vouch for.
inline constexpr Extended kRelTol = 1e-14L;
// Below the normal doubles R's value carries only an absolute precision.
inline constexpr Extended kAbsTol = 1e-320L;

struct Table {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;

    std::size_t Column(const std::string& name) const {
        for (std::size_t i = 0; i < header.size(); ++i) {
            if (header[i] == name) return i;
        }
        ADD_FAILURE() << "no column " << name;
        return 0;
    }
};

inline Table ReadTable(const std::string& path) {
    Table table;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> cells;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, ',')) cells.push_back(cell);
        if (first) {
            table.header = cells;
            first = false;
        } else {
            EXPECT_EQ(cells.size(), table.header.size()) << path << ": " << line;
            table.rows.push_back(cells);
        }
    }
    EXPECT_FALSE(table.rows.empty()) << path;
    return table;
}

// The cell read as the double R wrote, widened exactly.
inline Extended Num(const std::vector<std::string>& row, std::size_t col) {
    double v = 0.0;
    const std::string& s = row.at(col);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    EXPECT_TRUE(ec == std::errc() && end == s.data() + s.size()) << "bad number " << s;
    return static_cast<Extended>(v);
}

// R obtains large and small values as exp(l) in double, which carries a relative error of
// about DBL_EPSILON·|l|: the tolerance widens by twice that (up to 3e-13 near the double limits).
inline bool Close(Extended ours, Extended ref, Extended relTol) {
    const Extended expError = ref != 0 ? 2 * DBL_EPSILON * std::fabs(std::log(std::fabs(ref))) : 0;
    return std::fabs(ours - ref) <= (relTol + expError) * std::fabs(ref) + kAbsTol;
}

#define EXPECT_REF(ours, ref, tol, what)                                                          \
    EXPECT_TRUE(::numeric_reference::Close((ours), (ref), (tol)))                                 \
        << what << ": ours " << static_cast<double>(ours) << " R " << static_cast<double>(ref)  \
        << " rel " << static_cast<double>(std::fabs(((ours) - (ref)) / (ref)))

inline void CheckGamma(const std::string& dir) {
    const Table t = ReadTable(dir + "/gamma.csv");
    const std::size_t cx = t.Column("x"), cv = t.Column("value");
    for (const auto& row : t.rows) {
        const Extended x = Num(row, cx);
        const Extended g = Gamma(x);
        EXPECT_EQ(GetMathError(), kMathOk) << "Gamma(" << row[cx] << ")";
        EXPECT_REF(g, Num(row, cv), kRelTol, "Gamma(" << row[cx] << ")");
    }
}

// ln Gamma is compared with an absolute floor of 1e-14: near its zeros (x = 1, 2) its absolute
// error is the relative error of Gamma. Up to 1755 Gamma itself is checked through its logarithm,
// which reaches the arguments that overflow a double.
inline void CheckLnGamma(const std::string& dir) {
    const Table t = ReadTable(dir + "/lgamma.csv");
    const std::size_t cx = t.Column("x"), cv = t.Column("value");
    for (const auto& row : t.rows) {
        const Extended x = Num(row, cx);
        const Extended ref = Num(row, cv);
        const Extended tol = kRelTol * std::fmax(1.0L, std::fabs(ref));
        const Extended lg = LnGamma(x);
        EXPECT_EQ(GetMathError(), kMathOk) << "LnGamma(" << row[cx] << ")";
        EXPECT_LE(std::fabs(lg - ref), tol) << "LnGamma(" << row[cx] << "): ours "
                                            << static_cast<double>(lg) << " R " << row[cv];
        // Only where |Gamma| is a normal extended number (ln LDBL_MIN = -11355.1).
        if (std::fabs(x) <= 1755.0L && ref > -11350.0L) {
            const Extended g = Gamma(x);
            EXPECT_EQ(GetMathError(), kMathOk) << "Gamma(" << row[cx] << ")";
            EXPECT_LE(std::fabs(std::log(std::fabs(g)) - ref), tol)
                << "ln |Gamma(" << row[cx] << ")|: ours " << static_cast<double>(std::log(std::fabs(g)))
                << " R " << row[cv];
        }
    }
}

inline void CheckBeta(const std::string& dir) {
    const Table t = ReadTable(dir + "/beta.csv");
    const std::size_t ca = t.Column("a"), cb = t.Column("b"), cv = t.Column("value");
    for (const auto& row : t.rows) {
        const Extended b = Beta(Num(row, ca), Num(row, cb));
        EXPECT_EQ(GetMathError(), kMathOk) << "Beta(" << row[ca] << ", " << row[cb] << ")";
        EXPECT_REF(b, Num(row, cv), kRelTol, "Beta(" << row[ca] << ", " << row[cb] << ")");
    }
}

// Above a + b = 1755 the incomplete beta works with log-gamma terms of size (a+b)·ln(a+b)
// that cancel; their 80-bit rounding widens the tolerance by twice LDBL_EPSILON times that
// (1.2e-13 for 100000 degrees of freedom).
inline Extended LogBranchTolerance(Extended a, Extended b) {
    const Extended s = a + b;
    return s > 1755.0L ? 2 * LDBL_EPSILON * s * std::log(s) : 0.0L;
}

// Where the continued fraction needs more than its 401 iterations: the code says so and the
// last approximation is still good to about 1e-10.
inline bool SlowContinuedFraction(Extended a, Extended b, Extended x) {
    return a == 1e4L && b == static_cast<Extended>(0.1) && x == static_cast<Extended>(0.99999);
}

inline void CheckIncompleteBeta(const std::string& dir) {
    const Table t = ReadTable(dir + "/pbeta.csv");
    const std::size_t cx = t.Column("x"), ca = t.Column("a"), cb = t.Column("b"),
                      cv = t.Column("value");
    for (const auto& row : t.rows) {
        const Extended a = Num(row, ca), b = Num(row, cb), x = Num(row, cx);
        const Extended p = IncompleteBeta(a, b, x);
        const std::string what = "IncompleteBeta(" + row[ca] + ", " + row[cb] + ", " + row[cx] + ")";
        if (SlowContinuedFraction(a, b, x)) {
            EXPECT_EQ(GetMathError(), kMathNoConvergence) << what;
            EXPECT_REF(p, Num(row, cv), 1e-10L, what);
            continue;
        }
        EXPECT_EQ(GetMathError(), kMathOk) << what;
        EXPECT_REF(p, Num(row, cv), kRelTol + LogBranchTolerance(a, b), what);
    }
}

inline void CheckStudentT(const std::string& dir) {
    const Table t = ReadTable(dir + "/pt.csv");
    const std::size_t cd = t.Column("df"), ct = t.Column("t"), cv = t.Column("value");
    for (const auto& row : t.rows) {
        const auto df = static_cast<std::int32_t>(Num(row, cd));
        const Extended p = StudentTProb(df, Num(row, ct));
        const std::string what = "StudentTProb(" + row[cd] + ", " + row[ct] + ")";
        EXPECT_EQ(GetMathError(), kMathOk) << what;
        EXPECT_REF(p, Num(row, cv), kRelTol + LogBranchTolerance(df / 2.0L, 0.5L), what);
    }
}

// The functions make_reference.R minimises and solves, under the same names.
inline Extended TestFunction(const std::string& name, Extended x) {
    if (name == "quadratic") return (x - 2) * (x - 2);
    if (name == "quartic") return x * x * x * x - 3 * x + 1;
    if (name == "loglik") {
        return x <= 0 || x >= 1 ? 1e200L : -(7 * std::log(x) + 3 * std::log(1 - x));
    }
    if (name == "coshift") return std::cosh(x + 3.5L) + 0.25L * x;
    if (name == "sqrt2") return x * x - 2;
    if (name == "cubic") return x * x * x - 2 * x - 5;
    if (name == "cosx") return std::cos(x) - x;
    if (name == "expdecay") return std::exp(-x) - 0.1L;
    if (name == "support") {
        return x <= 0 || x >= 1 ? -1e200L
                                : 7 * std::log(x) + 3 * std::log(1 - x) -
                                      (7 * std::log(0.7L) + 3 * std::log(0.3L)) + 2;
    }
    ADD_FAILURE() << "unknown function " << name;
    return 0;
}

inline MathFunc NamedFunction() {
    return [](void* ctx, Extended x) { return TestFunction(*static_cast<const std::string*>(ctx), x); };
}

// The minimum point agrees within twice the (relative) tolerance asked; the minimum value,
// flat there, much closer.
inline void CheckMinimise(const std::string& dir) {
    const Table t = ReadTable(dir + "/optimize.csv");
    const std::size_t cn = t.Column("name"), ca = t.Column("a"), cb = t.Column("b"),
                      ct = t.Column("tol"), cx = t.Column("xmin"), cy = t.Column("ymin");
    for (const auto& row : t.rows) {
        std::string name = row[cn];
        const Extended tol = Num(row, ct);
        Extended xMin = 0, yMin = 0;
        const int rc = GoldenSectionSearch(NamedFunction(), &name, 1000, xMin, yMin, tol,
                                           Num(row, ca), Num(row, cb));
        EXPECT_EQ(rc, 0) << name;
        EXPECT_EQ(GetMathError(), 0) << name;
        const Extended rx = Num(row, cx), ry = Num(row, cy);
        EXPECT_LE(std::fabs(xMin - rx), 2 * tol * std::fmax(1.0L, std::fabs(rx))) << name;
        EXPECT_LE(std::fabs(yMin - ry), 1e-12L * std::fmax(1.0L, std::fabs(ry))) << name;
        EXPECT_LE(yMin, ry + 1e-15L * std::fmax(1.0L, std::fabs(ry))) << name << " above R's minimum";
    }
}

inline void CheckRoots(const std::string& dir) {
    const Table t = ReadTable(dir + "/uniroot.csv");
    const std::size_t cn = t.Column("name"), cl = t.Column("lo"), ch = t.Column("hi"),
                      ct = t.Column("tol"), cr = t.Column("root");
    for (const auto& row : t.rows) {
        std::string name = row[cn];
        const Extended tol = Num(row, ct);
        Extended x = Num(row, cl), y = Num(row, ch), fx = 0;
        const int rc = FindRoot(NamedFunction(), &name, x, y, 1000, tol, fx);
        EXPECT_EQ(rc, 0) << name;
        EXPECT_EQ(GetMathError(), 0) << name;
        const Extended r = Num(row, cr);
        // R's root is within a tenth of the tolerance; bisection stops within tol·(|x| + |y|).
        EXPECT_LE(std::fabs(x - r), 2.1L * tol * std::fmax(1.0L, std::fabs(r))) << name;
        EXPECT_EQ(fx, TestFunction(name, x)) << name;
    }
}

}  // namespace numeric_reference
