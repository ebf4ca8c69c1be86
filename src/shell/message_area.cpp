#include "shell/message_area.h"

#include "foundation/strings.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/reporting.h"
#include "shell/ui_port.h"

#include <utility>

namespace {

const std::array<std::string, MessageArea::kPanelCount> kDesignPanels{
    "No file loaded", "No data loaded [0x0]", "No distance matrix", "No trees", "Idle"};

}  // namespace

MessageArea::MessageArea() : panels_(kDesignPanels) {
    for (std::size_t i = 0; i < kLineCount; ++i) lines_[i] = "Label" + std::to_string(i + 1);
}

bool MessageArea::IsDesignText(std::size_t index) const {
    return lines_[index] == "Label" + std::to_string(index + 1);
}

void MessageArea::WriteMsg(std::string_view text) {
    // Design texts are read as empty, so the first message clears them all.
    std::size_t used = 0;  // lines up to and including the last non-empty one
    for (std::size_t i = 0; i < kLineCount; ++i) {
        if (IsDesignText(i)) lines_[i].clear();
        if (!lines_[i].empty()) used = i + 1;
    }
    if (used == kLineCount) {
        for (std::size_t i = 0; i + 1 < kLineCount; ++i) lines_[i] = std::move(lines_[i + 1]);
        used = kLineCount - 1;
    }
    lines_[used] = std::string(text);
    // The lines are shown before the log is written, so a failing log still leaves them visible.
    LinesChanged();
    Log(lines_[used]);
}

void MessageArea::AppendMsg(std::string_view text) {
    // Here a design text counts as a used line. With no line at all the text starts the top line.
    std::size_t last = 0;
    for (std::size_t i = 0; i < kLineCount; ++i)
        if (!lines_[i].empty()) last = i;
    lines_[last] += text;
    LinesChanged();
    Log(std::string(text));
}

void MessageArea::SetStatusFileName(std::string_view fileName) {
    SetPanel(PanelFile, AbbrevRight(LastPathPart(fileName), 25, "..", ""));
}

void MessageArea::SetStatusDataMatrix(std::string_view text) { SetPanel(PanelDataMatrix, std::string(text)); }

void MessageArea::SetStatusDistMatrix(std::string_view text) { SetPanel(PanelDistMatrix, std::string(text)); }

void MessageArea::SetStatusTrees(std::string_view text) { SetPanel(PanelTrees, AbbrevRight(text, 14, "..", "")); }

void MessageArea::SetStatusState(std::string_view text) { SetPanel(PanelState, std::string(text)); }

void MessageArea::SetPanel(Panel panel, std::string text) {
    panels_[panel] = std::move(text);
    if (panelHook_) panelHook_(panel, panels_[panel]);
}

void MessageArea::Log(const std::string& text) const {
    if (logHook_) logHook_(text);
}

void MessageArea::LinesChanged() const {
    if (linesHook_) linesHook_(lines_);
}

MessageArea& TheMessageArea() {
    static MessageArea area = [] {
        MessageArea a;
        a.SetLinesHook([](const std::array<std::string, MessageArea::kLineCount>& lines) {
            Ui().SetMessageLines(lines);
            Ui().FocusMainWindow();
        });
        a.SetPanelHook([](std::size_t panel, const std::string& text) { Ui().SetStatusPanel(panel, text); });
        a.SetLogHook([](const std::string& text) { WriteLogLine(text); });  // writes only while logging is on
        return a;
    }();
    return area;
}

void WriteMsg(std::string_view text) { TheMessageArea().WriteMsg(text); }
void AppendMsg(std::string_view text) { TheMessageArea().AppendMsg(text); }
void WriteMsgDone() { TheMessageArea().WriteMsgDone(); }
void WriteMsgFailed() { TheMessageArea().WriteMsgFailed(); }
void SetStatusFileName(std::string_view fileName) { TheMessageArea().SetStatusFileName(fileName); }
void UpdateStatusFileName() {
    if (DataSet && DataSet->DataLoaded == 1) SetStatusFileName(DataSet->DataFileName);
}
void SetStatusDataMatrix(std::string_view text) { TheMessageArea().SetStatusDataMatrix(text); }
void UpdateStatusDataMatrix() {
    if (!DataSet) return;
    const TDSLayer& layer = DataSet->GetCurrLayer();
    SetStatusDataMatrix(MatrixSizeText(DataSet->CurrGroupName() + " x " + DataSet->CurrLocusSetName() + " ",
                                       layer.NInd, layer.NLoci));
}
void SetStatusDistMatrix(std::string_view text) { TheMessageArea().SetStatusDistMatrix(text); }
void SetStatusTrees(std::string_view text) { TheMessageArea().SetStatusTrees(text); }
void SetStatusState(std::string_view text) { TheMessageArea().SetStatusState(text); }
void SetStatusBusyIO() { TheMessageArea().SetStatusBusyIO(); }
void SetStatusCalculating() { TheMessageArea().SetStatusCalculating(); }
void SetStatusIdle() { TheMessageArea().SetStatusIdle(); }

bool FlagsDiffer(std::uint8_t a, std::uint8_t b) { return (a == 1) != (b == 1); }
