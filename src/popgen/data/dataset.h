// The fingerprint data set: one band matrix (individuals x loci, cells 1 present, 0 absent,
// 9 missing) in six layers, its groups and locus sets, the coefficient and weighting state,
// a report buffer and the reporter through which the engine reports to its owner.
//
// The class is deliberately struct-like: every field is public so that the engine's other
// operations (loading, coefficients, distance runs, filters, analyses, exports) can be free
// functions taking `TPopGenDataSet&` first, each in its own file. Only the object's life cycle,
// its layers, its error path (dataset.cpp) and the group selection (groups.cpp) are members.
//
// Ownership: every field owns what it holds (vectors, smart pointers); clearing a layer or the
// data set frees everything once. The object is neither copyable nor movable: it may report
// through a reporter of its own.
//
// Runs read it, they do not park their scratch in it: a distance run takes a const view of a layer
// and its options, computes into matrices of its own and stores them only when it succeeded
// (popgen/distance/distance_matrix.h). What a parallel run must not share: the random stream it draws from
// (foundation/random.h), the reporter (report after joining) and the mutable GetCurrLayer.
//
// Memory: the routines do not catch a shortage. They leave the data set usable when one passes
// through them (temporaries are released, a failed load leaves it cleared, a selection touches
// its target only after every allocation); the caller's one wrapper (ReportShortage,
// foundation/reporter.h) turns it into "Out of memory".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/packed_matrix.h"
#include "foundation/reporter.h"
#include "foundation/types.h"
#include "popgen/data/codes.h"
#include "popgen/data/groups.h"
#include "popgen/data/no_draw_pairs.h"

class Ttf;            // foundation/text_file.h
class TDistAnalysis;  // trees/dist_analysis.h: held by a layer, built and used only above popgen
struct TAmovaRec;     // AMOVA structure and results
struct TBiAlleleRec;  // allele-frequency input and results

// Pairwise coefficient of individuals i and j (1-based within the compared layer(s)).
using TKernelFunc = std::function<Extended(std::size_t i, std::size_t j)>;
// Number (or weighted number) of loci where individual i shows state a and individual j state b.
using TPairCountFunc =
    std::function<Extended(std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b)>;
// Weights of the State schemes by the state index min(state, 2) of i and of j.
using StateWeightTable = std::array<std::array<Extended, 3>, 3>;

// The kernel in use: the one of this treatment and coefficient (popgen/distance/coefficients.h).
struct KernelChoice {
    Treatment Mode = Treatment::Standard;
    Coefficient Coeff = Coefficient::Jaccard;
};

inline constexpr std::size_t kLayerCount = 6;
// The layers by role. 3 to 5 are temporaries: each run that uses one builds it anew.
inline constexpr std::size_t kLoadedLayer = 0;     // the loaded data (AllData x AllLoci)
inline constexpr std::size_t kWorkingLayer = 1;    // the working copy
inline constexpr std::size_t kSelectionLayer = 2;  // the current group by locus set
inline constexpr std::size_t kDerivedLayer = 3;    // missing data replaced, band profiles, group matrices
inline constexpr std::size_t kScratchLayer = 4;    // per-group scratch, bootstrap replicates
inline constexpr std::size_t kExportLayer = 5;     // per-group export counts, hybrid-index groups
inline constexpr std::size_t kNoLayer = 255;       // CurLayer / SourceLayer: none

// Band cell codes.
inline constexpr std::uint8_t kAbsent = 0;
inline constexpr std::uint8_t kPresent = 1;
inline constexpr std::uint8_t kMissing = 9;

// A packed matrix with its label (the matrices of a series, or of a multi-matrix file).
struct TLabelledPtr {
    PackedMatrix Matrix;
    std::string Label;
};

// One layer of the data set. Roles: 0 the loaded data (AllData x AllLoci), 1 the working copy,
// 2 the current selection of a group by a locus set, 3-5 temporary (3 missing data replaced and
// band profiles, 4 per-group scratch and bootstrap replicates, 5 per-group export counts).
struct TDSLayer {
    std::string Name;                      // title, e.g. "Missing Data Replaced"
    AByte Matrix;                          // band matrix, locus-major: cell (i, l) at (l-1)*NInd + (i-1); empty = no data
    std::size_t SourceLayer = kNoLayer;    // layer this one was derived from
    std::size_t MaskRefLayer = kLoadedLayer;  // layer its masks refer to
    std::size_t NInd = 0;
    std::size_t NLoci = 0;
    std::size_t NCells = 0;                // NInd * NLoci
    AString IndNames;                      // NInd entries (may be empty when built without names)
    AString LocNames;                      // NLoci entries
    AByte LocMask;                         // 0/1 per locus of layer 0: which loaded loci this layer holds
    AByte IndMask;                         // 0/1 per individual of layer 0
    PackedMatrix RawMatrix;                // kernel values before the distance transformation; empty = none
    PackedMatrix DistMatrix;               // (dis)similarities after the transformation, or a loaded distance matrix
    PackedMatrix VarMatrix;                // variance of the Average treatment
    PackedMatrix SDMatrix;                 // standard deviation of the Average treatment
    AExt LocFreqs;                         // band frequency per locus
    AExt Weights;                          // per-locus (NLoci) or per-cell (NCells, locus-major) weights
    std::size_t LocFreqDivisor = 0;        // divisor used for LocFreqs
    bool KeepMatrixList = false;           // keep the matrices of a series in MatrixList
    std::vector<TLabelledPtr> MatrixList;
    std::shared_ptr<TAmovaRec> Amova;      // null = empty state
    std::shared_ptr<TBiAlleleRec> BiAllele;  // null = empty state
    std::shared_ptr<TDistAnalysis> Analysis;  // the layer's distance analysis; null = none
    std::size_t UndefinedPairs = 0;           // slots of RawMatrix without a defined NeiLi distance (-1.0)
    NoDrawPairs NoDraws;                      // Average similarities left at their lower bound

