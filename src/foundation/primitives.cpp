#include "foundation/primitives.h"

#include <array>
#include <cstring>

#include "foundation/block_move.h"
#include "foundation/cpu_dispatch.h"
#include "foundation/primitives_variants.h"
#include "foundation/raw_memory.h"

namespace prims {

namespace {

const std::uint8_t* Bytes(const void* p) { return static_cast<const std::uint8_t*>(p); }
std::uint8_t* Bytes(void* p) { return static_cast<std::uint8_t*>(p); }

constexpr std::array<std::uint8_t, 256> kBitCounts = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v) table[v] = static_cast<std::uint8_t>((v & 1u) + table[v >> 1]);
    return table;
}();

}  // namespace

std::ptrdiff_t IndexBytePlain(const void* block, std::uint8_t value, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i)
        if (p[i] == value) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t LastIndexBytePlain(const void* block, std::uint8_t value, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = length; i-- > 0;)
        if (p[i] == value) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t IndexNotBytePlain(const void* block, std::uint8_t value, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i)
        if (p[i] != value) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t LastIndexNotBytePlain(const void* block, std::uint8_t value, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = length; i-- > 0;)
        if (p[i] != value) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t IndexGreaterBytePlain(const void* block, std::int8_t value, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i)
        if (static_cast<std::int8_t>(p[i]) > value) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t IndexNotGreaterBytePlain(const void* block, std::int8_t value, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i)
        if (static_cast<std::int8_t>(p[i]) <= value) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t IndexDWordPlain(const std::uint32_t* array, std::uint32_t value, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (array[i] == value) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t SearchBytesPlain(const void* block, const void* pattern, std::size_t blockLength,
                                std::size_t patternLength) {
    if (blockLength == 0 || patternLength == 0 || patternLength > blockLength) return -1;
    const std::uint8_t* p = Bytes(block);
    const std::uint8_t* pat = Bytes(pattern);
    const std::uint8_t last = pat[patternLength - 1];
    // Test the pattern's last byte at every candidate end first; compare the whole pattern only there.
    for (std::size_t end = patternLength - 1; end < blockLength; ++end) {
        if (p[end] != last) continue;
        const std::size_t start = end + 1 - patternLength;
        if (std::memcmp(p + start, pat, patternLength) == 0) return static_cast<std::ptrdiff_t>(start);
    }
    return -1;
}

std::ptrdiff_t FirstMismatchPlain(const void* a, const void* b, std::size_t length) {
    return FirstMismatch(a, b, length);
}

std::size_t CountEqualBytesPlain(const void* a, const void* b, std::size_t length) {
    const std::uint8_t* pa = Bytes(a);
    const std::uint8_t* pb = Bytes(b);
    std::size_t n = 0;
    for (std::size_t i = 0; i < length; ++i) n += pa[i] == pb[i];
    return n;
}

std::size_t CountBytePlain(const void* block, std::uint8_t value, std::size_t length) {
    return CountByte(block, value, length);
}

std::uint32_t PopCountBytePlain(std::uint8_t value) { return kBitCounts[value]; }

std::uint32_t PopCountDWordPlain(std::uint32_t value) {
    return std::uint32_t{kBitCounts[value & 0xFFu]} + kBitCounts[(value >> 8) & 0xFFu] +
           kBitCounts[(value >> 16) & 0xFFu] + kBitCounts[value >> 24];
}

std::size_t PopCountBytesPlain(const void* block, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    std::size_t n = 0;
    for (std::size_t i = 0; i < length; ++i) n += kBitCounts[p[i]];
    return n;
}

namespace {

// Set bits of a word by halves, quarters, ... without a population-count instruction.
std::size_t PopCountWordPlain(std::uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<std::size_t>((x * 0x0101010101010101ull) >> 56);
}

}  // namespace

void CountPlaneIntersectionsPlain(const std::uint64_t* a1, const std::uint64_t* a0, const std::uint64_t* b1,
                                  const std::uint64_t* b0, std::size_t words, std::size_t out[4]) {
    std::size_t n11 = 0, n10 = 0, n01 = 0, n00 = 0;
    for (std::size_t w = 0; w < words; ++w) {
        n11 += PopCountWordPlain(a1[w] & b1[w]);
        n10 += PopCountWordPlain(a1[w] & b0[w]);
        n01 += PopCountWordPlain(a0[w] & b1[w]);
        n00 += PopCountWordPlain(a0[w] & b0[w]);
    }
    out[0] = n11;
    out[1] = n10;
    out[2] = n01;
    out[3] = n00;
}

void FillBytesPlain(void* block, std::uint8_t value, std::size_t length) { FillBytes(block, value, length); }

// The combiners go through the bytes in order, so c may be a or b.
void AndBytesPlain(const void* a, const void* b, void* c, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) Bytes(c)[i] = static_cast<std::uint8_t>(Bytes(a)[i] & Bytes(b)[i]);
}

