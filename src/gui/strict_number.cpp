#include "gui/strict_number.h"

#include <limits>
#include <string>

#include "foundation/strict_number.h"
#include "foundation/strings.h"

// Dialog entries are the file parsers' strict numbers with blanks allowed at either end and,
// for integers, a sign.

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
