// The Replicate Analyses road: bootstrap trees of both kinds into the tree file, Shannon's index and
// the t-tests between two groups into the analysis file, all from the menus.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui/ttest_dialog.h"
#include "gui_test_util.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/settings.h"

class ReplicatesRoadTest : public QObject {
    Q_OBJECT

private slots:
    void bootstrapTreesShannonAndTTestsFromTheMenus() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        UseOutputIn(dir);
        BSReplicates = 20;

        ShownMainWindow shown;
        TMainPrg& window = shown.window;

        LoadExample(window);
        QVERIFY(DataSet != nullptr);

        DefaultTreeType = 0;
        window.Action(QStringLiteral("BootstrapStdTree1"))->trigger();
        QVERIFY(AnyLineIs(window, QStringLiteral("Bootstrapping Std Jaccard trees...done.")));
        DefaultTreeType = 1;
        window.Action(QStringLiteral("BootstrapStdTree1"))->trigger();

        // Read back: 40 trees, one per line, each over the 40 individuals.
        const QStringList trees =
            ReadAll(dir.path() + QStringLiteral("/outtree.ph")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(trees.size(), 40);
        for (int k = 0; k < trees.size(); ++k) {
            QVERIFY(trees[k].endsWith(QLatin1Char(';')));
            QVERIFY(trees[k].contains(QStringLiteral("BsStdJaccard%1;").arg(k % 20 + 1)));
            for (const char* name : {"N1_01", "N2_10", "S1_05", "S2_10"})
                QVERIFY(trees[k].contains(QLatin1String(name)));
        }
        QCOMPARE(QSet<QString>(trees.begin(), trees.end()).size(), 40);

        // Shannon's index: monomorphic loci kept, the result written.
        // No to removing monomorphic loci (when the question comes), Yes to writing the index.
        QStringList captions;
        std::function<void(QMessageBox*)> answer = [&](QMessageBox* box) {
            captions << box->windowTitle();
            if (box->windowTitle() == QStringLiteral("Data Warning")) {
                OnNextModal<QMessageBox>(answer);
                box->button(QMessageBox::No)->click();
            } else {
                box->button(QMessageBox::Yes)->click();
            }
        };
        OnNextModal<QMessageBox>(answer);
        window.Action(QStringLiteral("ShannonsIndex1"))->trigger();
        QVERIFY(AnyLineIs(window, QStringLiteral("Calculating Shannon's index with current scaling settings and "
                                                 "saving to analysis output file...done.")));
        QCOMPARE(captions.last(), QStringLiteral("Shannon's Diversity Index"));

        window.Action(QStringLiteral("RestoreOriginalMatrix1"))->trigger();
        OnNextModal<TtTstDlg>([](TtTstDlg* dlg) {
            for (int k = 0; k < dlg->GroupList->count(); ++k) {
                const QString name = dlg->GroupList->item(k)->text().section(QLatin1Char('/'), -1);
                dlg->GroupList->item(k)->setCheckState(
                    name == QStringLiteral("North") || name == QStringLiteral("South") ? Qt::Checked : Qt::Unchecked);
            }
            dlg->BowmanBox->setChecked(true);
            dlg->OutputShannonBox->setChecked(true);
            dlg->PValueBtn->setChecked(true);
            ClickButton(dlg, "OKBtn");
        });
        window.Action(QStringLiteral("tests1"))->trigger();
        QVERIFY(AnyLineIs(window, QStringLiteral("Calculating Shannon values and performing t-tests...done.")));

        const QString analysis = ReadAll(dir.path() + QStringLiteral("/analysis.txt"));
        QVERIFY(analysis.contains(QStringLiteral("Shannon's index and variance/std.dev. (after Bowman & al., 1969)")));
        QVERIFY(analysis.contains(QStringLiteral("Shannon's index of group ")));
        QVERIFY(analysis.contains(QStringLiteral("South vs. AllData/North:\r\nt(")));
        QVERIFY(analysis.contains(QStringLiteral(", p= ")));
        QCOMPARE(TTestBowman, std::uint8_t{1});

        SetFileDialogAnswer(nullptr);
        FreeDataSet();
        RestoreDefaultSettings();
    }
};

QTEST_MAIN(ReplicatesRoadTest)
#include "replicates_road_test.moc"
