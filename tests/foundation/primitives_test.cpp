#include "foundation/primitives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "foundation/block_move.h"
#include "foundation/cpu_dispatch.h"
#include "foundation/primitives_variants.h"
#include "foundation/random.h"

namespace {

using namespace prims;

// Whether this processor can run a variant needing the named instruction set ("" = any).
bool Supports(const char* feature) {
    const std::string f = feature;
    if (f.empty() || f == "sse2") return true;
    if (f == "ssse3") return __builtin_cpu_supports("ssse3");
    if (f == "popcnt") return __builtin_cpu_supports("popcnt");
    if (f == "ssse3,popcnt") return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt");
    if (f == "sse4.2") return __builtin_cpu_supports("sse4.2");
    return false;
}

template <typename Fn>
struct Variant {
    const char* name;
    Fn fn;
    const char* feature;
};

constexpr std::size_t kMaxLength = 200;
constexpr std::size_t kGuard = 48;

// A buffer with room around the block. Bytes come from a small alphabet so that searches hit
// and miss; the bytes around the block come from it too, so a variant that reads or writes
// outside the block gives itself away.
struct Buffer {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kGuard + 16 + kMaxLength + kGuard);
    void Fill(std::uint32_t alphabet) {
        static const std::uint8_t kAlphabet[] = {'a', 'b', 0x00, 0x7F, 0x80, 0xFF, 0x01, 0xFE};
        for (auto& b : bytes)
            b = alphabet == 0 ? static_cast<std::uint8_t>(Random(256)) : kAlphabet[Random(alphabet)];
    }
    std::uint8_t* Block(std::size_t misalignment) {
        auto* base = bytes.data() + kGuard;
        base += (16 - reinterpret_cast<std::uintptr_t>(base) % 16) % 16;  // 16-aligned, then offset
        return base + misalignment;
    }
};

// Calls check(block, length, buffer) for every misalignment 0..15 and length 0..kMaxLength, on
// blocks of one or two letters, of a few letters and of random bytes.
template <typename Check>
void ForEveryBlock(Check check) {
    RandSeed = 2024;
    Buffer buffer;
    for (std::uint32_t alphabet : {1u, 2u, 3u, 8u, 0u}) {
        for (std::size_t mis = 0; mis < 16; ++mis) {
            for (std::size_t length = 0; length <= kMaxLength; ++length) {
                buffer.Fill(alphabet);
                check(buffer.Block(mis), length, buffer);
            }
        }
    }
}

TEST(Primitives, ByteSearchVariantsAgreeWithPlain) {
    const struct {
        const char* name;
        IndexByteFunc plain;
        std::vector<Variant<IndexByteFunc>> variants;
    } families[] = {
        {"IndexByte", IndexBytePlain, {{"SSE2", IndexByteSSE2, ""}, {"SSSE3", IndexByteSSSE3, "ssse3"}}},
        {"LastIndexByte", LastIndexBytePlain,
         {{"SSE2", LastIndexByteSSE2, ""}, {"SSSE3", LastIndexByteSSSE3, "ssse3"}}},
        {"IndexNotByte", IndexNotBytePlain,
         {{"SSE2", IndexNotByteSSE2, ""}, {"SSSE3", IndexNotByteSSSE3, "ssse3"}}},
        {"LastIndexNotByte", LastIndexNotBytePlain,
         {{"SSE2", LastIndexNotByteSSE2, ""}, {"SSSE3", LastIndexNotByteSSSE3, "ssse3"}}},
    };
    for (const auto& family : families)
        for (const auto& v : family.variants) {
            if (!Supports(v.feature)) continue;
            ForEveryBlock([&](const std::uint8_t* block, std::size_t length, Buffer&) {
                for (std::uint8_t value : {std::uint8_t{'a'}, std::uint8_t{0xFF}}) {
                    ASSERT_EQ(v.fn(block, value, length), family.plain(block, value, length))
                        << family.name << v.name << " length " << length;
                }
            });
        }
}

TEST(Primitives, OrderAndDWordSearchVariantsAgreeWithPlain) {
    ForEveryBlock([&](const std::uint8_t* block, std::size_t length, Buffer&) {
        for (std::int8_t value : {std::int8_t{-1}, std::int8_t{0}, std::int8_t{'a'}, std::int8_t{127},
                                  std::int8_t{-128}}) {
            ASSERT_EQ(IndexGreaterByteSSE2(block, value, length), IndexGreaterBytePlain(block, value, length));
            ASSERT_EQ(IndexNotGreaterByteSSE2(block, value, length),
                      IndexNotGreaterBytePlain(block, value, length));
        }
        // Dword arrays: the block's bytes read as length / 4 dwords (any alignment).
        std::vector<std::uint32_t> dwords(length / 4);
        if (!dwords.empty()) std::memcpy(dwords.data(), block, dwords.size() * 4);
        const std::uint32_t probe = dwords.empty() ? 0u : dwords[Random(static_cast<std::uint32_t>(dwords.size()))];
        for (std::uint32_t value : {probe, 0x61616161u}) {
            ASSERT_EQ(IndexDWordSSE2(dwords.data(), value, dwords.size()),
                      IndexDWordPlain(dwords.data(), value, dwords.size()));
            if (Supports("ssse3")) {
                ASSERT_EQ(IndexDWordSSSE3(dwords.data(), value, dwords.size()),
                          IndexDWordPlain(dwords.data(), value, dwords.size()));
            }
        }
    });
}

