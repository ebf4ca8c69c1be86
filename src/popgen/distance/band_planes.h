// The bands of a layer as bit planes, 64 loci a word: for each individual a plane of its present
// cells and a plane of its absent cells (a missing cell is in neither), with its numbers of present,
// absent and missing cells. The nine pair-state counts of two individuals then take one pass of
// four population counts over the words (one when neither individual has a missing cell); the
// other counts follow from the totals.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

// Nine pair-state counts by state index (0 absent, 1 present, 2 missing) of individual i and of
// individual j: c[1][0] is the number of loci where i shows a band and j none.
using StatePairCounts = std::array<std::array<std::size_t, 3>, 3>;

class BandPlanes {
public:
    // Builds the planes of a locus-major band matrix (cell (i, l) at l * nInd + i), in pieces on the
    // program's threads. False, and no planes, when a cell holds a code other than 0, 1 and 9.
    bool Build(const std::uint8_t* locusMajor, std::size_t nInd, std::size_t nLoci);

    std::size_t Individuals() const { return n_; }
    // Tells one build from every other (0 before the first): a cache of counts keys on it.
    std::uint64_t BuildId() const { return id_; }
    std::size_t Loci() const { return loci_; }

    // The counts of individual i of these planes against individual j of other (0-based), which
    // holds the same loci.
    void Count(std::size_t i, const BandPlanes& other, std::size_t j, StatePairCounts& c) const;

    // Count within these planes, for the distance run's inner loop: inlined there, so that a
    // caller compiled for the processor's population count instruction gets it.
    [[gnu::always_inline]] inline void CountWithin(std::size_t i, std::size_t j, StatePairCounts& c) const {
        const std::uint64_t* a1 = Present(i);
        const std::uint64_t* b1 = Present(j);
        if (missing_[i] == 0 && missing_[j] == 0) {
            // Absent is the complement of present: the shared bands give all four counts.
            // Two chains of sums keep the population counts of successive words apart.
            std::size_t n11 = 0, odd = 0, w = 0;
            for (; w + 2 <= words_; w += 2) {
                n11 += static_cast<std::size_t>(std::popcount(a1[w] & b1[w]));
                odd += static_cast<std::size_t>(std::popcount(a1[w + 1] & b1[w + 1]));
            }
            if (w < words_) n11 += static_cast<std::size_t>(std::popcount(a1[w] & b1[w]));
            n11 += odd;
            c[1][1] = n11;
            c[1][0] = present_[i] - n11;
            c[0][1] = present_[j] - n11;
            c[0][0] = absent_[i] - c[0][1];
            c[1][2] = c[0][2] = c[2][1] = c[2][0] = c[2][2] = 0;
            return;
        }
        const std::uint64_t* a0 = Absent(i);
        const std::uint64_t* b0 = Absent(j);
        std::size_t n[4] = {0, 0, 0, 0};
        for (std::size_t w = 0; w < words_; ++w) {
            n[0] += static_cast<std::size_t>(std::popcount(a1[w] & b1[w]));
            n[1] += static_cast<std::size_t>(std::popcount(a1[w] & b0[w]));
            n[2] += static_cast<std::size_t>(std::popcount(a0[w] & b1[w]));
            n[3] += static_cast<std::size_t>(std::popcount(a0[w] & b0[w]));
        }
        Derive(n, i, *this, j, c);
    }

private:
    const std::uint64_t* Present(std::size_t i) const { return bits_.data() + i * 2 * words_; }
    const std::uint64_t* Absent(std::size_t i) const { return bits_.data() + (i * 2 + 1) * words_; }
    // The nine counts from the four intersections n (11, 10, 01, 00) and the totals.
    void Derive(const std::size_t n[4], std::size_t i, const BandPlanes& other, std::size_t j,
                StatePairCounts& c) const {
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

    std::size_t n_ = 0, loci_ = 0, words_ = 0;
    std::uint64_t id_ = 0;
    std::vector<std::uint64_t> bits_;                      // per individual: present words, then absent words
    std::vector<std::size_t> present_, absent_, missing_;  // per individual
};
