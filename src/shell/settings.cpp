#include "shell/settings.h"

#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "popgen/data/codes.h"
#include "trees/dist_analysis.h"

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

std::string AlleleFreqHeadingName(FreqMethod method) {
    const std::size_t n = NumberOf(method);
    return n < AlleleFreqMethodNames.size() ? AlleleFreqMethodNames[n] : "unknown";
}

namespace {

// A setting's number as a code; false for a number no code of that type can hold.
template <class Code>
bool AsCode(int number, Code& code) {
    if (number < 0 || number > 255) return false;
    code = CodeOf<Code>(static_cast<std::uint8_t>(number));
    return true;
}

}  // namespace

std::string CoefficientNameOf(int code) {
    Coefficient c{};
    return AsCode(code, c) ? CoeffToStr(c) : "Unknown";
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
    // The minimum similarity of a pair is its maximum distance: every code from 3 on counts as a
    // distance here (the engine's name table takes 6 for a similarity).
    Treatment t{};
    if (!AsCode(method, t)) return shortForm ? "UNK" : "Unknown";
    return SimMethodToStr(shortForm, t, coefficient >= 3 ? Coefficient::NeiLi : Coefficient::Jaccard);
}

std::string DistTransformName(int transformation) {
    Transformation t{};
    return AsCode(transformation, t) ? DistXFToStr(t) : "Unknown Distance Transformation";
}

std::string TreeMethodName(int treeType) {
    TreeKind kind{};
    return AsCode(treeType, kind) ? TreeKindName(kind) : std::string();
}

std::string PopDistName(int measure) {
    // The engine's table says "Unknown" where this name has always said "unknown".
    return measure == 0 ? PopDistToStr(PopDistance::Chord) : "unknown";
}

int DistTransformBase(int transformation) {
    return transformation >= 3 ? transformation - 3 : transformation;
}

void CombineDistTransform() {
    DistTransformation =
        static_cast<std::uint8_t>(DistTransformBase(DistTransformation) + 3 * DistanceCoefficient);
}

std::string PercentText(Extended fraction) { return ExtToStrF(fraction * 100.0L, 5, 2) + " %"; }
