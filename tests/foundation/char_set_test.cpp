#include "foundation/char_set.h"

#include <gtest/gtest.h>

TEST(CharSet, HoldsExactlyTheGivenCharacters) {
    constexpr CharSet set = MakeCharSet(std::string_view("\0a\xFF", 3));
    for (int c = 0; c < 256; ++c) {
        const bool member = c == 0 || c == 'a' || c == 0xFF;
        EXPECT_EQ(set.Contains(static_cast<unsigned char>(c)), member) << c;
    }
    EXPECT_TRUE(set.Contains('\xFF'));
    EXPECT_EQ(set.Bits[0], 1u);
    EXPECT_EQ(set.Bits[31], 0x80u);
    EXPECT_TRUE(MakeCharSet("").IsEmpty());
    EXPECT_FALSE(set.IsEmpty());
}
