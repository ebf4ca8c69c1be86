// Vector variants of the byte primitives. They load whole 16-byte pieces with unaligned loads
// only where the piece lies inside the block and finish the rest byte by byte, so they never
// touch memory outside the blocks they are given. SSE2 is part of x86-64; the other sets are
// enabled per function, so the build needs no processor flags.
#include <immintrin.h>

#include <algorithm>
#include <cstring>

#include "foundation/primitives_variants.h"

#define TESK_INLINE inline __attribute__((always_inline))

namespace prims {

namespace {

const std::uint8_t* Bytes(const void* p) { return static_cast<const std::uint8_t*>(p); }
std::uint8_t* Bytes(void* p) { return static_cast<std::uint8_t*>(p); }

TESK_INLINE __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
TESK_INLINE void Store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
TESK_INLINE unsigned Mask(__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); }
TESK_INLINE std::ptrdiff_t At(std::size_t base, unsigned bit) { return static_cast<std::ptrdiff_t>(base + bit); }

// First index whose 16-byte hit mask (hits(p) for the piece at p) has a bit set; pieces of 32
// bytes are tested together when Wide. The bytes after the last whole piece go to hit(byte).
template <bool Wide, typename Hits, typename Hit>
TESK_INLINE std::ptrdiff_t ScanForward(const std::uint8_t* p, std::size_t length, Hits hits, Hit hit) {
    std::size_t i = 0;
    if constexpr (Wide) {
        for (; i + 32 <= length; i += 32) {
            const unsigned m = hits(p + i) | (hits(p + i + 16) << 16);
            if (m != 0) return At(i, static_cast<unsigned>(__builtin_ctz(m)));
        }
    }
    for (; i + 16 <= length; i += 16) {
        const unsigned m = hits(p + i);
        if (m != 0) return At(i, static_cast<unsigned>(__builtin_ctz(m)));
    }
    for (; i < length; ++i)
        if (hit(p[i])) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

// The same from the end of the block: the last index with a hit.
template <bool Wide, typename Hits, typename Hit>
TESK_INLINE std::ptrdiff_t ScanBackward(const std::uint8_t* p, std::size_t length, Hits hits, Hit hit) {
    std::size_t i = length;
    if constexpr (Wide) {
        for (; i >= 32; i -= 32) {
            const unsigned m = hits(p + i - 32) | (hits(p + i - 16) << 16);
            if (m != 0) return At(i - 32, 31u - static_cast<unsigned>(__builtin_clz(m)));
        }
    }
    for (; i >= 16; i -= 16) {
        const unsigned m = hits(p + i - 16);
        if (m != 0) return At(i - 16, 31u - static_cast<unsigned>(__builtin_clz(m)));
    }
    while (i > 0) {
        --i;
        if (hit(p[i])) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

template <bool Wide>
TESK_INLINE std::ptrdiff_t IndexByteImpl(const void* block, std::uint8_t value, std::size_t length, __m128i v) {
    return ScanForward<Wide>(
        Bytes(block), length, [v](const std::uint8_t* q) { return Mask(_mm_cmpeq_epi8(Load(q), v)); },
        [value](std::uint8_t c) { return c == value; });
}

template <bool Wide>
TESK_INLINE std::ptrdiff_t LastIndexByteImpl(const void* block, std::uint8_t value, std::size_t length, __m128i v) {
    return ScanBackward<Wide>(
        Bytes(block), length, [v](const std::uint8_t* q) { return Mask(_mm_cmpeq_epi8(Load(q), v)); },
        [value](std::uint8_t c) { return c == value; });
}

template <bool Wide>
TESK_INLINE std::ptrdiff_t IndexNotByteImpl(const void* block, std::uint8_t value, std::size_t length, __m128i v) {
    return ScanForward<Wide>(
        Bytes(block), length, [v](const std::uint8_t* q) { return Mask(_mm_cmpeq_epi8(Load(q), v)) ^ 0xFFFFu; },
        [value](std::uint8_t c) { return c != value; });
}

template <bool Wide>
TESK_INLINE std::ptrdiff_t LastIndexNotByteImpl(const void* block, std::uint8_t value, std::size_t length,
                                                __m128i v) {
    return ScanBackward<Wide>(
        Bytes(block), length, [v](const std::uint8_t* q) { return Mask(_mm_cmpeq_epi8(Load(q), v)) ^ 0xFFFFu; },
        [value](std::uint8_t c) { return c != value; });
}

template <bool Wide>
TESK_INLINE std::ptrdiff_t IndexDWordImpl(const std::uint32_t* array, std::uint32_t value, std::size_t count) {
    const __m128i v = _mm_set1_epi32(static_cast<int>(value));
    const std::uint8_t* p = Bytes(array);
    std::size_t i = 0;  // in dwords
    if constexpr (Wide) {
        for (; i + 8 <= count; i += 8) {
            const unsigned m = Mask(_mm_cmpeq_epi32(Load(p + 4 * i), v)) |
                               (Mask(_mm_cmpeq_epi32(Load(p + 4 * i + 16), v)) << 16);
            if (m != 0) return At(i, static_cast<unsigned>(__builtin_ctz(m)) / 4);
        }
    }
    for (; i + 4 <= count; i += 4) {
        const unsigned m = Mask(_mm_cmpeq_epi32(Load(p + 4 * i), v));
        if (m != 0) return At(i, static_cast<unsigned>(__builtin_ctz(m)) / 4);
    }
    for (; i < count; ++i)
        if (array[i] == value) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

// Counts the positions where eq(piece offset) reports equal lanes (all ones): the lanes are
// summed as bytes for up to 255 pieces at a time and then widened, so no bit counts are needed.
template <bool Wide, typename Eq>
TESK_INLINE std::size_t CountLanes(std::size_t length, Eq eq) {
    const __m128i zero = _mm_setzero_si128();
    __m128i total = zero;
    std::size_t i = 0;
    while (i + 16 <= length) {
        const std::size_t pieces = std::min<std::size_t>((length - i) / 16, 254);
        __m128i acc = zero;
        std::size_t k = 0;
        if constexpr (Wide) {
            for (; k + 2 <= pieces; k += 2, i += 32) {
                acc = _mm_sub_epi8(acc, eq(i));
                acc = _mm_sub_epi8(acc, eq(i + 16));
            }
        }
        for (; k < pieces; ++k, i += 16) acc = _mm_sub_epi8(acc, eq(i));
        total = _mm_add_epi64(total, _mm_sad_epu8(acc, zero));
    }
    return static_cast<std::size_t>(_mm_cvtsi128_si64(total)) +
           static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total)));
}

// Fills above this length use streaming stores; shorter ones the library fill.
constexpr std::size_t kPlainFillLimit = 4000;

TESK_INLINE void FillVector(std::uint8_t* p, std::size_t length, __m128i v) {
    std::uint8_t* const end = p + length;
    Store(p, v);
    auto* q = reinterpret_cast<std::uint8_t*>((reinterpret_cast<std::uintptr_t>(p) + 15) & ~std::uintptr_t{15});
    for (; q + 16 <= end; q += 16) _mm_stream_si128(reinterpret_cast<__m128i*>(q), v);
    Store(end - 16, v);
    _mm_sfence();
}

template <typename Op>
TESK_INLINE void Combine(const void* a, const void* b, void* c, std::size_t length, Op op) {
    const std::uint8_t* pa = Bytes(a);
    const std::uint8_t* pb = Bytes(b);
    std::uint8_t* pc = Bytes(c);
    std::size_t i = 0;
    for (; i + 16 <= length; i += 16) Store(pc + i, op(Load(pa + i), Load(pb + i)));
    for (; i < length; ++i) {
        const __m128i r = op(_mm_cvtsi32_si128(pa[i]), _mm_cvtsi32_si128(pb[i]));
        pc[i] = static_cast<std::uint8_t>(_mm_cvtsi128_si32(r));
    }
}

__attribute__((target("ssse3"))) TESK_INLINE __m128i BroadcastSSSE3(std::uint8_t value) {
    return _mm_shuffle_epi8(_mm_cvtsi32_si128(value), _mm_setzero_si128());
}

}  // namespace

// ---- SSE2 ----

std::ptrdiff_t IndexByteSSE2(const void* block, std::uint8_t value, std::size_t length) {
    return IndexByteImpl<false>(block, value, length, _mm_set1_epi8(static_cast<char>(value)));
}
std::ptrdiff_t LastIndexByteSSE2(const void* block, std::uint8_t value, std::size_t length) {
    return LastIndexByteImpl<false>(block, value, length, _mm_set1_epi8(static_cast<char>(value)));
}
std::ptrdiff_t IndexNotByteSSE2(const void* block, std::uint8_t value, std::size_t length) {
    return IndexNotByteImpl<false>(block, value, length, _mm_set1_epi8(static_cast<char>(value)));
}
std::ptrdiff_t LastIndexNotByteSSE2(const void* block, std::uint8_t value, std::size_t length) {
    return LastIndexNotByteImpl<false>(block, value, length, _mm_set1_epi8(static_cast<char>(value)));
}

std::ptrdiff_t IndexGreaterByteSSE2(const void* block, std::int8_t value, std::size_t length) {
    const __m128i v = _mm_set1_epi8(value);
    return ScanForward<false>(
        Bytes(block), length, [v](const std::uint8_t* q) { return Mask(_mm_cmpgt_epi8(Load(q), v)); },
        [value](std::uint8_t c) { return static_cast<std::int8_t>(c) > value; });
}

std::ptrdiff_t IndexNotGreaterByteSSE2(const void* block, std::int8_t value, std::size_t length) {
    const __m128i v = _mm_set1_epi8(value);
    return ScanForward<false>(
        Bytes(block), length, [v](const std::uint8_t* q) { return Mask(_mm_cmpgt_epi8(Load(q), v)) ^ 0xFFFFu; },
        [value](std::uint8_t c) { return static_cast<std::int8_t>(c) <= value; });
}

std::ptrdiff_t IndexDWordSSE2(const std::uint32_t* array, std::uint32_t value, std::size_t count) {
    return IndexDWordImpl<false>(array, value, count);
}

std::ptrdiff_t FirstMismatchSSE2(const void* a, const void* b, std::size_t length) {
    const std::uint8_t* pa = Bytes(a);
    const std::uint8_t* pb = Bytes(b);
    std::size_t i = 0;
    for (; i + 16 <= length; i += 16) {
        const unsigned m = Mask(_mm_cmpeq_epi8(Load(pa + i), Load(pb + i))) ^ 0xFFFFu;
        if (m != 0) return At(i, static_cast<unsigned>(__builtin_ctz(m)));
    }
    for (; i < length; ++i)
        if (pa[i] != pb[i]) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::size_t CountEqualBytesSSE2(const void* a, const void* b, std::size_t length) {
    const std::uint8_t* pa = Bytes(a);
    const std::uint8_t* pb = Bytes(b);
    std::size_t n =
        CountLanes<false>(length, [pa, pb](std::size_t i) { return _mm_cmpeq_epi8(Load(pa + i), Load(pb + i)); });
    for (std::size_t i = length & ~std::size_t{15}; i < length; ++i) n += pa[i] == pb[i];
    return n;
}

std::size_t CountByteSSE2(const void* block, std::uint8_t value, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    const __m128i v = _mm_set1_epi8(static_cast<char>(value));
    std::size_t n = CountLanes<false>(length, [p, v](std::size_t i) { return _mm_cmpeq_epi8(Load(p + i), v); });
    for (std::size_t i = length & ~std::size_t{15}; i < length; ++i) n += p[i] == value;
    return n;
}

void FillBytesSSE2(void* block, std::uint8_t value, std::size_t length) {
    if (length <= kPlainFillLimit) {
        if (length > 0) std::memset(block, value, length);
        return;
    }
    FillVector(Bytes(block), length, _mm_set1_epi8(static_cast<char>(value)));
}

void AndBytesSSE2(const void* a, const void* b, void* c, std::size_t length) {
    Combine(a, b, c, length, [](__m128i x, __m128i y) { return _mm_and_si128(x, y); });
}
void OrBytesSSE2(const void* a, const void* b, void* c, std::size_t length) {
    Combine(a, b, c, length, [](__m128i x, __m128i y) { return _mm_or_si128(x, y); });
}
void XorBytesSSE2(const void* a, const void* b, void* c, std::size_t length) {
    Combine(a, b, c, length, [](__m128i x, __m128i y) { return _mm_xor_si128(x, y); });
}
void AddBytesSSE2(const void* a, const void* b, void* c, std::size_t length) {
    Combine(a, b, c, length, [](__m128i x, __m128i y) { return _mm_add_epi8(x, y); });
}

void AddConstBytesSSE2(void* block, std::uint8_t k, std::size_t length) {
    std::uint8_t* p = Bytes(block);
    const __m128i v = _mm_set1_epi8(static_cast<char>(k));
    std::size_t i = 0;
    for (; i + 16 <= length; i += 16) Store(p + i, _mm_add_epi8(Load(p + i), v));
    for (; i < length; ++i) p[i] = static_cast<std::uint8_t>(p[i] + k);
}

// ---- SSSE3: two pieces per step, broadcast by byte shuffle ----

__attribute__((target("ssse3"))) std::ptrdiff_t IndexByteSSSE3(const void* block, std::uint8_t value,
                                                               std::size_t length) {
    return IndexByteImpl<true>(block, value, length, BroadcastSSSE3(value));
}
__attribute__((target("ssse3"))) std::ptrdiff_t LastIndexByteSSSE3(const void* block, std::uint8_t value,
                                                                   std::size_t length) {
    return LastIndexByteImpl<true>(block, value, length, BroadcastSSSE3(value));
}
__attribute__((target("ssse3"))) std::ptrdiff_t IndexNotByteSSSE3(const void* block, std::uint8_t value,
                                                                  std::size_t length) {
    return IndexNotByteImpl<true>(block, value, length, BroadcastSSSE3(value));
}
__attribute__((target("ssse3"))) std::ptrdiff_t LastIndexNotByteSSSE3(const void* block, std::uint8_t value,
                                                                      std::size_t length) {
    return LastIndexNotByteImpl<true>(block, value, length, BroadcastSSSE3(value));
}
__attribute__((target("ssse3"))) std::ptrdiff_t IndexDWordSSSE3(const std::uint32_t* array, std::uint32_t value,
                                                                std::size_t count) {
    return IndexDWordImpl<true>(array, value, count);
}

__attribute__((target("ssse3"))) std::size_t CountByteSSSE3(const void* block, std::uint8_t value,
                                                            std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    const __m128i v = BroadcastSSSE3(value);
    std::size_t n = CountLanes<true>(length, [p, v](std::size_t i) { return _mm_cmpeq_epi8(Load(p + i), v); });
    for (std::size_t i = length & ~std::size_t{15}; i < length; ++i) n += p[i] == value;
    return n;
}

__attribute__((target("ssse3"))) void FillBytesSSSE3(void* block, std::uint8_t value, std::size_t length) {
    if (length <= kPlainFillLimit) {
        if (length > 0) std::memset(block, value, length);
        return;
    }
    FillVector(Bytes(block), length, BroadcastSSSE3(value));
}

// ---- POPCNT: lane masks counted by the bit-count instruction ----

__attribute__((target("ssse3,popcnt"))) std::size_t CountByteSSSE3Popcnt(const void* block, std::uint8_t value,
                                                                         std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    const __m128i v = BroadcastSSSE3(value);
    std::size_t n = 0;
    std::size_t i = 0;
    for (; i + 32 <= length; i += 32)
        n += static_cast<std::size_t>(_mm_popcnt_u32(Mask(_mm_cmpeq_epi8(Load(p + i), v)) |
                                                     (Mask(_mm_cmpeq_epi8(Load(p + i + 16), v)) << 16)));
    for (; i + 16 <= length; i += 16) n += static_cast<std::size_t>(_mm_popcnt_u32(Mask(_mm_cmpeq_epi8(Load(p + i), v))));
    for (; i < length; ++i) n += p[i] == value;
    return n;
}

__attribute__((target("popcnt"))) std::size_t CountEqualBytesSSE2Popcnt(const void* a, const void* b,
                                                                        std::size_t length) {
    const std::uint8_t* pa = Bytes(a);
    const std::uint8_t* pb = Bytes(b);
    std::size_t n = 0;
    std::size_t i = 0;
    for (; i + 16 <= length; i += 16)
        n += static_cast<std::size_t>(_mm_popcnt_u32(Mask(_mm_cmpeq_epi8(Load(pa + i), Load(pb + i)))));
    for (; i < length; ++i) n += pa[i] == pb[i];
    return n;
}

__attribute__((target("popcnt"))) std::uint32_t PopCountBytePopcnt(std::uint8_t value) {
    return static_cast<std::uint32_t>(_mm_popcnt_u32(value));
}

__attribute__((target("popcnt"))) std::uint32_t PopCountDWordPopcnt(std::uint32_t value) {
    return static_cast<std::uint32_t>(_mm_popcnt_u32(value));
}

__attribute__((target("popcnt"))) std::size_t PopCountBytesPopcnt(const void* block, std::size_t length) {
    const std::uint8_t* p = Bytes(block);
    std::size_t n = 0;
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, sizeof word);
        n += static_cast<std::size_t>(_mm_popcnt_u64(word));
    }
    for (; i < length; ++i) n += static_cast<std::size_t>(_mm_popcnt_u32(p[i]));
    return n;
}

