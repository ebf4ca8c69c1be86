#include "foundation/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "foundation/rounding.h"

namespace {

TEST(IntegerText, Conversions) {
    EXPECT_EQ(UIntToStr(4294967295u), "4294967295");
    EXPECT_EQ(UIntToStr(0), "0");
    EXPECT_EQ(UIntToStr(std::size_t{10000000000u}), "10000000000");
    EXPECT_EQ(IntToStr(-1), "-1");
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(IntToStrB(-1), "4294967295");
    EXPECT_EQ(IntToStrB(123), "123");
    EXPECT_EQ(ByteToStr(255), "255");
    EXPECT_EQ(ByteToStr(0), "0");
    EXPECT_EQ(WordToStr(7), "    7");
    EXPECT_EQ(WordToStr(65535), "65535");
    EXPECT_EQ(WordToStr(0), "    0");
}

TEST(FixedText, WidthsAndDecimals) {
    const struct { Extended x; int width, decimals; const char* text; } cases[] = {
        {3.14159L, 8, 2, "    3.14"},
        {3.14159L, 0, 2, "3.14"},
        {3.14159L, 2, 2, "3.14"},        // never cut
        {-3.14159L, 8, 2, "   -3.14"},
        {2.5L, 0, 0, "3"},               // an exact half away from zero, no point
        {3.5L, 4, 0, "   4"},
        {0.125L, 0, 2, "0.13"},
        {0.126L, 0, 2, "0.13"},
        {-0.4L, 0, 0, "0"},                // rounds to zero: no sign
        {0.001L, 0, 1, "0.0"},
        {123456789012.5L, 0, 1, "123456789012.5"},
        {1e30L, 0, 0, "1000000000000000000024696061952"},
        {1.0L / 3.0L, 0, 20, "0.33333333333333333334"},
        {5.0L, 6, -3, "     5"},         // negative decimals count as 0
        {5.0L, -4, 1, "5.0"},            // negative width pads nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtToStrF(c.x, c.width, c.decimals), c.text)
            << static_cast<double>(c.x) << " " << c.width << ":" << c.decimals;
    EXPECT_EQ(FloatToStrF(3.14159L, 2, 8), "    3.14");
}

// Exact halves of the last place round away from zero; everything else is the exact value
// rounded to nearest, so the neighbours of a half fall to either side of it.
TEST(FixedText, ExactHalvesRoundAwayFromZero) {
    const struct { Extended x; int decimals; const char* text; } cases[] = {
        {0.5L, 0, "1"},
        {-0.5L, 0, "-1"},
        {1.5L, 0, "2"},
        {-2.5L, 0, "-3"},
        {9.5L, 0, "10"},
        {-99.5L, 0, "-100"},
        {0.125L, 2, "0.13"},
        {-0.125L, 2, "-0.13"},
        {0.375L, 2, "0.38"},
        {9.875L, 2, "9.88"},
        {0.9375L, 3, "0.938"},
        {0.0009765625L, 9, "0.000976563"},  // 2^-10
        {0.0009765625L, 10, "0.0009765625"},
        {0.0009765625L, 8, "0.00097656"},   // not a half at 8 places
        {4611686018427387904.5L, 0, "4611686018427387905"},  // 2^62 + 1/2
        {0.125L, 1, "0.1"},                  // not a half at 1 place
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtToStrF(c.x, 0, c.decimals), c.text) << c.text;
    EXPECT_EQ(ExtToStr(0.0009765625L), "0.000976563");
    EXPECT_EQ(FloatToStrF(-0.125L, 2, 7), "  -0.13");

    const struct { Extended half; int decimals; const char* below; const char* above; } near[] = {
        {0.125L, 2, "0.12", "0.13"},
        {2.5L, 0, "2", "3"},
        {0.0009765625L, 9, "0.000976562", "0.000976563"},
        {-0.125L, 2, "-0.13", "-0.12"},
        {-2.5L, 0, "-3", "-2"},
    };
    for (const auto& c : near) {
        EXPECT_EQ(ExtToStrF(std::nextafter(c.half, -1e9L), 0, c.decimals), c.below) << c.below;
        EXPECT_EQ(ExtToStrF(std::nextafter(c.half, 1e9L), 0, c.decimals), c.above) << c.above;
    }
}

// Decimal constants such as 9.995 are not halves once stored: the text follows the stored value.
TEST(FixedText, DecimalConstantsFollowTheStoredValue) {
    EXPECT_EQ(ExtToStrF(9.995L, 0, 25), "9.9949999999999999998959166");
    EXPECT_EQ(ExtToStrF(9.995L, 0, 2), "9.99");
    EXPECT_EQ(ExtToStrF(static_cast<Extended>(9.995), 0, 2), "9.99");
    EXPECT_EQ(ExtToStrF(2.675L, 0, 2), "2.67");
    EXPECT_EQ(ExtToStrF(1.0051L, 0, 2), "1.01");
}

TEST(FixedText, ZeroAndValuesRoundingToZeroHaveNoSign) {
    EXPECT_EQ(ExtToStrF(-0.0L, 0, 2), "0.00");
    EXPECT_EQ(ExtToStrF(-0.0L, 0, 0), "0");
    EXPECT_EQ(ExtToStrF(-0.001L, 5, 2), " 0.00");
    EXPECT_EQ(ExtToStrF(-0.0049L, 0, 2), "0.00");
    EXPECT_EQ(ExtToStr(-1e-12L), "0.000000000");
    EXPECT_EQ(ExtToStrF(-0.006L, 0, 2), "-0.01");
    EXPECT_EQ(ExtToStrF(-0.0625L, 0, 3), "-0.063");
}

TEST(FixedText, LargeWidthsPadOnTheLeft) {
    EXPECT_EQ(ExtToStrF(0.125L, 200, 2), std::string(196, ' ') + "0.13");
    EXPECT_EQ(ExtToStrF(-2.5L, 40, 0), std::string(38, ' ') + "-3");
    EXPECT_EQ(ExtToStrF(1.0L / 3.0L, 45, 40),
              "   0.3333333333333333333423683514373792036167");
}

TEST(FixedText, ExtToStrHasNineDecimalsInWidthTen) {
    EXPECT_EQ(ExtToStr(0.5L), "0.500000000");
    EXPECT_EQ(ExtToStr(-1.0L), "-1.000000000");
    EXPECT_EQ(ExtToStr(0.0L), "0.000000000");
    EXPECT_EQ(ExtToStr(1234.5L), "1234.500000000");
}

TEST(FixedText, HugeValuesAreWrittenInFull) {
    const std::string text = ExtToStrF(std::numeric_limits<Extended>::max(), 0, 3);
    ASSERT_EQ(text.size(), 4933u + 4u);
    EXPECT_EQ(text.substr(0, 5), "11897");
    EXPECT_EQ(text.substr(text.size() - 4), ".000");
    EXPECT_EQ(ExtToStrF(-std::numeric_limits<Extended>::max(), 0, 0).size(), 4934u);
}

// Report text must not change with the rounding mode or with the user's locale.
std::vector<std::string> SampleTexts() {
    std::vector<std::string> texts;
    RandSeed = 12345;
    for (int k = 0; k < 300; ++k) {
        const Extended x = (RandomFloat() - 0.5L) * std::pow(10.0L, static_cast<int>(Random(12)) - 4);
        texts.push_back(ExtToStr(x));
        texts.push_back(ExtToStrF(x, 12, static_cast<int>(Random(12))));
    }
    for (const Extended x : {0.5L, 1.5L, 2.5L, -2.5L, 0.125L, 0.375L, 1e-10L, 2.675L})
        for (int d = 0; d < 4; ++d) texts.push_back(ExtToStrF(x, 0, d));
    texts.push_back(IntToStr(-123456));
    texts.push_back(UIntToStr(1234567));
    return texts;
}

TEST(FixedText, IndependentOfRoundingMode) {
    const std::vector<std::string> reference = SampleTexts();
    for (std::uint8_t mode = 1; mode < 4; ++mode) {
        RoundModeGuard guard(mode);
        EXPECT_EQ(SampleTexts(), reference) << "mode " << int(mode);
        EXPECT_EQ(GetRoundMode(), mode) << "conversion must leave the mode alone";
    }
}

TEST(FixedText, IndependentOfNumericLocale) {
    const std::vector<std::string> reference = SampleTexts();
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* found = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                             "nl_NL.UTF-8", "ru_RU.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            found = name;
            break;
        }
    }
    if (!found) GTEST_SKIP() << "no locale with a decimal comma installed";
    const std::vector<std::string> texts = SampleTexts();
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(texts, reference) << found;
}

