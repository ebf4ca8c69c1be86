// Makes large allocations fail on request, to show that a memory shortage is reported and not
// thrown. The replaced operator new serves the whole test program, so a program that uses the
// limit writes TESK_DEFINE_ALLOCATION_LIMIT() once, in one of its files.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

// Requests above this many bytes fail while a RefuseLargeAllocations lives.
inline std::size_t gRefuseAllocationsAbove = static_cast<std::size_t>(-1);
// Requests of exactly this many bytes (one object's) fail while a RefuseAllocationsOfSize lives.
inline std::size_t gRefuseAllocationsOfSize = 0;

class RefuseLargeAllocations {
public:
    explicit RefuseLargeAllocations(std::size_t limit) { gRefuseAllocationsAbove = limit; }
    ~RefuseLargeAllocations() { gRefuseAllocationsAbove = static_cast<std::size_t>(-1); }
    RefuseLargeAllocations(const RefuseLargeAllocations&) = delete;
    RefuseLargeAllocations& operator=(const RefuseLargeAllocations&) = delete;
};

class RefuseAllocationsOfSize {
public:
    explicit RefuseAllocationsOfSize(std::size_t size) { gRefuseAllocationsOfSize = size; }
    ~RefuseAllocationsOfSize() { gRefuseAllocationsOfSize = 0; }
    RefuseAllocationsOfSize(const RefuseAllocationsOfSize&) = delete;
    RefuseAllocationsOfSize& operator=(const RefuseAllocationsOfSize&) = delete;
};

// malloc and free pair up, which the compiler cannot see.
#define TESK_DEFINE_ALLOCATION_LIMIT()                                                                               \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wmismatched-new-delete\"") void* operator new( \
        std::size_t size) {                                                                                          \
        if (size > gRefuseAllocationsAbove || size == gRefuseAllocationsOfSize) throw std::bad_alloc();              \
        if (void* p = std::malloc(size == 0 ? 1 : size)) return p;                                                   \
        throw std::bad_alloc();                                                                                      \
    }                                                                                                                \
    /* the nothrow form too (std::stable_sort's buffer), or its block would reach the replaced delete */             \
    void* operator new(std::size_t size, const std::nothrow_t&) noexcept {                                           \
        if (size > gRefuseAllocationsAbove || size == gRefuseAllocationsOfSize) return nullptr;                      \
        return std::malloc(size == 0 ? 1 : size);                                                                    \
    }                                                                                                                \
    void operator delete(void* p) noexcept { std::free(p); }                                                         \
    void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }                                  \
    void operator delete(void* p, std::size_t) noexcept { std::free(p); }                                            \
    _Pragma("GCC diagnostic pop")
