// The layout of a data file: the record the loader and the saver take, and the file specification
// line that a data file carries as its first line, for example
//   <TESK:10?}{*:c+,i+,l-,d+,a+>
// (presence, absence, missing, remark close, remark open, end of data; then the flags).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "popgen/data/file_param_record.h"

// The input-format settings as a record (both give the same record).
FileParamRecord GetFileParams();
FileParamRecord PackFileParams();
// The reverse: every field becomes the setting of the same name.
void SetFileParams(const FileParamRecord& rec);

// '+' for 1, '-' for anything else.
char PlusMinus(std::uint8_t flag);
// '+' sets the flag to 1, '-' to 0; any other character leaves it as it is.
void ParsePlusMinus(std::uint8_t& flag, char sign);

// The file specification line for a record, ending in CR LF; empty when WriteSpecs is off, and empty
// with a warning when the line could not be read back (negative ambiguities, or a symbol that is
// ':', '<', '>' or a line break).
std::string WriteSpecBlock(const FileParamRecord& rec);

// Whether a character may mark remarks: not a letter, a digit or one of the marks of the set
// sections and their lists ("[", "]", "*", "=", ",", ";"). Any of those occurs in the text the
// saver writes itself ("[Groups]", "AllData", "OTU1", "name= a, b;"), so the loader would take
// part of it for a remark.
bool RemarkSymbolAllowed(char c);

// The first line of a text file, without its line break; empty when the file cannot be read.
std::string ReadFirstLine(const std::string& fileName);

// The block "<...>" of a line: true only when the line holds exactly one '<' and one '>', in that
// order. The block is emptied otherwise.
bool ExtractSpecBlock(std::string_view line, std::string& block);

// Applies a block to the input-format settings. An invalid block changes nothing and says nothing.
void ParseSpecBlock(std::string_view block);

// What could not be read of a first line that is meant as a file specification line: one that holds
// a block, or begins one with "<TESK" in any case. Empty for any other line, and for a valid one:
// "<TESK:", at most six symbols, ':', each of the flags c, i, l, d, a once or more with '+' or '-'
// (separated by ',', in any order, blanks allowed), '>'. Fewer symbols keep the others as they are.
std::string SpecLineFault(std::string_view line);
