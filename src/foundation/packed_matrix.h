// The packed lower triangle with diagonal in which the engine and the tree code exchange
// (dis)similarities: n(n+1)/2 extended values, row by row. Pairs are 1-based; the value of
// (i, j), i >= j, sits at PairIndex(i, j). An Extended occupies a 16-byte slot on x86-64,
// which is the slot size the data set records.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "foundation/types.h"

using PackedMatrix = AExt;

inline constexpr std::uint8_t kValueSize = sizeof(Extended);
static_assert(sizeof(Extended) == 16, "packed matrices assume 16-byte extended slots");

// Number of slots of a packed triangle with diagonal of n rows.
inline constexpr std::size_t PackedSize(std::size_t n) { return n * (n + 1) / 2; }

// 0-based slot of the pair (i, j); the pair may be given in either order.
inline constexpr std::size_t PairIndex(std::size_t i, std::size_t j) {
    return i >= j ? i * (i - 1) / 2 + j - 1 : j * (j - 1) / 2 + i - 1;
}

// The pair (i >= j >= 1) of a 0-based slot k.
inline void IndexToPair(std::size_t k, std::size_t& i, std::size_t& j) {
    i = static_cast<std::size_t>((std::sqrt(8.0L * static_cast<Extended>(k) + 1.0L) + 1.0L) / 2.0L);
    // Guard against the square root landing a hair off for very large k.
    while (i > 1 && i * (i - 1) / 2 > k) --i;
    while (i * (i + 1) / 2 <= k) ++i;
    j = k - i * (i - 1) / 2 + 1;
}

// The packed order, written once: f(i, j, k) for i = 1 .. n, j = 1 .. i, k = PairIndex(i, j). An f
// that returns bool stops the walk by returning false; ForEachPackedPair then returns false.
template <class F>
bool ForEachPackedPair(std::size_t n, F&& f) {
    std::size_t k = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= i; ++j, ++k) {
            if constexpr (std::is_same_v<std::invoke_result_t<F&, std::size_t, std::size_t, std::size_t>, bool>) {
                if (!f(i, j, k)) return false;
            } else {
                f(i, j, k);
            }
        }
    }
    return true;
}
