#include "popgen/data/codes.h"

bool IsDistanceCoeff(Coefficient code) {
    return !(code == Coefficient::Jaccard || code == Coefficient::Dice || code == Coefficient::SMC ||
             code == Coefficient::UserSimilarity);
}

std::string CoeffToStr(Coefficient code) {
    switch (code) {
        case Coefficient::Jaccard: return "Jaccard";
        case Coefficient::Dice: return "Dice";
        case Coefficient::SMC: return "SMC";
        case Coefficient::NeiLi: return "NeiLi";
        case Coefficient::Euclidean: return "Euclidean";
        case Coefficient::SqEuclidean: return "SqEuclidean";
        case Coefficient::UserSimilarity: return "User-defined Similarity";
        case Coefficient::UserDistance: return "User-defined Distance";
    }
    return "Unknown";
}

std::string SimMethodToStr(bool shortForm, Treatment mode, Coefficient coefficient) {
    // Treatment 1 is the pessimistic bound: the minimum of a similarity, the maximum of a distance.
    const bool distance = IsDistanceCoeff(coefficient);
    switch (mode) {
        case Treatment::Standard: return shortForm ? "Std" : "Standard";
        case Treatment::Minimum:
            if (distance) return shortForm ? "Max" : "Maximum";
            return shortForm ? "Min" : "Minimum";
        case Treatment::Maximum:
            if (distance) return shortForm ? "Min" : "Minimum";
            return shortForm ? "Max" : "Maximum";
        case Treatment::Average: return shortForm ? "Avg" : "Average";
        case Treatment::Preference: return shortForm ? "Prf" : "Preference";
    }
    return shortForm ? "UNK" : "Unknown";
}

std::string PopDistToStr(PopDistance code) { return code == PopDistance::Chord ? "Chord" : "Unknown"; }

std::string WeightingToStr(Weighting code) {
    switch (code) {
        case Weighting::None: return "None";
        case Weighting::State: return "State";
        case Weighting::StateComb: return "StateComb";
        case Weighting::Loci: return "Loci";
        case Weighting::LociIndiv: return "Loci+Indiv";
    }
    return "Unknown";
}

std::string DistXFToStr(Transformation code) {
    switch (code) {
        case Transformation::OneMinusS: return "d=1-s";
        case Transformation::SqrtOneMinusS: return "d=SQRT(1-s)";
        case Transformation::SqOneMinusS: return "d=SQ(1-s)";
        case Transformation::D: return "d'=d";
        case Transformation::SqrtD: return "d'=SQRT(d)";
        case Transformation::SqD: return "d'=SQ(d)";
    }
    return "Unknown Distance Transformation";
}

std::string AlleleFreqMethodToStr(FreqMethod code) {
    switch (code) {
        case FreqMethod::SquareRoot: return "Square root";
        case FreqMethod::LynchMilligan: return "Lynch and Milligan";
        case FreqMethod::Bayesian: return "Bayesian (uniform prior)";
        case FreqMethod::BayesianAmongPopulations:
            return "Bayesian (non-uniform prior from among-population information)";
        case FreqMethod::BayesianAmongLoci: return "Bayesian (non-uniform prior from among-locus information)";
    }
    return "Unknown";
}

std::string AlleleFreqMethodToStr2(FreqMethod method, std::uint8_t prior) {
    if (method == FreqMethod::Bayesian)
        return AlleleFreqMethodToStr(CodeOf<FreqMethod>(static_cast<std::uint8_t>(NumberOf(method) + prior)));
    return AlleleFreqMethodToStr(method);
}
