#include "support/fake_ui_port.h"

#include <gtest/gtest.h>

#include <utility>

FakeUiPort::FakeUiPort() : previous_(SetUiPort(this)) {}

FakeUiPort::~FakeUiPort() {
    SetUiPort(previous_);
    for (const Expected& e : expected_)
        ADD_FAILURE() << "expected message box \"" << e.caption << "\" was never shown";
    if (!expectedDialogs_.empty()) ADD_FAILURE() << "an expected file-parameter dialog was never shown";
}

void FakeUiPort::ExpectBox(int answer, std::string caption) {
    expected_.push_back({answer, std::move(caption)});
}

void FakeUiPort::AllowBoxes(std::string caption, int answer) {
    allowed_.push_back({answer, std::move(caption)});
}

int FakeUiPort::ShowMessageBox(std::string_view text, std::string_view caption, int style) {
    boxes.push_back({std::string(text), std::string(caption), style});
    if (!expected_.empty() && (expected_.front().caption.empty() || expected_.front().caption == caption)) {
        const int answer = expected_.front().answer;
        expected_.pop_front();
        return answer;
    }
    for (const Expected& a : allowed_)
        if (a.caption == caption) return a.answer;
    ADD_FAILURE() << "unexpected message box \"" << caption << "\": " << text;
    return kAnswerNone;
}

void FakeUiPort::SetMessageLines(const MessageLines& lines) { shownLines.push_back(lines); }

void FakeUiPort::SetStatusPanel(std::size_t panel, std::string_view text) {
    panelChanges.push_back({panel, std::string(text)});
}

void FakeUiPort::FocusMainWindow() { ++focusRequests; }

void FakeUiPort::KeepWindowsAlive() {
    ++keepAlives;
    if (onKeepAlive) onKeepAlive();
}

void FakeUiPort::RunCommandLater(std::function<void()> command) { laterCommands.push_back(std::move(command)); }

void FakeUiPort::ExpectFileParamDialog(bool cancel, std::function<void()> edit) {
    expectedDialogs_.push_back({cancel, std::move(edit)});
}

bool FakeUiPort::EditFileParams() {
    ++fileParamDialogs;
    if (expectedDialogs_.empty()) {
        ADD_FAILURE() << "unexpected file-parameter dialog";
        return true;
    }
    ExpectedDialog dialog = std::move(expectedDialogs_.front());
    expectedDialogs_.pop_front();
    if (dialog.edit) dialog.edit();
    return dialog.cancel;
}

bool FakeUiPort::OpenFileInViewer(const std::string& fileName, std::string& reason) {
    viewedFiles.push_back(fileName);
    if (!viewerWorks) reason = viewerFailure;
    return viewerWorks;
}

bool FakeUiPort::SetClipboardText(const std::string& text) {
    clipboard = text;
    return true;
}

bool FakeUiPort::GetClipboardText(std::string& text) {
    if (!clipboard) return false;
    text = *clipboard;
    return true;
}

void FakeUiPort::UpdateQuickSelectionMenus() { ++quickSelectionUpdates; }

void FakeUiPort::QuitProgram() { ++quitRequests; }

void FakeUiPort::ShowPCoAViewer(const TPCoAViewerRec* rec) {
    viewers.push_back(rec ? std::optional<TPCoAViewerRec>(*rec) : std::nullopt);
}
