// Every program option as one global with its compiled-in default, and the routines that turn
// settings into the texts of reports, logs and the options dialog. Nothing is saved between runs.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/types.h"

class Ttf;  // foundation/text_file.h

// One entry per setting: X(type, name, default). The list is the only place a default is written;
// the globals, their definitions and RestoreDefaultSettings are all generated from it.
// Flags are bytes holding 0 or 1; a flag counts as on only when it equals 1.
#define TESK_SETTINGS(X)                                                                          \
    /* Input format (packed into FileParamRecord). */                                             \
    X(std::uint8_t, IndInColumns, 1)        /* 1: individuals are columns, each line a locus */   \
    X(std::uint8_t, IndHeader, 1)           /* the data block names the individuals */            \
    X(std::uint8_t, LocHeader, 0)           /* the data block names the loci */                   \
    X(char, PresenceChar, '1')                                                                    \
    X(char, AbsenceChar, '0')                                                                     \
    X(char, AmbiguityChar, '?')             /* a missing cell */                                  \
    X(char, OpenRemarkChar, '{')                                                                  \
    X(char, CloseRemarkChar, '}')                                                                 \
    X(char, EndOfDataChar, '*')             /* a line holding it ends the data block */           \
    /* blank, NUL, TAB, CR, LF; the first one is the field delimiter written on saving */         \
    X(std::string, Delimiters, std::string(" \0\t\r\n", 5))                                       \
    X(std::uint8_t, DelimitedData, 1)       /* cells separated by delimiters */                   \
    X(std::uint8_t, IncludeGroups, 1)       /* read and write [Groups] and [LocusSets] */         \
    X(std::uint8_t, WriteDefaultSets, 0)    /* also save "AllData" and "AllLoci" */               \
    X(std::uint8_t, AmbiguityNegative, 0)   /* save missing cells as "-" + AmbiguityChar */       \
    X(char, InvalidStateChar, '!')          /* saved for a cell that is none of 1, 0, 9 */        \
    /* Coefficients, distances and analyses. */                                                   \
    X(std::uint8_t, SimCoefficient, 0)      /* 0 Jaccard .. 5 SqEuclidean; 3-5 are distances */   \
    X(std::uint8_t, DistanceCoefficient, 0) /* 1 when SimCoefficient >= 3 */                      \
    X(Extended, NeiLiR, 6.0L)                                                                     \
    X(std::int32_t, JCRandomDraws, 100)     /* draws of the Average treatment */                  \
    X(std::uint8_t, SimOutput, 0)                                                                 \
    X(std::uint8_t, DistOutput, 1)                                                                \
    X(std::uint8_t, DistTransformation, 0)  /* base 0..2 + 3 * DistanceCoefficient */             \
    X(std::uint8_t, WeightingScheme, 0)                                                           \
    X(std::uint8_t, AmovaSimMethod, 0)      /* 0 Standard, 1 Minimum, 2 Maximum, 3 Average */     \
    X(std::int32_t, AmovaRandomisations, 0)                                                       \
    X(std::uint8_t, LocByLoc, 0)                                                                  \
    X(std::uint8_t, AlleleFreqMethod, 2)                                                          \
    X(Extended, CorrFactor, 0.01L)                                                                \
    X(std::uint8_t, PopDistMeasure, 0)                                                            \
    X(std::uint8_t, ShannonFreqMode, 0)                                                           \
    X(std::uint8_t, ShannonLogBase, 0)      /* 0 two, 1 e, 2 ten, 3 ShannonLogA */                \
    X(Extended, ShannonLogA, 2.0L)                                                                \
    X(std::uint8_t, ShannonZeroInStats, 0)                                                        \
    X(float, MDReplaceFraction, 0.5f)                                                             \
    X(std::uint8_t, RMD, 1)                                                                       \
    X(std::int32_t, BSReplicates, 1000)                                                           \
    X(std::int32_t, TRReplicates, 100)                                                            \
    X(std::int32_t, SHReplicates, 10000)                                                          \
    X(std::uint8_t, Sh2File, 0)                                                                   \
    X(std::uint8_t, DefaultTreeType, 0)     /* 0 UPGMA, 1 NJ */                                   \
    X(std::uint8_t, MRThreshold, 50)                                                              \
    X(std::uint8_t, PreferredRoundMode, 2)  /* 0 nearest, 1 down, 2 up, 3 towards zero */         \
    X(std::uint8_t, ROutputInconsistent, 1)                                                       \
    X(std::uint8_t, ROutputConsensusAtR, 1)                                                       \
    X(std::int32_t, RFrom, 1)                                                                     \
    X(std::int32_t, RTo, 10000)                                                                   \
    X(std::uint8_t, RPrecision, 1)                                                                \
    X(std::uint8_t, RMRThreshold, 100)                                                            \
    X(std::int32_t, RxThreshold, 10000)                                                           \
    X(double, RStopFraction, 0.5)           /* -9.0: never stop */                                \
    X(std::int32_t, RInconsistencies, 0)    /* written by the last R-support run */               \
    X(std::int32_t, PCoAMaxIterations, 1000000)                                                   \
    X(Extended, PCoAPrecision, 2.426994E-8L)                                                      \
    X(std::uint8_t, PCoAAutostart, 1)                                                             \
    X(std::uint8_t, PCoACentroids, 0)                                                             \
    X(std::uint8_t, SampleSizeCorrection, 1)                                                      \
    X(Extended, Epsilon, 1E-5L)                                                                   \
    X(Extended, MLDThreshold, 2.0L)                                                               \
    /* Data filters and count import: the last value entered, offered by the next query. */       \
    X(Extended, MaxMDPerInd, 0.17L)                                                               \
    X(Extended, MaxMDPerLoc, 0.25L)                                                               \
    X(Extended, MinLocBandFreq, 0.05L)                                                            \
    X(Extended, MaxLocBandFreq, 0.95L)                                                            \
    X(Extended, MinIndBandFreq, 0.3L)                                                             \
    X(Extended, MaxIndBandFreq, 0.7L)                                                             \
    X(std::string, CountMissingToken, "NA")                                                       \
    X(std::int32_t, CountPresenceMin, 10)                                                         \
    X(std::int32_t, CountAbsenceMax, 1)                                                           \
    /* Behaviour of the shell. */                                                                 \
    X(std::uint8_t, LogOn, 0)               /* the log file is open */                            \
    X(std::uint8_t, ShowWarnings, 1)                                                              \
    X(std::int32_t, ErrorCounter, 0)        /* errors shown through ShowError */                  \
    X(std::uint8_t, BatchAnswer, 0)         /* AskUser: 0 ask, 1 Yes, 2 No */                     \
    X(std::uint8_t, OverwriteMode, 0)       /* existing output file: 0 ask, 1 append, 2 rewrite */ \
    X(std::uint8_t, TrustSpecs, 1)          /* a valid spec line skips the parameter dialog */    \
    X(std::uint8_t, WriteSpecs, 1)          /* save writes the spec line */                       \
    X(std::uint8_t, GroupPathFormat, 1)     /* 1 whole group path, 0 last part */                 \
    /* Developer build only (the command box's "AutoTest"): UPGMA with the second clustering */  \
    X(std::uint8_t, AutoTest, 0)                                                                  \
    X(std::uint16_t, GrpManGroup, 0)                                                              \
    X(std::uint16_t, GrpManLocusSet, 0)                                                           \
    X(std::uint8_t, TTestConfOutput, 1)                                                           \
    X(std::uint8_t, TTestOutputT, 1)                                                              \
    X(std::uint8_t, TTestBowman, 0)                                                               \
    X(std::uint8_t, TTestBootstrap, 0)                                                            \
    X(std::uint8_t, TTestOutputShannon, 1)                                                        \
    X(double, TTestAlpha, 0.05)                                                                   \
    /* File names; a name without a folder is relative to the current directory. */               \
    X(std::string, InputFileName, "input.txt")                                                    \
    X(std::string, AnalysisFileName, "analysis.txt")                                              \
    X(std::string, TreeFileName, "outtree.ph")                                                    \
    X(std::string, ConsensusInFileName, "outtree.ph")                                             \
    X(std::string, ConsensusOutFileName, "constree.ph")                                           \
    X(std::string, LogFileName, "tesklog.txt")                                                    \
    X(std::string, HelpFileName, "teskhelp.pdf")                                                  \
    X(std::string, ProjectName, "Untitled project")                                               \
    X(std::string, IniFileName, "tesk.ini")                                                       \
    X(std::string, ExeFileName, "tesk.exe")                                                       \
    X(std::string, RscriptPath, "")         /* empty: search for the interpreter */               \
    X(std::string, RScriptFileName, "plottesk.R")                                                 \
    X(std::string, RPlotFileName, "teskplot.pdf")                                                 \
    X(std::string, AppPath, "")             /* program folder with its trailing separator */      \
    X(std::string, InputDir, "")

