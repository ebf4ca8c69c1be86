// File menu items that ask more than a file name: Save DataMatrix runs the file-parameter dialog
// after the save dialog, Import from count data the count-import form.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <string>
#include <vector>

#include "gui/count_import_dialog.h"
#include "gui/file_dialogs.h"
#include "gui/file_param_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui_test_util.h"
#include "shell/global_dataset.h"
#include "shell/program_files.h"
#include "shell/reporting.h"
#include "shell/settings.h"

namespace {

// A window with its port installed, file dialogs answered with `answer`; settings and data reset
// afterwards.
struct MenuFixture {
    TMainPrg window;
    QtUiPort port{window};
    InstalledPort installed{port};

    explicit MenuFixture(const QString& answer) {
        RestoreDefaultSettings();
        OverwriteMode = 2;
        SetFileDialogAnswer([answer](const std::string&, const std::string&) { return answer.toStdString(); });
    }
    ~MenuFixture() {
        SetFileDialogAnswer(nullptr);
        FreeDataSet();
        RestoreDefaultSettings();
    }
    void Trigger(const char* item) { window.Action(QString::fromLatin1(item))->trigger(); }
    // The newest line of the message area.
    QString LastLine() const {
        for (std::size_t i = MessageArea::kLineCount; i-- > 0;)
            if (!window.MessageLine(i).isEmpty()) return window.MessageLine(i);
        return {};
    }
};

const QString kExample = QStringLiteral(TESK_SOURCE_DIR "/examples/fingerprints.txt");
const QString kCounts = QStringLiteral(TESK_SOURCE_DIR "/examples/counts.tsv");

}  // namespace

class FileMenuTest : public QObject {
    Q_OBJECT

private slots:
    // Saves, exports and the file-name items open in the working folder, where the files go, not
    // in the program's folder.
    void saveDialogsOpenInTheWorkingFolder() {
        MenuFixture menu(kExample);
        menu.Trigger("Load1");
        QVERIFY(DataSet != nullptr);
        AppPath = "/opt/tesk/";
        std::vector<std::string> folders;
        SetFileDialogScript([&folders](const FileDialogRequest& request) {
            folders.push_back(request.Folder);
            return SaveChoice{};  // cancelled
        });
        const std::vector<const char*> items = {"SaveDataMatrix1",
                                                "SelectAnalysisOutputFile1",
                                                "SelectTreeOutputFile1",
                                                "SelectConsensusTreeInputFile1",
                                                "SelectConsensusTreeOutputFile1",
                                                "SelectLogFile1",
                                                "Nexus1",
                                                "ArlequinProject1",
                                                "TabdelimitedtextR1",
                                                "GenePop1",
                                                "NTSyspc1",
                                                "ListofOTUs1",
                                                "SynTax1",
                                                "HickoryNexus1",
                                                "AFLPDat1",
                                                "AFLPop1"};
        for (const char* item : items) menu.Trigger(item);
        QCOMPARE(folders.size(), items.size());
        for (std::size_t i = 0; i < items.size(); ++i)
            QCOMPARE(folders[i] + " " + items[i], WorkingFolder() + " " + items[i]);
        QVERIFY(WorkingFolder().ends_with('/'));
    }

    void saveWithoutDataIsRefused() {
        QTemporaryDir dir;
        const QString target = dir.path() + QStringLiteral("/saved.txt");
        MenuFixture menu(target);
        FreeDataSet();
        QString text;
        AnswerNextMessageBox(QMessageBox::Ok, &text);
        menu.Trigger("SaveDataMatrix1");
        QCOMPARE(text, QStringLiteral("No data loaded"));
        QVERIFY(!QFile::exists(target));
    }

    void saveCancelledInTheFileParameterDialogWritesNothing() {
        QTemporaryDir dir;
        MenuFixture menu(kExample);
        menu.Trigger("Load1");
        QVERIFY(DataSet != nullptr);

        const QString target = dir.path() + QStringLiteral("/saved.txt");
        SetFileDialogAnswer([target](const std::string&, const std::string&) { return target.toStdString(); });
        bool ambiguityNegativeShown = false;
        OnNextModal<TFileParamDialog>([&ambiguityNegativeShown](TFileParamDialog* d) {
            ambiguityNegativeShown = d->AmbiguityNegativeBox->isVisible();
            ClickButton(d, "CancelBtn");
        });
        menu.Trigger("SaveDataMatrix1");
        QVERIFY(ambiguityNegativeShown);
        QVERIFY(!QFile::exists(target));

        OnNextModal<TFileParamDialog>([](TFileParamDialog* d) { ClickButton(d, "OKBtn"); });
        menu.Trigger("SaveDataMatrix1");
        QVERIFY(QFile::exists(target));
        QCOMPARE(menu.LastLine(), QStringLiteral("Saved DataMatrix to ") + target);
    }

    void countImportCancelledLoadsNothingAndConfirmedUsesTheEnteredThresholds() {
        MenuFixture menu(kCounts);
        OnNextModal<TCntDataImportForm>([](TCntDataImportForm* f) { ClickButton(f, "CancelBtn"); });
        menu.Trigger("Importfromcountdata1");
        QVERIFY(DataSet == nullptr || DataSet->DataFileName.empty());

        OnNextModal<TCntDataImportForm>([](TCntDataImportForm* f) {
            f->AbsenceEdit->setText(QStringLiteral("2"));
            f->PresenceEdit->setText(QStringLiteral("20"));
            ClickButton(f, "OKBtn");
        });
        menu.Trigger("Importfromcountdata1");
        QCOMPARE(CountAbsenceMax, 2);
        QCOMPARE(CountPresenceMin, 20);
        QVERIFY(DataSet != nullptr);
        QCOMPARE(QString::fromStdString(DataSet->DataFileName), kCounts);
        QCOMPARE(QString::fromStdString(InputFileName), kCounts);
        QCOMPARE(menu.LastLine(), QStringLiteral("Importing count data from file: %1 ...done.").arg(kCounts));
        QCOMPARE(menu.window.StatusPanel(MessageArea::PanelFile), QStringLiteral("counts.tsv"));
    }
};

QTEST_MAIN(FileMenuTest)
#include "file_menu_test.moc"
