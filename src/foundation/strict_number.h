// Strict, locale-free reading of numbers from data files: the whole text must be the number
// (no blanks, no trailing characters), "." is the only decimal separator, and "nan", "inf",
// hexadecimal forms, digit grouping and values outside the target type are refused.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/types.h"

// Decimal digits with an optional leading '+' that fit 64 bits unsigned.
bool StrictToUInt64(std::string_view text, std::uint64_t& value);

// Optional sign, digits with an optional "." and fraction (at least one digit in all), optional
// exponent; the result must be finite and representable (no overflow to infinity).
bool StrictToExtended(std::string_view text, Extended& value);
