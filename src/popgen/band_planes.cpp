#include "popgen/band_planes.h"

#include <algorithm>
#include <atomic>

#include "foundation/primitives.h"
#include "foundation/thread_pool.h"

namespace {
std::atomic<std::uint64_t> gBuilds{0};

// Individuals per piece of a build: their words of one 64-locus stretch are gathered in two small
// arrays while the stretch's rows of the locus-major matrix are read in order.
constexpr std::size_t kBuildBlock = 64;
}  // namespace

bool BandPlanes::Build(const std::uint8_t* locusMajor, std::size_t nInd, std::size_t nLoci) {
    n_ = loci_ = words_ = 0;
    id_ = 0;
    const std::size_t words = (nLoci + 63) / 64;
    bits_.assign(nInd * 2 * words, 0);
    present_.assign(nInd, 0);
    absent_.assign(nInd, 0);
    missing_.assign(nInd, 0);
    const std::size_t pieces = (nInd + kBuildBlock - 1) / kBuildBlock;
    std::vector<std::uint8_t> otherCodes(pieces, 0);
    ParallelPieces(pieces, [&](std::size_t p) {
        const std::size_t first = p * kBuildBlock, count = std::min(kBuildBlock, nInd - first);
        std::uint8_t other = 0;
        for (std::size_t w = 0; w < words; ++w) {
            std::uint64_t present[kBuildBlock] = {}, absent[kBuildBlock] = {};
            const std::size_t lEnd = std::min(nLoci, (w + 1) * 64);
            for (std::size_t l = w * 64; l < lEnd; ++l) {
                const std::uint8_t* cells = locusMajor + l * nInd + first;
                const unsigned bit = static_cast<unsigned>(l % 64);
                for (std::size_t k = 0; k < count; ++k) {
                    const std::uint8_t cell = cells[k];
                    present[k] |= static_cast<std::uint64_t>(cell == 1) << bit;
                    absent[k] |= static_cast<std::uint64_t>(cell == 0) << bit;
                    other |= static_cast<std::uint8_t>(cell > 1 && cell != 9);
                }
            }
            for (std::size_t k = 0; k < count; ++k) {
                const std::size_t i = first + k;
                bits_[i * 2 * words + w] = present[k];
                bits_[(i * 2 + 1) * words + w] = absent[k];
                present_[i] += static_cast<std::size_t>(std::popcount(present[k]));
                absent_[i] += static_cast<std::size_t>(std::popcount(absent[k]));
            }
        }
        for (std::size_t k = 0; k < count; ++k) missing_[first + k] = nLoci - present_[first + k] - absent_[first + k];
        otherCodes[p] = other;
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
