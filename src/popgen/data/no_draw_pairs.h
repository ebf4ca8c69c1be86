// The Average similarities of a run whose bounds admit no draw: each holds its lower bound, and
// the run keeps how many there were and the first few, in pair order, for its report.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

struct NoDrawPairs {
    static constexpr std::size_t kListed = 5;
    std::size_t Count = 0;
    std::vector<std::pair<std::size_t, std::size_t>> First;  // (i, j), 1-based

    void Record(std::size_t i, std::size_t j) {
        if (First.size() < kListed) First.emplace_back(i, j);
        ++Count;
    }
    // Adds the pairs of a later part of the same run.
    void Append(const NoDrawPairs& later) {
        for (const auto& p : later.First) {
            if (First.size() >= kListed) break;
            First.push_back(p);
        }
        Count += later.Count;
    }
};
