// Raw accessors and block operations over the flat byte blocks in which the engine and the
// tree code keep band matrices, packed matrices and node buffers. Every address is a base plus
// a byte offset; the caller guarantees that it lies inside its block (no bounds checks).
// Values are read and written with memcpy, so any offset is fine whatever its alignment.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/types.h"

// ---- Accessors ----

std::uint8_t GetByte(std::size_t index, const void* base);
void SetByte(std::size_t index, void* base, std::uint8_t value);
std::uint16_t GetWord(const void* base, std::size_t offset);
void SetWord(void* base, std::size_t offset, std::uint16_t value);
std::uint32_t GetDWord(const void* base, std::size_t offset);
std::uint32_t GetDWordAt(const void* base, std::size_t offset);
void SetDWord(void* base, std::size_t offset, std::uint32_t value);
void SetDWordAt(void* base, std::size_t offset, std::uint32_t value);

// An extended value occupies its 10 significant bytes wherever it is stored; the slot size
// around it (16 bytes in packed matrices) is the caller's business.
inline constexpr std::size_t kExtBytes = 10;
Extended GetExt(const void* base, std::size_t offset);
void SetExt(void* base, std::size_t offset, Extended value);
// Copies the 10 bytes of source to base + offset.
void CopyExtTo(void* base, std::size_t offset, const Extended& source);
// Copies 10 bytes from srcBase + srcOffset to dstBase + dstOffset.
void CopyExtOffsets(const void* srcBase, void* dstBase, std::size_t srcOffset, std::size_t dstOffset);

// ---- Block operations ----

void FillBytes(void* address, std::uint8_t value, std::size_t count);
// Copies count bytes (overlapping blocks are handled as well).
void MoveBytes(const void* source, void* destination, std::size_t count);
void MoveBytesAt(const void* source, void* destination, std::size_t srcOffset, std::size_t dstOffset,
                 std::size_t count);
// Number of bytes equal to value.
std::size_t CountByte(const void* address, std::uint8_t value, std::size_t count);
// Number of positions at which the blocks differ.
std::size_t CountMismatches(const void* a, const void* b, std::size_t count);
// 0-based index of the first differing byte, -1 when the blocks are equal.
std::ptrdiff_t FirstMismatch(const void* a, const void* b, std::size_t count);
// out[k] = a[k] | b[k] / a[k] & b[k]; out may be a or b.
void OrBytes(const void* a, const void* b, void* out, std::size_t count);
void AndBytes(const void* a, const void* b, void* out, std::size_t count);

// Copies the sub-matrix of a byte matrix stored outer-major (cell (i, l) at l * innerCount + i)
// whose outer and inner mask bytes have their low bit set, in order, to destination. Returns
// the number of bytes copied; counts below 1 copy nothing.
std::size_t CompactByMasks(const void* source, void* destination, const std::uint8_t* innerMask,
                           const std::uint8_t* outerMask, std::ptrdiff_t innerCount,
                           std::ptrdiff_t outerCount);

// Removes entries i and j (i < j < n) of an array of n dwords: entries after i move down by
// one, entries after j by two; the caller shortens the array. Invalid indices change nothing.
void DeleteTwoDWords(std::uint32_t* base, std::size_t i, std::size_t j, std::size_t n);
// array := n copies of value (n = 0 empties it).
void FillDWordArray(std::uint32_t value, std::size_t n, ADWord& array);
void FillPtrArray(void* value, std::size_t n, APtr& array);

// ---- Small routines ----

// n(n+1)/2: the cells of a half matrix with diagonal of n rows.
constexpr std::size_t TriangularNumber(std::size_t n) { return n * (n + 1) / 2; }
// a + b with 32-bit wrap-around.
std::int32_t AddInt(std::int32_t a, std::int32_t b);
constexpr std::size_t MinU(std::size_t a, std::size_t b) { return a < b ? a : b; }
constexpr std::size_t MaxU(std::size_t a, std::size_t b) { return a < b ? b : a; }
// Bit n (0-7) of value, as 0 or 1.
constexpr std::uint8_t GetBit(std::uint8_t value, unsigned n) {
    return static_cast<std::uint8_t>((value >> (n & 7u)) & 1u);
}
// value with bit n (0-7) set (on != 0) or cleared.
constexpr std::uint8_t SetBit(std::uint8_t value, unsigned n, int on) {
    const auto mask = static_cast<std::uint8_t>(1u << (n & 7u));
    return static_cast<std::uint8_t>(on != 0 ? (value | mask) : (value & ~mask));
}
// Exchanges two variables of 1, 2 or 4 bytes and returns 0; any other size changes nothing
// and returns 1.
int SwapValues(void* a, void* b, std::size_t size);
void SwapDWords(std::uint32_t& a, std::uint32_t& b);
// Exchanges a and b when b < a, so that a <= b afterwards.
void OrderWords(std::uint16_t& a, std::uint16_t& b);
// a takes over b's block; b gets a new zero-filled block of size bytes.
void SwapBuffer(AByte& a, AByte& b, std::size_t size);
// A flag equal to 1 becomes 0, any other value becomes 1.
void ToggleBool(std::uint8_t& flag);
// The decimal digit character of n at position pos counted from the right (0 = last digit),
// or '0' when n has no such digit.
char DigitAt(unsigned pos, std::uint64_t n);
// The smaller byte; maps the missing state 9 to index 2 when the other argument is 2.
constexpr std::uint8_t MinByte(std::uint8_t a, std::uint8_t b) { return a < b ? a : b; }
inline void NoOp() {}
