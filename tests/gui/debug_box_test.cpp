// The GUI's debug boxes: modal message boxes while the GUI's hook is installed, standard error after.
#include <QMessageBox>
#include <QtTest>

#include <iostream>
#include <sstream>

#include "foundation/debug_box.h"
#include "gui/qt_debug_box.h"
#include "gui_test_util.h"

class DebugBoxTest : public QObject {
    Q_OBJECT

private slots:
    void showsAModalBoxWhileTheGuiHookIsInstalled() {
        ShownMainWindow shown;
        {
            const QtDebugBoxes boxes(shown.port);
            QString text, caption;
            AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
            DebugBox("upgma error shortestdist");
            QCOMPARE(caption, QStringLiteral("TEST"));
            QCOMPARE(text, QStringLiteral("upgma error shortestdist"));

            // The flags choose the buttons and the answer comes back.
            AnswerNextMessageBox(QMessageBox::No, &text, &caption);
            QCOMPARE(ShowDebugBox("go on?", "Check", kQuestionYesNo), kAnswerNo);
            QCOMPARE(caption, QStringLiteral("Check"));
            QCOMPARE(text, QStringLiteral("go on?"));
        }
        // Without the hook the text goes to standard error and no box opens.
        std::ostringstream captured;
        std::streambuf* const previous = std::cerr.rdbuf(captured.rdbuf());
        const int answer = ShowDebugBox("headless", "TEST", kQuestionYesNo);
        std::cerr.rdbuf(previous);
        QCOMPARE(answer, kAnswerOk);
        QCOMPARE(QString::fromStdString(captured.str()), QStringLiteral("TEST: headless\n"));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
};

QTEST_MAIN(DebugBoxTest)
#include "debug_box_test.moc"
