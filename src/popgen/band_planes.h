// The bands of a layer as bit planes, 64 loci a word: for each individual a plane of its present
// cells and a plane of its absent cells (a missing cell is in neither), with its numbers of present,
// absent and missing cells. The nine pair-state counts of two individuals then take one pass of
// four population counts over the words; the other five follow from the totals.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Nine pair-state counts by state index (0 absent, 1 present, 2 missing) of individual i and of
// individual j: c[1][0] is the number of loci where i shows a band and j none.
using StatePairCounts = std::array<std::array<std::size_t, 3>, 3>;

class BandPlanes {
public:
    // Builds the planes of a locus-major band matrix (cell (i, l) at l * nInd + i). False, and no
    // planes, when a cell holds a code other than 0, 1 and 9.
    bool Build(const std::uint8_t* locusMajor, std::size_t nInd, std::size_t nLoci);

    std::size_t Individuals() const { return n_; }
    // Tells one build from every other (0 before the first): a cache of counts keys on it.
    std::uint64_t BuildId() const { return id_; }
    std::size_t Loci() const { return loci_; }

    // The counts of individual i of these planes against individual j of other (0-based), which
    // holds the same loci.
    void Count(std::size_t i, const BandPlanes& other, std::size_t j, StatePairCounts& c) const;

private:
    const std::uint64_t* Present(std::size_t i) const { return bits_.data() + i * 2 * words_; }
    const std::uint64_t* Absent(std::size_t i) const { return bits_.data() + (i * 2 + 1) * words_; }

    std::size_t n_ = 0, loci_ = 0, words_ = 0;
    std::uint64_t id_ = 0;
    std::vector<std::uint64_t> bits_;         // per individual: present words, then absent words
    std::vector<std::size_t> present_, absent_;  // per individual
};
