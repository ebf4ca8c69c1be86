#include "foundation/number_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cfenv>
#include <cmath>
#include <system_error>
#include <utility>

namespace {

constexpr int kMaxDecimals = 100;

// Integer digits of the largest long double (about 1.19e4932) plus sign, point and decimals.
constexpr std::size_t kFixedBufferSize = 4940 + kMaxDecimals;

// Round to nearest while it lives; the caller's mode comes back afterwards, also when the
// conversion throws. Pending exception flags stay as they are.
class NearestRounding {
public:
    NearestRounding() : saved_(std::fegetround()) {
        if (saved_ != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    }
    ~NearestRounding() {
        if (saved_ != FE_TONEAREST) std::fesetround(saved_);
    }
    NearestRounding(const NearestRounding&) = delete;
    NearestRounding& operator=(const NearestRounding&) = delete;

private:
    int saved_;
};

std::string PadLeft(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

// Fixed-point digits of x with the given decimals, rounded to nearest (ties to even).
std::string FixedText(Extended x, int decimals) {
    // Almost every value fits the small buffer; only huge magnitudes need the large one.
    char small[128];
    auto res = std::to_chars(small, small + sizeof small, x, std::chars_format::fixed, decimals);
    if (res.ec == std::errc()) return std::string(small, res.ptr);
    std::string text(kFixedBufferSize, '\0');
    res = std::to_chars(text.data(), text.data() + text.size(), x, std::chars_format::fixed, decimals);
    text.resize(static_cast<std::size_t>(res.ptr - text.data()));
    return text;
}

// Whether x lies exactly halfway between two neighbouring multiples of 10^-decimals. That
// is the case exactly when x = odd * 2^-(decimals + 1): then x * 10^decimals = odd * 5^decimals / 2.
// Splitting x into mantissa and exponent is exact in every rounding mode.
bool IsDecimalTie(Extended x, int decimals) {
    if (!std::isfinite(x) || x == 0) return false;
    int exponent = 0;
    const Extended fraction = std::frexp(std::fabs(x), &exponent);  // in [0.5, 1)
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    const int lowestBit = exponent - 64 + std::countr_zero(mantissa);
    return lowestBit == -(decimals + 1);
}

// Adds one unit in the last digit of a fixed-point text, carrying to the left ("-9.99" becomes
// "-10.00").
void IncrementLastDigit(std::string& text) {
    for (std::size_t k = text.size(); k-- > 0;) {
        char& c = text[k];
        if (c == '.') continue;
        if (c < '0' || c > '9') {
            text.insert(k + 1, 1, '1');
            return;
        }
        if (c != '9') {
            ++c;
            return;
        }
        c = '0';
    }
    text.insert(0, 1, '1');
}

}  // namespace

std::string UIntToStr(std::uint64_t value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string IntToStr(std::int64_t value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string IntToStrB(std::int32_t value) { return UIntToStr(static_cast<std::uint32_t>(value)); }

std::string ByteToStr(std::uint8_t value) { return UIntToStr(value); }

std::string WordToStr(std::uint16_t value) { return PadLeft(UIntToStr(value), 5); }

std::string ExtToStrF(Extended x, int width, int decimals) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    // The conversion is exact and rounds to nearest; keep it so even where the library would
    // fall back to a conversion that follows the current rounding mode.
    const NearestRounding nearest;
    std::string text;
    if (IsDecimalTie(x, decimals)) {
        // The value has exactly decimals + 1 places, the last one a 5: write them all, drop
        // the 5 and round the rest away from zero, as reports have always shown such values.
        text = FixedText(x, decimals + 1);
        text.pop_back();
        if (text.back() == '.') text.pop_back();
        IncrementLastDigit(text);
    } else {
        text = FixedText(x, decimals);
    }
    // -0.0 and small negatives that round to zero read as plain zero.
    if (text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
    return PadLeft(std::move(text), width > 0 ? static_cast<std::size_t>(width) : 0);
}

std::string MatrixValueToStr(Extended x, int width, int decimals) {
    if (std::isfinite(x)) return ExtToStrF(x, width, decimals);
    const std::string_view text = std::isnan(x) ? kNaNText : x > 0.0L ? kInfText : kMinusInfText;
    return PadLeft(std::string(text), width > 0 ? static_cast<std::size_t>(width) : 0);
}

std::string ExtToStr(Extended x) { return ExtToStrF(x, 10, 9); }

std::string FloatToStrF(Extended x, int decimals, int width) { return ExtToStrF(x, width, decimals); }

std::uint8_t StrToWord(std::string_view text, std::uint16_t& value) {
    value = 0;
    const auto fail = [](std::size_t index) {
        return static_cast<std::uint8_t>(std::min<std::size_t>(index + 1, 255));
    };
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return fail(i);
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return fail(i);
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
        if (magnitude > limit) return fail(i);
    }
    const std::uint64_t bits = negative ? (~magnitude + 1) : magnitude;
    value = static_cast<std::uint16_t>(bits & 0xFFFFu);
    return 0;
}

Extended LogA(Extended x, Extended base) { return std::log2(x) / std::log2(base); }

Extended Log2(Extended x) { return std::log2(x); }

Extended Log10(Extended x) {
    constexpr Extended kLog10Of2 = 0.301029995663981195213738894724493027L;
    return kLog10Of2 * std::log2(x);
}

void QuickSortKeys(std::span<std::int32_t> keys, std::span<std::uint32_t> companions,
                   std::ptrdiff_t lo, std::ptrdiff_t hi) {
    if (lo < 0 || hi <= lo) return;
    const auto top = static_cast<std::size_t>(hi);
    if (top >= keys.size() || top >= companions.size()) return;
    // Hoare partition around the middle key; the smaller side recurses, the larger one loops,
    // so the depth stays logarithmic whatever the input.
    while (lo < hi) {
        const std::int32_t pivot = keys[static_cast<std::size_t>(lo + (hi - lo) / 2)];
        std::ptrdiff_t i = lo;
        std::ptrdiff_t j = hi;
        do {
            while (keys[static_cast<std::size_t>(i)] < pivot) ++i;
            while (pivot < keys[static_cast<std::size_t>(j)]) --j;
            if (i <= j) {
                std::swap(keys[static_cast<std::size_t>(i)], keys[static_cast<std::size_t>(j)]);
                std::swap(companions[static_cast<std::size_t>(i)],
                          companions[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j) QuickSortKeys(keys, companions, lo, j);
            lo = i;
        } else {
            if (i < hi) QuickSortKeys(keys, companions, i, hi);
            hi = j;
        }
    }
}
