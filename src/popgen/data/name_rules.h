// Which names a data file can carry. A name of an individual or a locus stands in the matrix block
// (a column name or a row label) and in the member lists of the [Groups] and [LocusSets] sections;
// a group or locus-set name opens a line of those sections. Each place has characters that the
// loader reads as something else (a delimiter, the end-of-data mark, a remark, a list separator),
// so a name holding one would read back as other names, or end the data early.
//
// Names are checked where they enter the program (count data, clipboard text, and later the
// group manager and the binary matrix of tree clusters) with CheckNewNames, against the layout in
// force, and the saver checks what it writes with FindNameFault. The data-file loader accepts
// whatever its own reading leaves except what no place carries (CheckReadNames), so a file that
// loads can also be saved unless its names break the rules of the sections it writes.
//
// A NUL byte is carried at no place: tree files drop it, so names that differ only by it would
// meet as one label there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/types.h"
#include "popgen/data/dataset.h"
#include "popgen/data/file_param_record.h"

enum class NameKind : std::uint8_t { Individual, Locus, Group, LocusSet };

// Places of a name in a written data file, combined as bit flags.
inline constexpr std::uint8_t kNameInMatrix = 1;     // column name or row label of the matrix block
inline constexpr std::uint8_t kNameOnFirstLine = 2;  // on the first line, behind the file specification line
inline constexpr std::uint8_t kNameInSetList = 4;    // member of a set line
inline constexpr std::uint8_t kNameOfSet = 8;        // name of a set line
// Further characters refused when a name enters the program, where no later layout is known: the
// marks of the file specification line and of remarks.
inline constexpr std::uint8_t kNameEntering = 16;

// Every place a name of this kind may come to stand in, and kNameEntering: the rule of CheckNewNames.
std::uint8_t EnteringNamePlaces(NameKind kind);

// Why a name cannot stand at a place (with no place given: what no place carries, a line break
// or a NUL byte): it is empty, or it holds Char, which means Role there.
struct NameFault {
    bool Empty = false;
    char Char = 0;
    std::string_view Role;
};

// The first fault of the name at the given places of a file written with params; none when the
// file carries the name.
std::optional<NameFault> FindNameFault(std::string_view name, std::uint8_t places, const FileParamRecord& params);

// "Locus name "L*2" holds '*' (the end-of-data mark)", or for an empty name "Locus name 3 is
// empty" (index counted from 0, shown from 1). Long names are cut to their first 100 characters.
std::string NameFaultText(NameKind kind, std::string_view name, std::size_t index, const NameFault& fault);

// A character as a message can show it: itself when printable, else "#" and its code.
std::string ShownChar(char c);
// The same in single quotes when printable: "'*'", "#9".
std::string QuotedChar(char c);

// Checks names entering the program against the layout in force: the first that a data file
// written with params could not carry is reported as "Name not allowed:\r\n" + NameFaultText.
// True when every name can be carried.
bool CheckNewNames(TPopGenDataSet& ds, const AString& names, NameKind kind, const FileParamRecord& params);

// Checks names that a data file brought in, which its layout has carried so far: the first that no
// file of the program carries is reported as CheckNewNames reports it. True when none is.
bool CheckReadNames(TPopGenDataSet& ds, const AString& names, NameKind kind, const FileParamRecord& params);

// Reports the names of individuals (or loci) that occur more than once, as "Individual names are
// not unique:\r\n\r\n" (or "Locus names ...") and the list joined with ", ", cut to 100
// characters followed by "..." when longer. True when any name does.
bool ReportDuplicateNames(TPopGenDataSet& ds, const AString& names, NameKind kind);