#define TESK_DECLARE_SETTING(type, name, value) extern type name;
TESK_SETTINGS(TESK_DECLARE_SETTING)
#undef TESK_DECLARE_SETTING

// Puts every setting back to its compiled-in default (a fresh start; tests use it between cases).
void RestoreDefaultSettings();

// Long method names used in report headings, in method order.
extern const std::array<const char*, 5> AlleleFreqMethodNames;
// The heading name of a method; "unknown" for a code beyond the table.
enum class FreqMethod : std::uint8_t;  // popgen/data/codes.h
std::string AlleleFreqHeadingName(FreqMethod method);

// Characters of the version line of the R plotting script.
inline constexpr char RVersionCommentChar = '#';
inline constexpr char RVersionQuoteChar = '"';
inline constexpr char RVersionAssignChar = '=';

// The report buffer that a frequency or statistics command creates, fills and frees within
// the command; empty between commands.
extern std::unique_ptr<Ttf> FreqOutBuffer;

// Settings to text. The arguments default to the current settings.
std::string CoefficientNameOf(int code);
std::string CoefficientName();  // of SimCoefficient
std::string AlleleFreqMethodName(int method = AlleleFreqMethod);  // empty for an unknown method
std::string OutputKindName(int distanceCoefficient = DistanceCoefficient);
std::string OnOffText(int flag);
std::string BoolToText(int flag);
// Missing-data treatment; for a distance coefficient (code 3 or more) Minimum and Maximum swap,
// since the minimum similarity is the maximum distance.
std::string TreatmentName(int method = AmovaSimMethod, int coefficient = SimCoefficient,
                          bool shortForm = false);
std::string DistTransformName(int transformation = DistTransformation);
std::string TreeMethodName(int treeType = DefaultTreeType);  // empty for an unknown method
std::string PopDistName(int measure = PopDistMeasure);
int DistTransformBase(int transformation = DistTransformation);
// DistTransformation := its base + 3 * DistanceCoefficient.
void CombineDistTransform();
// x * 100 in width 5 with 2 decimals, then " %".
std::string PercentText(Extended fraction);