void OrBytesPlain(const void* a, const void* b, void* c, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) Bytes(c)[i] = static_cast<std::uint8_t>(Bytes(a)[i] | Bytes(b)[i]);
}

void XorBytesPlain(const void* a, const void* b, void* c, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) Bytes(c)[i] = static_cast<std::uint8_t>(Bytes(a)[i] ^ Bytes(b)[i]);
}

void AddBytesPlain(const void* a, const void* b, void* c, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) Bytes(c)[i] = static_cast<std::uint8_t>(Bytes(a)[i] + Bytes(b)[i]);
}

void AddConstBytesPlain(void* block, std::uint8_t k, std::size_t length) {
    std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i) p[i] = static_cast<std::uint8_t>(p[i] + k);
}

std::uint32_t MinUPlain(std::uint32_t a, std::uint32_t b) {
    if (b < a) return b;
    return a;
}
std::uint32_t MaxUPlain(std::uint32_t a, std::uint32_t b) {
    if (b > a) return b;
    return a;
}
std::int32_t MinIPlain(std::int32_t a, std::int32_t b) {
    if (b < a) return b;
    return a;
}
std::int32_t MaxIPlain(std::int32_t a, std::int32_t b) {
    if (b > a) return b;
    return a;
}
std::uint32_t ClampUPlain(std::uint32_t a, std::uint32_t b, std::uint32_t c) { return MinUPlain(MaxUPlain(a, b), c); }
std::int32_t ClampIPlain(std::int32_t a, std::int32_t b, std::int32_t c) { return MinIPlain(MaxIPlain(a, b), c); }

// Branch-free selections, which the compiler turns into conditional moves.
std::uint32_t MinUCMov(std::uint32_t a, std::uint32_t b) { return b < a ? b : a; }
std::uint32_t MaxUCMov(std::uint32_t a, std::uint32_t b) { return b > a ? b : a; }
std::int32_t MinICMov(std::int32_t a, std::int32_t b) { return b < a ? b : a; }
std::int32_t MaxICMov(std::int32_t a, std::int32_t b) { return b > a ? b : a; }
std::uint32_t ClampUCMov(std::uint32_t a, std::uint32_t b, std::uint32_t c) { return MinUCMov(MaxUCMov(a, b), c); }
std::int32_t ClampICMov(std::int32_t a, std::int32_t b, std::int32_t c) { return MinICMov(MaxICMov(a, b), c); }

