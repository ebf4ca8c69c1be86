// The layout of a data file as the loader and the saver of the data set take it: the band
// symbols, the remark and end-of-data marks, the delimiter set and the orientation flags. The
// shell fills it from its settings (shell/file_params.h) and writes it as the file's first line.
#pragma once

#include <cstdint>
#include <string>

struct FileParamRecord {
    char PresenceChar = 0;
    char AbsenceChar = 0;
    char AmbiguityChar = 0;
    char OpenRemarkChar = 0;
    char CloseRemarkChar = 0;
    char EndOfDataChar = 0;
    std::string Delimiters;           // the first one is the field delimiter written on saving
    std::uint8_t IndInColumns = 0;    // 1: individuals are columns, each line a locus
    std::uint8_t IndHeader = 0;       // names of individuals present
    std::uint8_t LocHeader = 0;       // names of loci present
    std::uint8_t DelimitedData = 0;   // 0: one character per cell
    std::uint8_t IncludeGroups = 0;   // read and write [Groups] and [LocusSets]
    std::uint8_t WriteDefaultSets = 0;
    std::uint8_t AmbiguityNegative = 0;
    char InvalidStateChar = 0;

    bool operator==(const FileParamRecord&) const = default;
};

// The field delimiter: the first character of the delimiter set, a blank when the set is empty.
inline char FieldDelimiter(const FileParamRecord& params) {
    return params.Delimiters.empty() ? ' ' : params.Delimiters.front();
}
