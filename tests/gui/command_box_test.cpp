// The developer command box: Enter echoes the line, empties the box and runs the line.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/command_box.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui_test_util.h"
#include "shell/program_identity.h"
#include "shell/settings.h"

namespace {

// The newest line of the window's message area and the one before it.
QStringList LastTwoLines(const TMainPrg& window) {
    QStringList lines;
    for (std::size_t i = 0; i < MessageArea::kLineCount; ++i)
        if (!window.MessageLine(i).isEmpty()) lines << window.MessageLine(i);
    return lines.mid(lines.size() - 2);
}

}  // namespace

class CommandBoxTest : public QObject {
    Q_OBJECT

private slots:
    void enterRunsTheLine() {
        RestoreDefaultSettings();
        TMainPrg window;
        QtUiPort port(window);
        InstalledPort installed(port);
        TCommandBox box(&window);
        QTemporaryDir dir;
        HelpFileName = (dir.path() + QStringLiteral("/none.pdf")).toStdString();

        box.setText(QStringLiteral("Stats 0,1,1"));
        QTest::keyClick(&box, Qt::Key_Return);
        QVERIFY(box.text().isEmpty());
        QCOMPARE(LastTwoLines(window),
                 QStringList({QStringLiteral(">Stats 0,1,1"), QStringLiteral("ERROR: Invalid number of arguments")}));

        QString text;
        AnswerNextMessageBox(QMessageBox::Ok, &text);
        box.setText(QStringLiteral("help;bogus"));
        QTest::keyClick(&box, Qt::Key_Enter);
        QVERIFY(text.contains(QStringLiteral("not found")));
        QCOMPARE(LastTwoLines(window).back(), QStringLiteral("ERROR: Illegal command: bogus"));
        RestoreDefaultSettings();
    }

    void onlyADeveloperBuildShowsIt() {
        TMainPrg window;
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("Edit1")) != nullptr, DevMode);
        QCOMPARE(window.findChild<QMenu*>(QStringLiteral("DevMode1")) != nullptr, DevMode);
        if (!DevMode) return;
        QStringList enabled;
        for (const QAction* action : window.findChild<QMenu*>(QStringLiteral("DevMode1"))->actions())
            if (action->isEnabled() && action->menu() == nullptr) enabled << action->text();
        QCOMPARE(enabled, QStringList({QStringLiteral("pwR(dm)"), QStringLiteral("avgind2pop")}));
    }
};

QTEST_MAIN(CommandBoxTest)
#include "command_box_test.moc"
