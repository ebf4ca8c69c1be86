// Byte and string primitives: searching a block for a byte, a set member or a pattern;
// counting; filling; combining two blocks; removing, replacing and collapsing bytes; bit
// counts; minimum, maximum and clamp.
//
// Each dispatched primitive is a function-pointer variable, called like a function
// (IndexByte(p, 'x', n)). The variables start at their plain variants, so calls made before
// InitCPUDispatch (cpu_dispatch.h) are correct too; it then installs the variants for the
// processor. Every variant returns exactly what the plain variant returns, and none reads or
// writes outside the blocks it is given.
//
// Blocks are an address and a length in bytes; indices are 0-based, -1 means "not found".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/char_set.h"

// ---- Search a byte ----
using IndexByteFunc = std::ptrdiff_t (*)(const void* block, std::uint8_t value, std::size_t length);
extern IndexByteFunc IndexByte;         // first byte equal to value
extern IndexByteFunc LastIndexByte;     // last byte equal to value
extern IndexByteFunc IndexNotByte;      // first byte different from value
extern IndexByteFunc LastIndexNotByte;  // last byte different from value

// ---- Search by order (bytes compared as signed values) ----
using IndexOrderFunc = std::ptrdiff_t (*)(const void* block, std::int8_t value, std::size_t length);
extern IndexOrderFunc IndexGreaterByte;     // first byte > value
extern IndexOrderFunc IndexNotGreaterByte;  // first byte <= value

// ---- Search a dword ----
using IndexDWordFunc = std::ptrdiff_t (*)(const std::uint32_t* array, std::uint32_t value, std::size_t count);
extern IndexDWordFunc IndexDWord;

// ---- Search a list or set ----
// First byte that occurs in list[0..listCount); -1 also when any argument is 0 or null.
using IndexOfAnyCharFunc = std::ptrdiff_t (*)(const void* block, const void* list, std::size_t length,
                                              std::size_t listCount);
extern IndexOfAnyCharFunc IndexOfAnyChar;
using IndexSetFunc = std::ptrdiff_t (*)(const void* block, const CharSet& set, std::size_t length);
extern IndexSetFunc IndexInSet;
extern IndexSetFunc LastIndexInSet;
extern IndexSetFunc IndexNotInSet;
extern IndexSetFunc LastIndexNotInSet;

// ---- Search a pattern ----
// First / last occurrence of pattern; -1 when either length is 0 or the pattern is longer.
using SearchBytesFunc = std::ptrdiff_t (*)(const void* block, const void* pattern, std::size_t blockLength,
                                           std::size_t patternLength);
extern SearchBytesFunc SearchBytes;
extern SearchBytesFunc SearchBytesLast;

// ---- Compare ----
using FirstMismatchFunc = std::ptrdiff_t (*)(const void* a, const void* b, std::size_t length);
extern FirstMismatchFunc FirstMismatchFast;  // first differing index, -1 when equal
using CountEqualFunc = std::size_t (*)(const void* a, const void* b, std::size_t length);
extern CountEqualFunc CountEqualBytes;       // number of equal positions

// ---- Count ----
using CountByteFunc = std::size_t (*)(const void* block, std::uint8_t value, std::size_t length);
extern CountByteFunc CountByteFast;
using PopCountByteFunc = std::uint32_t (*)(std::uint8_t value);
extern PopCountByteFunc PopCountByte;
using PopCountDWordFunc = std::uint32_t (*)(std::uint32_t value);
extern PopCountDWordFunc PopCountDWord;
using PopCountBytesFunc = std::size_t (*)(const void* block, std::size_t length);
extern PopCountBytesFunc PopCountBytes;     // set bits in the whole block
// The set bits of the four intersections of two pairs of bit planes over `words` 64-bit words:
// out = {|a1 & b1|, |a1 & b0|, |a0 & b1|, |a0 & b0|} (the band-data pair counter passes the
// present and absent planes of two individuals).
using PlaneCountsFunc = void (*)(const std::uint64_t* a1, const std::uint64_t* a0, const std::uint64_t* b1,
                                 const std::uint64_t* b0, std::size_t words, std::size_t out[4]);
extern PlaneCountsFunc CountPlaneIntersections;

// ---- Fill ----
using FillBytesFunc = void (*)(void* block, std::uint8_t value, std::size_t length);
extern FillBytesFunc FillBytesFast;
using FillDWordsFunc = std::uint32_t (*)(std::uint32_t* array, std::uint32_t value, std::size_t count);
extern FillDWordsFunc FillDWords;           // returns value

