// Saving the current layer of a data set as a data file in the program's own format, so that
// LoadDataFile reads it back with the same FileParamRecord: the file specification line with the header
// (or the first row) on the first line, one line per row, the end-of-data line, then the [Groups]
// and [LocusSets] sections. Lines end in CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "popgen/data/dataset.h"
#include "popgen/data/file_param_record.h"

// Writes the file (append: add to an existing file instead of rewriting it). False with "No data
// loaded" when ds.HasData() is false, and false with the operating system's message when the file
// could not be written. Nothing is written, and "Data not saved:\r\n" and the reason reported,
// when LoadDataFile would read the file back as other data with the same record: a name holding a
// character that means something else where it stands (FindNameFault), a band symbol or the
// delimiter that is also a delimiter, the end-of-data mark or a remark mark, a remark mark in the
// sections' own text. A file with missing cells written as "-" and the symbol (AmbiguityNegative,
// delimited) is meant for other programs and is not checked.
// Group and locus-set members that the saved layer does not hold are left out, and members whose
// names the file does not carry are written under the number the loader will give them ("OTU3",
// "Locus2"), so a saved selection loads again with the same sets. A cell that is none of 0, 1, 9
// is written as the record's InvalidStateChar and reported once as "Data Inconsitency Error."
// (the save goes on).
bool SaveData(TPopGenDataSet& ds, const std::string& name, bool append, const std::string& specLine,
              const FileParamRecord& params);

// The symbol of the cell of locus `locus` and individual `ind` (both from 0) of a locus-major
// matrix of nInd individuals. invalid is set to true (and never reset) for a cell that is none of
// 0, 1, 9.
std::string CellText(std::span<const std::uint8_t> matrix, std::size_t nInd, std::size_t locus,
                     std::size_t ind, const FileParamRecord& params, bool& invalid);

// Appends one set section to ds.DataText (created when null): an empty line, the title, one line
// "name= member, member;" per set, and the closing line. The first set is left out without
// writeDefaults when it is "AllData" or "AllLoci", unless the next set has its name (that one would
// be read as the default set); nothing is appended when no set is left.
void WriteSetSection(TPopGenDataSet& ds, const TFilterArray& sets, std::string_view title, bool writeDefaults,
                     std::string_view closing);
