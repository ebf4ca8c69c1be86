// The sums of squared distances of AMOVA and pairwise PhiST, and the component computations built
// on them.
//
// All sums run over ordered pairs with the pair (i, i) included (d(i, i) need not be 0), divided by
// twice the number of individuals. For the deterministic treatments (Standard, Minimum, Maximum)
// the squared distances are computed once per pair and every sum reads them in the same order as
// a direct evaluation would, so the results do not change by a digit; only the assignment of the
// individuals changes between permutations. The Average treatment draws random numbers in every
// kernel call, so there every visit calls the kernel again, in visiting order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "foundation/reporter.h"
#include "foundation/types.h"
#include "popgen/analyses/amova.h"
#include "popgen/distance/coefficients.h"
#include "popgen/data/dataset.h"

// Squared transformed distances of the individuals of one layer under a kernel.
class AmovaDistances {
public:
    // Evaluates over layer (its individuals in order, all of its loci) with the data set's kernel
    // choice, transformation, weighting scheme, NeiLiR and draws; the Average treatment draws from
    // random. The layer, the data set and random must outlive the object.
    AmovaDistances(TPopGenDataSet& ds, const TDSLayer& layer, RandomStream& random);

    std::size_t Size() const { return n_; }
    bool Replays() const { return replay_; }
    // d(i, j)^2 for 0-based individuals of the layer.
    Extended D2(std::size_t i, std::size_t j);
    // Undefined Nei-Li pairs met so far (their distance is not usable).
    const NeiLiProblems& Problems() const { return problems_; }
    // False when the transformation is unknown (reported once).
    bool TransformOk() const { return transformOk_; }

private:
    Extended Evaluate(std::size_t i, std::size_t j);

    TPopGenDataSet& ds_;
    std::size_t n_ = 0;
    bool replay_ = false;
    bool symmetric_ = true;  // a packed cache; weighted counts keep both orders
    bool transformOk_ = true;
    TKernelProc kernel_ = nullptr;
    KernelSource src_;
    NeiLiProblems problems_;
    std::vector<Extended> cache_;
};

// Population members by population number: 0-based individuals of the layer, ascending.
using PopMembers = std::vector<std::vector<std::size_t>>;

// The members of every population of a structure under an assignment (one entry per population
// number, in order).
PopMembers MembersOf(const std::vector<std::uint32_t>& assignment, std::size_t populations);

// The members of every population of rec under a shuffled copy of its assignment (the populations'
// own masks of a permutation). False, reported as "Amova_MakeStrucutre failed (1)", for a copy that
// does not cover the layer.
bool Amova_MakeStrucutre(TPopGenDataSet& ds, const TAmovaRec& rec, const std::vector<std::uint32_t>& shuffled,
                         PopMembers& members);
// One permutation: ShuffleAssignment of the observed assignment, then Amova_MakeStrucutre.
bool PermuteAmovaStructure(TPopGenDataSet& ds, const TAmovaRec& rec, RandomStream& random, PopMembers& members);

// The sums of squares of one design. Units list population numbers.
class AmovaSums {
public:
    explicit AmovaSums(AmovaDistances& d) : d_(d) {}

    // Sum over i, j of the members of d^2, divided by 2n (0 for no members).
    Extended SSDOf(const std::vector<std::size_t>& members);
    // SSD over every individual of the layer; computed once when the distances are cached.
    Extended SSDT();
    // The unit pooled: for each population p of the unit, each member i of p, each population q
    // of the unit and each member j of q, d(i, j)^2; divided by 2 n_u.
    Extended SSDUnit(const PopMembers& members, const std::vector<std::size_t>& unit);
    bool Replays() const { return d_.Replays(); }

private:
    AmovaDistances& d_;
    bool haveTotal_ = false;
    Extended total_ = 0.0L;
};

// The design of one component computation.
struct AmovaDesign {
    std::uint8_t Level = 1;
    std::size_t NTotal = 0;                       // individuals, also those in no population
    std::vector<std::vector<std::size_t>> Units;  // per top unit its population numbers
    PopMembers Members;                           // per population its members
};

// n_0 = (sum n_u - sum n_u^2 / sum n_u) / (G - 1) over the unit sizes.
Extended AmovaN0(const std::vector<std::size_t>& unitSizes);
// Sizes of the units of a design (sum of their populations' members).
std::vector<std::size_t> UnitSizes(const AmovaDesign& design);

// Degrees of freedom: N - 1, N - P, G - 1 and P - G.
std::int64_t AmovaDfT(const AmovaDesign& design);
std::int64_t AmovaDfWP(const AmovaDesign& design);
std::int64_t AmovaDfAmong(const AmovaDesign& design);
std::int64_t AmovaDfAPWG(const AmovaDesign& design);

// The per-population and per-unit sums of one component computation, so that a cached run reads
// each of them once.
struct AmovaPartSums {
    std::vector<Extended> Pop;   // SSD(p) of every population, in structure order
    std::vector<Extended> Unit;  // SSD(u) pooled, per unit
};

// SSD(T) over every individual of the layer.
Extended AmovaSSDT(AmovaSums& sums);
// SSD(WP) = sum over the populations of SSD(p); the SSD(p) go to parts.
Extended AmovaSSDWP(AmovaSums& sums, const AmovaDesign& design, AmovaPartSums& parts);
// SSD(T) (again) less the sum over the units of SSD(u): SSD(AP) at level 1, SSD(AG) at level 2;
// the SSD(u) go to parts.
Extended AmovaSSDAmong(AmovaSums& sums, const AmovaDesign& design, AmovaPartSums& parts);
// Sum over the units of SSD(u) less the SSD(p) of its populations (level 2).
Extended AmovaSSDAPWG(AmovaSums& sums, const AmovaDesign& design, const AmovaPartSums& parts);
// n = (sum n_p - sum_u (sum_{p in u} n_p^2) / n_u) / (P - G) (level 2, for Vb).
Extended AmovaNCoef(const AmovaDesign& design);
// n' = (sum_u (sum_{p in u} n_p^2) / n_u - sum n_p^2 / sum n_p) / (G - 1) (level 2).
Extended AmovaNCoef2(const AmovaDesign& design);

// The two-population sums of a pairwise PhiST, with the populations cut from the same layer: the
// within sum of the populations, and SSD(T) over all (their union) less their pooled sums.
Extended AmovaSSDWPOf(AmovaSums& sums, const PopMembers& populations);
Extended AmovaSSDAmongOf(AmovaSums& sums, const std::vector<std::size_t>& all, const PopMembers& populations);

// The sums, coefficients, degrees of freedom, components and Phi statistics of the design at level
// 1 (AmovaComponents1) or 2 (AmovaComponents2), in the order a direct evaluation takes them. False,
// reported, when the design cannot give finite components: df(WP) <= 0, df of the top level <= 0,
// at level 2 P = G ("AMOVA error: n0"), or no individual in any unit ("AMOVA error: b2"); any other
// level gives "Wrong Level in AMOVA_VarianceComponents".
bool AmovaComponents1(AmovaSums& sums, const AmovaDesign& design, Reporter& reporter, TAmovaRes& res);
bool AmovaComponents2(AmovaSums& sums, const AmovaDesign& design, Reporter& reporter, TAmovaRes& res);
bool AMOVA_VarianceComponents(AmovaSums& sums, const AmovaDesign& design, Reporter& reporter, TAmovaRes& res);
