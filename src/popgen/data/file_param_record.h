// The layout of a data file as the loader and the saver of the data set take it: the band
// symbols, the remark and end-of-data marks, the delimiter set and the orientation flags. The
// shell fills it from its settings (shell/file_params.h) and writes it as the file's first line.
#pragma once

#include <string>

struct FileParamRecord {
    char PresenceChar = 0;
    char AbsenceChar = 0;
    char AmbiguityChar = 0;
    char OpenRemarkChar = 0;
    char CloseRemarkChar = 0;
    char EndOfDataChar = 0;
    std::string Delimiters;           // the first one is the field delimiter written on saving
    bool IndInColumns = false;        // individuals are columns, each line a locus
    bool IndHeader = false;           // names of individuals present
    bool LocHeader = false;           // names of loci present
    bool DelimitedData = false;       // false: one character per cell
    bool IncludeGroups = false;       // read and write [Groups] and [LocusSets]
    bool WriteDefaultSets = false;
    bool AmbiguityNegative = false;
    char InvalidStateChar = 0;

    bool operator==(const FileParamRecord&) const = default;
};

// The field delimiter: the first character of the delimiter set, a blank when the set is empty.
inline char FieldDelimiter(const FileParamRecord& params) {
    return params.Delimiters.empty() ? ' ' : params.Delimiters.front();
}
