// The developer command box: Enter echoes the line, empties the box and runs the line.
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/command_box.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui_test_util.h"
#include "shell/global_dataset.h"
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
        QStringList buttons;
        for (const QPushButton* button : window.centralWidget()->findChildren<QPushButton*>())
            buttons << button->text();
        QCOMPARE(buttons, DevMode ? QStringList({QStringLiteral("Measure"), QStringLiteral("+pwR(dm)"),
                                                 QStringLiteral("+Coord>DM"), QStringLiteral("amova")})
                                  : QStringList());
        QCOMPARE(window.Action(QStringLiteral("AFLPSurv1"))->isVisible(), DevMode);
        if (!DevMode) return;
        // Every item is there and does something or nothing, except the plugin item, which has no handler.
        QStringList items, disabled;
        for (const QAction* action : window.findChild<QMenu*>(QStringLiteral("DevMode1"))->actions()) {
            items << action->text();
            if (action->menu() != nullptr) {
                for (const QAction* old : action->menu()->actions())
                    if (!old->isEnabled()) disabled << old->text();
            } else if (!action->isEnabled()) {
                disabled << action->text();
            }
        }
        QCOMPARE(items, QStringList({QStringLiteral("O&ptionsOLD"), QStringLiteral("AllDMs>Trees"),
                                     QStringLiteral("Coords>DM"), QStringLiteral("pwR(dm)"),
                                     QStringLiteral("avgind2pop"), QStringLiteral("Test THings...")}));
        QCOMPARE(window.Action(QStringLiteral("OptionsOLD1"))->menu()->actions().size(), 5);
        QCOMPARE(disabled, QStringList({QStringLiteral("Install/Uninstall E&xcel Plugin")}));
    }

    void developerItemsThatDoNothingLeaveEverythingAlone() {
        if (!DevMode) QSKIP("a developer build's items");
        RestoreDefaultSettings();
        TMainPrg window;
        QtUiPort port(window);
        InstalledPort installed(port);
        RecordingPort boxes;
        QStringList before;
        for (std::size_t i = 0; i < MessageArea::kLineCount; ++i) before << window.MessageLine(i);
        for (const char* name : {"OldCoefficients1", "OldTransformations1", "OldTrees1", "OldBootstrapping1",
                                 "AllDMsTrees1", "CoordsDM1", "TestTHings1"})
            window.Action(QString::fromLatin1(name))->trigger();
        for (const char* name : {"MeasureBtn", "CoordDMBtn"})
            window.findChild<QPushButton*>(QString::fromLatin1(name))->click();
        QVERIFY(boxes.boxes.empty());
        QStringList after;
        for (std::size_t i = 0; i < MessageArea::kLineCount; ++i) after << window.MessageLine(i);
        QCOMPARE(after, before);
        QCOMPARE(window.StatusPanel(MessageArea::PanelState), QStringLiteral("Idle"));
    }

    void aflpSurvIsNotYetImplemented() {
        if (!DevMode) QSKIP("the delivered program hides the item");
        TMainPrg window;
        RecordingPort boxes;
        window.Action(QStringLiteral("AFLPSurv1"))->trigger();
        QCOMPARE(boxes.boxes, std::vector<std::string>{"Error: Not yet implemented"});
    }

    void amovaButtonWithoutItsFileAnswersWithTheLoadsError() {
        if (!DevMode) QSKIP("a developer build's button");
        RestoreDefaultSettings();
        TMainPrg window;
        RecordingPort boxes;
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        window.findChild<QPushButton*>(QStringLiteral("amovaBtn"))->click();
        QDir::setCurrent(previous);
        QCOMPARE(boxes.boxes, std::vector<std::string>{"Error: Input file does not exist"});
        QVERIFY(!DataSet);
    }
};

QTEST_MAIN(CommandBoxTest)
#include "command_box_test.moc"