TEST(Primitives, CountVariantsAgreeWithPlain) {
    const std::vector<Variant<CountByteFunc>> counts = {
        {"SSE2", CountByteSSE2, ""}, {"SSSE3", CountByteSSSE3, "ssse3"}, {"SSSE3Popcnt", CountByteSSSE3Popcnt, "ssse3,popcnt"}};
    const std::vector<Variant<CountEqualFunc>> equals = {
        {"SSE2", CountEqualBytesSSE2, ""}, {"SSE2Popcnt", CountEqualBytesSSE2Popcnt, "popcnt"}};
    const std::vector<Variant<PopCountBytesFunc>> pops = {{"Popcnt", PopCountBytesPopcnt, "popcnt"}};
    ForEveryBlock([&](const std::uint8_t* block, std::size_t length, Buffer& buffer) {
        const std::uint8_t* other = buffer.Block(0) + (block - buffer.Block(0) + 7) % 16;
        for (const auto& v : counts)
            if (Supports(v.feature)) {
                ASSERT_EQ(v.fn(block, 'a', length), CountBytePlain(block, 'a', length)) << v.name << length;
            }
        for (const auto& v : equals)
            if (Supports(v.feature)) {
                ASSERT_EQ(v.fn(block, other, length), CountEqualBytesPlain(block, other, length)) << v.name;
            }
        for (const auto& v : pops)
            if (Supports(v.feature)) {
                ASSERT_EQ(v.fn(block, length), PopCountBytesPlain(block, length)) << v.name;
            }
        ASSERT_EQ(FirstMismatchSSE2(block, other, length), FirstMismatchPlain(block, other, length));
        ASSERT_EQ(FirstMismatchSSE2(block, block, length), -1);
    });
}

TEST(Primitives, CountsOfLongBlocks) {
    // Past the 254-piece batches of the vector counts.
    std::vector<std::uint8_t> block(100000, 'a');
    block[5] = 'b';
    block.back() = 'b';
    const std::vector<std::uint8_t> copy = block;
    EXPECT_EQ(CountBytePlain(block.data(), 'a', block.size()), block.size() - 2);
    EXPECT_EQ(CountByteSSE2(block.data(), 'a', block.size()), block.size() - 2);
    if (Supports("ssse3")) {
        EXPECT_EQ(CountByteSSSE3(block.data(), 'a', block.size()), block.size() - 2);
    }
    EXPECT_EQ(CountEqualBytesSSE2(block.data(), copy.data(), block.size()), block.size());
    EXPECT_EQ(CountByteFast(block.data(), 'b', block.size()), 2u);
}

TEST(Primitives, PopCountsAllValues) {
    for (std::uint32_t v = 0; v < 256; ++v) {
        const auto expected = static_cast<std::uint32_t>(__builtin_popcount(v));
        ASSERT_EQ(PopCountBytePlain(static_cast<std::uint8_t>(v)), expected);
        ASSERT_EQ(PopCountDWordPlain(v * 0x01010101u), 4 * expected);
        if (Supports("popcnt")) {
            ASSERT_EQ(PopCountBytePopcnt(static_cast<std::uint8_t>(v)), expected);
            ASSERT_EQ(PopCountDWordPopcnt(v * 0x01010101u), 4 * expected);
        }
    }
    EXPECT_EQ(PopCountDWord(0xFFFFFFFFu), 32u);
}

// Runs op on a copy of the whole buffer for the plain and the variant form and compares the
// whole buffers, so writes outside the block show up too.
template <typename Op>
void ExpectSameEffect(Buffer& buffer, std::size_t mis, Op plain, Op variant, const char* what,
                      std::size_t length) {
    Buffer a = buffer, b = buffer;
    plain(a.Block(mis));
    variant(b.Block(mis));
    ASSERT_EQ(a.bytes, b.bytes) << what << " length " << length << " misalignment " << mis;
}

TEST(Primitives, CombineAndAddVariantsAgreeWithPlain) {
    const struct {
        const char* name;
        CombineFunc plain, sse2;
    } combines[] = {{"And", AndBytesPlain, AndBytesSSE2},
                    {"Or", OrBytesPlain, OrBytesSSE2},
                    {"Xor", XorBytesPlain, XorBytesSSE2},
                    {"Add", AddBytesPlain, AddBytesSSE2}};
    Buffer inputA, inputB;
    ForEveryBlock([&](std::uint8_t* block, std::size_t length, Buffer& buffer) {
        const std::size_t mis = static_cast<std::size_t>(block - buffer.Block(0));
        inputA.Fill(0);
        inputB.Fill(3);
        const std::uint8_t* a = inputA.Block((mis + 5) % 16);
        const std::uint8_t* b = inputB.Block((mis * 7) % 16);
        using Fn = std::function<void(std::uint8_t*)>;
        for (const auto& c : combines) {
            ExpectSameEffect<Fn>(buffer, mis, Fn([&](std::uint8_t* p) { c.plain(a, b, p, length); }),
                                 Fn([&](std::uint8_t* p) { c.sse2(a, b, p, length); }), c.name, length);
            // In place: the output is the first input.
            ExpectSameEffect<Fn>(buffer, mis, Fn([&](std::uint8_t* p) { c.plain(p, b, p, length); }),
                                 Fn([&](std::uint8_t* p) { c.sse2(p, b, p, length); }), c.name, length);
        }
        ExpectSameEffect<Fn>(buffer, mis, Fn([&](std::uint8_t* p) { AddConstBytesPlain(p, 200, length); }),
                             Fn([&](std::uint8_t* p) { AddConstBytesSSE2(p, 200, length); }), "AddConst", length);
    });
}