namespace {

// ---- Primitives with one variant ----

std::ptrdiff_t IndexOfAnyCharImpl(const void* block, const void* list, std::size_t length, std::size_t listCount) {
    if (block == nullptr || list == nullptr || length == 0 || listCount == 0) return -1;
    std::array<bool, 256> member{};
    for (std::size_t k = 0; k < listCount; ++k) member[Bytes(list)[k]] = true;
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i)
        if (member[p[i]]) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t IndexInSetImpl(const void* block, const CharSet& set, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i)
        if (set.Contains(p[i])) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t LastIndexInSetImpl(const void* block, const CharSet& set, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = length; i-- > 0;)
        if (set.Contains(p[i])) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t IndexNotInSetImpl(const void* block, const CharSet& set, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i)
        if (!set.Contains(p[i])) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t LastIndexNotInSetImpl(const void* block, const CharSet& set, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    for (std::size_t i = length; i-- > 0;)
        if (!set.Contains(p[i])) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t SearchBytesLastImpl(const void* block, const void* pattern, std::size_t blockLength,
                                   std::size_t patternLength) {
    if (blockLength == 0 || patternLength == 0 || patternLength > blockLength) return -1;
    const std::uint8_t* p = Bytes(block);
    const std::uint8_t* pat = Bytes(pattern);
    const std::uint8_t last = pat[patternLength - 1];
    for (std::size_t end = blockLength; end-- > patternLength - 1;) {
        if (p[end] != last) continue;
        const std::size_t start = end + 1 - patternLength;
        if (std::memcmp(p + start, pat, patternLength) == 0) return static_cast<std::ptrdiff_t>(start);
    }
    return -1;
}

std::uint32_t FillDWordsImpl(std::uint32_t* array, std::uint32_t value, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) array[i] = value;
    return value;
}

std::size_t RemoveByteImpl(const void* source, std::uint8_t value, std::size_t length, void* destination) {
    const std::uint8_t* src = Bytes(source);
    std::uint8_t* dst = Bytes(destination);
    std::size_t n = 0;
    for (std::size_t i = 0; i < length; ++i)
        if (src[i] != value) dst[n++] = src[i];
    return n;
}

std::size_t RemoveSetBytesImpl(const void* source, const CharSet& set, std::size_t length, void* destination) {
    const std::uint8_t* src = Bytes(source);
    std::uint8_t* dst = Bytes(destination);
    std::size_t n = 0;
    for (std::size_t i = 0; i < length; ++i)
        if (!set.Contains(src[i])) dst[n++] = src[i];
    return n;
}

std::size_t RemoveAnyOfListImpl(const void* source, const void* list, std::size_t length, void* destination,
                                std::size_t listCount) {
    CharSet set;
    for (std::size_t k = 0; k < listCount; ++k) set.Include(Bytes(list)[k]);
    return RemoveSetBytesImpl(source, set, length, destination);
}

std::size_t CollapseRunsBytesImpl(const void* source, void* destination, std::uint8_t value, std::size_t length) {
    const std::uint8_t* src = Bytes(source);
    std::uint8_t* dst = Bytes(destination);
    std::size_t n = 0;
    bool inRun = false;  // kept here, not re-read, as destination may be source
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t c = src[i];
        if (c == value) {
            if (inRun) continue;
            inRun = true;
        } else {
            inRun = false;
        }
        dst[n++] = c;
    }
    return n;
}

void CopyWhereMaskNotImpl(const void* source, void* destination, const void* mask, std::uint8_t value,
                          std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (Bytes(mask)[i] != value) Bytes(destination)[i] = Bytes(source)[i];
}

void ReplaceByteImpl(void* block, std::uint8_t a, std::uint8_t b, std::size_t length) {
    std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i)
        if (p[i] == a) p[i] = b;
}

void ReplaceSetBytesImpl(void* block, const CharSet& set, std::uint8_t b, std::size_t length) {
    if (block == nullptr || length == 0 || set.IsEmpty()) return;
    std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0; i < length; ++i)
        if (set.Contains(p[i])) p[i] = b;
}

void ReplaceAnyOfListImpl(void* block, const void* list, std::uint8_t b, std::size_t listCount, std::size_t length) {
    if (block == nullptr || list == nullptr || listCount == 0 || length == 0) return;
    CharSet set;
    for (std::size_t k = 0; k < listCount; ++k) set.Include(Bytes(list)[k]);
    ReplaceSetBytesImpl(block, set, b, length);
}

