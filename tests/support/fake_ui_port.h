// The scripted UiPort of the tests: records every call, answers message boxes from a queue of
// expected boxes, and fails the running test on a box nobody expected. Installed while it lives.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

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
    void AllowBoxes(std::string caption, int answer = kIdOk);

    std::size_t PendingBoxes() const { return expected_.size(); }

    int ShowMessageBox(std::string_view text, std::string_view caption, int style) override;
    void SetMessageLines(const MessageLines& lines) override;
    void SetStatusPanel(std::size_t panel, std::string_view text) override;
    void FocusMainWindow() override;

    // What the core did, in order.
    std::vector<Box> boxes;
    std::vector<MessageLines> shownLines;
    std::vector<PanelChange> panelChanges;
    int focusRequests = 0;

private:
    struct Expected {
        int answer;
        std::string caption;
    };
    std::deque<Expected> expected_;
    std::vector<Expected> allowed_;
    UiPort* previous_;
};
