// Compares distance matrices of the engine with reference values written by
// tests/data/popgen/coefficient_oracle.R ("measure i j value" lines).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "band_fixture.h"
#include "popgen/distance/distance_matrix.h"

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

struct RefValue {
    std::size_t i, j;
    double value;
};

// measure -> its values.
inline std::map<std::string, std::vector<RefValue>> ReadReference(const std::string& path) {
    std::map<std::string, std::vector<RefValue>> out;
    for (const std::string& line : ReadLines(path)) {
        std::istringstream s(line);
        s.imbue(std::locale::classic());
        std::string measure;
        RefValue v{};
        s >> measure >> v.i >> v.j >> v.value;
        EXPECT_FALSE(s.fail()) << line;
        out[measure].push_back(v);
    }
    return out;
}

// The coefficient and transformation whose DistMatrix a reference measure equals.
struct MeasureRun {
    const char* measure;
    std::uint8_t coefficient, transform;
};
inline constexpr MeasureRun kMeasureRuns[] = {
    {"binary", 0, 0},       {"bray_binary", 1, 0}, {"manhattan_per_locus", 2, 0}, {"ade4_jaccard", 0, 1},
    {"ade4_smc", 2, 1},     {"ade4_dice", 1, 1},   {"euclidean", 4, 3},           {"sq_euclidean", 5, 3},
};

// Runs every measure present in `reference` on the bands and compares all values. Returns the
// number of values compared.
inline std::size_t CompareWithReference(const std::vector<std::string>& bands,
                                        const std::map<std::string, std::vector<RefValue>>& reference,
                                        const std::string& label) {
    std::size_t compared = 0;
    for (const MeasureRun& run : kMeasureRuns) {
        const auto it = reference.find(run.measure);
        if (it == reference.end()) continue;
        BandDataSet b;
        b.SetRows(bands);
        EXPECT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, run.coefficient, run.transform, 6.0L, 100), ProgramRandom()))
            << run.measure;
        EXPECT_EQ(it->second.size(), bands.size() * (bands.size() - 1) / 2) << label << " " << run.measure;
        for (const RefValue& v : it->second) {
            const double ours = static_cast<double>(GetDist(b.ds, v.i, v.j));
            EXPECT_NEAR(ours, v.value, 1e-12 * std::max(1.0, std::fabs(v.value)))
                << label << " " << run.measure << " (" << v.i << ", " << v.j << ")";
            ++compared;
        }
        EXPECT_TRUE(b.errors.empty()) << label;
    }
    return compared;
}