void ReverseBytesImpl(void* block, std::size_t length) {
    std::uint8_t* p = Bytes(block);
    for (std::size_t i = 0, j = length; i + 1 < j; ++i) {
        --j;
        const std::uint8_t t = p[i];
        p[i] = p[j];
        p[j] = t;
    }
}

}  // namespace
}  // namespace prims

using namespace prims;

IndexByteFunc IndexByte = IndexBytePlain;
IndexByteFunc LastIndexByte = LastIndexBytePlain;
IndexByteFunc IndexNotByte = IndexNotBytePlain;
IndexByteFunc LastIndexNotByte = LastIndexNotBytePlain;
IndexOrderFunc IndexGreaterByte = IndexGreaterBytePlain;
IndexOrderFunc IndexNotGreaterByte = IndexNotGreaterBytePlain;
IndexDWordFunc IndexDWord = IndexDWordPlain;
IndexOfAnyCharFunc IndexOfAnyChar = IndexOfAnyCharImpl;
IndexSetFunc IndexInSet = IndexInSetImpl;
IndexSetFunc LastIndexInSet = LastIndexInSetImpl;
IndexSetFunc IndexNotInSet = IndexNotInSetImpl;
IndexSetFunc LastIndexNotInSet = LastIndexNotInSetImpl;
SearchBytesFunc SearchBytes = SearchBytesPlain;
SearchBytesFunc SearchBytesLast = SearchBytesLastImpl;
FirstMismatchFunc FirstMismatchFast = FirstMismatchPlain;
CountEqualFunc CountEqualBytes = CountEqualBytesPlain;
CountByteFunc CountByteFast = CountBytePlain;
PopCountByteFunc PopCountByte = PopCountBytePlain;
PopCountDWordFunc PopCountDWord = PopCountDWordPlain;
PopCountBytesFunc PopCountBytes = PopCountBytesPlain;
PlaneCountsFunc CountPlaneIntersections = CountPlaneIntersectionsPlain;
FillBytesFunc FillBytesFast = FillBytesPlain;
FillDWordsFunc FillDWords = FillDWordsImpl;
CombineFunc AndBytesFast = AndBytesPlain;
CombineFunc OrBytesFast = OrBytesPlain;
CombineFunc XorBytesFast = XorBytesPlain;
CombineFunc AddBytesFast = AddBytesPlain;
AddConstFunc AddConstBytes = AddConstBytesPlain;
RemoveByteFunc RemoveByte = RemoveByteImpl;
RemoveAnyOfListFunc RemoveAnyOfList = RemoveAnyOfListImpl;
RemoveSetBytesFunc RemoveSetBytes = RemoveSetBytesImpl;
CollapseRunsFunc CollapseRunsBytes = CollapseRunsBytesImpl;
CopyWhereMaskNotFunc CopyWhereMaskNot = CopyWhereMaskNotImpl;
ReplaceByteFunc ReplaceByte = ReplaceByteImpl;
ReplaceAnyOfListFunc ReplaceAnyOfList = ReplaceAnyOfListImpl;
ReplaceSetFunc ReplaceSetBytes = ReplaceSetBytesImpl;
ReverseBytesFunc ReverseBytes = ReverseBytesImpl;
OrderUFunc MinUFast = MinUPlain;
OrderUFunc MaxUFast = MaxUPlain;
OrderIFunc MinIFast = MinIPlain;
OrderIFunc MaxIFast = MaxIPlain;
ClampUFunc ClampUFast = ClampUPlain;
ClampIFunc ClampIFast = ClampIPlain;
MoveFunc MoveFast = MoveFastPlain;
MoveFunc MoveStd = MoveBytes;

