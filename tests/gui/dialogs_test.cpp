#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

#include <string>
#include <vector>

#include "gui/count_import_dialog.h"
#include "gui/file_param_dialog.h"
#include "gui/hybrid_index_dialog.h"
#include "gui/ttest_dialog.h"
#include "gui_test_util.h"
#include "shell/file_params.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

namespace {

struct CountSettings {
    std::string token = CountMissingToken;
    std::int32_t absence = CountAbsenceMax;
    std::int32_t presence = CountPresenceMin;
    bool operator==(const CountSettings&) const = default;
};

void RestoreCountDefaults() {
    CountMissingToken = "NA";
    CountAbsenceMax = 1;
    CountPresenceMin = 10;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void countImportValidation_data() {
        QTest::addColumn<QString>("absence");
        QTest::addColumn<QString>("presence");
        QTest::addColumn<QString>("error");
        QTest::newRow("1 and 10") << "1" << "10" << "";
        QTest::newRow("0 and 1") << "0" << "1" << "";
        QTest::newRow("equal") << "10" << "10" << "Invalid input: min_Presence_Value must be > max_Absence_Value";
        QTest::newRow("reversed") << "20" << "10" << "Invalid input: min_Presence_Value must be > max_Absence_Value";
        QTest::newRow("fraction") << "1.5" << "10" << "Invalid input for max absence value";
        QTest::newRow("negative absence") << "-1" << "10" << "Invalid input for max absence value";
        QTest::newRow("empty absence") << "" << "10" << "Invalid input for max absence value";
        QTest::newRow("negative presence") << "1" << "-5" << "Invalid input for min presence value";
        QTest::newRow("over 32 bits") << "1" << "4294967306" << "Invalid input for min presence value";
        QTest::newRow("text presence") << "1" << "ten" << "Invalid input for min presence value";
    }

    void countImportValidation() {
        QFETCH(QString, absence);
        QFETCH(QString, presence);
        QFETCH(QString, error);
        RestoreCountDefaults();
        RecordingPort port;
        TCntDataImportForm form;
        form.SetUp("NA", 3, 7);
        form.AbsenceEdit->setText(absence);
        form.PresenceEdit->setText(presence);
        form.MissingEdit->setText(QStringLiteral("-"));
        const bool valid = form.ValidateInput();
        QCOMPARE(valid, error.isEmpty());
        if (valid) {
            QVERIFY(port.boxes.empty());
            QCOMPARE(CountAbsenceMax, absence.toInt());
            QCOMPARE(CountPresenceMin, presence.toInt());
            QCOMPARE(CountMissingToken, std::string("-"));
        } else {
            QCOMPARE(port.boxes, std::vector<std::string>{"Error: " + error.toStdString()});
            QVERIFY(CountSettings{} == (CountSettings{"NA", 1, 10}));
        }
        RestoreCountDefaults();
    }

    void countImportOkStaysOpenOnBadInputAndCancelChangesNothing() {
        RestoreCountDefaults();
        RecordingPort port;
        TCntDataImportForm form;
        form.SetUp("NA", 1, 10);
        QCOMPARE(form.AbsenceEdit->text(), QStringLiteral("1"));
        QCOMPARE(form.PresenceEdit->text(), QStringLiteral("10"));
        QCOMPARE(form.MissingEdit->text(), QStringLiteral("NA"));
        OnNextModal<TCntDataImportForm>([&port](TCntDataImportForm* f) {
            f->AbsenceEdit->setText(QStringLiteral("10"));
            ClickButton(f, "OKBtn");  // refused: the form stays open
            QVERIFY(f->isVisible());
            QCOMPARE(port.boxes.size(), std::size_t{1});
            ClickButton(f, "CancelBtn");
        });
        QCOMPARE(form.exec(), int(QDialog::Rejected));
        QCOMPARE(form.CountImportCancelled, true);
        QVERIFY(CountSettings{} == (CountSettings{"NA", 1, 10}));

        form.SetUp("NA", 1, 10);
        OnNextModal<TCntDataImportForm>([](TCntDataImportForm* f) {
            f->PresenceEdit->setText(QStringLiteral("12"));
            f->MissingEdit->setText(QStringLiteral("?"));
            ClickButton(f, "OKBtn");
        });
        QCOMPARE(form.exec(), int(QDialog::Accepted));
        QCOMPARE(form.CountImportCancelled, false);
        QVERIFY(CountSettings{} == (CountSettings{"?", 1, 12}));
        RestoreCountDefaults();
    }

    void editFileParamsCopiesTheControlsBackEvenOnCancel() {
        RestoreDefaultSettings();
        TFileParamDialog dialog;
        QVERIFY(dialog.AmbiguityNegativeBox->isHidden());
        OnNextModal<TFileParamDialog>([](TFileParamDialog* d) {
            // Filled from the settings.
            QVERIFY(d->ColumnsBtn->isChecked());
            QVERIFY(d->IndividualsBox->isChecked());
            QVERIFY(!d->LociBox->isChecked());
            QCOMPARE(d->AmbiguityEdit->text(), QStringLiteral("?"));
            QCOMPARE(d->EndOfDataEdit->text(), QStringLiteral("*"));
            QVERIFY(d->AmbiguityNegativeBox->isVisible());
            d->RowsBtn->setChecked(true);
            d->AmbiguityEdit->setText(QStringLiteral("9"));
            d->PresenceEdit->clear();  // an empty field keeps the symbol
            d->DelimitedBox->setChecked(false);
            ClickButton(d, "CancelBtn");
        });
        QVERIFY(EditFileParams(dialog, true));
        QVERIFY(dialog.AmbiguityNegativeBox->isHidden());
        QCOMPARE(IndInColumns, std::uint8_t{0});
        QCOMPARE(AmbiguityChar, '9');
        QCOMPARE(PresenceChar, '1');
        QCOMPARE(DelimitedData, std::uint8_t{0});
        QCOMPARE(Delimiters, std::string(" \0\t\r\n", 5));

        OnNextModal<TFileParamDialog>([](TFileParamDialog* d) {
            QVERIFY(d->RowsBtn->isChecked());
            QVERIFY(!d->AmbiguityNegativeBox->isVisible());
            d->LociBox->setChecked(true);
            ClickButton(d, "OKBtn");
        });
        QVERIFY(!EditFileParams(dialog));
        QCOMPARE(LocHeader, std::uint8_t{1});
        RestoreDefaultSettings();
    }

    // A remark symbol that the saver's own section text holds ("[Groups]", "AllData", "= a, b;")
    // would make a saved file's groups unreadable: OK refuses it and Cancel does not take it.
    void remarkSymbolsOfTheSectionTextAreRefused() {
        RestoreDefaultSettings();
        RecordingPort port;
        TFileParamDialog dialog;
        OnNextModal<TFileParamDialog>([&port](TFileParamDialog* d) {
            for (const char* refused : {"l", "u", "7", "[", "=", ","}) {
                d->OpenRemarkEdit->setText(QString::fromLatin1(refused));
                ClickButton(d, "OKBtn");
                QVERIFY(d->isVisible());
            }
            QCOMPARE(port.boxes.size(), std::size_t{6});
            QCOMPARE(port.boxes[0], std::string("Error: Invalid remark symbol: l\r\n"
                                                "Remark symbols cannot be letters, digits or any of [ ] * = , ;"));
            d->OpenRemarkEdit->setText(QStringLiteral("("));
            d->CloseRemarkEdit->setText(QStringLiteral(")"));
            ClickButton(d, "OKBtn");
        });
        QVERIFY(!EditFileParams(dialog));
        QCOMPARE(OpenRemarkChar, '(');
        QCOMPARE(CloseRemarkChar, ')');

        OnNextModal<TFileParamDialog>([](TFileParamDialog* d) {
            d->CloseRemarkEdit->setText(QStringLiteral("l"));
            d->OpenRemarkEdit->setText(QStringLiteral("<"));
            ClickButton(d, "CancelBtn");
        });
        QVERIFY(EditFileParams(dialog));
        QCOMPARE(CloseRemarkChar, ')');  // refused: the previous symbol stays
        QCOMPARE(OpenRemarkChar, '<');
        RestoreDefaultSettings();
    }

    void symbolFieldsTakeOneVisibleCharacter() {
        TFileParamDialog dialog;
        QTest::keyClicks(dialog.OpenRemarkEdit, QStringLiteral(" [x"));
        QCOMPARE(dialog.OpenRemarkEdit->text(), QStringLiteral("["));
    }

    void tTestDialogDefaultsAndCancel() {
        TtTstDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("T-testing"));
        QCOMPARE(dialog.ConfidenceOutput(), 1);
        QCOMPARE(dialog.LevelEdit->text(), QStringLiteral("5.0"));
        QVERIFY(dialog.OutputTBox->isChecked());
        QVERIFY(!dialog.OutputShannonBox->isChecked());
        dialog.SetConfidenceOutput(0);
        QVERIFY(dialog.SignificanceBtn->isChecked());
        OnNextModal<TtTstDlg>([](TtTstDlg* d) { ClickButton(d, "OKBtn"); });
        dialog.exec();
        QCOMPARE(dialog.TTestCancelled, std::uint8_t{0});
        OnNextModal<TtTstDlg>([](TtTstDlg* d) { ClickButton(d, "CancelBtn"); });
        dialog.exec();
        QCOMPARE(dialog.TTestCancelled, std::uint8_t{1});
    }

    void hybridIndexDialogLeavesTheChosenIndexes() {
        THinExpFilt dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("hindex export filter"));
        for (QComboBox* box : {dialog.Parent1Box, dialog.Parent2Box, dialog.TestedBox}) {
            box->addItems({QStringLiteral("AllData"), QStringLiteral("popA"), QStringLiteral("popB"), QStringLiteral("hyb")});
            box->setCurrentIndex(1);
        }
        OnNextModal<THinExpFilt>([](THinExpFilt* d) {
            d->Parent2Box->setCurrentIndex(2);
            d->TestedBox->setCurrentIndex(3);
            ClickButton(d, "OKBtn");
        });
        dialog.exec();
        QCOMPARE(dialog.HinExpCancelled, false);
        QCOMPARE(dialog.HinExpParent1, 1);
        QCOMPARE(dialog.HinExpParent2, 2);
        QCOMPARE(dialog.HinExpTested, 3);

        dialog.Parent1Box->clear();
        OnNextModal<THinExpFilt>([](THinExpFilt* d) { ClickButton(d, "CancelBtn"); });
        dialog.exec();
        QCOMPARE(dialog.HinExpCancelled, true);
        QCOMPARE(dialog.HinExpParent1, 1);  // Cancel leaves the last choice alone
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
