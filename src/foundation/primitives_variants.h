// The individual variants behind the dispatched primitives of primitives.h, for the dispatcher
// and for the tests that hold every variant against the plain one. Callers use primitives.h.
//
// A vector variant may only be called on a processor that has its instruction set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/char_set.h"

namespace prims {

// Plain variants (any processor).
std::ptrdiff_t IndexBytePlain(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t LastIndexBytePlain(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t IndexNotBytePlain(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t LastIndexNotBytePlain(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t IndexGreaterBytePlain(const void* block, std::int8_t value, std::size_t length);
std::ptrdiff_t IndexNotGreaterBytePlain(const void* block, std::int8_t value, std::size_t length);
std::ptrdiff_t IndexDWordPlain(const std::uint32_t* array, std::uint32_t value, std::size_t count);
std::ptrdiff_t SearchBytesPlain(const void* block, const void* pattern, std::size_t blockLength,
                                std::size_t patternLength);
std::ptrdiff_t FirstMismatchPlain(const void* a, const void* b, std::size_t length);
std::size_t CountEqualBytesPlain(const void* a, const void* b, std::size_t length);
std::size_t CountBytePlain(const void* block, std::uint8_t value, std::size_t length);
std::uint32_t PopCountBytePlain(std::uint8_t value);
std::uint32_t PopCountDWordPlain(std::uint32_t value);
std::size_t PopCountBytesPlain(const void* block, std::size_t length);
void CountPlaneIntersectionsPlain(const std::uint64_t* a1, const std::uint64_t* a0, const std::uint64_t* b1,
                                  const std::uint64_t* b0, std::size_t words, std::size_t out[4]);
void FillBytesPlain(void* block, std::uint8_t value, std::size_t length);
void AndBytesPlain(const void* a, const void* b, void* c, std::size_t length);
void OrBytesPlain(const void* a, const void* b, void* c, std::size_t length);
void XorBytesPlain(const void* a, const void* b, void* c, std::size_t length);
void AddBytesPlain(const void* a, const void* b, void* c, std::size_t length);
void AddConstBytesPlain(void* block, std::uint8_t k, std::size_t length);
std::uint32_t MinUPlain(std::uint32_t a, std::uint32_t b);
std::uint32_t MaxUPlain(std::uint32_t a, std::uint32_t b);
std::int32_t MinIPlain(std::int32_t a, std::int32_t b);
std::int32_t MaxIPlain(std::int32_t a, std::int32_t b);
std::uint32_t ClampUPlain(std::uint32_t a, std::uint32_t b, std::uint32_t c);
std::int32_t ClampIPlain(std::int32_t a, std::int32_t b, std::int32_t c);

// Conditional-move forms of the order primitives.
std::uint32_t MinUCMov(std::uint32_t a, std::uint32_t b);
std::uint32_t MaxUCMov(std::uint32_t a, std::uint32_t b);
std::int32_t MinICMov(std::int32_t a, std::int32_t b);
std::int32_t MaxICMov(std::int32_t a, std::int32_t b);
std::uint32_t ClampUCMov(std::uint32_t a, std::uint32_t b, std::uint32_t c);
std::int32_t ClampICMov(std::int32_t a, std::int32_t b, std::int32_t c);

// SSE2 (every x86-64 processor).
std::ptrdiff_t IndexByteSSE2(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t LastIndexByteSSE2(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t IndexNotByteSSE2(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t LastIndexNotByteSSE2(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t IndexGreaterByteSSE2(const void* block, std::int8_t value, std::size_t length);
std::ptrdiff_t IndexNotGreaterByteSSE2(const void* block, std::int8_t value, std::size_t length);
std::ptrdiff_t IndexDWordSSE2(const std::uint32_t* array, std::uint32_t value, std::size_t count);
std::ptrdiff_t FirstMismatchSSE2(const void* a, const void* b, std::size_t length);
std::size_t CountEqualBytesSSE2(const void* a, const void* b, std::size_t length);
std::size_t CountByteSSE2(const void* block, std::uint8_t value, std::size_t length);
void FillBytesSSE2(void* block, std::uint8_t value, std::size_t length);
void AndBytesSSE2(const void* a, const void* b, void* c, std::size_t length);
void OrBytesSSE2(const void* a, const void* b, void* c, std::size_t length);
void XorBytesSSE2(const void* a, const void* b, void* c, std::size_t length);
void AddBytesSSE2(const void* a, const void* b, void* c, std::size_t length);
void AddConstBytesSSE2(void* block, std::uint8_t k, std::size_t length);

// SSSE3.
std::ptrdiff_t IndexByteSSSE3(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t LastIndexByteSSSE3(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t IndexNotByteSSSE3(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t LastIndexNotByteSSSE3(const void* block, std::uint8_t value, std::size_t length);
std::ptrdiff_t IndexDWordSSSE3(const std::uint32_t* array, std::uint32_t value, std::size_t count);
std::size_t CountByteSSSE3(const void* block, std::uint8_t value, std::size_t length);
void FillBytesSSSE3(void* block, std::uint8_t value, std::size_t length);

// POPCNT (with SSE2 / SSSE3 where they are vector forms).
std::size_t CountByteSSSE3Popcnt(const void* block, std::uint8_t value, std::size_t length);
std::size_t CountEqualBytesSSE2Popcnt(const void* a, const void* b, std::size_t length);
std::uint32_t PopCountBytePopcnt(std::uint8_t value);
std::uint32_t PopCountDWordPopcnt(std::uint32_t value);
std::size_t PopCountBytesPopcnt(const void* block, std::size_t length);
void CountPlaneIntersectionsPopcnt(const std::uint64_t* a1, const std::uint64_t* a0, const std::uint64_t* b1,
                                   const std::uint64_t* b0, std::size_t words, std::size_t out[4]);

// SSE4.2.
std::ptrdiff_t SearchBytesSSE42(const void* block, const void* pattern, std::size_t blockLength,
                                std::size_t patternLength);

}  // namespace prims

// Points every dispatched primitive at its variant for the processor class (0-10; other values
// take the plain variants) and the conditional-move and POPCNT flags.
void InstallPrimitiveVariants(std::uint8_t cpuClass, bool cmov, bool popcnt);
