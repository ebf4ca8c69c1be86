// The File > Export commands: the current data in the formats of other programs. Each checks
// that data are loaded, runs its writer (which asks its own questions) and says so only when the
// file was written; a failed write has been reported with the file's name and the system's reason.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/types.h"

void CmdExportNexus(const std::string& fileName, char presenceChar, char ambiguityChar, char absenceChar);
void CmdExportArlequin(const std::string& fileName, char ambiguityChar);
// Asks whether absences are written as 0/? rather than 0/0.
void CmdExportGenePop(const std::string& fileName);
void CmdExportNTSYS(const std::string& fileName);
void CmdExportOTUList(const std::string& fileName);
void CmdExportSynTax(const std::string& fileName);
// Parents and test group are group indices (-1, nothing chosen, counts as group 1); the parents
// must differ.
void CmdExportHindex(const std::string& fileName, std::int32_t parent1, std::int32_t parent2, std::int32_t testGroup,
                     float mdFraction);
void CmdExportStructure(const std::string& fileName, bool withPopulation, std::uint8_t ploidy);
void CmdExportHickoryNexus(const std::string& fileName);
// selection: one byte per group, 1 = export it; at least two.
void CmdExportDfdist(const std::string& fileName, const AByte& selection, bool useMissing, float mdFraction,
                     std::uint8_t roundMode);
void CmdExportBayeScan(const std::string& fileName, const AByte& selection, bool useMissing, float mdFraction,
                       std::uint8_t roundMode);
// Asks whether to add the populations when there are groups.
void CmdExportAFLPDat(const std::string& fileName);
void CmdExportRTable(const std::string& fileName);
// One file per group, named from fileName.
void CmdExportAFLPOP(const std::string& fileName, Extended mdFraction);
// Needs the current layer's distance matrix (band data are not needed: an imported matrix will do).
void CmdExportPhylipDist(const std::string& fileName);
