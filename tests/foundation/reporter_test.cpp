#include "foundation/reporter.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/memory_guard.h"

TEST(Reporter, CountsErrorsAndHandsEveryReportToItsHandler) {
    std::vector<std::string> seen;
    Reporter r([&](const std::string& m) { seen.push_back("E " + m); },
               [&](const std::string& m) { seen.push_back("W " + m); },
               [&](const std::string& text, const std::string& caption, std::uint32_t flags) {
                   seen.push_back("Q " + text + "/" + caption + "/" + std::to_string(flags));
                   return kAnswerYes;
               });
    r.Error("a");
    r.Warning("b");
    EXPECT_EQ(r.Ask("c", "d", kQuestionYesNo), kAnswerYes);
    EXPECT_EQ(seen, (std::vector<std::string>{"E a", "W b", "Q c/d/4"}));
    EXPECT_EQ(r.ErrorCount(), 1u);  // warnings and questions are not failures

    Reporter silent;  // nobody to tell: errors still count, questions are declined
    silent.Error("x");
    silent.Warning("y");
    EXPECT_EQ(silent.ErrorCount(), 1u);
    EXPECT_EQ(silent.Ask("Retry?", "Error", kQuestionYesNo), kAnswerNo);
}

TEST(ReportScope, ACallSucceedsOnItsResultAndNoErrorReportedMeanwhile) {
    Reporter r;
    r.Error("before");
    const ReportScope scope(r);
    EXPECT_TRUE(scope.Succeeded(true));
    EXPECT_FALSE(scope.Succeeded(false));
    r.Warning("only a warning");
    EXPECT_TRUE(scope.Succeeded(true));
    r.Error("during");
    EXPECT_EQ(scope.Errors(), 1u);
    EXPECT_FALSE(scope.Succeeded(true));
}

TEST(ReportShortage, AShortageBecomesOutOfMemoryAndOtherExceptionsPass) {
    std::vector<std::string> errors;
    Reporter r([&](const std::string& m) { errors.push_back(m); });
    EXPECT_TRUE(ReportShortage(r, [] { return true; }));
    EXPECT_FALSE(ReportShortage(r, [] { return false; }));
    EXPECT_TRUE(errors.empty());

    int cleaned = 0;
    EXPECT_FALSE(ReportShortage(
        r, []() -> bool { throw std::bad_alloc(); }, [&] { ++cleaned; }));
    // A size no container can hold is a shortage too.
    EXPECT_FALSE(ReportShortage(r, [] {
        std::vector<long double> v;
        v.reserve(v.max_size() + 1);
        return true;
    }));
    EXPECT_EQ(errors, (std::vector<std::string>{"Out of memory", "Out of memory"}));
    EXPECT_EQ(cleaned, 1);
    EXPECT_THROW(ReportShortage(r, []() -> bool { throw std::runtime_error("not memory"); }), std::runtime_error);
    EXPECT_FALSE(CompletesInMemory([] { throw std::bad_alloc(); }));
    EXPECT_TRUE(CompletesInMemory([] {}));
}
