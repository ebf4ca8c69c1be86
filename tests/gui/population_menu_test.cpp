// The population-genetics road from the Analysis menu: load the example (two regions with two
// populations each), a two-level AMOVA with randomisations, pairwise PhiST, and population
// distances with a tree, answering every question the way a user would.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui/query_box.h"
#include "gui_test_util.h"
#include "popgen/analyses/amova.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/settings.h"

namespace {

// Answers the coming message boxes in order, recording their captions.
void AnswerBoxes(std::vector<QMessageBox::StandardButton> answers, std::shared_ptr<QStringList> captions) {
    if (answers.empty()) return;
    const QMessageBox::StandardButton answer = answers.front();
    answers.erase(answers.begin());
    OnNextModal<QMessageBox>([answer, answers, captions](QMessageBox* box) {
        captions->push_back(box->windowTitle());
        AnswerBoxes(answers, captions);
        if (QAbstractButton* button = box->button(answer)) {
            button->click();
        } else {
            box->close();
        }
    });
}

}  // namespace

class PopulationMenuTest : public QObject {
    Q_OBJECT

private slots:
    void amovaPhiSTAndPopulationDistancesFromTheMenu() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        UseOutputIn(dir);
        AmovaRandomisations = 99;

        ShownMainWindow shown;
        TMainPrg& window = shown.window;

        LoadExample(window);
        QVERIFY(DataSet != nullptr);
        // Set the output file after the load (the data set keeps a copy of the name).
        DataSet->OutputFileName = AnalysisFileName;

        // Caution: Yes; first level only: No (two levels); randomisations: Yes; write: Yes.
        auto captions = std::make_shared<QStringList>();
        AnswerBoxes({QMessageBox::Yes, QMessageBox::No, QMessageBox::Yes, QMessageBox::Yes}, captions);
        window.Action(QStringLiteral("AMOVA1"))->trigger();
        QCOMPARE(*captions, (QStringList{"Caution", "AMOVA", "Caution -- AMOVA Randomisations", "AMOVA"}));
        QVERIFY(window.MessageLine(1).endsWith(QStringLiteral("Performing AMOVA (3 levels)...done.")));
        const TAmovaRec& amova = *DataSet->GetCurrLayer().Amova;
        QCOMPARE(amova.NTopUnits, std::size_t{2});
        QCOMPARE(amova.NNestedPops, std::size_t{4});
        QCOMPARE(amova.Slots.size(), std::size_t{99});

        captions->clear();
        AnswerBoxes({QMessageBox::Yes}, captions);
        window.Action(QStringLiteral("PairwisePhiST1"))->trigger();
        QCOMPARE(*captions, QStringList{"Pairwise PhiST distance"});
        QVERIFY(window.MessageLine(2).endsWith(QStringLiteral("Calculating pairwise PhiST matrix...done.")));
        QCOMPARE(window.StatusPanel(MessageArea::PanelDistMatrix), QStringLiteral("Pairwise PhiST"));

        window.Action(QStringLiteral("RestoreOriginalMatrix1"))->trigger();
        captions->clear();
        AnswerBoxes({QMessageBox::Yes}, captions);
        // The method query offers the five methods with the among-population prior preselected.
        QString preselected;
        OnNextModal<TQBox>([&preselected](TQBox* box) {
            preselected = box->ComboBox1->currentText();
            ClickButton(box, "OKBtn");
        });
        window.Action(QStringLiteral("PopulationDistance1"))->trigger();
        QCOMPARE(*captions, QStringList{"Population distance"});
        QCOMPARE(preselected, QString::fromLatin1(AlleleFreqMethodNames[3]));
        QVERIFY(window.MessageLine(4).endsWith(QStringLiteral("...done.")));
        QCOMPARE(window.StatusPanel(MessageArea::PanelDistMatrix), QStringLiteral("Chord"));
        QCOMPARE(DataSet->GetCurrLayer().NInd, std::size_t{6});

        window.Action(QStringLiteral("NeighbourJoining1"))->trigger();
        QVERIFY(window.MessageLine(5).endsWith(QStringLiteral("done.")));
        const QString trees = ReadAll(dir.path() + QStringLiteral("/outtree.ph"));
        QVERIFY(trees.contains(QStringLiteral("North")));
        QVERIFY(trees.contains(QStringLiteral("S2")));

        const QString analysis = ReadAll(dir.path() + QStringLiteral("/analysis.txt"));
        QVERIFY(analysis.contains(QStringLiteral("AMOVA results")));
        QVERIFY(analysis.contains(QStringLiteral("PhiSR= ")));
        QVERIFY(analysis.contains(QStringLiteral("(estimated from 99 randomisations)")));
        QVERIFY(analysis.contains(QStringLiteral("Pairwise PhiST values (Coefficient: ")));
        QVERIFY(analysis.contains(QStringLiteral("Population-population distances: chord distance")));

        SetFileDialogAnswer(nullptr);
        FreeDataSet();
        RestoreDefaultSettings();
    }
};

QTEST_MAIN(PopulationMenuTest)
#include "population_menu_test.moc"
