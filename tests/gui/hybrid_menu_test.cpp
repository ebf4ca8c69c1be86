// The hybrid index and the population reallocation from the Analysis menu, on the example data.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "foundation/random.h"
#include "gui/file_dialogs.h"
#include "gui/hybrid_index_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui/query_box.h"
#include "gui_test_util.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/settings.h"

namespace {

QString LastLine(const TMainPrg& window) {
    for (std::size_t i = MessageArea::kLineCount; i-- > 0;)
        if (!window.MessageLine(i).isEmpty()) return window.MessageLine(i);
    return {};
}

}  // namespace

class HybridMenuTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(dir.isValid());
        RestoreDefaultSettings();
        AnalysisFileName = (dir.path() + QStringLiteral("/analysis.txt")).toStdString();
        OverwriteMode = 1;
        RandSeed = 4711;
    }

    void cleanup() {
        SetFileDialogAnswer(nullptr);
        FreeDataSet();
        RestoreDefaultSettings();
    }

    void hybridIndexAndReallocationFromTheMenu() {
        TMainPrg window;
        QtUiPort port(window);
        InstalledPort installed(port);
        window.show();
        Load(window);
        const QString analysis = dir.path() + QStringLiteral("/analysis.txt");

        // Parents N1 and S1, the whole North tested. Every box lists every group and offers group 1.
        QStringList offered;
        OnNextModal<THinExpFilt>([&offered](THinExpFilt* dialog) {
            for (QComboBox* box : {dialog->Parent1Box, dialog->Parent2Box, dialog->TestedBox})
                offered << QString::number(box->count()) + QLatin1Char(':') + box->currentText();
            dialog->Parent1Box->setCurrentIndex(2);
            dialog->Parent2Box->setCurrentIndex(5);
            dialog->TestedBox->setCurrentIndex(1);
            ClickButton(dialog, "OKBtn");
        });
        window.Action(QStringLiteral("N9"))->trigger();
        QCOMPARE(offered, QStringList(3, QStringLiteral("7:AllData/North")));
        QCOMPARE(LastLine(window), QStringLiteral("Calculating ML Hybrid Indices...done."));
        QString report = ReadAll(analysis);
        QVERIFY(report.contains(QStringLiteral("Maximum Likelihood Hybrid Index Results\r\n"
                                               "  Expected h=0 for Parent AllData/South/S1\r\n"
                                               "  Expected h=1 for Parent AllData/North/N1\r\n")));
        QVERIFY(report.contains(QStringLiteral("\r\nN1_01\t")));
        QVERIFY(report.contains(QStringLiteral("\r\nN2_10\t")));
        QVERIFY(!report.contains(QStringLiteral("\r\nS1_01\t")));

        // Cancel runs nothing.
        OnNextModal<THinExpFilt>([](THinExpFilt* dialog) { ClickButton(dialog, "CancelBtn"); });
        window.Action(QStringLiteral("N9"))->trigger();
        QCOMPARE(ReadAll(analysis), report);

        // Every group ticked.
        QStringList items;
        bool allDataTicked = true;
        OnNextModal<TQBox>([&items, &allDataTicked](TQBox* box) {
            QListWidget* list = box->CheckListBox1;
            for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
            allDataTicked = list->item(0)->checkState() == Qt::Checked;
            list->item(0)->setCheckState(Qt::Checked);
            ClickButton(box, "OKBtn");
        });
        window.Action(QStringLiteral("MLPopulationReallocation1"))->trigger();
        QCOMPARE(items, (QStringList{QStringLiteral("AllData"), QStringLiteral("North"), QStringLiteral("N1"),
                                     QStringLiteral("N2"), QStringLiteral("South"), QStringLiteral("S1"),
                                     QStringLiteral("S2")}));
        QVERIFY(!allDataTicked);
        QCOMPARE(LastLine(window), QStringLiteral("Calculating ML population reallocationsdone."));
        report = ReadAll(analysis);
        QVERIFY(report.contains(QStringLiteral("Population reallocation results\r\n")));
        QVERIFY(report.contains(QStringLiteral("\r\nS2\t")));
        QVERIFY(report.contains(QStringLiteral("\r\nGroup_H0:\tNorth\t")));
        QVERIFY(report.contains(QStringLiteral("\r\nAllocation:\t")));
        QCOMPARE(window.StatusPanel(MessageArea::PanelState), QStringLiteral("Idle"));
    }

    void hybridIndexNeedsTwoGroups() {
        TMainPrg window;
        RecordingPort port;
        const QString file = dir.path() + QStringLiteral("/one_group.txt");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("<TESK:10?}{*:c+,i+,l-,d+,a+>\r\nA B C\r\n1 0 1\r\n0 1 1\r\n*\r\n[Groups]\r\nAllData/G=A,B;\r\n*\r\n");
        out.close();
        SetFileDialogAnswer([file](const std::string&, const std::string&) { return file.toStdString(); });
        window.Action(QStringLiteral("Load1"))->trigger();
        QVERIFY(DataSet != nullptr);
        QCOMPARE(DataSet->Groups.size(), std::size_t{2});
        port.boxes.clear();
        window.Action(QStringLiteral("N9"))->trigger();
        QCOMPARE(port.boxes,
                 (std::vector<std::string>{"Error: At least two groups must be defined to use this feature"}));
    }

private:
    void Load(TMainPrg& window) {
        LoadExample(window);
        QVERIFY(DataSet != nullptr);
        QCOMPARE(DataSet->Groups.size(), std::size_t{7});
    }

    QTemporaryDir dir;
};

QTEST_MAIN(HybridMenuTest)
#include "hybrid_menu_test.moc"
