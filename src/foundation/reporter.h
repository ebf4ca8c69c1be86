// The engine's one reporting channel. Errors, warnings and questions go to the handlers the
// reporter's owner installed, and every error is counted. The data set, the distance analysis and
// the tree builders report through the reporter they were given: the shell gives them the
// program's (ProgramReporter, shell/reporting.h), tests give them one that records.
//
// A caller learns whether a call failed from the call's own result and a ReportScope around it,
// never from the message text.
//
// Threads: the handlers reach the user interface and run on the thread that made the engine call.
// A parallel section must not report from its workers; it collects what it finds (as a distance
// run collects undefined Nei-Li pairs) and reports after joining. The count itself is atomic.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Error and warning handler: takes the message.
using TErrorProc = std::function<void(const std::string& msg)>;
// Question handler: text, caption, message-box flags; returns the answer.
using TQuestionFunc = std::function<int(const std::string& text, const std::string& caption, std::uint32_t flags)>;

// The program's one set of message-box codes, shared by the engine's questions and the shell's
// boxes (shell/ui_port.h). Flags: the buttons a box offers.
inline constexpr int kMessageOk = 0;      // one OK button
inline constexpr int kQuestionYesNo = 4;  // Yes and No buttons
// Answers: the button the user pressed, or kAnswerNone for a box closed without one.
inline constexpr int kAnswerNone = 0;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Whether the user agreed to what a question's Yes does. No declines, and so does a box closed
// without an answer (any other code): an accidental Escape never consents.
inline constexpr bool UserAgreed(int answer) { return answer == kAnswerYes; }
// For a question whose Yes and No choose between two ways of going on: whether the user chose one.
// A box closed without an answer chooses neither, and the caller goes no further.
inline constexpr bool UserChose(int answer) { return answer == kAnswerYes || answer == kAnswerNo; }

class Reporter {
public:
    // Shows nothing, counts errors and answers every question No.
    Reporter() = default;
    explicit Reporter(TErrorProc error, TErrorProc warning = {}, TQuestionFunc question = {});
    Reporter(const Reporter&) = delete;
    Reporter& operator=(const Reporter&) = delete;

    // Counts the error, then hands it to the error handler.
    void Error(const std::string& msg);
    void Warning(const std::string& msg);
    // The handler's answer; kAnswerNo without one: every question offers an optional extra step.
    int Ask(const std::string& text, const std::string& caption, std::uint32_t flags);
    // Errors reported through this reporter since it was made.
    std::size_t ErrorCount() const { return errors_.load(std::memory_order_relaxed); }

    void SetErrorHandler(TErrorProc handler) { error_ = std::move(handler); }
    void SetWarningHandler(TErrorProc handler) { warning_ = std::move(handler); }
    void SetQuestionHandler(TQuestionFunc handler) { question_ = std::move(handler); }

private:
    TErrorProc error_;
    TErrorProc warning_;
    TQuestionFunc question_;
    std::atomic<std::size_t> errors_{0};
};

// Counts the errors reported through a reporter while the scope lives:
//     ReportScope scope(reporter);
//     const bool ok = scope.Succeeded(LoadDataFile(ds, name, params));
class ReportScope {
public:
    explicit ReportScope(const Reporter& reporter) : reporter_(reporter), start_(reporter.ErrorCount()) {}
    ReportScope(const ReportScope&) = delete;
    ReportScope& operator=(const ReportScope&) = delete;

    std::size_t Errors() const { return reporter_.ErrorCount() - start_; }
    // A call succeeded when it said so and reported no error meanwhile.
    bool Succeeded(bool result) const { return result && Errors() == 0; }

private:
    const Reporter& reporter_;
    std::size_t start_;
};

// The wrapper of the engine's entry points: step's result, or, when memory runs out inside it,
// cleanUp (when given), the error "Out of memory" and false. No std::bad_alloc leaves an entry point.
bool ReportShortage(Reporter& reporter, const std::function<bool()>& step, const std::function<void()>& cleanUp = {});
