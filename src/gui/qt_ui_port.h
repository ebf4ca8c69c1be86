#pragma once
// The core's way to the user, on Qt: message boxes with plain text, the main window's message area
// and status bar, its file-parameter dialog, the clipboard, the desktop's file viewers, and the end
// of the program.

#include "shell/ui_port.h"

class TMainPrg;

class QtUiPort final : public UiPort {
public:
    // The window is not owned and must outlive the port.
    explicit QtUiPort(TMainPrg& window) : window_(window) {}

    // style: the buttons in the low four bits (0 OK, 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No),
    // the icon in the next four (0x10 error, 0x20 question, 0x30 warning, 0x40 information).
    // Returns kAnswerOk, kAnswerCancel, kAnswerYes or kAnswerNo, or kAnswerNone when the box was
    // closed without a button (Escape or the window's close button).
    int ShowMessageBox(std::string_view text, std::string_view caption, int style) override;
    void SetMessageLines(const MessageLines& lines) override;
    void SetStatusPanel(std::size_t panel, std::string_view text) override;
    void FocusMainWindow() override;
    // Processes what is pending except user input (mouse, keys, close requests), which the platform
    // keeps queued until the command has returned: paints, exposes, timers.
    void KeepWindowsAlive() override;
    // Queued behind what is pending; asked for again while a command's windows still repaint.
    void RunCommandLater(std::function<void()> command) override;
    bool EditFileParams() override;
    // Through xdg-open when it is installed, which is given a few seconds to report a failure
    // (no program for the kind of file, say); otherwise through the desktop services of Qt.
    bool OpenFileInViewer(const std::string& fileName, std::string& reason) override;
    bool GetClipboardText(std::string& text) override;
    void UpdateQuickSelectionMenus() override;
    bool SetClipboardText(const std::string& text) override;
    void QuitProgram() override;
    void SetLoggingCaption(bool loggingOn) override;
    void ShowPCoAViewer(const TPCoAViewerRec* rec) override;
    void ShowOptionsDialog(int page) override;
    bool RunGroupManager(TPopGenDataSet& ds, bool& locusSetChosen) override;
    void ShowPairwiseComparison(TPopGenDataSet& ds) override;

private:
    TMainPrg& window_;
};
