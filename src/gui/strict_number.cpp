#include "gui/strict_number.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Removes one leading sign; true when it was a minus.
bool TakeSign(std::string_view& text) {
    if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
    const bool negative = text.front() == '-';
    text.remove_prefix(1);
    return negative;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ParseStrictInteger(std::string_view text, std::int64_t& value) {
    text = TrimBlanks(text);
    const bool negative = TakeSign(text);
    if (text.empty() || !IsDigit(text.front())) return false;
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, 10);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int64_t>::max();
    if (magnitude > kMaxPositive + (negative ? 1 : 0)) return false;
    value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

bool ParseStrictFloat(std::string_view text, Extended& value) {
    text = TrimBlanks(text);
    const bool negative = TakeSign(text);
    // Check the shape first: from_chars alone would take "inf", "nan" and hexadecimal forms.
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (i >= text.size() || !IsDigit(text[i])) return false;
        while (i < text.size() && IsDigit(text[i])) ++i;
    }
    if (i != text.size()) return false;
    Extended parsed = 0.0L;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed,
                                           std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed)) return false;
    value = negative ? -parsed : parsed;
    return true;
}
