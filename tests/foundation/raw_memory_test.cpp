#include "foundation/raw_memory.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

#include "foundation/packed_matrix.h"

namespace {

static_assert(!std::is_same_v<APByte, AByte>);

TEST(RawAccessors, ReadBackAtUnalignedOffsets) {
    std::array<std::uint8_t, 64> block{};
    SetByte(3, block.data(), 0xAB);
    EXPECT_EQ(GetByte(3, block.data()), 0xAB);
    SetWord(block.data(), 5, 0xBEEF);
    EXPECT_EQ(GetWord(block.data(), 5), 0xBEEF);
    EXPECT_EQ(block[5], 0xEF);  // little-endian, as the node buffers are laid out
    SetDWord(block.data(), 9, 0xDEADBEEFu);
    EXPECT_EQ(GetDWord(block.data(), 9), 0xDEADBEEFu);
    SetDWordAt(block.data(), 13, 7u);
    EXPECT_EQ(GetDWordAt(block.data(), 13), 7u);
    EXPECT_EQ(GetDWord(block.data(), 9), 0xDEADBEEFu);
}

TEST(RawAccessors, ExtendedUsesTenBytesAndLeavesTheRestOfTheSlot) {
    std::vector<std::uint8_t> block(64, 0x5A);
    const Extended values[] = {0.0L, -1.5L, 1.0L / 3.0L, std::numeric_limits<Extended>::max(),
                               std::numeric_limits<Extended>::denorm_min(),
                               std::numeric_limits<Extended>::infinity()};
    for (const Extended v : values) {
        SetExt(block.data(), 17, v);
        EXPECT_EQ(GetExt(block.data(), 17), v);
        EXPECT_EQ(block[16], 0x5A);
        EXPECT_EQ(block[27], 0x5A) << "byte after the 10 value bytes";
    }
    SetExt(block.data(), 0, std::numeric_limits<Extended>::quiet_NaN());
    EXPECT_TRUE(std::isnan(GetExt(block.data(), 0)));

    // Packed matrices are vectors of 16-byte slots: the byte-offset view agrees with them.
    PackedMatrix m(3, 0.0L);
    SetExt(m.data(), 2 * sizeof(Extended), 2.25L);
    EXPECT_EQ(m[2], 2.25L);
    EXPECT_EQ(GetExt(m.data(), 2 * sizeof(Extended)), 2.25L);

    const Extended source = -7.125L;
    CopyExtTo(block.data(), 40, source);
    CopyExtOffsets(block.data(), m.data(), 40, sizeof(Extended));
    EXPECT_EQ(m[1], -7.125L);
    EXPECT_EQ(block[50], 0x5A);
}

TEST(BlockOps, FillMoveCount) {
    std::vector<std::uint8_t> a(300), b(300);
    FillBytes(a.data(), 9, 300);
    EXPECT_EQ(CountByte(a.data(), 9, 300), 300u);
    EXPECT_EQ(CountByte(a.data(), 9, 0), 0u);
    for (std::size_t k = 0; k < 300; ++k) a[k] = static_cast<std::uint8_t>(k * 7);
    MoveBytes(a.data(), b.data(), 300);
    EXPECT_EQ(a, b);
    std::vector<std::uint8_t> c(20, 0);
    MoveBytesAt(a.data(), c.data(), 5, 3, 7);
    for (std::size_t k = 0; k < 20; ++k)
        EXPECT_EQ(c[k], k >= 3 && k < 10 ? a[k + 2] : 0) << k;
    EXPECT_EQ(CountByte(c.data(), 0, 20), 13u);
}

TEST(BlockOps, MismatchesAndFirstMismatch) {
    std::vector<std::uint8_t> a(300, 1), b(300, 2);
    EXPECT_EQ(CountMismatches(a.data(), b.data(), 300), 300u);
    EXPECT_EQ(FirstMismatch(a.data(), b.data(), 300), 0);
    b = a;
    EXPECT_EQ(CountMismatches(a.data(), b.data(), 300), 0u);
    EXPECT_EQ(FirstMismatch(a.data(), b.data(), 300), -1);
    EXPECT_EQ(FirstMismatch(a.data(), b.data(), 0), -1);
    b[299] = 0;
    EXPECT_EQ(FirstMismatch(a.data(), b.data(), 300), 299);
    EXPECT_EQ(CountMismatches(a.data(), b.data(), 300), 1u);
    EXPECT_EQ(FirstMismatch(a.data(), b.data(), 299), -1);
}

TEST(BlockOps, OrAndIntoSeparateOrSameBlock) {
    std::vector<std::uint8_t> a{0x0F, 0xF0, 0x00, 0xFF}, b{0x3C, 0x3C, 0x01, 0x00}, out(4);
    OrBytes(a.data(), b.data(), out.data(), 4);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x3F, 0xFC, 0x01, 0xFF}));
    AndBytes(a.data(), b.data(), a.data(), 4);
    EXPECT_EQ(a, (std::vector<std::uint8_t>{0x0C, 0x30, 0x00, 0x00}));
}

