// Analysis of molecular variance on the (dis)similarities of the current layer: individuals in
// populations by the group hierarchy, optionally populations in groups; sums of squared distances,
// variance components, Phi statistics and their permutation tests, and a locus-by-locus mode.
//
// Distances are never read from a stored matrix: every pair is evaluated through the installed
// kernel and transformation (popgen/analyses/amova_sums.h). The run works on a record of its own and stores
// it in the current layer only when it succeeded; a refused run leaves the previous record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "foundation/types.h"
#include "popgen/data/codes.h"
#include "popgen/data/dataset.h"

// An individual of the current layer that belongs to no population.
inline constexpr std::uint32_t kNoPopulation = 0xFFFFFFFFu;
// PhiLevel of a pairwise PhiST run that compares every group.
inline constexpr std::uint8_t kAllLevels = 255;

// One result of a component computation. Degrees of freedom are signed: a design without enough
// individuals or units shows as df <= 0, never as a wrapped count.
struct TAmovaRes {
    Extended SSDT = 0.0L;
    Extended SSDWP = 0.0L;
    Extended SSDAPWG = 0.0L;
    Extended SSDAmong = 0.0L;         // SSD(AP) at level 1, SSD(AG) at level 2
    std::array<Extended, 3> NCoef{};  // n (Vb, level 2), n' (level 2), n_0 (Va)
    std::int64_t DfT = 0;
    std::int64_t DfWP = 0;
    std::int64_t DfAPWG = 0;
    std::int64_t DfAmong = 0;
    Extended MSDAmong = 0.0L;
    Extended MSD2 = 0.0L;  // mean square APWG (level 2)
    Extended Va = 0.0L, Vb = 0.0L, Vc = 0.0L, Vt = 0.0L;
    Extended PctVa = 0.0L, PctVb = 0.0L, PctVc = 0.0L;
    Extended PhiST = 0.0L, PhiRT = 0.0L, PhiSR = 0.0L;
    Extended ProbVa = 0.0L, ProbVb = 0.0L, ProbVc = 0.0L;
};

// A population of the structure.
struct PopEntry {
    std::size_t Count = 0;       // members in the current layer
    std::size_t GroupIndex = 0;  // index in Groups
    AByte MaskInUse;             // 0/1 over the individuals of the current layer
};

struct TAmovaRec {
    std::size_t NTotal = 0;                        // individuals of the current layer at set-up
    std::size_t NNestedPops = 0;                   // level 2: populations inside groups; level 1: 0
    std::size_t NTopUnits = 0;                     // populations (level 1) or groups (level 2)
    std::vector<std::vector<PopEntry>> Structure;  // per top unit its populations
    TAmovaRes Observed;
    std::vector<std::vector<TAmovaRes>> Slots;  // [permutation][analysed locus]
    TAmovaRes LocusMeans;
    std::uint8_t PhiLevel = kAllLevels;
    std::vector<std::size_t> PresetGroups;
    std::vector<std::size_t> GroupList;
    AByte LociUsed;                         // 0/1 per locus of layer 0
    std::vector<std::uint32_t> Assignment;  // per individual: population number or kNoPopulation
    std::vector<std::size_t> AnalysedLoci;  // locus by locus: 0-based loci of the layer, per slot

    std::size_t NEntries() const;
};

// Empties the record (PhiLevel back to "all").
void ClearAmovaRec(TAmovaRec& rec);

// What an AMOVA run computes with.
struct AmovaOptions {
    std::uint8_t Level = 1;  // 1: populations; 2: groups of populations
    Treatment Mode = Treatment::Standard;
    Coefficient Coeff = Coefficient::Jaccard;
    Transformation Transform = Transformation::OneMinusS;
    Extended NeiLiR = 6.0L;
    std::size_t Draws = 100;
    bool LocusByLocus = false;
    std::size_t Permutations = 0;
    bool Recalc = true;      // set the structure up (false: reuse the current layer's)
    bool KeepLayer = false;  // keep a selection current (false: the working copy)
};

// A group's 0/1 mask (over layer 0, or already over the layer) brought to the individuals of layer:
// a filtered working copy is compacted through its IndMask. False when the lengths fit neither way.
bool GroupMaskInLayer(const TPopGenDataSet& ds, const TDSLayer& layer, const AByte& mask, AByte& out);

// The units of the structure over the current layer: every level-2 group a population
// (SetupStruc1Level), or every level-2 group a unit of its level-3 groups (SetupStruc2Levels).
bool SetupStruc1Level(TPopGenDataSet& ds, TAmovaRec& rec);
bool SetupStruc2Levels(TPopGenDataSet& ds, TAmovaRec& rec);

// Builds the structure of the current layer for the level into rec (level 1: every level-2 group
// is a population; level 2: every level-2 group a unit holding the level-3 groups whose names
// continue its name after a "/"). False, reported, for a wrong level, a locus mask that does not
// fit the layer and an individual in two populations.
bool SetupStruc4AMOVA(TPopGenDataSet& ds, std::uint8_t level, TAmovaRec& rec);

// Numbers every population of the structure in order and gives each individual its population.
// False, reported as "AMOVA structure invalid", when an individual lies in two populations.
bool MakeAmovaAssignment(TPopGenDataSet& ds, TAmovaRec& rec);

// The observed assignment with every assigned individual swapped in turn with a drawn one
// (j = Random(N) for i = 0 .. N-1, both assigned); unassigned individuals never move.
std::vector<std::uint32_t> ShuffleAssignment(const std::vector<std::uint32_t>& assignment, RandomStream& random);

// Installs the kernel of (mode, coefficient) and the transformation brought into line with the
// coefficient, with NeiLiR and draws; no matrix is computed or allocated, so a layer's matrices stay
// as they were. False, reported, for unknown codes or an Average treatment without draws.
bool PrepareAmovaKernel(TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, Transformation transform,
                        Extended neiLiR, std::size_t draws);

// The computation on a record whose structure is set up for the current layer: the observed
// components, the permutations (not locus by locus) and their probabilities, or one computation per
// locus of loci (0-based loci of the current layer) and their means. The record changes only when
// the computation succeeded. The Average treatment and the permutations draw from random.
bool ComputeAmova(TPopGenDataSet& ds, TAmovaRec& rec, std::uint8_t level, bool locusByLocus,
                  const std::vector<std::size_t>& loci, std::size_t permutations, RandomStream& random);

// The run: installs kernel and transformation (no matrix is computed or allocated), sets the
// structure up, computes the observed components, the permutations and their probabilities, and
// stores the record in the current layer, drawing from random. transform receives the
// transformation the run applied. False when it was refused or a component could not be computed
// (df <= 0, an empty population).
bool AMOVA(TPopGenDataSet& ds, const AmovaOptions& options, RandomStream& random, Transformation& transform);

// The report of the current layer's record to fileName: 0, or the system error of the write;
// -2 (reported) for a wrong level or a missing record.
int OutputAMOVA2File(TPopGenDataSet& ds, std::uint8_t level, Treatment mode, Coefficient coefficient,
                     Transformation transform, bool locusByLocus, std::size_t permutations, const std::string& fileName,
                     bool append);

// The report text (lines as written), for the writer and the tests.
AString AmovaReportLines(const TPopGenDataSet& ds, const TAmovaRec& rec, std::uint8_t level, Treatment mode,
                         Coefficient coefficient, Transformation transform, bool locusByLocus,
                         std::size_t permutations);