__attribute__((target("popcnt"))) void CountPlaneIntersectionsPopcnt(const std::uint64_t* a1, const std::uint64_t* a0,
                                                                     const std::uint64_t* b1, const std::uint64_t* b0,
                                                                     std::size_t words, std::size_t out[4]) {
    std::uint64_t n11 = 0, n10 = 0, n01 = 0, n00 = 0;
    for (std::size_t w = 0; w < words; ++w) {
        n11 += static_cast<std::uint64_t>(_mm_popcnt_u64(a1[w] & b1[w]));
        n10 += static_cast<std::uint64_t>(_mm_popcnt_u64(a1[w] & b0[w]));
        n01 += static_cast<std::uint64_t>(_mm_popcnt_u64(a0[w] & b1[w]));
        n00 += static_cast<std::uint64_t>(_mm_popcnt_u64(a0[w] & b0[w]));
    }
    out[0] = n11;
    out[1] = n10;
    out[2] = n01;
    out[3] = n00;
}

// ---- SSE4.2: candidate starts found by the ordered string compare ----

__attribute__((target("sse4.2"))) std::ptrdiff_t SearchBytesSSE42(const void* block, const void* pattern,
                                                                  std::size_t blockLength,
                                                                  std::size_t patternLength) {
    if (blockLength == 0 || patternLength == 0 || patternLength > blockLength) return -1;
    const std::uint8_t* p = Bytes(block);
    const std::uint8_t* pat = Bytes(pattern);
    // The needle is the pattern's first (up to) 16 bytes; a candidate is checked in full.
    alignas(16) std::uint8_t needleBytes[16] = {};
    const int needleLength = static_cast<int>(std::min<std::size_t>(patternLength, 16));
    std::memcpy(needleBytes, pat, static_cast<std::size_t>(needleLength));
    const __m128i needle = _mm_load_si128(reinterpret_cast<const __m128i*>(needleBytes));
    constexpr int kMode = _SIDD_UBYTE_OPS | _SIDD_CMP_EQUAL_ORDERED | _SIDD_LEAST_SIGNIFICANT;
    std::size_t i = 0;
    while (i + patternLength <= blockLength) {
        const std::size_t left = blockLength - i;
        __m128i piece;
        int pieceLength = 16;
        if (left >= 16) {
            piece = Load(p + i);
        } else {
            alignas(16) std::uint8_t tail[16] = {};
            std::memcpy(tail, p + i, left);
            piece = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
            pieceLength = static_cast<int>(left);
        }
        // The first start in the piece at which the needle matches, counting a needle cut off
        // by the end of the piece; 16 when there is none, so no occurrence starts in the piece.
        const int at = _mm_cmpestri(needle, needleLength, piece, pieceLength, kMode);
        if (at >= pieceLength) {
            i += static_cast<std::size_t>(pieceLength);
            continue;
        }
        const std::size_t start = i + static_cast<std::size_t>(at);
        if (start + patternLength > blockLength) return -1;
        if (std::memcmp(p + start, pat, patternLength) == 0) return static_cast<std::ptrdiff_t>(start);
        i = start + 1;
    }
    return -1;
}

}  // namespace prims