    bool HasMatrix() const { return !Matrix.empty(); }
    std::uint8_t Cell(std::size_t i, std::size_t l) const { return Matrix[(l - 1) * NInd + (i - 1)]; }
};

class TPopGenDataSet {
public:
    // Reports through reporter, which must outlive the data set (the shell passes the program's).
    explicit TPopGenDataSet(Reporter& reporter);
    TPopGenDataSet();                                 // reports through a reporter of its own
    explicit TPopGenDataSet(std::uint8_t valueSize);  // Init, then ValueSize := valueSize
    ~TPopGenDataSet();
    TPopGenDataSet(const TPopGenDataSet&) = delete;
    TPopGenDataSet& operator=(const TPopGenDataSet&) = delete;

    // ---- fields --------------------------------------------------------------------------
    std::size_t CurGroup = 0;         // index into Groups (0 = "AllData")
    std::size_t CurLocusSet = 0;      // index into LocusSets (0 = "AllLoci")
    std::uint8_t ValueSize = kValueSize;  // bytes per packed-matrix slot (16)
    bool DataLoaded = false;          // once a band matrix was loaded
    std::size_t CurLayer = kNoLayer;  // current layer 0-5, kNoLayer = none
    std::string DataFileName;
    std::array<TDSLayer, kLayerCount> Layers;
    TFilterArray Groups;
    TFilterArray LocusSets;
    TFilterArray ThirdSets;           // only emptied, copied and restored
    TFilterArray EditGroups;          // edit copies used by the group manager
    TFilterArray EditLocusSets;
    TFilterArray EditThirdSets;
    bool IncludeGroups = false;       // read [Groups]/[LocusSets] on load (the shell sets it)
    AByte GroupSelMask;
    Transformation DistTransform = Transformation::OneMinusS;  // of the last run; 0 whenever a layer is cleared
    Extended NeiLiR = 6.0L;           // r of the Nei-Li coefficient
    std::size_t AvgDraws = 100;       // Monte-Carlo draws of the Average treatment
    std::shared_ptr<Ttf> ReportBuf;   // report buffer; null = none (the distance report builds its own)
    std::string OutputFileName = "output.txt";
    std::size_t LoadLayer = kLoadedLayer;  // layer a load fills
    bool SkipLabels = false;          // subset layers are built without names
    bool AutoWorkingCopy = true;      // after a load build layer 1 (AllData x AllLoci), make it current
    std::shared_ptr<Ttf> InputText;   // the whole input file during a load; null otherwise
    std::shared_ptr<Ttf> DataText;    // the data block handed to the matrix parser; null otherwise
    KernelChoice Kernel;              // the kernel of KernelXF and BetweenLayersXF; set by a matrix run
    std::size_t QuietFailures = 0;    // 1 = a monomorphic-locus filter refused while QuietMode was on
    bool QuietMode = false;           // monomorphic-locus filters set QuietFailures instead of reporting
    Weighting WeightingScheme = Weighting::None;  // of the pair counts of every run
    StateWeightTable StateWeights{};
    bool PreParse = true;             // cut <...> out of the first line of an input file
    char PreParseOpen = '<';
    char PreParseClose = '>';

    // ---- life cycle, layers and the error path (dataset.cpp) -----------------------------
    void Init();   // every default; frees nothing (use on a fresh object)
    void Clear();  // frees every layer, the live set lists and the report buffer; CurLayer := 0

    // The channel every report of the data set goes through.
    Reporter& Reporting() const { return *reporter_; }
    // Install the handlers of that reporter (for a data set with a reporter of its own; a data set
    // made with the program's reporter needs none).
    void OnError(TErrorProc handler) { reporter_->SetErrorHandler(std::move(handler)); }
    void OnWarning(TErrorProc handler) { reporter_->SetWarningHandler(std::move(handler)); }
    void OnQuestion(TQuestionFunc handler) { reporter_->SetQuestionHandler(std::move(handler)); }

