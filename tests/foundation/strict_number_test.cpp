#include "foundation/strict_number.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StrictNumber, WholeNumbers) {
    const struct {
        const char* text;
        bool ok;
        std::uint64_t value;
    } cases[] = {
        {"0", true, 0}, {"+17", true, 17}, {"18446744073709551615", true, 18446744073709551615ull},
        {"18446744073709551616", false, 0}, {"-1", false, 0}, {"", false, 0}, {"+", false, 0},
        {" 1", false, 0}, {"1 ", false, 0}, {"1.0", false, 0}, {"1e3", false, 0}, {"0x10", false, 0},
        {"1,000", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::uint64_t v = 99;
        EXPECT_EQ(StrictToUInt64(c.text, v), c.ok);
        EXPECT_EQ(v, c.ok ? c.value : 99u);
    }
}

TEST(StrictNumber, DecimalNumbers) {
    const struct {
        const char* text;
        bool ok;
        Extended value;
    } cases[] = {
        {"0", true, 0.0L}, {"-2.5", true, -2.5L}, {"+.5", true, 0.5L}, {"5.", true, 5.0L},
        {"1e-3", true, 0.001L}, {"2.5E+2", true, 250.0L}, {"1e999", true, 1e999L},
        {"1e99999", false, 0}, {"nan", false, 0}, {"NaN", false, 0}, {"inf", false, 0},
        {"-Infinity", false, 0}, {"0x1p3", false, 0}, {"1e", false, 0}, {".", false, 0},
        {"0,5", false, 0}, {" 1", false, 0}, {"1-", false, 0}, {"--1", false, 0}, {"", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Extended v = 99.0L;
        EXPECT_EQ(StrictToExtended(c.text, v), c.ok);
        EXPECT_EQ(v, c.ok ? c.value : 99.0L);
    }
}

}  // namespace
