// Helpers for the Qt tests: answering the modal dialogs that the code under test opens.
#pragma once

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "shell/message_area.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

// Calls action on the next modal widget of type T once it is shown (the code under test is then
// blocked in exec()). Gives up after about thirty seconds and closes whatever modal is open, so a
// test that expected the wrong dialog fails instead of hanging.
template <class T>
void OnNextModal(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    auto* tries = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (T* target = qobject_cast<T*>(modal); target != nullptr && target->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete tries;
            action(target);
            return;
        }
        if (++*tries > 3000) {
            timer->stop();
            timer->deleteLater();
            delete tries;
            if (modal != nullptr) modal->close();
        }
    });
    timer->start(10);
}

// Clicks the child button with this object name.
inline void ClickButton(QWidget* parent, const char* objectName) {
    if (auto* button = parent->findChild<QPushButton*>(QString::fromLatin1(objectName))) button->click();
}

// Answers the next message box with this standard button; stores its text and caption if asked.
inline void AnswerNextMessageBox(QMessageBox::StandardButton answer, QString* text = nullptr,
                                 QString* caption = nullptr) {
    OnNextModal<QMessageBox>([answer, text, caption](QMessageBox* box) {
        if (text != nullptr) *text = box->text();
        if (caption != nullptr) *caption = box->windowTitle();
        if (QAbstractButton* button = box->button(answer)) button->click();
        else box->close();
    });
}

// Installs a port for the scope of a test, also when a failed check leaves the test early.
class InstalledPort {
public:
    explicit InstalledPort(UiPort& port) : previous_(SetUiPort(&port)) {}
    ~InstalledPort() { SetUiPort(previous_); }
    InstalledPort(const InstalledPort&) = delete;
    InstalledPort& operator=(const InstalledPort&) = delete;

private:
    UiPort* previous_;
};

// Records the message boxes instead of showing them, answering OK; installed while it lives.
class RecordingPort final : public UiPort {
public:
    RecordingPort() : previous_(SetUiPort(this)) {}
    ~RecordingPort() override { SetUiPort(previous_); }
    RecordingPort(const RecordingPort&) = delete;
    RecordingPort& operator=(const RecordingPort&) = delete;
    int ShowMessageBox(std::string_view text, std::string_view caption, int /*style*/) override {
        boxes.emplace_back(std::string(caption) + ": " + std::string(text));
        return kAnswerOk;
    }
    void SetMessageLines(const MessageLines& /*lines*/) override {}
    void SetStatusPanel(std::size_t /*panel*/, std::string_view /*text*/) override {}
    std::vector<std::string> boxes;

private:
    UiPort* previous_;
};

// The whole file as text, empty when it cannot be read.
inline QString ReadAll(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Whether any line of the message area reads exactly text.
inline bool AnyLineIs(const TMainPrg& window, const QString& text) {
    for (std::size_t i = 0; i < MessageArea::kLineCount; ++i)
        if (window.MessageLine(i) == text) return true;
    return false;
}

// Default settings, with the analysis and tree files in dir and added to without asking.
inline void UseOutputIn(const QTemporaryDir& dir) {
    RestoreDefaultSettings();
    AnalysisFileName = (dir.path() + QStringLiteral("/analysis.txt")).toStdString();
    TreeFileName = (dir.path() + QStringLiteral("/outtree.ph")).toStdString();
    OverwriteMode = 1;
}

// The example data shipped with the sources (two regions, two populations each).
inline QString ExampleFile() { return QStringLiteral(TESK_SOURCE_DIR "/examples/fingerprints.txt"); }

// Loads the example through File > Load, the file dialog answered with its name. The caller checks
// that a data set came of it.
inline void LoadExample(TMainPrg& window) {
    const QString example = ExampleFile();
    SetFileDialogAnswer([example](const std::string&, const std::string&) { return example.toStdString(); });
    window.Action(QStringLiteral("Load1"))->trigger();
}

// The main window shown, with its own port installed for as long as it lives.
struct ShownMainWindow {
    ShownMainWindow() { window.show(); }
    TMainPrg window;
    QtUiPort port{window};
    InstalledPort installed{port};
};
