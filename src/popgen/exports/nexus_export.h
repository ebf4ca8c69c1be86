// The current layer as a NEXUS file: the taxa, the band matrix as a CHARACTERS or DATA block and,
// when the layer has one, its distance matrix; and the NEXUS file of the Hickory program, whose
// ALLELES block lists the individuals population by population (the groups of the first level).
#pragma once

#include <string>

#include "popgen/data/dataset.h"

// presence, missing and absence are the symbols of the three cell codes. Asks which block and
// which data type to write (a question left unanswered writes nothing and returns false without
// an error), and whether to add the distance matrix. Taxon names are written with
// '_' for blanks and NEXUS punctuation (one warning lists them), and each row holds one symbol
// per locus without blanks between them, as NEXUS readers take a standard matrix.
bool ExportNexus(TPopGenDataSet& ds, const std::string& fileName, char presence, char missing, char absence);

// Needs groups at the first level of the hierarchy. A member of a population that the current
// layer does not hold is left out, with one warning naming those members.
bool ExportHickory(TPopGenDataSet& ds, const std::string& fileName, char missing);

// Whether a NEXUS reader takes the character as part of an unquoted name.
bool IsNexusNameChar(char c);
