// A loaded-like data set from band rows ('0', '1', '9' per locus): layer 0 with names and masks,
// groups and locus sets by member rows / columns, and the working copy (layer 1) current.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "popgen/data/dataset.h"

struct GroupedBands {
    std::vector<std::string> errors, warnings;
    Reporter reporter{[this](const std::string& m) { errors.push_back(m); },
                      [this](const std::string& m) { warnings.push_back(m); }};
    TPopGenDataSet ds{reporter};

    // groups: name and 0-based member rows; "AllData" comes first by itself. Likewise locus sets.
    void Load(const std::vector<std::string>& rows,
              const std::vector<std::pair<std::string, std::vector<std::size_t>>>& groups = {},
              const std::vector<std::pair<std::string, std::vector<std::size_t>>>& locusSets = {}) {
        const std::size_t n = rows.size(), m = rows.empty() ? 0 : rows[0].size();
        TDSLayer& base = ds.Layers[0];
        base = TDSLayer{};
        base.NInd = n;
        base.NLoci = m;
        base.NCells = n * m;
        base.Matrix.assign(n * m, 0);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t l = 0; l < m; ++l) base.Matrix[l * n + i] = static_cast<std::uint8_t>(rows[i][l] - '0');
        for (std::size_t i = 1; i <= n; ++i) base.IndNames.push_back("I" + std::to_string(i));
        for (std::size_t l = 1; l <= m; ++l) base.LocNames.push_back("L" + std::to_string(l));
        base.IndMask.assign(n, 1);
        base.LocMask.assign(m, 1);
        ds.Groups = {Set("AllData", base.IndNames, AByte(n, 1))};
        for (const auto& [name, members] : groups) ds.Groups.push_back(Set(name, base.IndNames, Mask(n, members)));
        ds.LocusSets = {Set("AllLoci", base.LocNames, AByte(m, 1))};
        for (const auto& [name, members] : locusSets)
            ds.LocusSets.push_back(Set(name, base.LocNames, Mask(m, members)));
        ds.DataLoaded = 1;
        ds.CurLayer = 0;
        ds.Select(0, 0);
    }

    static AByte Mask(std::size_t n, const std::vector<std::size_t>& members) {
        AByte mask(n, 0);
        for (const std::size_t k : members) mask[k] = 1;
        return mask;
    }

    static TdsFilterRec Set(std::string name, const AString& names, AByte mask) {
        TdsFilterRec r;
        r.Name = std::move(name);
        for (std::size_t k = 0; k < mask.size(); ++k)
            if (mask[k] == 1) r.Members.push_back(names[k]);
        r.Count = r.Members.size();
        r.Mask = std::move(mask);
        return r;
    }

    // The current layer's rows as text, one string per individual.
    std::vector<std::string> Rows() const {
        const TDSLayer& l = ds.GetCurrLayer();
        std::vector<std::string> rows(l.NInd);
        for (std::size_t i = 1; i <= l.NInd; ++i)
            for (std::size_t k = 1; k <= l.NLoci; ++k) rows[i - 1] += static_cast<char>('0' + l.Cell(i, k));
        return rows;
    }
};
