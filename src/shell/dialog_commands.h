// The commands that open the options dialog, the group manager and the pairwise individual
// comparison, and what happens around the two data dialogs (checks, the edit copies, the menus).
#pragma once

#include <cstdint>

inline constexpr int kOptionsPageCount = 17;

// Opens the options dialog on that page (0-16).
void CmdShowOptionsPage(std::uint8_t page);
// With data loaded: the group manager (DisplayGroupManager).
void CmdGroupManager();
// With data loaded: the pairwise individual comparison (DisplayPWIC).
void CmdPairwiseComparison();

// Runs the group manager on copies of the group and locus-set lists; an accepted dialog makes them
// the live lists (ApplyGroupEdits), a cancelled one changes nothing. The quick-selection menus are
// rebuilt either way.
void DisplayGroupManager();
// Runs the comparison dialog on the current layer, which needs two individuals at least.
void DisplayPWIC();
