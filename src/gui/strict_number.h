#pragma once
// Strict, locale-free number parsing for what users type into dialogs: the whole text (blanks at
// either end aside) must be the number, "." is the only decimal separator, and "nan", "inf",
// hexadecimal and grouped numbers are refused.

#include <cstdint>
#include <string_view>

#include "foundation/types.h"

// Optional sign and decimal digits that fit a signed 64-bit integer.
bool ParseStrictInteger(std::string_view text, std::int64_t& value);

// Optional sign, digits with an optional "." and fraction, optional exponent; a finite result.
bool ParseStrictFloat(std::string_view text, Extended& value);
