#include "popgen/band_planes.h"

#include <atomic>

#include "foundation/primitives.h"

namespace {
std::atomic<std::uint64_t> gBuilds{0};
}

bool BandPlanes::Build(const std::uint8_t* locusMajor, std::size_t nInd, std::size_t nLoci) {
    n_ = loci_ = words_ = 0;
    id_ = 0;
    bits_.clear();
    present_.assign(nInd, 0);
    absent_.assign(nInd, 0);
    const std::size_t words = (nLoci + 63) / 64;
    bits_.assign(nInd * 2 * words, 0);
    for (std::size_t l = 0; l < nLoci; ++l) {
        const std::uint8_t* cells = locusMajor + l * nInd;
        const std::uint64_t bit = std::uint64_t{1} << (l % 64);
        const std::size_t word = l / 64;
        for (std::size_t i = 0; i < nInd; ++i) {
            switch (cells[i]) {
                case 1:
                    bits_[i * 2 * words + word] |= bit;
                    ++present_[i];
                    break;
                case 0:
                    bits_[(i * 2 + 1) * words + word] |= bit;
                    ++absent_[i];
                    break;
                case 9:
                    break;
                default:
                    bits_.clear();
                    present_.clear();
                    absent_.clear();
                    return false;
            }
        }
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
    c[1][1] = n[0];
    c[1][0] = n[1];
    c[0][1] = n[2];
    c[0][0] = n[3];
    c[1][2] = present_[i] - n[0] - n[1];
    c[0][2] = absent_[i] - n[2] - n[3];
    c[2][1] = other.present_[j] - n[0] - n[2];
    c[2][0] = other.absent_[j] - n[1] - n[3];
    c[2][2] = loci_ - present_[i] - absent_[i] - c[2][1] - c[2][0];
}