void InstallPrimitiveVariants(std::uint8_t cpuClass, bool cmov, bool popcnt) {
    const bool sse2 = cpuClass >= 3 && cpuClass <= 10;
    const bool ssse3 = cpuClass >= 5 && cpuClass <= 10;

    MoveFast = ssse3 ? MoveFastSSSE3 : sse2 ? MoveFastSSE2 : MoveFastPlain;
    IndexByte = ssse3 ? IndexByteSSSE3 : sse2 ? IndexByteSSE2 : IndexBytePlain;
    LastIndexByte = ssse3 ? LastIndexByteSSSE3 : sse2 ? LastIndexByteSSE2 : LastIndexBytePlain;
    IndexNotByte = ssse3 ? IndexNotByteSSSE3 : sse2 ? IndexNotByteSSE2 : IndexNotBytePlain;
    LastIndexNotByte = ssse3 ? LastIndexNotByteSSSE3 : sse2 ? LastIndexNotByteSSE2 : LastIndexNotBytePlain;
    IndexDWord = ssse3 ? IndexDWordSSSE3 : sse2 ? IndexDWordSSE2 : IndexDWordPlain;
    FillBytesFast = ssse3 ? FillBytesSSSE3 : sse2 ? FillBytesSSE2 : FillBytesPlain;

    FirstMismatchFast = sse2 ? FirstMismatchSSE2 : FirstMismatchPlain;
    IndexGreaterByte = sse2 ? IndexGreaterByteSSE2 : IndexGreaterBytePlain;
    IndexNotGreaterByte = sse2 ? IndexNotGreaterByteSSE2 : IndexNotGreaterBytePlain;

    CountByteFast = ssse3 ? (popcnt ? CountByteSSSE3Popcnt : CountByteSSSE3) : sse2 ? CountByteSSE2 : CountBytePlain;
    CountEqualBytes = cpuClass >= 4 && cpuClass <= 10 ? (popcnt ? CountEqualBytesSSE2Popcnt : CountEqualBytesSSE2)
                      : sse2                          ? CountEqualBytesSSE2
                                                      : CountEqualBytesPlain;

    AndBytesFast = sse2 ? AndBytesSSE2 : AndBytesPlain;
    OrBytesFast = sse2 ? OrBytesSSE2 : OrBytesPlain;
    XorBytesFast = sse2 ? XorBytesSSE2 : XorBytesPlain;
    AddBytesFast = sse2 ? AddBytesSSE2 : AddBytesPlain;
    AddConstBytes = sse2 ? AddConstBytesSSE2 : AddConstBytesPlain;

    SearchBytes = cpuClass >= 7 && cpuClass <= 10 ? SearchBytesSSE42 : SearchBytesPlain;

    MinUFast = cmov ? MinUCMov : MinUPlain;
    MaxUFast = cmov ? MaxUCMov : MaxUPlain;
    MinIFast = cmov ? MinICMov : MinIPlain;
    MaxIFast = cmov ? MaxICMov : MaxIPlain;
    ClampUFast = cmov ? ClampUCMov : ClampUPlain;
    ClampIFast = cmov ? ClampICMov : ClampIPlain;

    PopCountByte = popcnt ? PopCountBytePopcnt : PopCountBytePlain;
    PopCountDWord = popcnt ? PopCountDWordPopcnt : PopCountDWordPlain;
    PopCountBytes = popcnt ? PopCountBytesPopcnt : PopCountBytesPlain;
    CountPlaneIntersections = popcnt ? CountPlaneIntersectionsPopcnt : CountPlaneIntersectionsPlain;
}

void ComplementSet(const CharSet& set, CharSet& out) {
    for (std::size_t k = 0; k < set.Bits.size(); ++k) out.Bits[k] = static_cast<std::uint8_t>(~set.Bits[k]);
}

void CopyPtrToStr(const void* base, std::size_t start, std::size_t count, std::string& out) {
    if (count == 0) {
        out.clear();
        return;
    }
    out.assign(reinterpret_cast<const char*>(Bytes(base) + start), count);
}

namespace {

// The variants are chosen once, before main runs; until then every variable holds its plain
// variant, so code running earlier gets correct results too.
const bool kDispatchInstalled = (InitCPUDispatch(0), true);

}  // namespace
