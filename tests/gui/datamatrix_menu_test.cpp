// The DataMatrix menu as a user walks it: load the example, remove loci through the threshold
// query (a wrong entry first), pick a group from the quick-selection submenu, then compute a
// Jaccard matrix and a UPGMA tree on what is left.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui/query_box.h"
#include "gui_test_util.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/settings.h"

namespace {

// Types entry into the next threshold query and confirms it; then runs next, if any.
void AnswerThreshold(const QString& entry, QString* offered, std::function<void()> next = {}) {
    OnNextModal<TQBox>([entry, offered, next](TQBox* box) {
        if (offered != nullptr) *offered = box->Edit1->text();
        box->Edit1->setText(entry);
        if (next) next();
        ClickButton(box, "OKBtn");
    });
}

QStringList Captions(const TMainPrg& window, const char* submenu) {
    QStringList captions;
    for (QAction* a : window.Action(QString::fromLatin1(submenu))->menu()->actions()) captions << a->text();
    return captions;
}

}  // namespace

class DataMatrixMenuTest : public QObject {
    Q_OBJECT

private slots:
    void filterSelectAndBuildATree() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        UseOutputIn(dir);
        SimCoefficient = NumberOf(Coefficient::Jaccard);

        ShownMainWindow shown;
        TMainPrg& window = shown.window;
        WriteMsg("Welcome");

        LoadExample(window);
        QVERIFY(DataSet != nullptr);
        QCOMPARE(Captions(window, "SelectGroupOnly1"),
                 (QStringList{"AllData", "AllData/North", "AllData/North/N1", "AllData/North/N2", "AllData/South",
                              "AllData/South/S1", "AllData/South/S2"}));
        QCOMPARE(Captions(window, "SelectLocusSetOnly1"), (QStringList{"AllLoci", "PrimerA", "PrimerB"}));

        // A wrong entry is refused and asked again; 10 % then removes nothing.
        QString offered, error, summary;
        AnswerThreshold(QStringLiteral("ten"), &offered, [&] {
            AnswerNextMessageBox(QMessageBox::Ok, &error);
            AnswerThreshold(QStringLiteral("10"), nullptr, [&] { AnswerNextMessageBox(QMessageBox::Ok, &summary); });
        });
        window.Action(QStringLiteral("RemoveLociMissing1"))->trigger();
        QCOMPARE(offered, QStringLiteral("25.00"));
        QCOMPARE(error, QStringLiteral("Invalid input. Please try again!"));
        QCOMPARE(summary, QStringLiteral("0 loci removed."));
        QCOMPARE(MaxMDPerLoc, 0.1L);
        QVERIFY(AnyLineIs(window, QStringLiteral("No loci to remove with current cutoff value")));

        // 5 % removes loci; the next query offers the value last entered.
        AnswerThreshold(QStringLiteral("5"), &offered, [&] { AnswerNextMessageBox(QMessageBox::Ok, &summary); });
        window.Action(QStringLiteral("RemoveLociMissing1"))->trigger();
        QCOMPARE(offered, QStringLiteral("10.00"));
        const std::size_t kept = DataSet->GetCurrLayer().NLoci;
        QVERIFY(kept > 0 && kept < 120);
        const QString removed = QString::number(120 - kept);
        QCOMPARE(summary, removed + QStringLiteral(" loci removed."));
        QVERIFY(AnyLineIs(
            window, QStringLiteral("Removing ") + removed + QStringLiteral(" loci with >5.000000000% missing data")));
        QCOMPARE(window.StatusPanel(MessageArea::PanelDataMatrix),
                 QStringLiteral("AllData x AllLoci [40 x %1]").arg(kept));

        // Cancel stops the item.
        OnNextModal<TQBox>([](TQBox* box) { ClickButton(box, "CancelBtn"); });
        window.Action(QStringLiteral("RemoveIndivMissing1"))->trigger();
        QCOMPARE(DataSet->GetCurrLayer().NInd, std::size_t{40});

        // The group S1 from the submenu: taken from the filtered working copy.
        window.Action(QStringLiteral("SelectGroupOnly1"))->menu()->actions().at(5)->trigger();
        QVERIFY(AnyLineIs(window, QStringLiteral("Group selected: AllData/South/S1")));
        const QString size = QStringLiteral("S1 x AllLoci [10 x %1]").arg(kept);
        QCOMPARE(window.StatusPanel(MessageArea::PanelDataMatrix), size);
        QCOMPARE(window.StatusPanel(MessageArea::PanelDistMatrix), QStringLiteral("No distance matrix"));

        window.Action(QStringLiteral("StandardSimilarity1"))->trigger();
        QCOMPARE(window.StatusPanel(MessageArea::PanelDistMatrix), QStringLiteral("StdJaccard"));
        window.Action(QStringLiteral("UPGMA1"))->trigger();
        QVERIFY(AnyLineIs(window, QStringLiteral("Building UPGMA tree...done.")));
        QCOMPARE(window.StatusPanel(MessageArea::PanelDataMatrix), size);
        QFile trees(dir.path() + QStringLiteral("/outtree.ph"));
        QVERIFY(trees.open(QIODevice::ReadOnly));
        const QString tree = QString::fromUtf8(trees.readAll());
        QVERIFY(tree.contains(QStringLiteral("S1_10")));
        QVERIFY(!tree.contains(QStringLiteral("S2_01")));
        QCOMPARE(window.StatusPanel(MessageArea::PanelState), QStringLiteral("Idle"));

        SetFileDialogAnswer(nullptr);
        FreeDataSet();
        RestoreDefaultSettings();
    }

    void quickSelectionFollowsTheDataSet() {
        RestoreDefaultSettings();
        TMainPrg window;
        RecordingPort port;
        ResetDataSet();
        DataSet->Groups = {{"AllData", {}, 0, 0, {}}, {"AllData/A&B", {}, 0, 0, {}}, {"AllData/A&B/x", {}, 0, 0, {}}};
        DataSet->LocusSets = {{"AllLoci", {}, 0, 0, {}}, {"Primer 1", {}, 0, 0, {}}};
        window.UpdateMenuQuickGroupSel();
        QCOMPARE(Captions(window, "SelectGroupOnly1"), (QStringList{"AllData", "AllData/A&&B", "AllData/A&&B/x"}));
        QCOMPARE(Captions(window, "SelectLocusSetOnly1"), (QStringList{"AllLoci", "Primer 1"}));
        GroupPathFormat = 0;  // last parts only
        window.UpdateMenuQuickGroupSel();
        QCOMPARE(Captions(window, "SelectGroupOnly1"), (QStringList{"AllData", "A&&B", "x"}));
        // A data set with fewer sets leaves only its own items; none without a data set.
        DataSet->Groups.resize(1);
        window.UpdateMenuQuickGroupSel();
        QCOMPARE(Captions(window, "SelectGroupOnly1"), QStringList{"AllData"});
        FreeDataSet();
        window.UpdateMenuQuickGroupSel();
        QCOMPARE(Captions(window, "SelectLocusSetOnly1"), QStringList{"AllLoci"});
        QVERIFY(port.boxes.empty());
        RestoreDefaultSettings();
    }
};

QTEST_MAIN(DataMatrixMenuTest)
#include "datamatrix_menu_test.moc"
