// Strict, locale-free reading of numbers, the program's one parser: the whole text must be the
// number, "." is the only decimal separator, and "nan", "inf", hexadecimal forms, digit grouping
// and values outside the target type are refused (matrix text alone takes kNaNText and the infinities'
// spellings, through StrictToMatrixValue). Data files use the StrictTo forms (no blanks,
// no sign on whole numbers); what users type into dialogs uses the Parse forms, which also take
// blanks at either end and a signed integer.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/types.h"

// Decimal digits with an optional leading '+' that fit 64 bits unsigned.
bool StrictToUInt64(std::string_view text, std::uint64_t& value);

// Optional sign, digits with an optional "." and fraction (at least one digit in all), optional
// exponent; the result must be finite and representable (no overflow to infinity).
bool StrictToExtended(std::string_view text, Extended& value);

// StrictToExtended, or exactly kNaNText (number_text.h) for an undefined value, read as a quiet NaN,
// or kInfText / kMinusInfText for an infinite one.
bool StrictToMatrixValue(std::string_view text, Extended& value);

// Optional blanks, optional sign and decimal digits that fit a signed 64-bit integer, optional blanks.
bool ParseStrictInteger(std::string_view text, std::int64_t& value);

// StrictToExtended with blanks allowed at either end.
bool ParseStrictFloat(std::string_view text, Extended& value);
