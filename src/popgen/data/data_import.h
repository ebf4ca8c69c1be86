// Three further ways to fill a data set: a tab-separated table of band counts turned into band
// codes by two thresholds, a band matrix given as one text (the clipboard), and labelled distance
// matrices read from a text file for trees and ordination without band data. All fill layer
// ds.LoadLayer and report every problem through the data set's reporter.
#pragma once

#include <cstdint>
#include <string>

#include "popgen/data/dataset.h"
#include "popgen/data/file_param_record.h"

// Reads a count table: line 0 the individual names (a leading empty cell is dropped), then one
// locus per line, its name and one whole number per individual, separated by tabs. A value equal
// to missingText is missing; a count not above absentMax is an absence, one at or above presentMin
// a presence (this wins when the thresholds overlap), anything between is missing. Negative counts
// and counts above 4294967295 are refused, as are names twice and names that a data file with
// the layout params could not carry (CheckNewNames). A failed import leaves the data set cleared.
bool ImportCountData(TPopGenDataSet& ds, const std::string& name, std::uint32_t absentMax, std::uint32_t presentMin,
                     const std::string& missingText, const FileParamRecord& params);

// Loads a band matrix from one text (any line breaks) with the matrix rules of LoadDataTF; no
// file specification line and no set sections are read. Names that a data file with the layout
// params could not carry are refused (CheckNewNames). A failed load leaves the data set cleared.
bool LoadDataFromText(TPopGenDataSet& ds, const std::string& text, const FileParamRecord& params);

// The layout of a distance-matrix file. The five layout flags select among layouts of which one is
// read: F1 and F2 set, F4, F5 and F6 clear (the lower triangle with the diagonal, one row per
// line, no row labels); any other choice is refused. The defaults are the import command's layout:
//     ImportDistMatrix(ds, name, DistMatrixLayout{}, '*');
//     ImportDistMatrix(ds, name, DistMatrixLayout{.HasTitle = false}, '*');
struct DistMatrixLayout {
    bool HasTitle = true;   // the first line is the matrix's title
    bool HasLabels = true;  // the next line holds the labels
    bool F1 = true;
    bool F2 = true;
    bool F4 = false;
    bool F5 = false;
    bool F6 = false;
};

// Reads one distance matrix from a file: the title and label lines of the layout, then row r
// holding the r values of the lower triangle with the diagonal last (a value "NaN" is undefined),
// up to the first line after the title and the labels that holds eodChar alone, with blanks or
// tabs around it at most (a name may be or hold it, as in the distance reports the program
// writes). Labels twice or with a NUL byte are refused: trees could not tell them apart. The
// layer gets DistMatrix, NInd, IndNames and Name (the title); it has no band matrix.
bool ImportDistMatrix(TPopGenDataSet& ds, const std::string& name, const DistMatrixLayout& layout, char eodChar);

// Reads every matrix of a file of matrices, each ended by an end-of-data line after its title and
// labels, into the base layer's MatrixList (the first also becomes its DistMatrix). The series
// ends at the end of the file or at the first block that fails; the matrices read before stay.
// True when at least one matrix was read and no block failed.
bool LoadDissimMatrix(TPopGenDataSet& ds, const std::string& name, const DistMatrixLayout& layout, char eodChar);

// Parses one matrix from ds.DataText into layer ds.LoadLayer (see ImportDistMatrix). With
// reportEmpty a text without any line is reported as "Could not find distance matrix to load".
bool LoadDissimMatrixTF(TPopGenDataSet& ds, const std::string& name, const DistMatrixLayout& layout, bool reportEmpty);
