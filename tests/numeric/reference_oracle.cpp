// Recomputes the reference tables with the installed R and checks the routines against them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "reference_check.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string FindRscript() {
    std::vector<fs::path> candidates;
    if (const char* home = std::getenv("R_HOME")) candidates.push_back(fs::path(home) / "bin" / "Rscript");
    if (const char* path = std::getenv("PATH")) {
        std::stringstream dirs(path);
        std::string dir;
        while (std::getline(dirs, dir, ':')) {
            if (!dir.empty()) candidates.push_back(fs::path(dir) / "Rscript");
        }
    }
    candidates.push_back("/usr/lib/R/bin/Rscript");
    candidates.push_back("/usr/local/lib/R/bin/Rscript");
    for (const fs::path& p : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0) return p.string();
    }
    return {};
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class NumericOracle : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string rscript = FindRscript();
        if (rscript.empty()) return;
        dir_ = std::make_unique<TempDir>();
        const std::string script = std::string(TESK_SOURCE_DIR) + "/tests/data/numeric/make_reference.R";
        const std::string command = Quote(rscript) + " --vanilla " + Quote(script) + " " +
                                    Quote(dir_->Root().string()) + " >" + Quote(dir_->Path("r.log")) + " 2>&1";
        status_ = std::system(command.c_str());
    }
    static void TearDownTestSuite() { dir_.reset(); }

    void SetUp() override {
        if (!dir_) GTEST_SKIP() << "Rscript is not installed";
        ASSERT_EQ(status_, 0) << TempDir::Read(dir_->Path("r.log"));
    }

    static std::string Dir() { return dir_->Root().string(); }

    static inline std::unique_ptr<TempDir> dir_;
    static inline int status_ = -1;
};

}  // namespace

using namespace numeric_reference;

TEST_F(NumericOracle, Gamma) { CheckGamma(Dir()); }
TEST_F(NumericOracle, LnGamma) { CheckLnGamma(Dir()); }
TEST_F(NumericOracle, Beta) { CheckBeta(Dir()); }
TEST_F(NumericOracle, IncompleteBeta) { CheckIncompleteBeta(Dir()); }
TEST_F(NumericOracle, StudentTProb) { CheckStudentT(Dir()); }
TEST_F(NumericOracle, GoldenSectionSearch) { CheckMinimise(Dir()); }
TEST_F(NumericOracle, FindRoot) { CheckRoots(Dir()); }
