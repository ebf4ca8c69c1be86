#include "foundation/strict_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include "foundation/number_text.h"
#include "foundation/strings.h"

namespace {

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of decimal digits at the start of text.
std::size_t DigitRun(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && IsDecimalDigit(text[n])) ++n;
    return n;
}

}  // namespace

bool StrictToUInt64(std::string_view text, std::uint64_t& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || DigitRun(text) != text.size()) return false;
    std::uint64_t parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed, 10);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value = parsed;
    return true;
}

bool StrictToExtended(std::string_view text, Extended& value) {
    // The shape is checked by hand: from_chars on its own accepts "inf", "nan" and hex floats.
    std::string_view body = text;
    const bool negative = !body.empty() && body.front() == '-';
    if (!body.empty() && (body.front() == '-' || body.front() == '+')) body.remove_prefix(1);
    std::size_t i = DigitRun(body);
    std::size_t digits = i;
    if (i < body.size() && body[i] == '.') {
        const std::size_t fraction = DigitRun(body.substr(i + 1));
        digits += fraction;
        i += 1 + fraction;
    }
    if (digits == 0) return false;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
        const std::size_t exponent = DigitRun(body.substr(i));
        if (exponent == 0) return false;
        i += exponent;
    }
    if (i != body.size()) return false;
    Extended parsed = 0.0L;
    const auto [end, ec] =
        std::from_chars(body.data(), body.data() + body.size(), parsed, std::chars_format::general);
    if (ec != std::errc() || end != body.data() + body.size() || !std::isfinite(parsed)) return false;
    value = negative ? -parsed : parsed;
    return true;
}

bool StrictToMatrixValue(std::string_view text, Extended& value) {
    if (text == kNaNText) {
        value = std::numeric_limits<Extended>::quiet_NaN();
        return true;
    }
    if (text == kInfText || text == kMinusInfText) {
        value = text == kInfText ? std::numeric_limits<Extended>::infinity() : -std::numeric_limits<Extended>::infinity();
        return true;
    }
    return StrictToExtended(text, value);
}

bool ParseStrictInteger(std::string_view text, std::int64_t& value) {
    const std::string trimmed = TrimCharsAtEnds(text, " \t");
    std::string_view digits = trimmed;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
    if (digits.empty() || digits.front() < '0' || digits.front() > '9') return false;
    std::uint64_t magnitude = 0;
    if (!StrictToUInt64(digits, magnitude)) return false;
    constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int64_t>::max();
    if (magnitude > kMaxPositive + (negative ? 1 : 0)) return false;
    value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

bool ParseStrictFloat(std::string_view text, Extended& value) {
    return StrictToExtended(TrimCharsAtEnds(text, " \t"), value);
}
