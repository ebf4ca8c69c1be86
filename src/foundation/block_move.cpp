#include "foundation/block_move.h"

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "foundation/raw_memory.h"

namespace prims {

namespace {

#define TESK_INLINE inline __attribute__((always_inline))

// Fixed-size moves: the compiler turns each into a single load and store.
template <std::size_t N>
TESK_INLINE void MoveN(const std::uint8_t*& s, std::uint8_t*& d) {
    std::memcpy(d, s, N);
    s += N;
    d += N;
}

// Up to 63 bytes without a loop: a 32-byte group (all loaded before any is stored), a 16-byte
// group, then 8, 4, 2 and 1 bytes as needed.
TESK_INLINE void MoveSmall(const std::uint8_t* s, std::uint8_t* d, std::size_t count) {
    if (count & 32) {
        std::uint64_t w[4];
        std::memcpy(w, s, 32);
        std::memcpy(d, w, 32);
        s += 32;
        d += 32;
    }
    if (count & 16) MoveN<16>(s, d);
    if (count & 8) MoveN<8>(s, d);
    if (count & 4) MoveN<4>(s, d);
    if (count & 2) MoveN<2>(s, d);
    if (count & 1) MoveN<1>(s, d);
}

TESK_INLINE __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// The frame of the vector moves: the destination head up to a 16-byte boundary, the main part
// in 32-byte steps with aligned stores (streaming stores above the threshold, so that large
// copies do not evict the working set), then the tail. Loads are unaligned, so the source is
// read only inside its block whatever its misalignment.
TESK_INLINE void MoveVector(const void* source, void* destination, std::size_t count) {
    const auto* s = static_cast<const std::uint8_t*>(source);
    auto* d = static_cast<std::uint8_t*>(destination);
    if (count < 64) {
        MoveSmall(s, d, count);
        return;
    }
    const std::size_t head = (16 - (reinterpret_cast<std::uintptr_t>(d) & 15u)) & 15u;
    MoveSmall(s, d, head);
    s += head;
    d += head;
    count -= head;
    const std::size_t main = count & ~std::size_t{31};
    const std::uint8_t* const mainEnd = s + main;
    if (main > kMoveStreamThreshold) {
        for (; s != mainEnd; s += 32, d += 32) {
            const __m128i a = Load(s), b = Load(s + 16);
            _mm_stream_si128(reinterpret_cast<__m128i*>(d), a);
            _mm_stream_si128(reinterpret_cast<__m128i*>(d + 16), b);
        }
        _mm_sfence();
    } else {
        for (; s != mainEnd; s += 32, d += 32) {
            const __m128i a = Load(s), b = Load(s + 16);
            _mm_store_si128(reinterpret_cast<__m128i*>(d), a);
            _mm_store_si128(reinterpret_cast<__m128i*>(d + 16), b);
        }
    }
    MoveSmall(s, d, count - main);
}

}  // namespace

void MoveFastPlain(const void* source, void* destination, std::size_t count) {
    MoveBytes(source, destination, count);
}

void MoveFastSSE2(const void* source, void* destination, std::size_t count) {
    MoveVector(source, destination, count);
}

__attribute__((target("ssse3"))) void MoveFastSSSE3(const void* source, void* destination, std::size_t count) {
    MoveVector(source, destination, count);
}

}  // namespace prims