TEST(Primitives, FillVariantsFillExactlyTheBlock) {
    RandSeed = 99;
    for (std::size_t length : {0u, 1u, 15u, 16u, 17u, 200u, 3999u, 4000u, 4001u, 4017u, 70000u}) {
        for (std::size_t mis = 0; mis < 16; ++mis) {
            std::vector<std::uint8_t> expected(length + 64);
            for (auto& b : expected) b = static_cast<std::uint8_t>(Random(256));
            std::vector<std::uint8_t> a = expected, b = expected;
            const auto base = [](std::vector<std::uint8_t>& v) {
                return v.data() + 16 + (16 - reinterpret_cast<std::uintptr_t>(v.data() + 16) % 16) % 16;
            };
            std::fill(base(expected) + mis, base(expected) + mis + length, 0x5C);
            FillBytesSSE2(base(a) + mis, 0x5C, length);
            ASSERT_EQ(a, expected) << length << " " << mis;
            if (Supports("ssse3")) {
                FillBytesSSSE3(base(b) + mis, 0x5C, length);
                ASSERT_EQ(b, expected) << length << " " << mis;
            }
        }
    }
}

TEST(Primitives, SearchBytesVariantsAgreeWithPlain) {
    if (!Supports("sse4.2")) GTEST_SKIP() << "no SSE4.2";
    ForEveryBlock([&](const std::uint8_t* block, std::size_t length, Buffer&) {
        // Patterns taken from the block itself (found) and from around it (mostly not found).
        for (std::size_t patternLength : {1u, 2u, 3u, 15u, 16u, 17u, 40u}) {
            for (int k = 0; k < 2; ++k) {
                const std::size_t span = length + 8;
                const std::uint8_t* pattern = block - 4 + Random(static_cast<std::uint32_t>(span));
                ASSERT_EQ(SearchBytesSSE42(block, pattern, length, patternLength),
                          SearchBytesPlain(block, pattern, length, patternLength))
                    << "length " << length << " pattern " << patternLength;
            }
        }
    });
}

TEST(Primitives, SearchEdgeCases) {
    const std::string text = "abcabcab";
    for (SearchBytesFunc search : {SearchBytesPlain, Supports("sse4.2") ? SearchBytesSSE42 : SearchBytesPlain}) {
        EXPECT_EQ(search(text.data(), "abcabcab", 8, 8), 0);   // the whole block
        EXPECT_EQ(search(text.data(), "abcabcabc", 8, 9), -1);  // longer than the block
        EXPECT_EQ(search(text.data(), "cab", 8, 3), 2);
        EXPECT_EQ(search(text.data(), "cab", 8, 0), -1);
        EXPECT_EQ(search(text.data(), "cab", 0, 3), -1);
        EXPECT_EQ(search(text.data(), "abd", 8, 3), -1);
        EXPECT_EQ(search(text.data(), "b", 7, 1), 1);
    }
    EXPECT_EQ(SearchBytesLast(text.data(), "cab", 8, 3), 5);
    EXPECT_EQ(SearchBytesLast(text.data(), "ab", 8, 2), 6);
    EXPECT_EQ(SearchBytesLast(text.data(), "abcabcab", 8, 8), 0);
    EXPECT_EQ(SearchBytesLast(text.data(), "abcabcabc", 8, 9), -1);
    EXPECT_EQ(SearchBytesLast(text.data(), "x", 8, 1), -1);
    // A pattern running past the end of the block is not found.
    const std::string longer = "xxxxxxxxxxxxxxxxxxxxab";
    EXPECT_EQ(SearchBytes(longer.data(), "abc", longer.size(), 3), -1);
}

TEST(Primitives, MatchesJustOutsideTheBlockAreNotFound) {
    alignas(16) std::uint8_t buf[64];
    std::memset(buf, 'x', sizeof buf);
    const std::uint8_t* block = buf + 1;  // 15 bytes before a 16-byte boundary
    const bool ssse3 = Supports("ssse3");
    const std::vector<IndexByteFunc> finds = {IndexBytePlain, IndexByteSSE2, LastIndexBytePlain, LastIndexByteSSE2,
                                              ssse3 ? IndexByteSSSE3 : IndexBytePlain,
                                              ssse3 ? LastIndexByteSSSE3 : LastIndexBytePlain};
    const std::vector<IndexByteFunc> notFinds = {IndexNotBytePlain, IndexNotByteSSE2, LastIndexNotBytePlain,
                                                 LastIndexNotByteSSE2, ssse3 ? IndexNotByteSSSE3 : IndexNotBytePlain,
                                                 ssse3 ? LastIndexNotByteSSSE3 : LastIndexNotBytePlain};
    for (IndexByteFunc f : finds) {
        EXPECT_EQ(f(block, 'x', 0), -1);
        EXPECT_EQ(f(block + 1, 'y', 40), -1);  // 'x' everywhere around, no 'y'
    }
    std::memset(buf, 'y', sizeof buf);
    std::memset(buf + 8, 'x', 40);  // block of 'x' with 'y' directly before and after
    for (IndexByteFunc f : finds) EXPECT_EQ(f(buf + 8, 'y', 40), -1);
    for (IndexByteFunc f : notFinds) EXPECT_EQ(f(buf + 8, 'x', 40), -1);
    EXPECT_EQ(IndexGreaterByteSSE2(buf + 8, 'x', 40), -1);  // 'y' > 'x' only outside
    EXPECT_EQ(CountByteSSE2(buf + 8, 'y', 40), 0u);
    if (ssse3) {
        EXPECT_EQ(CountByteSSSE3(buf + 8, 'y', 40), 0u);
    }
    // Matches at index 0 and 14 of a block 15 bytes before a boundary.
    std::memset(buf, 0, sizeof buf);
    buf[1 + 14] = 7;
    EXPECT_EQ(IndexByteSSE2(buf + 1, 7, 30), 14);
    buf[1] = 7;
    EXPECT_EQ(IndexByteSSE2(buf + 1, 7, 30), 0);
    buf[1 + 20] = 7;
    EXPECT_EQ(LastIndexByteSSE2(buf + 1, 7, 30), 20);
    EXPECT_EQ(LastIndexByte(buf + 1, 7, 30), 20);
}

