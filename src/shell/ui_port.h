// The one way the core reaches the user. The GUI installs its implementation at start-up; tests
// install a scripted fake. Without an installed port the core uses a console port that prints
// every message to standard error and answers no question.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "foundation/reporter.h"  // the message-box codes
#include "shell/message_area.h"

struct TPCoAViewerRec;  // shell/viewer_record.h
class TPopGenDataSet;   // popgen/data/dataset.h

// Lines of the main window's message area, line 1 first.
using MessageLines = std::array<std::string, MessageArea::kLineCount>;

class UiPort {
public:
    virtual ~UiPort() = default;

    // A modal message box with plain 8-bit text; style is a box flag (kMessageOk, kQuestionYesNo).
    // Returns the answer (kAnswerOk, kAnswerYes, kAnswerNo), or kAnswerNone when the user closed the
    // box without choosing.
    virtual int ShowMessageBox(std::string_view text, std::string_view caption, int style) = 0;

    // Shows all lines of the message area at once (MessageArea::Lines()).
    virtual void SetMessageLines(const MessageLines& lines) = 0;

    // Sets one status bar panel (index as MessageArea::Panel) and repaints at once: commands hold
    // the event loop (KeepWindowsAlive comes only now and then), so this is how the user sees
    // progress.
    virtual void SetStatusPanel(std::size_t panel, std::string_view text) = 0;

    // Gives the main window the input focus.
    virtual void FocusMainWindow() {}

    // Called now and then while a long engine call runs: the windows repaint what is pending (the
    // activity panel, the progress line, what a closed box covered), but take no input, so no
    // command can start meanwhile.
    virtual void KeepWindowsAlive() {}
    // Runs the command through RunCommand once the event loop has control again (after the running
    // command has returned). Without an event loop there is nobody to ask for one: it is dropped.
    virtual void RunCommandLater(std::function<void()> /*command*/) {}

    // Runs the file-parameter dialog on the input-format settings (they receive every control,
    // whichever button closed it); returns true when the user cancelled. Without a dialog there
    // is nobody to confirm the layout, which counts as cancelled.
    virtual bool EditFileParams() { return true; }

    // Opens the file in the program the desktop associates with it and returns without waiting for
    // the viewer; false when no viewer could be started, with the reason for the user.
    virtual bool OpenFileInViewer(const std::string& /*fileName*/, std::string& reason) {
        reason = "There is no desktop to show files on.";
        return false;
    }

    // The clipboard's text; false when it holds none.
    virtual bool GetClipboardText(std::string& /*text*/) { return false; }
    // Puts text on the clipboard; false when there is no clipboard.
    virtual bool SetClipboardText(const std::string& /*text*/) { return false; }

    // Rebuilds the quick-selection submenus (groups and locus sets) after a new data set.
    virtual void UpdateQuickSelectionMenus() {}

    // Ends the program once the running command has returned.
    virtual void QuitProgram() {}

    // The File menu's logging item offers the opposite of the state logging is in.
    virtual void SetLoggingCaption(bool /*loggingOn*/) {}

    // Shows the 3-D viewer modally, loaded with a PCoA result, or empty when rec is null.
    virtual void ShowPCoAViewer(const TPCoAViewerRec* /*rec*/) {}

    // Shows the options dialog modally on page 0-16.
    virtual void ShowOptionsDialog(int /*page*/) {}
    // Runs the group manager modally on the data set's edit copies of its lists; true when the user
    // confirmed with OK (GrpManGroup and GrpManLocusSet then hold the choices). locusSetChosen tells
    // whether the user chose a locus set for the selection in this opening ("Select current").
    virtual bool RunGroupManager(TPopGenDataSet& /*ds*/, bool& /*locusSetChosen*/) { return false; }
    // Shows the comparison of two individuals of the data set's current layer modally.
    virtual void ShowPairwiseComparison(TPopGenDataSet& /*ds*/) {}
};

// The installed port; never null.
UiPort& Ui();

// Installs a port (not owned) and returns the previous one; nullptr goes back to the console port.
UiPort* SetUiPort(UiPort* port);
