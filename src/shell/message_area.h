#pragma once
// The main window's six-line message area and five-panel status bar, kept as plain text so that the
// command layer can be tested without a screen. The GUI only shows what this model holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class MessageArea {
public:
    static constexpr std::size_t kLineCount = 6;
    static constexpr std::size_t kPanelCount = 5;

    // Status-bar panels in their left-to-right order.
    enum Panel : std::size_t { PanelFile = 0, PanelDataMatrix, PanelDistMatrix, PanelTrees, PanelState };

    // Panel widths in pixels, as the status bar lays them out.
    static constexpr std::array<int, kPanelCount> kPanelWidths{180, 230, 150, 120, 100};

    MessageArea();

    // Writes text as a new line below the last used one; when all six are used the area scrolls up.
    void WriteMsg(std::string_view text);
    // Appends text to the last used line ("Loading File: x ..." + "done.").
    void AppendMsg(std::string_view text);
    void WriteMsgDone() { AppendMsg("done."); }
    void WriteMsgFailed() { AppendMsg("failed."); }

    // Line index 0 is the top line. A line still holding its design text ("Label3") counts as empty
    // for WriteMsg and is shown as it stands.
    const std::string& Line(std::size_t index) const { return lines_.at(index); }
    const std::array<std::string, kLineCount>& Lines() const { return lines_; }

    void SetStatusFileName(std::string_view fileName);   // name without folder, last 25 characters
    void SetStatusDataMatrix(std::string_view text);
    void SetStatusDistMatrix(std::string_view text);
    void SetStatusTrees(std::string_view text);           // last 14 characters
    void SetStatusState(std::string_view text);
    void SetStatusBusyIO() { SetStatusState("Busy: I/O"); }
    void SetStatusCalculating() { SetStatusState("Calculating"); }
    void SetStatusIdle() { SetStatusState("Idle"); }

    const std::string& PanelText(std::size_t panel) const { return panels_.at(panel); }
    const std::array<std::string, kPanelCount>& Panels() const { return panels_; }

    // Every new line and every appended text, in the same words; the installer writes it to the log
    // while logging is on.
    void SetLogHook(std::function<void(const std::string&)> hook) { logHook_ = std::move(hook); }
    // The view: all six lines after every change of a line, and one panel after every change of it
    // (a command blocks the event loop, so the view repaints the status bar at once).
    void SetLinesHook(std::function<void(const std::array<std::string, kLineCount>&)> hook) {
        linesHook_ = std::move(hook);
    }
    void SetPanelHook(std::function<void(std::size_t, const std::string&)> hook) { panelHook_ = std::move(hook); }

private:
    bool IsDesignText(std::size_t index) const;
    void SetPanel(Panel panel, std::string text);
    void Log(const std::string& text) const;
    void LinesChanged() const;

    std::array<std::string, kLineCount> lines_;
    std::array<std::string, kPanelCount> panels_;
    std::function<void(const std::string&)> logHook_;
    std::function<void(const std::array<std::string, kLineCount>&)> linesHook_;
    std::function<void(std::size_t, const std::string&)> panelHook_;
};

// The program's one message area. It shows itself through the installed UiPort (the view gets the
// lines and the panels, the main window the focus after each new line) and copies lines to the log.
MessageArea& TheMessageArea();

// The routines the commands use; all act on TheMessageArea().
void WriteMsg(std::string_view text);
void AppendMsg(std::string_view text);
void WriteMsgDone();
void WriteMsgFailed();
void SetStatusFileName(std::string_view fileName);
// The file panel for the data set's file, when a data set has loaded data; else the panel is left
// alone.
void UpdateStatusFileName();
void SetStatusDataMatrix(std::string_view text);
// The data-matrix panel for the current selection: group + " x " + locus set + " [" + individuals +
// " x " + loci + "]", with the names' last parts and the current layer's sizes. Without a data set
// the panel is left alone.
void UpdateStatusDataMatrix();
void SetStatusDistMatrix(std::string_view text);
void SetStatusTrees(std::string_view text);
void SetStatusState(std::string_view text);
void SetStatusBusyIO();
void SetStatusCalculating();
void SetStatusIdle();

// Whether exactly one of two flags is on (equals 1).
bool FlagsDiffer(std::uint8_t a, std::uint8_t b);
