#include "gui/qt_ui_port.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <string>
#include <utility>

#include "gui/file_param_dialog.h"
#include "gui/group_manager.h"
#include "gui/main_window.h"
#include "gui/options_dialog.h"
#include "gui/pcoa_viewer.h"
#include "gui/pwic_dialog.h"
#include "gui/qt_text.h"
#include "shell/commands.h"
#include "shell/viewer_record.h"

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

// How long an opener may take to tell that it failed. The desktops' openers hand the file over and
// end at once; xdg-open without a known desktop runs the viewer itself and ends with it, so one
// still running by then is showing the file.
constexpr int kOpenerVerdictMs = 3000;
constexpr qsizetype kShownErrorBytes = 500;

// What xdg-open's exit code means, for the user.
std::string OpenerFailure(int code) {
    switch (code) {
        case 1: return "xdg-open did not accept the file name.";
        case 2: return "xdg-open did not find the file.";
        case 3: return "xdg-open found no program for this kind of file.";
        case 4: return "xdg-open could not open the file.";
        default: return "xdg-open failed (exit code " + std::to_string(code) + ").";
    }
}

// Runs the opener on the file and waits, repainting but taking no input, until it has ended or
// the verdict time has passed. Its messages go to a file so that a viewer it keeps running never
// blocks on a pipe nobody reads.
bool RunOpener(const QString& opener, const QString& path, std::string& reason) {
    QTemporaryFile errors;
    if (!errors.open()) {
        reason = "No temporary file for the messages of xdg-open: " + FromQt(errors.errorString());
        return false;
    }
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({path});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(errors.fileName());
    QEventLoop loop;
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) loop.quit();
    });
    QTimer verdict;
    verdict.setSingleShot(true);
    QObject::connect(&verdict, &QTimer::timeout, &loop, &QEventLoop::quit);
    verdict.start(kOpenerVerdictMs);
    process->start();
    if (process->state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process->state() != QProcess::NotRunning) {
        // Showing the file: the process is freed when it ends with its viewer.
        QObject::disconnect(process, nullptr, &loop, nullptr);
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const std::unique_ptr<QProcess> done(process);
    if (done->error() == QProcess::FailedToStart) {
        reason = "xdg-open could not be started: " + FromQt(done->errorString());
        return false;
    }
    if (done->exitStatus() == QProcess::CrashExit) {
        reason = "xdg-open ended abnormally.";
        return false;
    }
    if (done->exitCode() == 0) return true;
    reason = OpenerFailure(done->exitCode());
    const QByteArray said = errors.readAll().trimmed();
    if (!said.isEmpty()) reason += "\r\n" + said.left(kShownErrorBytes).toStdString();
    return false;
}

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
        case QMessageBox::Ok: return kAnswerOk;
        case QMessageBox::Cancel: return kAnswerCancel;
        case QMessageBox::Yes: return kAnswerYes;
        case QMessageBox::No: return kAnswerNo;
        default: return kAnswerNone;
    }
}

void QtUiPort::SetMessageLines(const MessageLines& lines) { window_.SetMessageLines(lines); }

void QtUiPort::SetStatusPanel(std::size_t panel, std::string_view text) { window_.SetStatusPanel(panel, text); }

void QtUiPort::FocusMainWindow() {
    // Only when the user is in the main window: a progress line must not pull focus out of a dialog.
    if (window_.isActiveWindow()) window_.setFocus();
}

void QtUiPort::KeepWindowsAlive() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void QtUiPort::RunCommandLater(std::function<void()> command) {
    QMetaObject::invokeMethod(
        qApp, [command = std::move(command)] { RunCommand(command); }, Qt::QueuedConnection);
}

bool QtUiPort::EditFileParams() { return ::EditFileParams(window_.FileParamDialog()); }

bool QtUiPort::OpenFileInViewer(const std::string& fileName, std::string& reason) {
    const QString path = QFileInfo(ToQt(fileName)).absoluteFilePath();
    // xdg-open is what Qt would run too, but only a process of our own tells whether it failed.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) return RunOpener(opener, path, reason);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return true;
    reason = "xdg-open, which starts the desktop's viewers, is not installed, and the desktop offers no other way.";
    return false;
}

bool QtUiPort::GetClipboardText(std::string& text) {
    const QString clip = QGuiApplication::clipboard()->text();
    if (clip.isEmpty()) return false;
    text = FromQt(clip);
    return true;
}

void QtUiPort::UpdateQuickSelectionMenus() { window_.UpdateMenuQuickGroupSel(); }

bool QtUiPort::SetClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(ToQt(text));
    return true;
}

void QtUiPort::QuitProgram() {
    // Queued, so the running command returns first; the event loop then ends.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void QtUiPort::SetLoggingCaption(bool loggingOn) { window_.SetLoggingCaption(loggingOn); }

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

void QtUiPort::ShowOptionsDialog(int page) { DisplayOptions(window_.OptionsDialog(), page); }

bool QtUiPort::RunGroupManager(TPopGenDataSet& ds, bool& locusSetChosen) {
    TGrpManDlg& dialog = window_.GroupManagerDialog();
    dialog.SetUp(ds);
    // Only OK applies: Cancel, Escape and the window's close button leave the lists as they were.
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.GrpManCancelled;
    locusSetChosen = dialog.LocusSetChosen();
    return accepted;
}

void QtUiPort::ShowPairwiseComparison(TPopGenDataSet& ds) {
    TpwicDlg& dialog = window_.PairwiseComparisonDialog();
    dialog.SetUp(ds);
    dialog.exec();
}