    void ReportError(const std::string& msg);    // the reporter's Error
    void ReportWarning(const std::string& msg);  // the reporter's Warning
    int Ask(const std::string& text, const std::string& caption, std::uint32_t flags);  // No when unanswered
    // Errors reported through the data set's reporter, by the data set or by a run on it, since it
    // was made or a load began (MarkErrors).
    std::size_t ErrorCount() const { return reporter_->ErrorCount() - errorMark_; }
    void MarkErrors() { errorMark_ = reporter_->ErrorCount(); }
    void ResetCounters();  // QuietMode := false, QuietFailures := 0
    void SetTextDelimiters(bool enabled, char open, char close);
    std::size_t BaseLayer() const { return LoadLayer; }
    void SetDistOptions(std::size_t draws, Transformation transform, Extended neiLiR);

    void InitLayer(std::size_t l);   // empty state without freeing
    void ClearLayer(std::size_t l);  // frees everything of layer l; DistTransform := 0
    // Allocates a zeroed nInd x nLoci band matrix for layer l and sets its counts (layer 5 too:
    // the bootstrap of a group resamples into it). False (with "Out of memory" reported) for a
    // size beyond the address space; a failed allocation leaves the layer without a matrix and
    // passes on.
    bool AllocLayerMatrix(std::size_t l, std::size_t nInd, std::size_t nLoci);

    bool HasData() const;  // data loaded and the current layer has a band matrix
    // The current layer. Without one (CurLayer = kNoLayer) an empty layer is returned: the const
    // form returns one shared empty layer and writes nothing (safe from several threads); the
    // other returns the data set's own spare layer, emptied on every call.
    TDSLayer& GetCurrLayer();
    const TDSLayer& GetCurrLayer() const;
    std::string CurrGroupName() const;     // lowest level of the current group's name
    std::string CurrLocusSetName() const;

    // Fills target's RawMatrix with the Pearson correlations of the source's MatrixList.
    void CorrelationLayer(std::size_t source, std::size_t target, bool clampNegative);

    // ---- groups, locus sets and selection (groups.cpp) -----------------------------------
    // Selects group g by locus set l: (0, 0) rebuilds layer 1 from layer 0; any other choice
    // goes to layer 2, taken from layer 0 or 1 (never from a selection or a temporary layer).
    bool Select(std::size_t g, std::size_t l);
    bool SelectGroup(std::size_t g) { return Select(g, CurLocusSet); }
    bool SelectLocusSet(std::size_t l) { return Select(CurGroup, l); }
    // Builds target from source through group g and locus set l, with names and masks, and makes
    // it current. A refused selection leaves every layer and the current choice as they were.
    bool MakeSubsetLayer(std::size_t source, std::size_t target, std::size_t g, std::size_t l);
    bool RestoreOriginalMatrix();  // MakeSubsetLayer(kLoadedLayer, kWorkingLayer, 0, 0), made current
    // target's matrix := the cells of the current layer in group g and locus set l. Only the
    // matrix and the counts of the target change (no names, no masks, CurLayer unchanged).
    bool MakeLayerFromSets(std::size_t g, std::size_t l, std::size_t target);
    // The same through two masks, each either over layer 0 or over the source layer.
    bool MakeLayerFromMasks(const AByte& indMask, const AByte& locMask, std::size_t target);
    bool MakeLayerFromMasksOf(const AByte& indMask, const AByte& locMask, std::size_t target,
                              std::size_t source);
    // Smallest group index from 1 on whose members hold the name; 0 when none does.
    std::size_t FindIndGroup(std::string_view name) const;
    void BackupFilters();       // live lists -> edit copies
    void RestoreFilters();      // edit copies -> live lists
    void ClearFilterBackups();  // empties the edit copies

private:
    Reporter ownReporter_;
    Reporter* reporter_ = &ownReporter_;
    TDSLayer noLayer_;  // what the non-const GetCurrLayer returns without a current layer
    std::size_t errorMark_ = 0;  // the reporter's count where ErrorCount() starts
};

// ---- free routines ---------------------------------------------------------------------------

// Copies the items whose mask byte is 1 into result, when mask and items have the same non-zero
// length; otherwise result is left unchanged.
void MaskStrArray(const AByte& mask, const AString& items, AString& result);
// The same for bytes; returns the number copied.
std::size_t MaskByteArray(const AByte& mask, const AByte& items, AByte& result);
// A row-major nRows x nCols matrix becomes column-major: dst[nRows*c + r] := src[nCols*r + c].
// Returns false (and writes nothing) when either block is shorter than nRows * nCols.
bool TransposeByteMatrix(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst,
                         std::size_t nCols, std::size_t nRows);
// The text after the last '/' of s; s itself when it has none.
std::string StrAfterLastSlash(std::string_view s);
void ClearByteArray(AByte& a);
// Pearson correlation of the first n values of a and b; 0 when n = 0.
Extended PearsonCorr(std::span<const Extended> a, std::span<const Extended> b, std::size_t n);
// All nine state weights := 1.0.
void ResetStateWeights(TPopGenDataSet& ds);
