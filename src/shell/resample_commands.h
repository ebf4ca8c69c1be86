// The locus-resampled data set of the DataMatrix menu.
#pragma once

// Layer 4 := a bootstrap replicate of the current layer's loci (names kept), made current. A
// temporary layer gives way to the working copy first ("Switching to AllData"); a group selection
// is resampled as it is.
void CmdResampleLoci();