TEST(CompactByMasksTest, SelectsRowsAndColumnsInOrder) {
    // 3 inner (individuals) x 4 outer (loci), cell (i, l) = 10 * l + i.
    std::vector<std::uint8_t> matrix(12);
    for (std::size_t l = 0; l < 4; ++l)
        for (std::size_t i = 0; i < 3; ++i) matrix[l * 3 + i] = static_cast<std::uint8_t>(10 * l + i);
    std::vector<std::uint8_t> out(12, 0xEE);

    const std::vector<std::uint8_t> allInner(3, 1), allOuter(4, 1);
    EXPECT_EQ(CompactByMasks(matrix.data(), out.data(), allInner.data(), allOuter.data(), 3, 4), 12u);
    EXPECT_EQ(out, matrix);

    const std::vector<std::uint8_t> noOuter(4, 0);
    std::fill(out.begin(), out.end(), 0xEE);
    EXPECT_EQ(CompactByMasks(matrix.data(), out.data(), allInner.data(), noOuter.data(), 3, 4), 0u);
    EXPECT_EQ(out, std::vector<std::uint8_t>(12, 0xEE));

    // Only the low bit counts.
    const std::vector<std::uint8_t> inner{3, 2, 1}, outer{0, 1, 0xFE, 9};
    EXPECT_EQ(CompactByMasks(matrix.data(), out.data(), inner.data(), outer.data(), 3, 4), 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 4),
              (std::vector<std::uint8_t>{10, 12, 30, 32}));
}

TEST(CompactByMasksTest, CountsBelowOneTouchNothing) {
    // Null pointers: any access would crash.
    for (const auto& [inner, outer] : {std::pair{0, 1}, {1, 0}, {-1, 5}, {5, -1}, {0, 0}})
        EXPECT_EQ(CompactByMasks(nullptr, nullptr, nullptr, nullptr, inner, outer), 0u);
}

TEST(DeleteTwoDWordsTest, ShiftsAndIgnoresBadIndices) {
    std::vector<std::uint32_t> a{0, 1, 2, 3, 4, 5, 6};
    DeleteTwoDWords(a.data(), 1, 4, 7);
    a.resize(5);
    EXPECT_EQ(a, (std::vector<std::uint32_t>{0, 2, 3, 5, 6}));
    std::vector<std::uint32_t> b{0, 1, 2};
    DeleteTwoDWords(b.data(), 1, 2, 3);  // the last two
    EXPECT_EQ(b[0], 0u);
    DeleteTwoDWords(b.data(), 0, 1, 3);
    EXPECT_EQ(b[0], 2u);
    std::vector<std::uint32_t> c{0, 1, 2};
    DeleteTwoDWords(c.data(), 2, 1, 3);
    DeleteTwoDWords(c.data(), 1, 3, 3);
    EXPECT_EQ(c, (std::vector<std::uint32_t>{0, 1, 2}));
}