TEST(Primitives, ListAndSetSearches) {
    const std::string text = "hello, world";
    EXPECT_EQ(IndexOfAnyChar(text.data(), ",w", text.size(), 2), 5);
    EXPECT_EQ(IndexOfAnyChar(text.data(), "xyz", text.size(), 3), -1);
    EXPECT_EQ(IndexOfAnyChar(text.data(), ",w", 0, 2), -1);
    EXPECT_EQ(IndexOfAnyChar(text.data(), ",w", text.size(), 0), -1);
    EXPECT_EQ(IndexOfAnyChar(nullptr, ",w", 5, 2), -1);
    const CharSet vowels = MakeCharSet("aeiou");
    EXPECT_EQ(IndexInSet(text.data(), vowels, text.size()), 1);
    EXPECT_EQ(LastIndexInSet(text.data(), vowels, text.size()), 8);
    EXPECT_EQ(IndexNotInSet(text.data(), MakeCharSet("hel"), text.size()), 4);
    EXPECT_EQ(LastIndexNotInSet(text.data(), MakeCharSet("dl"), text.size()), 9);
    EXPECT_EQ(IndexInSet(text.data(), vowels, 0), -1);
    EXPECT_EQ(LastIndexNotInSet(text.data(), MakeCharSet(text), text.size()), -1);
    CharSet complement;
    ComplementSet(vowels, complement);
    EXPECT_FALSE(complement.Contains('a'));
    EXPECT_TRUE(complement.Contains('b'));
    EXPECT_TRUE(complement.Contains(static_cast<char>(0xFF)));
}

TEST(Primitives, RemoveCollapseReplaceReverse) {
    const std::string text = "a,,b,,,c,";
    std::string out(text.size(), '#');
    EXPECT_EQ(RemoveByte(text.data(), ',', text.size(), out.data()), 3u);
    EXPECT_EQ(out.substr(0, 3), "abc");
    EXPECT_EQ(RemoveSetBytes(text.data(), MakeCharSet(",b"), text.size(), out.data()), 2u);
    EXPECT_EQ(out.substr(0, 2), "ac");
    EXPECT_EQ(RemoveAnyOfList(text.data(), ",a", text.size(), out.data(), 2), 2u);
    EXPECT_EQ(out.substr(0, 2), "bc");
    // An empty list removes nothing: everything is copied.
    out.assign(text.size(), '#');
    EXPECT_EQ(RemoveAnyOfList(text.data(), "", text.size(), out.data(), 0), text.size());
    EXPECT_EQ(out, text);

    EXPECT_EQ(CollapseRunsBytes(text.data(), out.data(), ',', text.size()), 6u);
    EXPECT_EQ(out.substr(0, 6), "a,b,c,");
    std::string inPlace = ",,x,,";
    inPlace.resize(CollapseRunsBytes(inPlace.data(), inPlace.data(), ',', inPlace.size()));
    EXPECT_EQ(inPlace, ",x,");

    std::string dst = "..........";
    const std::string src = "0123456789", mask = "ab9ab9ab9a";
    CopyWhereMaskNot(src.data(), dst.data(), mask.data(), '9', src.size());
    EXPECT_EQ(dst, "01.34.67.9");

    std::string r = "a-b_c-d";
    ReplaceByte(r.data(), '-', '+', r.size());
    EXPECT_EQ(r, "a+b_c+d");
    ReplaceAnyOfList(r.data(), "+_", ' ', 2, r.size());
    EXPECT_EQ(r, "a b c d");
    ReplaceAnyOfList(r.data(), "", 'x', 0, r.size());
    ReplaceSetBytes(r.data(), CharSet{}, 'x', r.size());
    EXPECT_EQ(r, "a b c d");
    ReplaceSetBytes(r.data(), MakeCharSet("ad"), 'z', r.size());
    EXPECT_EQ(r, "z b c z");

    for (const auto& [in, reversed] : {std::pair<std::string, std::string>{"", ""}, {"a", "a"}, {"ab", "ba"},
                                       {"abc", "cba"}, {"abcdefgh", "hgfedcba"}}) {
        std::string s = in;
        ReverseBytes(s.data(), s.size());
        EXPECT_EQ(s, reversed);
    }
}

