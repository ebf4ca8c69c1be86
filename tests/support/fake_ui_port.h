// The scripted UiPort of the tests: records every call, answers message boxes from a queue of
// expected boxes, and fails the running test on a box nobody expected. Installed while it lives.
#pragma once

#include <cstddef>
#include <functional>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "shell/viewer_record.h"
#include "shell/ui_port.h"

class FakeUiPort : public UiPort {
public:
    struct Box {
        std::string text;
        std::string caption;
        int style = 0;
    };
    struct PanelChange {
        std::size_t panel = 0;
        std::string text;
    };

    FakeUiPort();   // installs itself
    ~FakeUiPort();  // puts the previous port back; fails the test if an expected box never came
    FakeUiPort(const FakeUiPort&) = delete;
    FakeUiPort& operator=(const FakeUiPort&) = delete;

    // The next box must carry this caption (any caption when empty) and is answered so.
    void ExpectBox(int answer, std::string caption = {});
    // Any number of boxes with this caption are answered so, in addition to the queue.
    void AllowBoxes(std::string caption, int answer = kAnswerOk);

    std::size_t PendingBoxes() const { return expected_.size(); }

    int ShowMessageBox(std::string_view text, std::string_view caption, int style) override;
    void SetMessageLines(const MessageLines& lines) override;
    void SetStatusPanel(std::size_t panel, std::string_view text) override;
    void FocusMainWindow() override;
    // Counts the call and runs onKeepAlive.
    void KeepWindowsAlive() override;
    void RunCommandLater(std::function<void()> command) override;

    // The next file-parameter dialog is answered so (true: Cancel); an unexpected one fails the test.
    // A dialog may change settings before it closes: set them in the hook.
    void ExpectFileParamDialog(bool cancel, std::function<void()> edit = {});
    bool EditFileParams() override;
    bool OpenFileInViewer(const std::string& fileName, std::string& reason) override;
    bool GetClipboardText(std::string& text) override;
    bool SetClipboardText(const std::string& text) override;
    void UpdateQuickSelectionMenus() override;
    void QuitProgram() override;
    void ShowPCoAViewer(const TPCoAViewerRec* rec) override;

    // What the core did, in order.
    std::vector<Box> boxes;
    std::vector<MessageLines> shownLines;
    std::vector<PanelChange> panelChanges;
    int focusRequests = 0;
    int keepAlives = 0;
    std::function<void()> onKeepAlive;                 // what the window would do meanwhile
    std::vector<std::function<void()>> laterCommands;  // put off, in order
    int fileParamDialogs = 0;
    std::vector<std::string> viewedFiles;  // every file handed to the viewer
    bool viewerWorks = true;               // what OpenFileInViewer answers
    std::string viewerFailure = "the desktop has no viewer for it";  // its reason when it fails
    std::optional<std::string> clipboard;  // no value: the clipboard holds no text
    int quickSelectionUpdates = 0;
    int quitRequests = 0;
    // Every opening of the 3-D viewer: the record it was given, or none for an empty viewer.
    std::vector<std::optional<TPCoAViewerRec>> viewers;

private:
    struct Expected {
        int answer;
        std::string caption;
    };
    struct ExpectedDialog {
        bool cancel;
        std::function<void()> edit;
    };
    std::deque<Expected> expected_;
    std::deque<ExpectedDialog> expectedDialogs_;
    std::vector<Expected> allowed_;
    UiPort* previous_;
};
