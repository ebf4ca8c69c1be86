// The current layer in plain matrix and list formats of other programs, without groups: the band
// matrix for SynTax (with two label files), NTSYSpc and R (a tab-delimited table), the distance
// matrix for PHYLIP, and the list of individual (OTU) names.
#pragma once

#include <string>

#include "popgen/data/dataset.h"

// Data file fileName, then the label files with "_indivlabels" and "_rowlabels" in their names
// (DerivedFileName); a label file whose names are missing is refused after the data file is saved.
bool ExportSynTax(TPopGenDataSet& ds, const std::string& fileName);
// A rectangular matrix of loci by individuals, both labelled, missing cells -9.
bool ExportNTSYS(TPopGenDataSet& ds, const std::string& fileName);
// Header of individual names, then one row per locus: its name and 1, 0 or NA per individual.
bool ExportRTable(TPopGenDataSet& ds, const std::string& fileName);
// The layer's distance matrix as a square PHYLIP matrix: the number of individuals, then per row
// the name in PHYLIP's 10-character field and the n values, a layout that PHYLIP's distance
// programs and other PHYLIP readers take. Names are cut to 10 characters (blanks become '_');
// names that coincide after the cut are reported in a warning, since the readers would mix them up.
bool ExportPhylipDistMatrix(TPopGenDataSet& ds, const std::string& fileName);
// One individual name per line.
bool ExportOTUList(TPopGenDataSet& ds, const std::string& fileName);

inline constexpr std::size_t kPhylipNameLength = 10;
