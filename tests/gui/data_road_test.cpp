// The road a user takes from the menus: load the example, compute a matrix, build trees, run a PCoA.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui_test_util.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/settings.h"

class DataRoadTest : public QObject {
    Q_OBJECT

private slots:
    void loadMatrixTreesAndPCoAFromTheMenus() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        UseOutputIn(dir);
        PCoAAutostart = 0;

        ShownMainWindow shown;
        TMainPrg& window = shown.window;
        WriteMsg("Welcome");

        const QString example = ExampleFile();
        LoadExample(window);
        QVERIFY(DataSet != nullptr);
        QCOMPARE(QString::fromStdString(InputFileName), QDir::toNativeSeparators(example));
        QVERIFY(AnyLineIs(window, QStringLiteral("Loading File: %1 ...done.").arg(example)));
        QCOMPARE(window.StatusPanel(MessageArea::PanelFile), QStringLiteral("fingerprints.txt"));
        QCOMPARE(window.StatusPanel(MessageArea::PanelDataMatrix), QStringLiteral("Original matrix [40 x 120]"));
        QCOMPARE(window.StatusPanel(MessageArea::PanelState), QStringLiteral("Idle"));

        window.Action(QStringLiteral("StandardSimilarity1"))->trigger();
        QVERIFY(window.MessageLine(2).endsWith(QStringLiteral("done.")));
        QVERIFY(window.StatusPanel(MessageArea::PanelDistMatrix) != QStringLiteral("No distance matrix"));

        window.Action(QStringLiteral("UPGMA1"))->trigger();
        window.Action(QStringLiteral("NeighbourJoining1"))->trigger();
        QVERIFY(window.MessageLine(3).endsWith(QStringLiteral("done.")));
        QVERIFY(window.MessageLine(4).endsWith(QStringLiteral("done.")));
        QCOMPARE(window.StatusPanel(MessageArea::PanelTrees),
                 QStringLiteral("..") + QString::fromStdString(TreeFileName).right(14));

        window.Action(QStringLiteral("PrincipalCoordinateAnalysis1"))->trigger();
        QVERIFY(window.MessageLine(5).endsWith(QStringLiteral("done.")));
        QCOMPARE(window.StatusPanel(MessageArea::PanelState), QStringLiteral("Idle"));

        const QString trees = ReadAll(dir.path() + QStringLiteral("/outtree.ph"));
        QCOMPARE(trees.count(QLatin1Char(';')), 2);
        QVERIFY(trees.contains(QStringLiteral("N1_01")));
        const QString analysis = ReadAll(dir.path() + QStringLiteral("/analysis.txt"));
        QVERIFY(!analysis.isEmpty());
        QVERIFY(analysis.contains(QStringLiteral("S2_10")));

        SetFileDialogAnswer(nullptr);
        FreeDataSet();
        RestoreDefaultSettings();
    }
};

QTEST_MAIN(DataRoadTest)
#include "data_road_test.moc"
