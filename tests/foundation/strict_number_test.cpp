#include "foundation/strict_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

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

// What users type into dialogs: the same parser, with blanks at either end and signed integers.
TEST(StrictNumber, DialogEntries) {
    const std::pair<const char*, std::int64_t> integers[] = {{"0", 0},
                                                             {"42", 42},
                                                             {"-7", -7},
                                                             {"+7", 7},
                                                             {" 25 ", 25},
                                                             {"9223372036854775807", INT64_MAX},
                                                             {"-9223372036854775808", INT64_MIN}};
    for (const auto& [text, expected] : integers) {
        std::int64_t value = 99;
        EXPECT_TRUE(ParseStrictInteger(text, value)) << text;
        EXPECT_EQ(value, expected);
    }
    for (const char* text :
         {"", " ", "-", "+", "1.5", "1e3", "0x10", "12a", "1 2", "+-1", "--1", "9223372036854775808", "1,000"}) {
        std::int64_t value = 99;
        EXPECT_FALSE(ParseStrictInteger(text, value)) << text;
        EXPECT_EQ(value, 99);
    }
    const std::pair<const char*, Extended> floats[] = {{"0", 0.0L},      {"2.5", 2.5L},     {"-0.25", -0.25L},
                                                       {".5", 0.5L},     {"5.", 5.0L},      {"1e-5", 1e-5L},
                                                       {"+3E2", 300.0L}, {" 12.5\t", 12.5L}};
    for (const auto& [text, expected] : floats) {
        Extended value = 99.0L;
        EXPECT_TRUE(ParseStrictFloat(text, value)) << text;
        EXPECT_EQ(value, expected);
    }
    for (const char* text :
         {"", ".", "-", "12,5", "nan", "inf", "-inf", "0x1p3", "1e", "1e+", "5%", "1.2.3", "e5", "1e99999"}) {
        Extended value = 99.0L;
        EXPECT_FALSE(ParseStrictFloat(text, value)) << text;
        EXPECT_EQ(value, 99.0L);
    }
}

}  // namespace
