// Version numbers of the program, of the R plotting script and of the version file on the web,
// the version box and the web check.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The address of the version file that the web check reads: line 1 the latest version, an optional
// line 2 a message. Set when building (TESK_VERSION_URL); empty means there is none.
extern std::string VersionCheckUrl;

// "1.31" is 1, 31, 0 and "2.105" is 2, 10, 5: blanks, NUL, TAB, CR and LF are removed, the text
// before the first '.' is the major, the next two characters the minor and the rest the sub. Each
// part must be decimal digits that fit 16 bits; otherwise all three are 0 and the result is false.
bool ParseVersion(std::string_view text, std::uint16_t& major, std::uint16_t& minor, std::uint16_t& sub);
// ParseVersion of ProgramVersion.
bool ParseProgramVersion(std::uint16_t& major, std::uint16_t& minor, std::uint16_t& sub);

// The plotting script's marker line, RPLOTTESKVERSION = "1.31" with an optional R comment after it.
// At least 22 characters; blanks are ignored; exactly one '=' and two '"' before any '#'; major
// and minor numbers of 16 bits each. On false both are 0.
bool ParseRScriptVersionLine(std::string_view line, std::uint16_t& major, std::uint16_t& minor);

// The version of the script RScriptFileName: its first line holding RPLOTTESKVERSION (the first
// line of the file counts too) read by ParseRScriptVersionLine. False when the script cannot be
// read or holds no valid marker line.
bool RScriptVersionOK(std::uint16_t& major, std::uint16_t& minor);

// The version box "TESK Version", and the same in the message area; withScript adds the version
// of the plotting script.
void CmdShowVersion(bool withScript);

// The texts of the web check's box from the fetched version file.
std::string WebVersionReport(std::string_view versionFile);

// Fetches the version file and shows "Most recent TESK Version" (or the failure).
void CheckWebVersion();
// "Checking newest TESK version available on the web.", then CheckWebVersion.
void CmdCheckForNewVersion();
