// An extended value held as two doubles whose sum is exactly that value (signed zeros included).
// Loading two doubles and adding them costs a fraction of loading one 80-bit value on current
// processors, so long read-only sweeps over extended matrices keep them in this form.
#pragma once

#include <cmath>
#include <cstring>

#include "foundation/types.h"

struct SplitExtended {
    double hi = 0.0, lo = 0.0;

    Extended Value() const { return static_cast<Extended>(hi) + static_cast<Extended>(lo); }

    // False when x has no exact split (infinite, NaN, beyond the range of doubles, or too small
    // for the low part to keep its bits).
    static bool From(Extended x, SplitExtended& out) {
        out.hi = static_cast<double>(x);
        if (!std::isfinite(out.hi)) return false;
        // -(hi - x) rather than x - hi: a zero x then gives a low part that keeps its sign.
        out.lo = static_cast<double>(-(static_cast<Extended>(out.hi) - x));
        const Extended back = out.Value();
        return std::memcmp(&back, &x, 10) == 0;
    }
};
