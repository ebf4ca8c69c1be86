// The band data of the current layer, with or without populations, in the input formats of
// population-genetics programs: an Arlequin project, GenePop, Structure, AFLPDat, and one AFLPOP
// file per group.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/random.h"
#include "foundation/types.h"
#include "popgen/data/dataset.h"

// Samples are the groups of the first hierarchy level, or (when the user chooses two levels)
// those of the second, nested in the first by name: a group belongs under g when its name starts
// with g's name and '/'. Members that the current layer does not hold are left out of the
// samples, with one warning. The question of the levels left unanswered writes nothing and
// returns false without an error.
bool ExportArlequin(TPopGenDataSet& ds, const std::string& fileName, char missing);
// One population; every locus a diploid code: present "0100", absent "0202" (absentAsHomozygote)
// or "0200", missing "0000".
bool ExportGenePop(TPopGenDataSet& ds, const std::string& fileName, bool absentAsHomozygote);
// ploidy (1-255) identical lines per individual; withPopulation adds the number of its group.
bool ExportStructure(TPopGenDataSet& ds, const std::string& fileName, bool withPopulation, std::uint8_t ploidy);
// A tab-delimited table of individuals by loci (1, 0, NA), with the group of each individual when
// withPopulation. Individuals without names are numbered from 1.
bool ExportAFLPDat(TPopGenDataSet& ds, const std::string& fileName, bool withPopulation);
// One file per group (from group 1 on) of the whole data (layer 1, warning "Switching to AllData"
// when a selection is current, which then stays current) by the current locus set, its missing
// cells replaced with replaceFraction (one draw of random per missing cell) on a temporary layer,
// so the user's data keep their missing cells. The file name is the base name with the group's
// short name inserted before the last '.' of the file name, or appended to a name without one;
// groups whose short names coincide get their whole path (with '_' for '/'), so no file replaces
// another. Groups without individuals are skipped with one warning. Every file is built before
// the first is written.
bool ExportAFLPOP(TPopGenDataSet& ds, const std::string& baseName, Extended replaceFraction, RandomStream& random);

// The names of the AFLPOP files of the groups 1 .. n-1, in group order.
AString AFLPOPFileNames(const TPopGenDataSet& ds, const std::string& baseName);

// Whether whitespace-separated readers take the character inside a name.
bool IsGenePopNameChar(char c);
