// The DataMatrix commands that change the current data or its selection: missing-data
// replacement, the ten removal filters, the selection of a group or a locus set, and the additive
// and fixed band profiles.
//
// A filter works on the current layer (the loaded data itself goes to the working copy) and tells
// in the message area, and in a summary box when showSummary is set, how many individuals or loci
// it removed. Thresholds are fractions (0..1); the messages show them times 100. A filter that
// removed something leaves the layer without its distance matrix, and the panel says so.
#pragma once

#include <cstdint>

#include "foundation/types.h"

// Into layer 3: a missing cell becomes a presence with probability fraction.
void CmdReplaceMissingData(Extended fraction);

void CmdRemoveIndivMissing(bool showSummary, Extended threshold);
void CmdRemoveIndivFreqBelow(bool showSummary, Extended threshold);
void CmdRemoveIndivFreqAbove(bool showSummary, Extended threshold);
void CmdRemoveLociMissing(bool showSummary, Extended threshold);
void CmdRemoveMonomorphic(bool showSummary);
void CmdRemoveMonoPresences(bool showSummary);
void CmdRemoveMonoAbsences(bool showSummary);
void CmdRemoveLociFreqAbove(bool showSummary, Extended threshold);
void CmdRemoveLociFreqBelow(bool showSummary, Extended threshold);
void CmdRemoveLociMoreMissing(bool showSummary);

// Group (locus set) index: 0 = "AllData" ("AllLoci"); the other choice stays.
void CmdSelectGroup(std::int32_t index);
void CmdSelectLocusSet(std::int32_t index);

// The profile of the groups becomes the current data matrix (layer 3); nothing without groups.
void CmdAdditiveBandProfile(bool showBox);
void CmdFixedBandProfile(bool showBox);

// Panels after a change of the current layer: the data-matrix panel shows the selection and its
// size, the distance-matrix panel "Distance matrix (" + layer + ")" or "No distance matrix".
void ShowSelectionStatus();