TEST(Primitives, FillDWordsOrderAndPointers) {
    std::vector<std::uint32_t> a(5, 0);
    EXPECT_EQ(FillDWords(a.data(), 9u, 4), 9u);
    EXPECT_EQ(a, (std::vector<std::uint32_t>{9, 9, 9, 9, 0}));

    for (OrderUFunc f : {MinUPlain, MinUCMov}) EXPECT_EQ(f(0xFFFFFFFFu, 1u), 1u);
    for (OrderUFunc f : {MaxUPlain, MaxUCMov}) EXPECT_EQ(f(0xFFFFFFFFu, 1u), 0xFFFFFFFFu);
    for (OrderIFunc f : {MinIPlain, MinICMov}) EXPECT_EQ(f(-1, 1), -1);
    for (OrderIFunc f : {MaxIPlain, MaxICMov}) EXPECT_EQ(f(-1, 1), 1);
    for (ClampIFunc f : {ClampIPlain, ClampICMov}) {
        EXPECT_EQ(f(-5, 0, 10), 0);
        EXPECT_EQ(f(5, 0, 10), 5);
        EXPECT_EQ(f(50, 0, 10), 10);
    }
    for (ClampUFunc f : {ClampUPlain, ClampUCMov}) {
        EXPECT_EQ(f(1, 3, 10), 3u);
        EXPECT_EQ(f(0xFFFFFFFFu, 3, 10), 10u);
    }
    EXPECT_EQ(MinUFast(2, 3), 2u);
    EXPECT_EQ(ClampIFast(-7, -3, 3), -3);

    const char text[] = "abcdef";
    EXPECT_EQ(ByteAtPtr(2, text), 'c');
    EXPECT_EQ(*PtrAdd(3, text), 'd');
    std::string s = "old";
    CopyPtrToStr(text, 1, 3, s);
    EXPECT_EQ(s, "bcd");
    CopyPtrToStr(text, 1, 0, s);
    EXPECT_TRUE(s.empty());
}

// Installs the detected variants again at the end of a test that installed others.
struct DetectedDispatchRestorer {
    std::uint8_t cls = CPUClass, cmov = CPUHasCMOV, popcnt = CPUHasPOPCNT;
    DetectedDispatchRestorer() = default;
    DetectedDispatchRestorer(const DetectedDispatchRestorer&) = delete;
    DetectedDispatchRestorer& operator=(const DetectedDispatchRestorer&) = delete;
    ~DetectedDispatchRestorer() {
        CPUClass = cls;
        CPUHasCMOV = cmov;
        CPUHasPOPCNT = popcnt;
        CPUDispatchDone = 0;
        InitCPUDispatch(0);
    }
};

// Blocks that end exactly where their allocation ends, so that a sanitizer build catches any
// variant reading or writing past the block.
TEST(Primitives, VariantsStayInsideExactAllocations) {
    RandSeed = 77;
    const DetectedDispatchRestorer restore;
    const std::uint8_t top = Supports("sse4.2") && Supports("popcnt") ? 10 : 3;
    for (std::uint8_t cls : {std::uint8_t{0}, std::uint8_t{3}, std::uint8_t{4}, top}) {
        CPUClass = cls;
        CPUHasPOPCNT = cls == top ? 1 : 0;
        InitCPUDispatch(1);
        for (std::size_t length = 0; length <= 80; ++length) {
            for (std::size_t mis = 0; mis < 16; mis += 5) {
                auto a = std::make_unique<std::uint8_t[]>(mis + length);
                auto b = std::make_unique<std::uint8_t[]>(mis + length);
                auto c = std::make_unique<std::uint8_t[]>(mis + length);
                for (std::size_t k = 0; k < mis + length; ++k) {
                    a[k] = static_cast<std::uint8_t>('a' + Random(3));
                    b[k] = static_cast<std::uint8_t>('a' + Random(3));
                }
                const std::uint8_t* pa = a.get() + mis;
                const std::uint8_t* pb = b.get() + mis;
                std::uint8_t* pc = c.get() + mis;
                ASSERT_EQ(IndexByte(pa, 'z', length), -1);
                ASSERT_EQ(LastIndexByte(pa, 'z', length), -1);
                ASSERT_EQ(IndexNotByte(pa, 'z', length), length ? 0 : -1);
                ASSERT_EQ(LastIndexNotByte(pa, 'z', length), static_cast<std::ptrdiff_t>(length) - 1);
                ASSERT_EQ(IndexGreaterByte(pa, 'z', length), -1);
                ASSERT_EQ(IndexNotGreaterByte(pa, 'z', length), length ? 0 : -1);
                ASSERT_EQ(CountByteFast(pa, 'a', length), CountBytePlain(pa, 'a', length));
                ASSERT_EQ(CountEqualBytes(pa, pb, length), CountEqualBytesPlain(pa, pb, length));
                ASSERT_EQ(FirstMismatchFast(pa, pa, length), -1);
                ASSERT_EQ(PopCountBytes(pa, length), PopCountBytesPlain(pa, length));
                ASSERT_EQ(SearchBytes(pa, "zz", length, 2), -1);
                if (length >= 3) {
                    ASSERT_EQ(SearchBytes(pa, pa + length - 3, length, 3), SearchBytesPlain(pa, pa + length - 3, length, 3));
                }
                ASSERT_EQ(IndexDWord(reinterpret_cast<const std::uint32_t*>(c.get()), 1u, 0), -1);
                AndBytesFast(pa, pb, pc, length);
                AddConstBytes(pc, 1, length);
                FillBytesFast(pc, 0, length);
                MoveFast(pa, pc, length);
                ASSERT_EQ(FirstMismatchFast(pa, pc, length), -1);
            }
        }
        // Dword arrays of exact size.
        for (std::size_t count = 0; count <= 20; ++count) {
            auto d = std::make_unique<std::uint32_t[]>(count);
            for (std::size_t k = 0; k < count; ++k) d[k] = static_cast<std::uint32_t>(k);
            ASSERT_EQ(IndexDWord(d.get(), 99u, count), -1);
            if (count > 0) {
                ASSERT_EQ(IndexDWord(d.get(), static_cast<std::uint32_t>(count - 1), count),
                          static_cast<std::ptrdiff_t>(count - 1));
            }
        }
    }
}

