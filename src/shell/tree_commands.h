// The commands of the Trees menu that build on the current distance matrix.
#pragma once

#include <cstdint>

// The tree commands warn first when names become equal in the 20 characters the tree file keeps.
// A UPGMA tree titled "UPMGA" + DistMatrixName, added to the tree output file.
void CmdBuildUPGMA();
// A neighbour-joining tree titled "NJ" + DistMatrixName (at least 4 individuals), added to the
// tree output file.
void CmdBuildNJ();
// Principal coordinate analysis of the current distance matrix, with one centroid point per group
// when centroids is set; the report goes to the analysis output file. With PCoAAutostart 1 the 3-D
// viewer then opens on the result.
void CmdPCoA(bool centroids);
