// Text files of 3-D points: one point per line with X, Y, Z and optionally a label, a shape word
// and a colour, the fields separated by tabs, blanks or commas.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/reporter.h"
#include "foundation/types.h"
#include "plot3d/plot3d.h"

// At most this many problems of one file are reported one by one; the rest are counted in one
// last message, so a wrong file never floods the user with boxes.
inline constexpr std::size_t kMaxReportedImportErrors = 10;

// Written for a point without a label, and read back as an empty label. A label made of quote
// characters only, two or more of them, is written with two more, so that it stays apart from
// this mark: a label field of two or more quotes and nothing else is read as two fewer.
inline constexpr std::string_view kEmptyLabelField = "\"\"";

// The colour of a name in upper case ("RED", "LGREEN", ...), if it is one.
std::optional<PlotColour> ColourByName(std::string_view upperName);

// The points of the file's lines (each without its break). The first lines containing "LABELX",
// "LABELY" and "LABELZ" are headers and dropped, as are empty lines. Every point starts with all
// fields 0; a line with fewer than three fields, or a field that is not what it should be, is
// reported as an error and leaves the field at 0.
a3dsymbol ParseCoordinateLines(Reporter& reporter, AString lines);

// Reads the file into points; false, with points untouched and nothing reported, when the file
// cannot be read or holds nothing but empty lines.
bool ReadCoordinateFile(Reporter& reporter, const std::string& fileName, a3dsymbol& points);

// One line per point: X, Y, Z with 5 decimals, the label, the shape word and the colour as a
// signed number, separated by tabs, each line ending in CR LF. Separators and line breaks in a
// label become '_', an empty label is written as kEmptyLabelField and a label of quotes only with
// two more, so that the file reads back as the same points (sizes become 2).
std::string CoordinateFileText(const a3dsymbol& points);

// Writes CoordinateFileText to the file, replacing it; 0 or the system's error code.
int WriteCoordinateFile(const std::string& fileName, const a3dsymbol& points);
