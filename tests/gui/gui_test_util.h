// Helpers for the Qt tests: answering the modal dialogs that the code under test opens.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>

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
