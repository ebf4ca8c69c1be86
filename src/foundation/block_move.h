// Block move: the variants behind MoveFast (primitives.h), which copies a block of bytes
// between non-overlapping blocks. The plain variant is the standard library's move and also
// handles overlap; the vector variants copy front to back with aligned destination stores and
// bypass the cache for blocks above kMoveStreamThreshold.
#pragma once

#include <cstddef>

// Main parts (the count less the destination head, rounded down to 32) above this size are
// written with streaming stores.
inline constexpr std::size_t kMoveStreamThreshold = 4194304;

namespace prims {

void MoveFastPlain(const void* source, void* destination, std::size_t count);
void MoveFastSSE2(const void* source, void* destination, std::size_t count);
void MoveFastSSSE3(const void* source, void* destination, std::size_t count);

}  // namespace prims
