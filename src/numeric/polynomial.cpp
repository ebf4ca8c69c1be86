#include "numeric/polynomial.h"

#include <cassert>
#include <cstddef>

Extended EvalPoly(Extended x, std::span<const Extended> coef, int n) {
    assert(n >= 0 && coef.size() > static_cast<std::size_t>(n));
    Extended ans = coef[0];
    for (int i = 1; i <= n; ++i) ans = ans * x + coef[static_cast<std::size_t>(i)];
    return ans;
}

Extended EvalPoly1(Extended x, std::span<const Extended> coef, int n) {
    assert(n >= 1 && coef.size() >= static_cast<std::size_t>(n));
    Extended ans = x + coef[0];
    for (int i = 1; i < n; ++i) ans = ans * x + coef[static_cast<std::size_t>(i)];
    return ans;
}