TEST(StrToWordTest, ResultsAndErrorPositions) {
    const struct { const char* text; std::uint8_t result; std::uint16_t value; } cases[] = {
        {"0", 0, 0},
        {"65535", 0, 65535},
        {"70000", 0, 4464},          // low 16 bits
        {"+12", 0, 12},
        {"-1", 0, 65535},
        {"12a", 3, 0},
        {"a", 1, 0},
        {"", 1, 0},
        {"-", 2, 0},
        {" 5", 1, 0},
        {"5 ", 2, 0},
        {"2147483647", 0, 65535},
        {"2147483648", 10, 0},      // beyond 32 bits signed: the overflowing digit
        {"-2147483648", 0, 0},
        {"99999999999999999999", 10, 0},
    };
    for (const auto& c : cases) {
        std::uint16_t value = 999;
        EXPECT_EQ(StrToWord(c.text, value), c.result) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
}

TEST(StrToWordTest, ErrorPositionPast255NeverReadsAsSuccess) {
    for (const std::size_t at : {254u, 255u, 256u, 300u, 511u, 512u}) {
        std::string text(at, '0');
        text += 'x';
        std::uint16_t value = 1;
        const std::uint8_t result = StrToWord(text, value);
        EXPECT_NE(result, 0) << at;
        EXPECT_EQ(result, std::min<std::size_t>(at + 1, 255)) << at;
    }
    // Leading zeros do not overflow.
    std::uint16_t value = 0;
    EXPECT_EQ(StrToWord(std::string(400, '0') + "42", value), 0);
    EXPECT_EQ(value, 42);
}

TEST(Logarithms, Bases) {
    EXPECT_NEAR(static_cast<double>(LogA(2.0L, 10.0L)), 0.30102999566398, 1e-13);
    EXPECT_EQ(Log2(8.0L), 3.0L);
    EXPECT_NEAR(static_cast<double>(Log10(1000.0L)), 3.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(LogA(std::exp(1.0L), std::exp(1.0L))), 1.0, 1e-18);
    EXPECT_TRUE(std::isnan(Log2(-1.0L)));
}

TEST(QuickSortKeysTest, MovesCompanionsWithKeys) {
    std::vector<std::int32_t> keys{3, 1, 2};
    std::vector<std::uint32_t> companions{30, 10, 20};
    QuickSortKeys(keys, companions, 0, 2);
    EXPECT_EQ(keys, (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(companions, (std::vector<std::uint32_t>{10, 20, 30}));
}

TEST(QuickSortKeysTest, RandomKeysSubrangeAndSignedOrder) {
    RandSeed = 7;
    for (std::size_t n : {1u, 2u, 5u, 17u, 200u, 5000u}) {
        std::vector<std::int32_t> keys(n);
        std::vector<std::uint32_t> companions(n);
        for (std::size_t k = 0; k < n; ++k) {
            keys[k] = static_cast<std::int32_t>(Random(40)) - 20;  // many ties and negatives
            companions[k] = static_cast<std::uint32_t>(k);
        }
        const auto original = keys;
        const std::ptrdiff_t lo = n > 2 ? 1 : 0;
        const std::ptrdiff_t hi = static_cast<std::ptrdiff_t>(n) - (n > 2 ? 2 : 1);
        QuickSortKeys(keys, companions, lo, hi);
        for (std::size_t k = 0; k < n; ++k) {
            EXPECT_EQ(keys[k], original[companions[k]]) << "companion lost its key";
            if (static_cast<std::ptrdiff_t>(k) < lo || static_cast<std::ptrdiff_t>(k) > hi) {
                EXPECT_EQ(companions[k], k) << "outside the range";
            }
        }
        for (std::ptrdiff_t k = lo; k < hi; ++k)
            EXPECT_LE(keys[static_cast<std::size_t>(k)], keys[static_cast<std::size_t>(k + 1)]);
    }
}

TEST(QuickSortKeysTest, SortedAndEqualInputsAndBadRanges) {
    std::vector<std::int32_t> keys(100000);
    std::vector<std::uint32_t> companions(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) keys[k] = static_cast<std::int32_t>(keys.size() - k);
    QuickSortKeys(keys, companions, 0, static_cast<std::ptrdiff_t>(keys.size()) - 1);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));

    std::vector<std::int32_t> same(1000, 4);
    std::vector<std::uint32_t> comp(1000, 0);
    QuickSortKeys(same, comp, 0, 999);
    EXPECT_EQ(same, std::vector<std::int32_t>(1000, 4));

    std::vector<std::int32_t> small{2, 1};
    std::vector<std::uint32_t> shortComp{0};
    QuickSortKeys(small, shortComp, 0, 1);   // companion array too short: untouched
    EXPECT_EQ(small, (std::vector<std::int32_t>{2, 1}));
    QuickSortKeys(small, companions, -1, 1);
    QuickSortKeys(small, companions, 0, 5);
    EXPECT_EQ(small, (std::vector<std::int32_t>{2, 1}));
}

}  // namespace
