// The draw loop of the Average treatment on the generator's integer state. A draw is the float
// u = seed * 2^-32 of the advanced seed, so "lo <= u <= hi" is a window of seeds computed once per
// pair: the loop compares integers and turns only the accepted seeds into extended values. The draws
// and the accepted values are exactly those of drawing floats and comparing them with the bounds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/types.h"

// The seeds whose draw lies in [lo, hi]: first .. last, or none.
struct DrawWindow {
    std::uint32_t first = 1, last = 0;
    bool Empty() const { return first > last; }
};

// The window of [lo, hi]; empty when no draw of [0, 1) lies between the bounds (or a bound is NaN).
DrawWindow AcceptanceWindow(Extended lo, Extended hi);

// Advances the generator state (seed * 134775813 + 1 per draw) until `count` draws have landed in
// the (non-empty) window, adding the accepted values and their squares to sum and sumsq in draw
// order.
void DrawInWindow(std::uint32_t& state, const DrawWindow& window, std::size_t count, Extended& sum, Extended& sumsq);
