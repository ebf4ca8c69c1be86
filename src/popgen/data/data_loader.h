// Loading the program's own band-matrix data file into a data set: the matrix block (remarks,
// delimiters, both orientations, header and label variants, the end-of-data line), the default
// group "AllData" and locus set "AllLoci", the [Groups] and [LocusSets] sections and the working
// copy in layer 1.
//
// Every problem is reported through the data set's reporter; callers judge a load by
// ErrorCount() = 0. A load that fails leaves the data set cleared (no layer with data, no sets),
// never half built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "popgen/data/dataset.h"
#include "popgen/data/file_param_record.h"

class Ttf;

// Reads the whole file into ds.InputText, one entry per line (CR LF, LF and CR all end a line).
// A file that cannot be opened is reported as "File not found:\r\n" + name and leaves InputText
// null; false then.
bool OpenInputFile(TPopGenDataSet& ds, const std::string& name);

// The whole load of a data file: resets the error count, reads the file, cuts the
// file specification block out of line 0 (when ds.PreParse is set), parses the block before the
// end-of-data line, makes the default sets, reads the set sections (when ds.IncludeGroups is set)
// and builds the working copy (when ds.AutoWorkingCopy is set). A name that no file of the program
// can carry (a NUL byte, CheckReadNames) is refused. True when the data set was loaded without any
// error.
bool LoadDataFile(TPopGenDataSet& ds, const std::string& name, const FileParamRecord& params);

// Parses the band matrix in ds.DataText into layer ds.LoadLayer (clearing the data set first) and
// frees DataText. True when a matrix was stored, also when the duplicate-name check afterwards
// reported an error.
bool LoadDataTF(TPopGenDataSet& ds, const FileParamRecord& params);

// Groups := "AllData" (every individual of the loaded layer), LocusSets := "AllLoci".
void MakeDefaultSets(TPopGenDataSet& ds);

// When ds.IncludeGroups is set: reads the [Groups] and then the [LocusSets] section of ds.InputText,
// searched from the line after lastDataLine on. Each section is read (and its problem reported)
// also when the other one failed.
void ReadSetSections(TPopGenDataSet& ds, std::size_t lastDataLine, const FileParamRecord& params);

// Parses the definition lines "name = member, member, ...;" of ds.DataText into sets whose members
// are of the given kind and frees DataText; "name= ;" is a set without members. A first definition
// named like the default set and holding all of it is the default set written again and is not
// added; later ones are sets of their own. False when a member was not found or a name is refused
// (reported; the sets read so far stay).
bool ReadSetDefinitions(TPopGenDataSet& ds, TFilterArray& sets, SetKind kind, const FileParamRecord& params);

// Index of the first line from `from` on that contains ch, or lines.Count() when none does.
std::size_t FindLineWithChar(const Ttf& lines, char ch, std::size_t from);

// The last line of the data block of an input text: the line before the first line containing
// eodChar; line 0 when line 0 contains it; the last line when no line does (0 for no lines).
std::size_t LastDataLine(const Ttf& lines, char eodChar);