// ---- Combine: c[i] := a[i] op b[i] (addition modulo 256); c may be a or b ----
using CombineFunc = void (*)(const void* a, const void* b, void* c, std::size_t length);
extern CombineFunc AndBytesFast;
extern CombineFunc OrBytesFast;
extern CombineFunc XorBytesFast;
extern CombineFunc AddBytesFast;
using AddConstFunc = void (*)(void* block, std::uint8_t k, std::size_t length);
extern AddConstFunc AddConstBytes;          // block[i] += k modulo 256

// ---- Copy without; each returns the number of bytes written ----
using RemoveByteFunc = std::size_t (*)(const void* source, std::uint8_t value, std::size_t length,
                                       void* destination);
extern RemoveByteFunc RemoveByte;           // all bytes != value, in order
// Bytes not in list; an empty list copies everything.
using RemoveAnyOfListFunc = std::size_t (*)(const void* source, const void* list, std::size_t length,
                                            void* destination, std::size_t listCount);
extern RemoveAnyOfListFunc RemoveAnyOfList;
using RemoveSetBytesFunc = std::size_t (*)(const void* source, const CharSet& set, std::size_t length,
                                           void* destination);
extern RemoveSetBytesFunc RemoveSetBytes;
// Each run of value shortened to one byte; destination may be source.
using CollapseRunsFunc = std::size_t (*)(const void* source, void* destination, std::uint8_t value,
                                         std::size_t length);
extern CollapseRunsFunc CollapseRunsBytes;
// destination[i] := source[i] where mask[i] != value; other destination bytes stay.
using CopyWhereMaskNotFunc = void (*)(const void* source, void* destination, const void* mask,
                                      std::uint8_t value, std::size_t length);
extern CopyWhereMaskNotFunc CopyWhereMaskNot;

// ---- Replace in place ----
using ReplaceByteFunc = void (*)(void* block, std::uint8_t a, std::uint8_t b, std::size_t length);
extern ReplaceByteFunc ReplaceByte;         // every a becomes b
// Every byte of list becomes b; nothing when the block or list is null or a count is 0.
using ReplaceAnyOfListFunc = void (*)(void* block, const void* list, std::uint8_t b, std::size_t listCount,
                                      std::size_t length);
extern ReplaceAnyOfListFunc ReplaceAnyOfList;
using ReplaceSetFunc = void (*)(void* block, const CharSet& set, std::uint8_t b, std::size_t length);
extern ReplaceSetFunc ReplaceSetBytes;

// ---- Reverse ----
using ReverseBytesFunc = void (*)(void* block, std::size_t length);
extern ReverseBytesFunc ReverseBytes;

// ---- Order ----
using OrderUFunc = std::uint32_t (*)(std::uint32_t a, std::uint32_t b);
using OrderIFunc = std::int32_t (*)(std::int32_t a, std::int32_t b);
using ClampUFunc = std::uint32_t (*)(std::uint32_t a, std::uint32_t b, std::uint32_t c);
using ClampIFunc = std::int32_t (*)(std::int32_t a, std::int32_t b, std::int32_t c);
extern OrderUFunc MinUFast;
extern OrderUFunc MaxUFast;
extern OrderIFunc MinIFast;
extern OrderIFunc MaxIFast;
extern ClampUFunc ClampUFast;  // min(max(a, b), c)
extern ClampIFunc ClampIFast;

// ---- Move ----
using MoveFunc = void (*)(const void* source, void* destination, std::size_t count);
// Copies count bytes of non-overlapping blocks (block_move.h has the variants).
extern MoveFunc MoveFast;
// The standard library's move, also for overlapping blocks; never changes.
extern MoveFunc MoveStd;

// ---- Not dispatched ----
// out := every bit of set inverted.
void ComplementSet(const CharSet& set, CharSet& out);
inline const std::uint8_t* PtrAdd(std::ptrdiff_t offset, const void* base) {
    return static_cast<const std::uint8_t*>(base) + offset;
}
inline std::uint8_t* PtrAdd(std::ptrdiff_t offset, void* base) { return static_cast<std::uint8_t*>(base) + offset; }
inline std::uint8_t ByteAtPtr(std::ptrdiff_t index, const void* base) { return *PtrAdd(index, base); }
// out := count bytes from base + start (count 0 empties out).
void CopyPtrToStr(const void* base, std::size_t start, std::size_t count, std::string& out);
