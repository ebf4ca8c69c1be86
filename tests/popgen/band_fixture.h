// A data set whose current layer is built straight from band rows, for the coefficient,
// distance-matrix and report tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "popgen/data/dataset.h"
#include "popgen/distance/distance_matrix.h"
#include "support/band_rows.h"

struct BandDataSet {
    std::vector<std::string> errors;
    Reporter reporter{[this](const std::string& msg) { errors.push_back(msg); }};
    TPopGenDataSet ds{reporter};

    // Fills `layer` with one individual per row ('0', '1' or '9' per locus), names I1, I2, ...
    // unless given, and makes it current.
    void SetRows(const std::vector<std::string>& rows, std::uint8_t layer = 1, AString names = {}) {
        TDSLayer& l = ds.Layers[layer];
        FillBandRows(l, rows);
        l.IndNames = names.empty() ? NumberedNames("I", l.NInd) : std::move(names);
        ds.DataLoaded = 1;
        ds.CurLayer = layer;
    }
};

// Two rows whose loci show the pairs of states (a, b) the given number of times each.
inline std::vector<std::string> PairRows(const std::vector<std::pair<std::string, int>>& states) {
    std::vector<std::string> rows(2);
    for (const auto& [ab, times] : states)
        for (int k = 0; k < times; ++k) {
            rows[0] += ab[0];
            rows[1] += ab[1];
        }
    return rows;
}

// Run options from the numbers of treatment, coefficient and transformation, for tests that go
// through every code.
inline DistRunOptions RunOptions(int mode, int coeff, int transform, Extended neiLiR = 6.0L, std::size_t draws = 100) {
    return {CodeOf<Treatment>(static_cast<std::uint8_t>(mode)), CodeOf<Coefficient>(static_cast<std::uint8_t>(coeff)),
            CodeOf<Transformation>(static_cast<std::uint8_t>(transform)), neiLiR, draws};
}