TEST(FillArrays, LengthAndValue) {
    ADWord d{1, 2};
    FillDWordArray(5, 3, d);
    EXPECT_EQ(d, (ADWord{5, 5, 5}));
    FillDWordArray(5, 0, d);
    EXPECT_TRUE(d.empty());
    int x = 0;
    APtr p;
    FillPtrArray(&x, 2, p);
    EXPECT_EQ(p, (APtr{&x, &x}));
}

TEST(SmallRoutines, Arithmetic) {
    EXPECT_EQ(TriangularNumber(0), 0u);
    EXPECT_EQ(TriangularNumber(4), 10u);
    EXPECT_EQ(TriangularNumber(100000), 5000050000u);  // beyond 32 bits
    EXPECT_EQ(TriangularNumber(4), PackedSize(4));
    EXPECT_EQ(AddInt(2, -5), -3);
    EXPECT_EQ(AddInt(std::numeric_limits<std::int32_t>::max(), 1), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(MinU(3, 7), 3u);
    EXPECT_EQ(MaxU(3, 7), 7u);
    EXPECT_EQ(MaxU(std::size_t{1} << 40, 1), std::size_t{1} << 40);
    EXPECT_EQ(MinByte(9, 2), 2);
    EXPECT_EQ(MinByte(0, 2), 0);
}

TEST(SmallRoutines, Bits) {
    EXPECT_EQ(SetBit(5, 0, 0), 4);
    EXPECT_EQ(SetBit(4, 7, 1), 0x84);
    EXPECT_EQ(SetBit(4, 2, 1), 4);
    EXPECT_EQ(GetBit(4, 2), 1);
    EXPECT_EQ(GetBit(4, 1), 0);
    EXPECT_EQ(GetBit(0x80, 7), 1);
}

TEST(SmallRoutines, SwapsAndOrders) {
    std::uint8_t a1 = 1, b1 = 2;
    EXPECT_EQ(SwapValues(&a1, &b1, 1), 0);
    EXPECT_EQ(a1, 2);
    EXPECT_EQ(b1, 1);
    std::uint16_t a2 = 100, b2 = 200;
    EXPECT_EQ(SwapValues(&a2, &b2, 2), 0);
    EXPECT_EQ(a2, 200);
    std::uint32_t a4 = 7, b4 = 9;
    EXPECT_EQ(SwapValues(&a4, &b4, 4), 0);
    EXPECT_EQ(a4, 9u);
    std::uint64_t a8 = 1, b8 = 2;
    EXPECT_EQ(SwapValues(&a8, &b8, 8), 1);
    EXPECT_EQ(a8, 1u);
    EXPECT_EQ(b8, 2u);
    SwapDWords(a4, b4);
    EXPECT_EQ(a4, 7u);
    std::uint16_t w1 = 9, w2 = 3;
    OrderWords(w1, w2);
    EXPECT_EQ(w1, 3);
    EXPECT_EQ(w2, 9);
    OrderWords(w1, w2);
    EXPECT_EQ(w1, 3);
}

TEST(SmallRoutines, SwapBufferToggleDigit) {
    AByte a{1, 2}, b{3, 4, 5};
    SwapBuffer(a, b, 6);
    EXPECT_EQ(a, (AByte{3, 4, 5}));
    EXPECT_EQ(b.size(), 6u);
    std::uint8_t flag = 1;
    ToggleBool(flag);
    EXPECT_EQ(flag, 0);
    ToggleBool(flag);
    EXPECT_EQ(flag, 1);
    flag = 7;
    ToggleBool(flag);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(DigitAt(0, 1234), '4');
    EXPECT_EQ(DigitAt(3, 1234), '1');
    EXPECT_EQ(DigitAt(4, 1234), '0');
    EXPECT_EQ(DigitAt(0, 0), '0');
}

}  // namespace
