#include "popgen/distance/band_planes.h"

#include <algorithm>
#include <atomic>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "foundation/primitives.h"
#include "foundation/thread_pool.h"

namespace {

std::atomic<std::uint64_t> gBuilds{0};

// Individuals per piece of a build.
constexpr std::size_t kBuildBlock = 64;

// Where a build writes: the planes as bytes (byte g of individual i's present plane holds loci
// 8g .. 8g + 7, the words being little-endian), and whether a cell held another code.
struct PlaneBytes {
    std::uint8_t* bytes;
    std::size_t words;
    std::uint8_t* Present(std::size_t i) const { return bytes + i * 2 * words * 8; }
    std::uint8_t* Absent(std::size_t i) const { return bytes + (i * 2 + 1) * words * 8; }
};

// Loci [l0, l1) of individual i, cell by cell.
std::uint8_t SetBitsOneByOne(const std::uint8_t* locusMajor, std::size_t nInd, std::size_t i, std::size_t l0,
                             std::size_t l1, const PlaneBytes& out) {
    std::uint8_t other = 0;
    std::uint8_t* present = out.Present(i);
    std::uint8_t* absent = out.Absent(i);
    for (std::size_t l = l0; l < l1; ++l) {
        const std::uint8_t cell = locusMajor[l * nInd + i];
        const auto bit = static_cast<std::uint8_t>(1u << (l % 8));
        if (cell == 1) present[l / 8] = static_cast<std::uint8_t>(present[l / 8] | bit);
        if (cell == 0) absent[l / 8] = static_cast<std::uint8_t>(absent[l / 8] | bit);
        other = static_cast<std::uint8_t>(other | (cell > 1 && cell != 9));
    }
    return other;
}

// The planes of individuals [first, first + count); true when a cell held another code.
bool BuildBlock(const std::uint8_t* locusMajor, std::size_t nInd, std::size_t nLoci, std::size_t first,
                std::size_t count, const PlaneBytes& out) {
    const std::size_t groups = nLoci / 8;  // whole bytes of the planes
    std::size_t k = 0;
    std::uint8_t other = 0;
#if defined(__SSE2__)
    // Sixteen individuals by eight loci a step: byte t of the sum of (cell == 1) & (1 << b) over the
    // eight loci b is the present byte of individual t.
    __m128i otherCells = _mm_setzero_si128();
    const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi8(1), nine = _mm_set1_epi8(9);
    for (; k + 16 <= count; k += 16) {
        for (std::size_t g = 0; g < groups; ++g) {
            __m128i present = _mm_setzero_si128(), absent = _mm_setzero_si128();
            for (unsigned b = 0; b < 8; ++b) {
                const __m128i cells = _mm_loadu_si128(
                    reinterpret_cast<const __m128i*>(locusMajor + (g * 8 + b) * nInd + first + k));
                const __m128i isOne = _mm_cmpeq_epi8(cells, one), isZero = _mm_cmpeq_epi8(cells, zero);
                const __m128i bit = _mm_set1_epi8(static_cast<char>(1u << b));
                present = _mm_or_si128(present, _mm_and_si128(isOne, bit));
                absent = _mm_or_si128(absent, _mm_and_si128(isZero, bit));
                const __m128i known = _mm_or_si128(_mm_or_si128(isOne, isZero), _mm_cmpeq_epi8(cells, nine));
                otherCells = _mm_or_si128(otherCells, _mm_andnot_si128(known, _mm_set1_epi8(-1)));
            }
            alignas(16) std::uint8_t p[16], a[16];
            _mm_store_si128(reinterpret_cast<__m128i*>(p), present);
            _mm_store_si128(reinterpret_cast<__m128i*>(a), absent);
            for (std::size_t t = 0; t < 16; ++t) {
                out.Present(first + k + t)[g] = p[t];
                out.Absent(first + k + t)[g] = a[t];
            }
        }
        for (std::size_t t = 0; t < 16; ++t)
            other = static_cast<std::uint8_t>(
                other | SetBitsOneByOne(locusMajor, nInd, first + k + t, groups * 8, nLoci, out));
    }
    other = static_cast<std::uint8_t>(other | (_mm_movemask_epi8(otherCells) != 0));
#endif
    for (; k < count; ++k)
        other = static_cast<std::uint8_t>(other | SetBitsOneByOne(locusMajor, nInd, first + k, 0, nLoci, out));
    return other != 0;
}

}  // namespace

bool BandPlanes::Build(const std::uint8_t* locusMajor, std::size_t nInd, std::size_t nLoci) {
    n_ = loci_ = words_ = 0;
    id_ = 0;
    const std::size_t words = (nLoci + 63) / 64;
    bits_.assign(nInd * 2 * words, 0);
    present_.assign(nInd, 0);
    absent_.assign(nInd, 0);
    missing_.assign(nInd, 0);
    const PlaneBytes out{reinterpret_cast<std::uint8_t*>(bits_.data()), words};
    const std::size_t pieces = (nInd + kBuildBlock - 1) / kBuildBlock;
    std::vector<std::uint8_t> otherCodes(pieces, 0);
    ParallelPieces(pieces, [&](std::size_t p) {
        const std::size_t first = p * kBuildBlock, count = std::min(kBuildBlock, nInd - first);
        otherCodes[p] = BuildBlock(locusMajor, nInd, nLoci, first, count, out) ? 1 : 0;
        for (std::size_t i = first; i < first + count; ++i) {
            for (std::size_t w = 0; w < words; ++w) {
                present_[i] += static_cast<std::size_t>(std::popcount(bits_[i * 2 * words + w]));
                absent_[i] += static_cast<std::size_t>(std::popcount(bits_[(i * 2 + 1) * words + w]));
            }
            missing_[i] = nLoci - present_[i] - absent_[i];
        }
    });
    if (std::find(otherCodes.begin(), otherCodes.end(), 1) != otherCodes.end()) {
        bits_.clear();
        present_.clear();
        absent_.clear();
        missing_.clear();
        return false;
    }
    n_ = nInd;
    loci_ = nLoci;
    words_ = words;
    id_ = gBuilds.fetch_add(1, std::memory_order_relaxed) + 1;
    return true;
}

void BandPlanes::Count(std::size_t i, const BandPlanes& other, std::size_t j, StatePairCounts& c) const {
    std::size_t n[4];
    CountPlaneIntersections(Present(i), Absent(i), other.Present(j), other.Absent(j), words_, n);
    Derive(n, i, other, j, c);
}
