// The commands on tree files: strict and majority-rule consensus, the binary matrix of the
// clusters in a tree file loaded as data, and viewing the consensus tree file.
#pragma once

#include <string>

// Both consensus lines of the trees in inFile are added to outFile (one write), the cluster reports
// to the analysis output file; the trees panel then shows outFile.
void CmdStrictConsensus(const std::string& inFile, const std::string& outFile);
// threshold in per cent, rounded to a whole number; labels: support percentages after the groups.
void CmdMajorityConsensus(bool labels, const std::string& inFile, const std::string& outFile, float threshold);

// Loads the clusters of the tree file as a band matrix: one individual per tree, one locus
// ("Cluster1", "Cluster2", ...) per distinct cluster. A failure keeps the previous data set.
void CmdTreesToBinaryMatrix(const std::string& fileName);

// Opens ConsensusOutFileName in its viewer ("Consensus tree file (" + name + ") not found." when missing).
void CmdViewConsensusFile();
