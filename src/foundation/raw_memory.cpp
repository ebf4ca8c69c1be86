#include "foundation/raw_memory.h"

#include <cstring>
#include <utility>

namespace {

const std::uint8_t* Bytes(const void* p) { return static_cast<const std::uint8_t*>(p); }
std::uint8_t* Bytes(void* p) { return static_cast<std::uint8_t*>(p); }

template <typename T>
T Load(const void* base, std::size_t offset) {
    T value;
    std::memcpy(&value, Bytes(base) + offset, sizeof value);
    return value;
}

template <typename T>
void Store(void* base, std::size_t offset, T value) {
    std::memcpy(Bytes(base) + offset, &value, sizeof value);
}

}  // namespace

std::uint8_t GetByte(std::size_t index, const void* base) { return Bytes(base)[index]; }
void SetByte(std::size_t index, void* base, std::uint8_t value) { Bytes(base)[index] = value; }
std::uint16_t GetWord(const void* base, std::size_t offset) { return Load<std::uint16_t>(base, offset); }
void SetWord(void* base, std::size_t offset, std::uint16_t value) { Store(base, offset, value); }
std::uint32_t GetDWord(const void* base, std::size_t offset) { return Load<std::uint32_t>(base, offset); }
std::uint32_t GetDWordAt(const void* base, std::size_t offset) { return GetDWord(base, offset); }
void SetDWord(void* base, std::size_t offset, std::uint32_t value) { Store(base, offset, value); }
void SetDWordAt(void* base, std::size_t offset, std::uint32_t value) { SetDWord(base, offset, value); }

Extended GetExt(const void* base, std::size_t offset) {
    Extended value = 0.0L;  // the 6 padding bytes of the register image stay zero
    std::memcpy(&value, Bytes(base) + offset, kExtBytes);
    return value;
}

void SetExt(void* base, std::size_t offset, Extended value) { CopyExtTo(base, offset, value); }

void CopyExtTo(void* base, std::size_t offset, const Extended& source) {
    std::memcpy(Bytes(base) + offset, &source, kExtBytes);
}

void CopyExtOffsets(const void* srcBase, void* dstBase, std::size_t srcOffset, std::size_t dstOffset) {
    std::memmove(Bytes(dstBase) + dstOffset, Bytes(srcBase) + srcOffset, kExtBytes);
}

void FillBytes(void* address, std::uint8_t value, std::size_t count) {
    if (count > 0) std::memset(address, value, count);
}

void MoveBytes(const void* source, void* destination, std::size_t count) {
    if (count > 0) std::memmove(destination, source, count);
}

void MoveBytesAt(const void* source, void* destination, std::size_t srcOffset, std::size_t dstOffset,
                 std::size_t count) {
    if (count > 0) std::memmove(Bytes(destination) + dstOffset, Bytes(source) + srcOffset, count);
}

std::size_t CountByte(const void* address, std::uint8_t value, std::size_t count) {
    const std::uint8_t* p = Bytes(address);
    std::size_t n = 0;
    for (std::size_t k = 0; k < count; ++k) n += p[k] == value;
    return n;
}

std::size_t CountMismatches(const void* a, const void* b, std::size_t count) {
    const std::uint8_t* pa = Bytes(a);
    const std::uint8_t* pb = Bytes(b);
    std::size_t n = 0;
    for (std::size_t k = 0; k < count; ++k) n += pa[k] != pb[k];
    return n;
}

std::ptrdiff_t FirstMismatch(const void* a, const void* b, std::size_t count) {
    const std::uint8_t* pa = Bytes(a);
    const std::uint8_t* pb = Bytes(b);
    for (std::size_t k = 0; k < count; ++k)
        if (pa[k] != pb[k]) return static_cast<std::ptrdiff_t>(k);
    return -1;
}

void OrBytes(const void* a, const void* b, void* out, std::size_t count) {
    const std::uint8_t* pa = Bytes(a);
    const std::uint8_t* pb = Bytes(b);
    std::uint8_t* po = Bytes(out);
    for (std::size_t k = count; k-- > 0;) po[k] = static_cast<std::uint8_t>(pa[k] | pb[k]);
}

void AndBytes(const void* a, const void* b, void* out, std::size_t count) {
    const std::uint8_t* pa = Bytes(a);
    const std::uint8_t* pb = Bytes(b);
    std::uint8_t* po = Bytes(out);
    for (std::size_t k = count; k-- > 0;) po[k] = static_cast<std::uint8_t>(pa[k] & pb[k]);
}

std::size_t CompactByMasks(const void* source, void* destination, const std::uint8_t* innerMask,
                           const std::uint8_t* outerMask, std::ptrdiff_t innerCount,
                           std::ptrdiff_t outerCount) {
    if (innerCount < 1 || outerCount < 1) return 0;
    const auto inner = static_cast<std::size_t>(innerCount);
    const auto outer = static_cast<std::size_t>(outerCount);
    const std::uint8_t* src = Bytes(source);
    std::uint8_t* dst = Bytes(destination);
    std::size_t copied = 0;
    for (std::size_t l = 0; l < outer; ++l, src += inner) {
        if ((outerMask[l] & 1u) == 0) continue;
        for (std::size_t i = 0; i < inner; ++i)
            if (innerMask[i] & 1u) dst[copied++] = src[i];
    }
    return copied;
}

void DeleteTwoDWords(std::uint32_t* base, std::size_t i, std::size_t j, std::size_t n) {
    if (i >= j || j >= n) return;
    std::memmove(base + i, base + i + 1, (j - i - 1) * sizeof *base);
    std::memmove(base + j - 1, base + j + 1, (n - j - 1) * sizeof *base);
}

void FillDWordArray(std::uint32_t value, std::size_t n, ADWord& array) { array.assign(n, value); }

void FillPtrArray(void* value, std::size_t n, APtr& array) { array.assign(n, value); }

std::int32_t AddInt(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

int SwapValues(void* a, void* b, std::size_t size) {
    if (size != 1 && size != 2 && size != 4) return 1;
    std::uint8_t tmp[4];
    std::memcpy(tmp, a, size);
    std::memmove(a, b, size);
    std::memcpy(b, tmp, size);
    return 0;
}

void SwapDWords(std::uint32_t& a, std::uint32_t& b) { std::swap(a, b); }

void OrderWords(std::uint16_t& a, std::uint16_t& b) {
    if (b < a) std::swap(a, b);
}

void SwapBuffer(AByte& a, AByte& b, std::size_t size) {
    a = std::move(b);
    b.assign(size, 0);
}

void ToggleBool(std::uint8_t& flag) { flag = flag == 1 ? 0 : 1; }

char DigitAt(unsigned pos, std::uint64_t n) {
    for (unsigned k = 0; k < pos && n != 0; ++k) n /= 10;
    return static_cast<char>('0' + n % 10);
}
