#include "gui/qt_ui_port.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QUrl>

#include "gui/file_param_dialog.h"
#include "gui/main_window.h"
#include "gui/pcoa_viewer.h"
#include "gui/qt_text.h"
#include "shell/pcoa_viewer.h"

namespace {

// A message box that the user may close without choosing (Escape, the window's close button): that
// gives no answer at all instead of QMessageBox's click on the No or OK button, so that an
// accidental Escape never counts as a decision such as "rewrite the file".
class AnswerBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel)) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

}  // namespace

int QtUiPort::ShowMessageBox(std::string_view text, std::string_view caption, int style) {
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) owner = QApplication::activeWindow();
    if (owner == nullptr && window_.isVisible()) owner = &window_;

    AnswerBox box(owner);
    // Messages carry file names and data: never let them be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowTitle(ToQt(caption));
    box.setText(ToQt(text));
    switch (style & 0x0F) {
        case 1: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case 3: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
        case 4: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (style & 0xF0) {
        case 0x10: box.setIcon(QMessageBox::Critical); break;
        case 0x20: box.setIcon(QMessageBox::Question); break;
        case 0x30: box.setIcon(QMessageBox::Warning); break;
        case 0x40: box.setIcon(QMessageBox::Information); break;
        default: break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok: return kIdOk;
        case QMessageBox::Cancel: return 2;
        case QMessageBox::Yes: return kIdYes;
        case QMessageBox::No: return kIdNo;
        default: return kIdNone;
    }
}

void QtUiPort::SetMessageLines(const MessageLines& lines) { window_.SetMessageLines(lines); }

void QtUiPort::SetStatusPanel(std::size_t panel, std::string_view text) { window_.SetStatusPanel(panel, text); }

void QtUiPort::FocusMainWindow() {
    // Only when the user is in the main window: a progress line must not pull focus out of a dialog.
    if (window_.isActiveWindow()) window_.setFocus();
}

bool QtUiPort::EditFileParams() { return ::EditFileParams(window_.FileParamDialog()); }

bool QtUiPort::OpenFileInViewer(const std::string& fileName) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(ToQt(fileName)).absoluteFilePath()));
}

bool QtUiPort::GetClipboardText(std::string& text) {
    const QString clip = QGuiApplication::clipboard()->text();
    if (clip.isEmpty()) return false;
    text = FromQt(clip);
    return true;
}

void QtUiPort::UpdateQuickSelectionMenus() { window_.UpdateMenuQuickGroupSel(); }

void QtUiPort::QuitProgram() {
    // Queued, so the running command returns first; the event loop then ends.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void QtUiPort::ShowPCoAViewer(const TPCoAViewerRec* rec) {
    TTeskPlot& viewer = window_.PCoAViewer();
    if (rec != nullptr) {
        viewer.FreePlot();
        viewer.LoadPCoA(rec->OTUNames, rec->Groups, rec->Coords, rec->EigenPercents, rec->Centroids,
                        rec->IncludeTrailing);
    } else {
        viewer.ClearPlot();
    }
    viewer.exec();
}