// A dispatched primitive and the plain variant it must agree with.
template <typename Fn>
struct Dispatched {
    const char* name;
    Fn* installed;  // the variable the dispatcher sets
    Fn plain;
};

// A block to hold the variants against the plain ones, with what the checks need around it.
struct BlockCase {
    Buffer buffer, inputA, inputB;  // the block lies in buffer; second inputs lie in inputA and inputB
    std::size_t mis = 0, length = 0;
    std::uint8_t inBlock = 'a';                // a byte of the block, so that searches find it
    std::vector<std::uint8_t> changed;         // the block with one byte changed, one longer (never null)
    std::vector<std::uint32_t> dwords;         // the block's bytes as length / 4 dwords
    std::uint32_t dwordProbe = 0;              // one of them
    std::array<std::uint32_t, 4> patternAt{};  // patterns start at block - 4 + these

    std::uint8_t* Block() { return buffer.Block(mis); }
    const std::uint8_t* A() { return inputA.Block((mis + 5) % 16); }
    const std::uint8_t* B() { return inputB.Block((mis * 7) % 16); }
    std::string Where() const { return "length " + std::to_string(length) + " misalignment " + std::to_string(mis); }
};

// Every misalignment and the lengths around the vector widths, on blocks of one letter, of a few
// letters and of random bytes.
std::vector<BlockCase> MakeBlockCases() {
    RandSeed = 31;
    std::vector<BlockCase> cases;
    for (std::uint32_t alphabet : {1u, 3u, 0u}) {
        for (std::size_t mis = 0; mis < 16; ++mis) {
            for (std::size_t length = 0; length <= 72; ++length) {
                BlockCase c;
                c.mis = mis;
                c.length = length;
                c.buffer.Fill(alphabet);
                c.inputA.Fill(alphabet);
                c.inputB.Fill(3);
                const std::uint8_t* block = c.Block();
                const auto n = static_cast<std::uint32_t>(length);
                c.changed.assign(block, block + length + 1);
                if (length > 0) {
                    c.inBlock = block[Random(n)];
                    c.changed[Random(n)] ^= 0x10;
                }
                c.dwords.resize(length / 4);
                if (!c.dwords.empty()) {
                    std::memcpy(c.dwords.data(), block, c.dwords.size() * 4);
                    c.dwordProbe = c.dwords[Random(static_cast<std::uint32_t>(c.dwords.size()))];
                }
                for (auto& at : c.patternAt) at = Random(n + 8);
                cases.push_back(std::move(c));
            }
        }
    }
    return cases;
}

// The pairs of installed and plain variant held against each other so far.
using Verified = std::set<std::pair<std::uintptr_t, std::uintptr_t>>;

