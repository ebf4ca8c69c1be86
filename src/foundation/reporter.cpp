#include "foundation/reporter.h"

#include <utility>

#include "foundation/memory_guard.h"

Reporter::Reporter(TErrorProc error, TErrorProc warning, TQuestionFunc question)
    : error_(std::move(error)), warning_(std::move(warning)), question_(std::move(question)) {}

void Reporter::Error(const std::string& msg) {
    errors_.fetch_add(1, std::memory_order_relaxed);
    if (error_) error_(msg);
}

void Reporter::Warning(const std::string& msg) {
    if (warning_) warning_(msg);
}

int Reporter::Ask(const std::string& text, const std::string& caption, std::uint32_t flags) {
    return question_ ? question_(text, caption, flags) : kAnswerNo;
}

bool ReportShortage(Reporter& reporter, const std::function<bool()>& step, const std::function<void()>& cleanUp) {
    bool result = false;
    if (CompletesInMemory([&] { result = step(); })) return result;
    if (cleanUp) cleanUp();
    reporter.Error("Out of memory");
    return false;
}
