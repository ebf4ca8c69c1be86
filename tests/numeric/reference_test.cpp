#include "reference_check.h"

namespace {

const std::string kDataDir = std::string(TESK_SOURCE_DIR) + "/tests/data/numeric";

}  // namespace

using namespace numeric_reference;

TEST(NumericReference, GammaAgreesWithR) { CheckGamma(kDataDir); }
TEST(NumericReference, LnGammaAgreesWithR) { CheckLnGamma(kDataDir); }
TEST(NumericReference, BetaAgreesWithR) { CheckBeta(kDataDir); }
TEST(NumericReference, IncompleteBetaAgreesWithPbeta) { CheckIncompleteBeta(kDataDir); }
TEST(NumericReference, StudentTProbAgreesWithPt) { CheckStudentT(kDataDir); }
TEST(NumericReference, GoldenSectionSearchAgreesWithOptimize) { CheckMinimise(kDataDir); }
TEST(NumericReference, FindRootAgreesWithUniroot) { CheckRoots(kDataDir); }
