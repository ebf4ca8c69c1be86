// Number-to-text conversions of every report, export and tree file, plus logarithms to other
// bases and a key sort with a companion array.
//
// All text is locale-independent ("." as decimal separator, no grouping) and does not depend
// on the current rounding mode, so files come out the same on every machine and in every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/types.h"

// Decimal of an unsigned value, no sign, no padding. Takes 64 bits so that size_t counts are
// never truncated; a 32-bit value prints as itself.
std::string UIntToStr(std::uint64_t value);

// Decimal with a leading "-" for negatives, no padding.
std::string IntToStr(std::int64_t value);

// The value's 32-bit pattern written as unsigned: IntToStrB(-1) is "4294967295".
std::string IntToStrB(std::int32_t value);

std::string ByteToStr(std::uint8_t value);

// Right-aligned in a field of 5: WordToStr(7) is "    7".
std::string WordToStr(std::uint16_t value);

// Fixed-point text of x: the exact value rounded to `decimals` places, an exact half away
// from zero (0.125 with 2 decimals is "0.13", -0.125 is "-0.13"); "-" for negatives, but a
// value that rounds to zero (also -0.0) is written without it; at least one digit before the
// point, the point only when decimals > 0, no exponent. Padded with blanks on the left up to
// `width`, never cut. Negative decimals count as 0; more than 100 decimals as 100.
std::string ExtToStrF(Extended x, int width, int decimals);

// The one spelling of an undefined value (a NaN of either sign) and of an infinite one in matrix
// text the program writes and reads back; R's read.table reads them the same.
inline constexpr std::string_view kNaNText = "NaN";
inline constexpr std::string_view kInfText = "Inf";
inline constexpr std::string_view kMinusInfText = "-Inf";

// ExtToStrF, with kNaNText, kInfText or kMinusInfText right-aligned in width for a value that is
// not finite.
std::string MatrixValueToStr(Extended x, int width, int decimals);

// ExtToStrF with width 10 and 9 decimals.
std::string ExtToStr(Extended x);

// ExtToStrF with the arguments in the other order.
std::string FloatToStrF(Extended x, int decimals, int width);

// Parses a decimal integer (optional sign, digits, nothing else; at most 32-bit signed
// magnitude) into its low 16 bits. Returns 0 on success; otherwise the 1-based position of the
// first invalid character (the end of the text + 1 when digits are missing), at most 255, and
// value is set to 0. StrToWord("70000") succeeds with 4464.
std::uint8_t StrToWord(std::string_view text, std::uint16_t& value);

// Logarithm of x to the given base: log2(x) / log2(base).
Extended LogA(Extended x, Extended base);
Extended Log2(Extended x);
// log10(2) * log2(x).
Extended Log10(Extended x);

// Sorts keys[lo..hi] ascending (signed comparison) and applies every exchange to companions
// as well; equal keys end in no defined order. Does nothing when the range is empty or does
// not lie inside both arrays.
void QuickSortKeys(std::span<std::int32_t> keys, std::span<std::uint32_t> companions,
                   std::ptrdiff_t lo, std::ptrdiff_t hi);
