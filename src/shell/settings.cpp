#include "shell/settings.h"

#include "foundation/number_text.h"
#include "foundation/text_file.h"

#define TESK_DEFINE_SETTING(type, name, value) type name = value;
TESK_SETTINGS(TESK_DEFINE_SETTING)
#undef TESK_DEFINE_SETTING

void RestoreDefaultSettings() {
#define TESK_RESTORE_SETTING(type, name, value) name = value;
    TESK_SETTINGS(TESK_RESTORE_SETTING)
#undef TESK_RESTORE_SETTING
}

std::unique_ptr<Ttf> FreqOutBuffer;

const std::array<const char*, 5> AlleleFreqMethodNames = {
    "Square root", "Lynch-Milligan", "Bayesian, uniform prior",
    "Bayesian, non-uniform prior: among-population", "Bayesian, non-uniform prior: among-locus"};

std::string CoefficientNameOf(int code) {
    static constexpr const char* names[] = {"Jaccard",   "Dice",        "SMC",
                                            "NeiLi",     "Euclidean",   "SqEuclidean",
                                            "User-defined Similarity", "User-defined Distance"};
    if (code < 0 || code >= static_cast<int>(std::size(names))) return "Unknown";
    return names[code];
}

std::string CoefficientName() { return CoefficientNameOf(SimCoefficient); }

std::string AlleleFreqMethodName(int method) {
    static constexpr const char* names[] = {"Square Root", "Lynch-Milligan", "Bayesian (uniform)",
                                            "Bayesian (among population)", "Bayesian (among loci)"};
    if (method < 0 || method >= static_cast<int>(std::size(names))) return {};
    return names[method];
}

std::string OutputKindName(int distanceCoefficient) {
    return distanceCoefficient == 1 ? "distance" : "similarity";
}

std::string OnOffText(int flag) { return flag == 1 ? "on" : "off"; }

std::string BoolToText(int flag) { return flag == 1 ? "true" : "false"; }

std::string TreatmentName(int method, int coefficient, bool shortForm) {
    // The minimum similarity of a pair is its maximum distance.
    if (coefficient >= 3) {
        if (method == 1)
            method = 2;
        else if (method == 2)
            method = 1;
    }
    switch (method) {
        case 0: return shortForm ? "Std" : "Standard";
        case 1: return shortForm ? "Min" : "Minimum";
        case 2: return shortForm ? "Max" : "Maximum";
        case 3: return shortForm ? "Avg" : "Average";
        case 255: return shortForm ? "Prf" : "Preference";
        default: return shortForm ? "UNK" : "Unknown";
    }
}

std::string DistTransformName(int transformation) {
    static constexpr const char* names[] = {"d=1-s", "d=SQRT(1-s)", "d=SQ(1-s)",
                                            "d'=d",  "d'=SQRT(d)",  "d'=SQ(d)"};
    if (transformation < 0 || transformation >= static_cast<int>(std::size(names)))
        return "Unknown Distance Transformation";
    return names[transformation];
}

std::string TreeMethodName(int treeType) {
    switch (treeType) {
        case 0: return "UPGMA";
        case 1: return "NJ";
        default: return {};
    }
}

std::string PopDistName(int measure) { return measure == 0 ? "Chord" : "unknown"; }

int DistTransformBase(int transformation) {
    return transformation >= 3 ? transformation - 3 : transformation;
}

void CombineDistTransform() {
    DistTransformation =
        static_cast<std::uint8_t>(DistTransformBase(DistTransformation) + 3 * DistanceCoefficient);
}

std::string PercentText(Extended fraction) { return ExtToStrF(fraction * 100.0L, 5, 2) + " %"; }