// Runs check(case, installed, plain) on every case, unless the installed variant is the plain one or
// has been held against it already.
template <typename Fn, typename Cases, typename Check>
void HoldAgainstPlain(const Dispatched<Fn>& f, Cases& cases, Verified& verified, Check check) {
    const Fn installed = *f.installed;
    if (installed == f.plain) return;
    if (!verified.emplace(reinterpret_cast<std::uintptr_t>(installed), reinterpret_cast<std::uintptr_t>(f.plain))
             .second)
        return;
    SCOPED_TRACE(f.name);
    for (auto& c : cases) {
        check(c, installed, f.plain);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

// Holds every dispatched primitive, as installed now, against its plain variant.
void HoldInstalledVariantsAgainstPlain(std::vector<BlockCase>& blocks, Verified& verified) {
    for (const auto& f : {Dispatched<IndexByteFunc>{"IndexByte", &IndexByte, IndexBytePlain},
                          Dispatched<IndexByteFunc>{"LastIndexByte", &LastIndexByte, LastIndexBytePlain},
                          Dispatched<IndexByteFunc>{"IndexNotByte", &IndexNotByte, IndexNotBytePlain},
                          Dispatched<IndexByteFunc>{"LastIndexNotByte", &LastIndexNotByte, LastIndexNotBytePlain}})
        HoldAgainstPlain(f, blocks, verified, [](BlockCase& c, IndexByteFunc fn, IndexByteFunc plain) {
            for (std::uint8_t value : {c.inBlock, std::uint8_t{0xFF}})
                ASSERT_EQ(fn(c.Block(), value, c.length), plain(c.Block(), value, c.length)) << c.Where();
        });
    for (const auto& f :
         {Dispatched<IndexOrderFunc>{"IndexGreaterByte", &IndexGreaterByte, IndexGreaterBytePlain},
          Dispatched<IndexOrderFunc>{"IndexNotGreaterByte", &IndexNotGreaterByte, IndexNotGreaterBytePlain}})
        HoldAgainstPlain(f, blocks, verified, [](BlockCase& c, IndexOrderFunc fn, IndexOrderFunc plain) {
            for (std::int8_t value : {static_cast<std::int8_t>(c.inBlock), std::int8_t{-1}, std::int8_t{127}})
                ASSERT_EQ(fn(c.Block(), value, c.length), plain(c.Block(), value, c.length)) << c.Where();
        });
    HoldAgainstPlain(
        Dispatched<IndexDWordFunc>{"IndexDWord", &IndexDWord, IndexDWordPlain}, blocks, verified,
        [](BlockCase& c, IndexDWordFunc fn, IndexDWordFunc plain) {
            for (std::uint32_t value : {c.dwordProbe, 0x61616161u})
                ASSERT_EQ(fn(c.dwords.data(), value, c.dwords.size()), plain(c.dwords.data(), value, c.dwords.size()))
                    << c.Where();
        });
    // Patterns from the block itself (found) and from around it (mostly not found).
    HoldAgainstPlain(Dispatched<SearchBytesFunc>{"SearchBytes", &SearchBytes, SearchBytesPlain}, blocks, verified,
                     [](BlockCase& c, SearchBytesFunc fn, SearchBytesFunc plain) {
                         const std::size_t patternLengths[] = {1, 3, 16, 17};
                         for (std::size_t k = 0; k < c.patternAt.size(); ++k) {
                             const std::uint8_t* pattern = c.Block() - 4 + c.patternAt[k];
                             ASSERT_EQ(fn(c.Block(), pattern, c.length, patternLengths[k]),
                                       plain(c.Block(), pattern, c.length, patternLengths[k]))
                                 << c.Where() << " pattern " << patternLengths[k];
                         }
                     });
    HoldAgainstPlain(Dispatched<FirstMismatchFunc>{"FirstMismatchFast", &FirstMismatchFast, FirstMismatchPlain}, blocks,
                     verified, [](BlockCase& c, FirstMismatchFunc fn, FirstMismatchFunc plain) {
                         for (const std::uint8_t* other : {c.A(), static_cast<const std::uint8_t*>(c.changed.data())})
                             ASSERT_EQ(fn(c.Block(), other, c.length), plain(c.Block(), other, c.length)) << c.Where();
                     });
    HoldAgainstPlain(Dispatched<CountEqualFunc>{"CountEqualBytes", &CountEqualBytes, CountEqualBytesPlain}, blocks,
                     verified, [](BlockCase& c, CountEqualFunc fn, CountEqualFunc plain) {
                         for (const std::uint8_t* other : {c.A(), static_cast<const std::uint8_t*>(c.changed.data())})
                             ASSERT_EQ(fn(c.Block(), other, c.length), plain(c.Block(), other, c.length)) << c.Where();
                     });
    HoldAgainstPlain(Dispatched<CountByteFunc>{"CountByteFast", &CountByteFast, CountBytePlain}, blocks, verified,
                     [](BlockCase& c, CountByteFunc fn, CountByteFunc plain) {
                         ASSERT_EQ(fn(c.Block(), c.inBlock, c.length), plain(c.Block(), c.inBlock, c.length))
                             << c.Where();
                     });
    HoldAgainstPlain(Dispatched<PopCountBytesFunc>{"PopCountBytes", &PopCountBytes, PopCountBytesPlain}, blocks,
                     verified, [](BlockCase& c, PopCountBytesFunc fn, PopCountBytesFunc plain) {
                         ASSERT_EQ(fn(c.Block(), c.length), plain(c.Block(), c.length)) << c.Where();
                     });

    // Writers: the whole buffer after the plain and the installed form, so that stray writes show.
    using Effect = std::function<void(std::uint8_t*)>;
    for (const auto& f : {Dispatched<CombineFunc>{"AndBytesFast", &AndBytesFast, AndBytesPlain},
                          Dispatched<CombineFunc>{"OrBytesFast", &OrBytesFast, OrBytesPlain},
                          Dispatched<CombineFunc>{"XorBytesFast", &XorBytesFast, XorBytesPlain},
                          Dispatched<CombineFunc>{"AddBytesFast", &AddBytesFast, AddBytesPlain}})
        HoldAgainstPlain(f, blocks, verified, [](BlockCase& c, CombineFunc fn, CombineFunc plain) {
            const std::uint8_t* a = c.A();
            const std::uint8_t* b = c.B();
            const std::size_t n = c.length;
            ExpectSameEffect<Effect>(c.buffer, c.mis, Effect([&](std::uint8_t* p) { plain(a, b, p, n); }),
                                     Effect([&](std::uint8_t* p) { fn(a, b, p, n); }), "", n);
            // In place: the output is the first input.
            ExpectSameEffect<Effect>(c.buffer, c.mis, Effect([&](std::uint8_t* p) { plain(p, b, p, n); }),
                                     Effect([&](std::uint8_t* p) { fn(p, b, p, n); }), "in place", n);
        });
    HoldAgainstPlain(Dispatched<AddConstFunc>{"AddConstBytes", &AddConstBytes, AddConstBytesPlain}, blocks, verified,
                     [](BlockCase& c, AddConstFunc fn, AddConstFunc plain) {
                         const std::size_t n = c.length;
                         ExpectSameEffect<Effect>(c.buffer, c.mis, Effect([&](std::uint8_t* p) { plain(p, 200, n); }),
                                                  Effect([&](std::uint8_t* p) { fn(p, 200, n); }), "", n);
                     });
    HoldAgainstPlain(Dispatched<FillBytesFunc>{"FillBytesFast", &FillBytesFast, FillBytesPlain}, blocks, verified,
                     [](BlockCase& c, FillBytesFunc fn, FillBytesFunc plain) {
                         const std::size_t n = c.length;
                         ExpectSameEffect<Effect>(c.buffer, c.mis, Effect([&](std::uint8_t* p) { plain(p, 0x5C, n); }),
                                                  Effect([&](std::uint8_t* p) { fn(p, 0x5C, n); }), "", n);
                     });
    HoldAgainstPlain(Dispatched<MoveFunc>{"MoveFast", &MoveFast, MoveFastPlain}, blocks, verified,
                     [](BlockCase& c, MoveFunc fn, MoveFunc plain) {
                         const std::uint8_t* a = c.A();
                         const std::size_t n = c.length;
                         ExpectSameEffect<Effect>(c.buffer, c.mis, Effect([&](std::uint8_t* p) { plain(a, p, n); }),
                                                  Effect([&](std::uint8_t* p) { fn(a, p, n); }), "", n);
                     });

    // Single values: every byte, and order and clamp on the edges of both number ranges.
    std::vector<std::uint32_t> bytes(256);
    for (std::uint32_t v = 0; v < 256; ++v) bytes[v] = v;
    HoldAgainstPlain(Dispatched<PopCountByteFunc>{"PopCountByte", &PopCountByte, PopCountBytePlain}, bytes, verified,
                     [](std::uint32_t v, PopCountByteFunc fn, PopCountByteFunc plain) {
                         ASSERT_EQ(fn(static_cast<std::uint8_t>(v)), plain(static_cast<std::uint8_t>(v))) << v;
                     });
    HoldAgainstPlain(Dispatched<PopCountDWordFunc>{"PopCountDWord", &PopCountDWord, PopCountDWordPlain}, bytes,
                     verified, [](std::uint32_t v, PopCountDWordFunc fn, PopCountDWordFunc plain) {
                         const std::uint32_t d = v * 0x01010101u ^ 0x80000000u;
                         ASSERT_EQ(fn(d), plain(d)) << d;
                     });
    const std::uint32_t edgesU[] = {0u, 1u, 3u, 10u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
    const std::int32_t edgesI[] = {std::numeric_limits<std::int32_t>::min(), -7, -1, 0, 1, 3,
                                   std::numeric_limits<std::int32_t>::max()};
    std::vector<std::array<std::uint32_t, 3>> triplesU;
    std::vector<std::array<std::int32_t, 3>> triplesI;
    for (std::size_t i = 0; i < 7; ++i)
        for (std::size_t j = 0; j < 7; ++j)
            for (std::size_t k = 0; k < 7; ++k) {
                triplesU.push_back({edgesU[i], edgesU[j], edgesU[k]});
                triplesI.push_back({edgesI[i], edgesI[j], edgesI[k]});
            }
    for (const auto& f : {Dispatched<OrderUFunc>{"MinUFast", &MinUFast, MinUPlain},
                          Dispatched<OrderUFunc>{"MaxUFast", &MaxUFast, MaxUPlain}})
        HoldAgainstPlain(f, triplesU, verified, [](const auto& t, OrderUFunc fn, OrderUFunc plain) {
            ASSERT_EQ(fn(t[0], t[1]), plain(t[0], t[1])) << t[0] << " " << t[1];
        });
    for (const auto& f : {Dispatched<OrderIFunc>{"MinIFast", &MinIFast, MinIPlain},
                          Dispatched<OrderIFunc>{"MaxIFast", &MaxIFast, MaxIPlain}})
        HoldAgainstPlain(f, triplesI, verified, [](const auto& t, OrderIFunc fn, OrderIFunc plain) {
            ASSERT_EQ(fn(t[0], t[1]), plain(t[0], t[1])) << t[0] << " " << t[1];
        });
    HoldAgainstPlain(Dispatched<ClampUFunc>{"ClampUFast", &ClampUFast, ClampUPlain}, triplesU, verified,
                     [](const auto& t, ClampUFunc fn, ClampUFunc plain) {
                         ASSERT_EQ(fn(t[0], t[1], t[2]), plain(t[0], t[1], t[2])) << t[0] << " " << t[1] << " " << t[2];
                     });
    HoldAgainstPlain(Dispatched<ClampIFunc>{"ClampIFast", &ClampIFast, ClampIPlain}, triplesI, verified,
                     [](const auto& t, ClampIFunc fn, ClampIFunc plain) {
                         ASSERT_EQ(fn(t[0], t[1], t[2]), plain(t[0], t[1], t[2])) << t[0] << " " << t[1] << " " << t[2];
                     });
}

// Whatever the dispatcher installs for a processor like this one - its class or any lower one (and
// one past the known classes), with or without the conditional-move and POPCNT forms it has - gives
// the results of the plain variants.
TEST(Primitives, EveryInstalledVariantGivesThePlainResultOnThisProcessor) {
    const DetectedDispatchRestorer restore;
    std::vector<BlockCase> blocks = MakeBlockCases();
    Verified verified;
    const CPUFeatureRecord& processor = CPUFeatures();
    for (std::uint8_t cls = 0; cls <= 11; ++cls) {
        if (cls > processor.FeatureCount && cls <= 10) continue;
        for (std::uint8_t cmov : {std::uint8_t{0}, processor.CMOV}) {
            for (std::uint8_t popcnt : {std::uint8_t{0}, processor.POPCNT}) {
                CPUClass = cls;
                CPUHasCMOV = cmov;
                CPUHasPOPCNT = popcnt;
                InitCPUDispatch(1);
                SCOPED_TRACE("class " + std::to_string(cls) + " cmov " + std::to_string(cmov) + " popcnt " +
                             std::to_string(popcnt));
                HoldInstalledVariantsAgainstPlain(blocks, verified);
                if (HasFatalFailure()) return;
            }
        }
    }
    EXPECT_FALSE(verified.empty()) << "no variant other than the plain ones was installed";
}

}  // namespace
