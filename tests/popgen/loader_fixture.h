// A data set that records its error reports, a temporary folder for input files, and the
// default data-file layout, for the loader, saver and import tests.
#pragma once

#include <string>
#include <vector>

#include "popgen/data/dataset.h"
#include "popgen/data/file_param_record.h"
#include "support/temp_dir.h"

// The layout of the default file specification line <TESK:10?}{*:c+,i+,l-,d+,a+> with the default
// delimiter set (blank, NUL, tab, CR, LF).
inline FileParamRecord DefaultParams() {
    FileParamRecord p;
    p.PresenceChar = '1';
    p.AbsenceChar = '0';
    p.AmbiguityChar = '?';
    p.OpenRemarkChar = '{';
    p.CloseRemarkChar = '}';
    p.EndOfDataChar = '*';
    p.Delimiters = std::string(" \0\t\r\n", 5);
    p.IndInColumns = 1;
    p.IndHeader = 1;
    p.LocHeader = 0;
    p.DelimitedData = 1;
    p.IncludeGroups = 1;
    p.WriteDefaultSets = 0;
    p.AmbiguityNegative = 0;
    p.InvalidStateChar = '!';
    return p;
}

inline const std::string kDefaultSpecLine = "<TESK:10?}{*:c+,i+,l-,d+,a+>";

inline std::string ExamplePath(const std::string& name) {
    return std::string(TESK_SOURCE_DIR) + "/examples/" + name;
}

struct LoaderFixture {
    std::vector<std::string> errors;
    Reporter reporter{[this](const std::string& msg) { errors.push_back(msg); }};
    TPopGenDataSet ds{reporter};
    TempDir dir;

    LoaderFixture() { ds.IncludeGroups = 1; }

    std::string LastError() const { return errors.empty() ? std::string() : errors.back(); }

    // The state every failed load must leave: nothing loaded, no sets, no text held.
    bool IsCleared() const {
        return !ds.HasData() && ds.DataLoaded == 0 && ds.Groups.empty() && ds.LocusSets.empty() &&
               ds.Layers[0].Matrix.empty() && ds.Layers[1].Matrix.empty() && !ds.InputText && !ds.DataText;
    }
};

// The cells of a layer as text, one string per individual ('0', '1', '9' per locus).
inline std::vector<std::string> RowsOf(const TDSLayer& layer) {
    std::vector<std::string> rows(layer.NInd);
    for (std::size_t i = 1; i <= layer.NInd; ++i)
        for (std::size_t l = 1; l <= layer.NLoci; ++l) rows[i - 1] += static_cast<char>('0' + layer.Cell(i, l));
    return rows;
}
