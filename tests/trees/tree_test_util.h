// Shared pieces of the tree tests: a recording reporter, a silent one, and analyses built from a
// few distances.
#pragma once

#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "foundation/packed_matrix.h"
#include "foundation/random.h"
#include "trees/dist_analysis.h"
#include "trees/tree_records.h"

// A reporter that records every call; questions are answered from a script (then `fallback`).
class TreeHookRecorder {
public:
    explicit TreeHookRecorder(int fallback = kAnswerNo) : fallback_(fallback) {}
    TreeHookRecorder(const TreeHookRecorder&) = delete;
    TreeHookRecorder& operator=(const TreeHookRecorder&) = delete;

    std::vector<std::string> errors;
    std::vector<std::pair<std::string, std::string>> questions;  // text, caption
    std::vector<int> answers;
    std::size_t answered = 0;
    std::uint32_t lastFlags = 0;
    Reporter reporter{[this](const std::string& msg) { errors.push_back(msg); },
                      {},
                      [this](const std::string& text, const std::string& caption, std::uint32_t flags) {
                          questions.push_back({text, caption});
                          lastFlags = flags;
                          if (answered < answers.size()) return answers[answered++];
                          return fallback_;
                      }};

private:
    int fallback_;
};

// A reporter that drops every message and answers every question No.
inline Reporter& SilentReporter() {
    static Reporter silent;
    return silent;
}

// An analysis of the given names over a full square distance matrix (its lower triangle and
// diagonal are taken), reporting through reporter.
inline TDistAnalysis MakeAnalysis(Reporter& reporter, const AString& names,
                                  const std::vector<std::vector<Extended>>& d) {
    TDistAnalysis a(reporter);
    a.NOTU = names.size();
    a.OTUNames = names;
    a.Dist.assign(PackedSize(a.NOTU), 0.0L);
    for (std::size_t i = 1; i <= a.NOTU; ++i) {
        for (std::size_t j = 1; j <= i; ++j) a.Dist[PairIndex(i, j)] = d[i - 1][j - 1];
    }
    return a;
}

inline AString Names(std::size_t n, const std::string& prefix = "T") {
    AString names;
    for (std::size_t i = 0; i < n; ++i) names.push_back(prefix + std::to_string(i + 1));
    return names;
}

// Euclidean distances of n random points in `dims` dimensions (generator seeded here).
inline TDistAnalysis RandomEuclidean(Reporter& reporter, std::size_t n, std::size_t dims, std::uint32_t seed) {
    RandSeed = seed;
    std::vector<std::vector<Extended>> points(n, std::vector<Extended>(dims));
    for (auto& p : points) {
        for (Extended& x : p) x = RandomFloat();
    }
    std::vector<std::vector<Extended>> d(n, std::vector<Extended>(n, 0.0L));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            Extended s = 0.0L;
            for (std::size_t k = 0; k < dims; ++k) s += (points[i][k] - points[j][k]) * (points[i][k] - points[j][k]);
            d[i][j] = std::sqrt(s);
        }
    }
    return MakeAnalysis(reporter, Names(n), d);
}
