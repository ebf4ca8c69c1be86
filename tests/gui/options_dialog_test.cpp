#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include <deque>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/number_text.h"
#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/options_dialog.h"
#include "gui/qt_ui_port.h"
#include "gui_test_util.h"
#include "shell/message_area.h"
#include "shell/program_files.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

namespace {

// Every setting but the error counter, as text: equal snapshots mean nothing was stored.
template <class T>
std::string SettingText(const T& value) {
    std::ostringstream out;
    if constexpr (std::is_same_v<T, std::string>) out << value;
    else if constexpr (std::is_same_v<T, Extended> || std::is_same_v<T, double> || std::is_same_v<T, float>)
        out << ExtToStrF(static_cast<Extended>(value), 0, 30);
    else out << static_cast<long long>(value);
    return out.str();
}

std::string Snapshot() {
    std::string text;
#define TESK_SNAPSHOT(type, name, value) \
    if (std::string_view(#name) != "ErrorCounter") text += #name "=" + SettingText(name) + "\n";
    TESK_SETTINGS(TESK_SNAPSHOT)
#undef TESK_SNAPSHOT
    return text;
}

// Answers questions from a queue (No when it is empty) and records every box.
class ScriptedPort final : public UiPort {
public:
    ScriptedPort() : previous_(SetUiPort(this)) {}
    ~ScriptedPort() override { SetUiPort(previous_); }
    ScriptedPort(const ScriptedPort&) = delete;
    ScriptedPort& operator=(const ScriptedPort&) = delete;
    int ShowMessageBox(std::string_view text, std::string_view caption, int style) override {
        boxes.emplace_back(std::string(caption) + ": " + std::string(text));
        if (style != kQuestionYesNo) return kAnswerOk;
        if (answers.empty()) return kAnswerNo;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void SetMessageLines(const MessageLines& /*lines*/) override {}
    void SetStatusPanel(std::size_t /*panel*/, std::string_view /*text*/) override {}
    std::vector<std::string> boxes;
    std::deque<int> answers;

private:
    UiPort* previous_;
};

std::string LastLine() {
    const auto& lines = TheMessageArea().Lines();
    for (std::size_t i = lines.size(); i-- > 0;)
        if (!lines[i].empty()) return lines[i];
    return {};
}

void Check(QButtonGroup* group, int id) { group->button(id)->setChecked(true); }

// Settings away from their defaults wherever a page can show that.
void SetUnusualSettings() {
    MDReplaceFraction = 0.35f;
    ShannonFreqMode = 1;
    ShannonLogBase = 3;
    ShannonLogA = 3.5L;
    SimCoefficient = 3;
    DistanceCoefficient = 1;
    NeiLiR = 7.25L;
    JCRandomDraws = 250;
    SimOutput = 1;
    DistOutput = 0;
    DistTransformation = 4;
    DefaultTreeType = 1;
    MRThreshold = 75;
    RFrom = 5;
    RTo = 500;
    RPrecision = 3;
    RMRThreshold = 60;
    RxThreshold = 40;
    ROutputInconsistent = 0;
    RStopFraction = -9.0;
    AmovaSimMethod = 2;
    AmovaRandomisations = 99;
    AlleleFreqMethod = 4;
    CorrFactor = 0.00001L;  // below what four decimals show
    PCoAMaxIterations = 77;
    PCoAPrecision = 2.426994E-8L;
    PCoAAutostart = 0;
    PCoACentroids = 1;
    ShowWarnings = 0;
    WriteSpecs = 0;
    OverwriteMode = 1;
    PreferredRoundMode = 1;
    BSReplicates = 11;
    TRReplicates = 12;
    SHReplicates = 13;
    RMD = 0;
    Sh2File = 1;
    ShannonZeroInStats = 1;
    WeightingScheme = 3;
    MLDThreshold = 1.5L;
    SampleSizeCorrection = 0;
    Epsilon = 0.125L;
}

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() { RestoreDefaultSettings(); }
    void cleanup() {
        SetFileDialogAnswer({});
        RestoreDefaultSettings();
    }

    // Showing a page and accepting it unchanged stores what was there, for every page.
    void everyPageRoundTrips() {
        ScriptedPort port;
        TTeskOptions dialog;
        for (bool unusual : {false, true}) {
            RestoreDefaultSettings();
            if (unusual) SetUnusualSettings();
            const std::string before = Snapshot();
            for (int page = 0; page < TTeskOptions::kPageCount; ++page) {
                dialog.OpenOnPage(page);
                bool failed = true;
                dialog.AcceptChange(page, failed);
                QVERIFY2(!failed, qPrintable(QString::number(page)));
                QCOMPARE(Snapshot(), before);
                QVERIFY(LastLine().starts_with("Setting parameters (" +
                                               std::string(TTeskOptions::kPageCaptions[std::size_t(page)]) + "): "));
            }
        }
        QVERIFY(port.boxes.empty());
    }

    // Changed controls reach their settings, with the page's log line.
    void changesAreStoredAndLogged_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<std::function<void(TTeskOptions&)>>("edit");
        QTest::addColumn<std::function<bool()>>("stored");
        QTest::addColumn<QString>("log");
        using Edit = std::function<void(TTeskOptions&)>;
        using Stored = std::function<bool()>;
        QTest::newRow("MD 50") << 0 << Edit([](TTeskOptions& d) { d.MDFractionEdit->setText("50"); })
                               << Stored([] { return MDReplaceFraction == 0.5f; })
                               << "Replace MD by 50.000000000% presences.";
        QTest::newRow("MD 35") << 0 << Edit([](TTeskOptions& d) { d.MDFractionEdit->setText("35"); })
                               << Stored([] { return MDReplaceFraction == 0.35f; })
                               << "Replace MD by 34.999999404% presences.";
        QTest::newRow("MD absences") << 0 << Edit([](TTeskOptions& d) { d.MDAbsencesBtn->setChecked(true); })
                                     << Stored([] { return MDReplaceFraction == 0.0f; })
                                     << "Replace MD by 0.000000000% presences.";
        QTest::newRow("log base A") << 1 << Edit([](TTeskOptions& d) {
            Check(d.ShannonBaseGroup, 3);
            d.ShannonAEdit->setText("5");
            Check(d.ShannonFreqGroup, 1);
        }) << Stored([] { return ShannonLogBase == 3 && ShannonLogA == 5.0L && ShannonFreqMode == 1; })
                                    << "Frequencies per Locus: true. Log to Base 5.000000000";
        QTest::newRow("Nei-Li") << 2 << Edit([](TTeskOptions& d) {
            Check(d.CoefficientGroup, 3);
            d.NeiLiREdit->setText("4.5");
            d.JCDrawsEdit->setText("20");
            d.SimOutputBox->setChecked(true);
        }) << Stored([] {
            return SimCoefficient == 3 && DistanceCoefficient == 1 && DistTransformation == 3 && NeiLiR == 4.5L &&
                   JCRandomDraws == 20 && SimOutput == 1;
        }) << "Coefficient: NeiLi (distance). (With r=4.500000000.) JC=r=20 SimOutput on. DistOutput on.";
        QTest::newRow("transform") << 3 << Edit([](TTeskOptions& d) { Check(d.TransformGroup, 2); })
                                   << Stored([] { return DistTransformation == 2; }) << "Dist Transform: d=SQ(1-s).";
        QTest::newRow("NJ") << 4 << Edit([](TTeskOptions& d) { Check(d.TreeTypeGroup, 1); })
                            << Stored([] { return DefaultTreeType == 1; }) << "NJ";
        QTest::newRow("MR 100") << 5 << Edit([](TTeskOptions& d) { d.MRThresholdEdit->setText("100"); })
                                << Stored([] { return MRThreshold == 100; }) << "MR-Threshold: 100%";
        QTest::newRow("R-support") << 6 << Edit([](TTeskOptions& d) {
            d.RFromEdit->setText("2");
            d.RToEdit->setText("3");
            d.RPrecisionEdit->setText("255");
            d.RMRThresholdEdit->setText("50");
            d.RxThresholdEdit->setText("7");
        }) << Stored([] {
            return RFrom == 2 && RTo == 3 && RPrecision == 255 && RMRThreshold == 50 && RxThreshold == 7;
        }) << "R: MR-Thresh=50%. Rx-Thresh= 7. r: 2-3. Precision 255 digits.";
        QTest::newRow("AMOVA") << 7 << Edit([](TTeskOptions& d) {
            Check(d.AmovaMethodGroup, 1);
            d.AmovaRandomBox->setChecked(true);
            d.AmovaRandomEdit->setText("0");
        }) << Stored([] { return AmovaSimMethod == 1 && AmovaRandomisations == 0; })
                               << "Similarity method: Minimum.";
        QTest::newRow("PCoA") << 8 << Edit([](TTeskOptions& d) {
            d.PCoAIterationsEdit->setText("10");
            d.PCoAPrecisionEdit->setText("0.001");
            d.PCoAAutostartBox->setChecked(false);
        }) << Stored([] { return PCoAMaxIterations == 10 && PCoAPrecision == 0.001L && PCoAAutostart == 0; })
                              << "MaxNIterations: 10. Precision: 0.001000000 . Autostart off Centroids: false";
        QTest::newRow("frequencies") << 9 << Edit([](TTeskOptions& d) {
            Check(d.AlleleFreqGroup, 0);
            d.CorrFactorEdit->setText("0.5");
        }) << Stored([] { return AlleleFreqMethod == 0 && CorrFactor == 0.5L; })
                                     << "Square Root. CorrFactor= 0.500000000";
        // Pages that store nothing still log.
        QTest::newRow("population distance") << 10 << Edit([](TTeskOptions&) {}) << Stored([] { return true; })
                                             << "Chord";
        QTest::newRow("project") << 13 << Edit([](TTeskOptions&) {}) << Stored([] { return true; }) << "";
        QTest::newRow("I/O") << 11 << Edit([](TTeskOptions& d) {
            Check(d.RoundModeGroup, 1);
            Check(d.OverwriteGroup, 1);
            d.WriteSpecsBox->setChecked(false);
        }) << Stored([] { return PreferredRoundMode == 2 && OverwriteMode == 2 && WriteSpecs == 0; })
                             << "Show program warnings: yes. Write TESK Specs: no.Overwrite Files: Overwrite.";
        QTest::newRow("replicates") << 14 << Edit([](TTeskOptions& d) {
            d.BSEdit->setText("1");
            d.RMDBox->setChecked(false);
            d.Sh2FileBox->setChecked(true);
        }) << Stored([] { return BSReplicates == 1 && RMD == 0 && Sh2File == 1; })
                                    << "Replicates: Boostrap (BS): 1 Av. Coeff. (JC): 100 Shannon (SH): 10000. RMD "
                                       "disabled. Sh2File: yes. I=0 in stats: no.";
        QTest::newRow("weights") << 15 << Edit([](TTeskOptions& d) { Check(d.WeightsGroup, 1); })
                                 << Stored([] { return WeightingScheme == 1; }) << "Weights: State";
        QTest::newRow("epsilon") << 16 << Edit([](TTeskOptions& d) {
            Check(d.CorrectionGroup, 1);
            d.EpsilonEdit->setText("0.25");
            d.MLDEdit->setText("3");
        }) << Stored([] { return SampleSizeCorrection == 0 && Epsilon == 0.25L && MLDThreshold == 3.0L; })
                                 << "Epsilon = 0.250000000. MLD= 3.000000000. ";
    }

    void changesAreStoredAndLogged() {
        QFETCH(int, page);
        QFETCH(std::function<void(TTeskOptions&)>, edit);
        QFETCH(std::function<bool()>, stored);
        QFETCH(QString, log);
        ScriptedPort port;
        TTeskOptions dialog;
        dialog.OpenOnPage(page);
        edit(dialog);
        bool failed = true;
        dialog.AcceptChange(page, failed);
        QVERIFY(!failed);
        QVERIFY(stored());
        QCOMPARE(
            QString::fromStdString(LastLine()),
            "Setting parameters (" + QString::fromLatin1(TTeskOptions::kPageCaptions[std::size_t(page)]) + "): " + log);
        QVERIFY(port.boxes.empty());
    }

    void pagesShowTheirSettings() {
        SetUnusualSettings();
        TTeskOptions dialog;
        dialog.OpenOnPage(7);
        QCOMPARE(dialog.AmovaRandomEdit->text(), QStringLiteral("99"));
        AmovaRandomisations = 0;
        dialog.OpenOnPage(7);
        QVERIFY(!dialog.AmovaRandomBox->isChecked());
        QCOMPARE(dialog.AmovaRandomEdit->text(), QStringLiteral("1000"));
        QCOMPARE(dialog.AmovaCoefficientLabel->text(),
                 QStringLiteral("Current coefficient: NeiLi (distance). Transform: d'=SQRT(d)"));
        dialog.OpenOnPage(3);
        QCOMPARE(dialog.TransformGroup->checkedId(), 1);
        QCOMPARE(dialog.TransformGroup->button(2)->text(), QStringLiteral("d' = d^2"));
        dialog.OpenOnPage(0);
        QCOMPARE(dialog.MDFractionEdit->text(), QStringLiteral("35"));
        QVERIFY(dialog.MDFractionBtn->isChecked());
        // A value the page's format would round is shown so that it reads back the same.
        dialog.OpenOnPage(8);
        QCOMPARE(dialog.PCoAPrecisionEdit->text().toDouble(), 2.426994E-8);
        dialog.OpenOnPage(11);
        QCOMPARE(dialog.RoundModeGroup->checkedId(), 2);  // code 1 is "Round down"
        QCOMPARE(dialog.OverwriteGroup->checkedId(), 2);  // 1 is "Always Append To Files"
        QVERIFY(dialog.ProcessorLabel->text().startsWith(QStringLiteral("Processor: 64bit")));
        QVERIFY(dialog.InstructionSetsLabel->text().startsWith(QStringLiteral("Instruction sets: FPU")));
    }

    // One row per range rule: the page is refused whole, the message names the field.
    void refusedValuesChangeNothing_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<std::function<void(TTeskOptions&)>>("edit");
        QTest::addColumn<QString>("message");
        using Edit = std::function<void(TTeskOptions&)>;
        const auto text = [](QLineEdit* TTeskOptions::*field, const char* value) {
            return Edit([field, value](TTeskOptions& d) { (d.*field)->setText(QString::fromLatin1(value)); });
        };
        QTest::newRow("MD no number")
            << 0 << text(&TTeskOptions::MDFractionEdit, "ab")
            << "Invalid input. Please repeat.\r\nField: Missing data which will be replaced by presences:";
        QTest::newRow("A no number") << 1 << Edit([](TTeskOptions& d) {
            Check(d.ShannonFreqGroup, 1);  // stored with the page or not at all
            Check(d.ShannonBaseGroup, 3);
            d.ShannonAEdit->setText("x");
        }) << "You entered an invalid number.\r\nField: other (i.e., logA x). A =";
        for (const char* a : {"0", "-2", "1"}) {
            QTest::newRow(qPrintable(QStringLiteral("A = %1").arg(a))) << 1 << Edit([a](TTeskOptions& d) {
                Check(d.ShannonBaseGroup, 3);
                d.ShannonAEdit->setText(QString::fromLatin1(a));
            }) << "A must be greater than zero.\r\nField: other (i.e., logA x). A = (a number above zero other than 1)";
        }
        QTest::newRow("Nei-Li r") << 2 << Edit([](TTeskOptions& d) {
            Check(d.CoefficientGroup, 3);
            d.NeiLiREdit->setText("six");
            d.SimOutputBox->setChecked(true);
        }) << "Invalid input for NeiLi_R.\r\nField: Nei-Li* with r=";
        QTest::newRow("draws 0") << 2 << Edit([](TTeskOptions& d) {
            Check(d.CoefficientGroup, 4);
            d.JCDrawsEdit->setText("0");
        })
                                 << "Invalid input. Please try again.\r\nField: JC: Calculate average coefficient from "
                                    "how many random draws "
                                    "(r): (an integer from 1 to 2147483647)";
        QTest::newRow("MR 49") << 5 << text(&TTeskOptions::MRThresholdEdit, "49")
                               << "Invalid input.\r\nPlease enter an integer value in the range [50,100]\r\nField: "
                                  "Majority Rule Consensus Threshold... (an integer from 50 to 100)";
        QTest::newRow("MR 101") << 5 << text(&TTeskOptions::MRThresholdEdit, "101")
                                << "Invalid input.\r\nPlease enter an integer value in the range [50,100]\r\nField: "
                                   "Majority Rule Consensus Threshold... (an integer from 50 to 100)";
        QTest::newRow("MR 50x") << 5 << text(&TTeskOptions::MRThresholdEdit, "50x")
                                << "Invalid input.\r\nPlease enter an integer value in the range [50,100]\r\nField: "
                                   "Majority Rule Consensus Threshold...";
        QTest::newRow("R MR 40") << 6 << text(&TTeskOptions::RMRThresholdEdit, "40")
                                 << "Invalid input. Please repeat!\r\nField: Use Majority Rule Consensus at... (an "
                                    "integer from 50 to 100)";
        QTest::newRow("RFrom 0")
            << 6 << text(&TTeskOptions::RFromEdit, "0")
            << "Invalid input. Please repeat!\r\nField: r value ranging from... (an integer from 1 "
               "to 2147483646)";
        QTest::newRow("RTo = RFrom") << 6 << Edit([](TTeskOptions& d) {
            d.RFromEdit->setText("10");
            d.RToEdit->setText("10");
            d.RxThresholdEdit->setText("3");
        }) << "Invalid input. Please repeat!\r\nField: to... (an integer from 11 to 2147483647)";
        QTest::newRow("precision 0") << 6 << text(&TTeskOptions::RPrecisionEdit, "0")
                                     << "Invalid input. Please repeat!\r\nField: Desired precision of R-values... (an "
                                        "integer from 1 to 255)";
        QTest::newRow("precision 256")
            << 6 << text(&TTeskOptions::RPrecisionEdit, "256")
            << "Invalid input. Please repeat!\r\nField: Desired precision of R-values... (an "
               "integer from 1 to 255)";
        QTest::newRow("randomisations -1") << 7 << Edit([](TTeskOptions& d) {
            Check(d.AmovaMethodGroup, 3);
            d.AmovaRandomBox->setChecked(true);
            d.AmovaRandomEdit->setText("-1");
        }) << "Invalid input!\r\nField: Number of randomisations: (an integer from 0 to 2147483647)";
        QTest::newRow("PCoA precision 0") << 8 << Edit([](TTeskOptions& d) {
            d.PCoAPrecisionEdit->setText("0");
            d.PCoACentroidsBox->setChecked(true);
        }) << "Invalid input!\r\nField: Precision (a number above zero)";
        QTest::newRow("iterations 0") << 8 << text(&TTeskOptions::PCoAIterationsEdit, "0")
                                      << "Invalid input!\r\nField: Max # iterations (an integer from 1 to 2147483647)";
        QTest::newRow("CorrFactor") << 9 << text(&TTeskOptions::CorrFactorEdit, "1,5")
                                    << "Invalid input!\r\nField: Correction Factor for Bayesian allele frequency "
                                       "estimation:";
        for (const char* e : {"0", "1", "1.5"}) {
            QTest::newRow(qPrintable(QStringLiteral("epsilon %1").arg(e)))
                << 16 << Edit([e](TTeskOptions& d) {
                       Check(d.CorrectionGroup, 1);
                       d.EpsilonEdit->setText(QString::fromLatin1(e));
                       d.MLDEdit->setText("3");
                   })
                << "Invalid input. Please repeat!\r\nField: User-specified epsilon value: (a number between 0 and 1, "
                   "both excluded)";
        }
        QTest::newRow("MLD") << 16 << text(&TTeskOptions::MLDEdit, "2a")
                             << "Invalid input. Please repeat!\r\nField: Miimum log-likelihood difference for "
                                "population allocation:";
    }

    void refusedValuesChangeNothing() {
        QFETCH(int, page);
        QFETCH(std::function<void(TTeskOptions&)>, edit);
        QFETCH(QString, message);
        ScriptedPort port;
        TTeskOptions dialog;
        dialog.OpenOnPage(page);
        const std::string before = Snapshot();
        const std::string lineBefore = LastLine();
        edit(dialog);
        bool failed = false;
        dialog.AcceptChange(page, failed);
        QVERIFY(failed);
        QCOMPARE(Snapshot(), before);
        QCOMPARE(LastLine(), lineBefore);
        QCOMPARE(port.boxes.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(port.boxes[0]), "Error: " + message);
    }

    // A refused count fails the page and keeps the counts and Sh2File, but RMD and "I=0 in stats" are
    // stored from their boxes all the same; the tab stays.
    void refusedReplicateCountsKeepTheSwitches_data() {
        QTest::addColumn<QString>("bs");
        QTest::addColumn<QString>("tr");
        QTest::addColumn<QString>("sh");
        QTest::addColumn<QString>("message");
        QTest::newRow("TR abc") << "1000"
                                << "abc"
                                << "10"
                                << "Invalid input. Please repeat!\r\nField: Number of trees to generate from average "
                                   "coefficients (TR):";
        QTest::newRow("BS 0") << "0"
                              << "100"
                              << "10"
                              << "Invalid input. Please repeat!\r\nField: Number of bootstrap (resampling) replicates "
                                 "(BS): (an integer from 1 to 2147483647)";
        QTest::newRow("SH 0") << "1000"
                              << "100"
                              << "0"
                              << "Invalid input. Please repeat!\r\nField: Resampled data matrix replicates for Shannon "
                                 "(SH): (an integer from 1 to 2147483647)";
    }

    void refusedReplicateCountsKeepTheSwitches() {
        QFETCH(QString, bs);
        QFETCH(QString, tr);
        QFETCH(QString, sh);
        QFETCH(QString, message);
        ScriptedPort port;
        TTeskOptions dialog;
        dialog.OpenOnPage(14);
        const std::string lineBefore = LastLine();
        QCOMPARE(RMD, std::uint8_t{1});  // the defaults, flipped in the boxes
        QCOMPARE(ShannonZeroInStats, std::uint8_t{0});
        RMD = 0;
        ShannonZeroInStats = 1;
        const std::string expected = Snapshot();
        RMD = 1;
        ShannonZeroInStats = 0;
        dialog.BSEdit->setText(bs);
        dialog.TREdit->setText(tr);
        dialog.SHEdit->setText(sh);
        dialog.RMDBox->setChecked(false);
        dialog.ShannonZeroBox->setChecked(true);
        dialog.Sh2FileBox->setChecked(true);
        port.answers = {kAnswerYes};
        dialog.PageControl1->setCurrentIndex(4);
        QCOMPARE(dialog.CurrentPage(), 14);
        QCOMPARE(Snapshot(), expected);  // counts and Sh2File unchanged, the two switches stored
        QCOMPARE(LastLine(), lineBefore);
        QCOMPARE(port.boxes.size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(port.boxes[1]), "Error: " + message);
    }

    void tabChangeAsksFirst() {
        ScriptedPort port;
        TTeskOptions dialog;
        dialog.OpenOnPage(5);
        dialog.MRThresholdEdit->setText("60");
        port.answers = {kAnswerNo};
        dialog.PageControl1->setCurrentIndex(4);  // No: nothing stored, the new page shows
        QCOMPARE(MRThreshold, std::uint8_t{50});
        QCOMPARE(dialog.CurrentPage(), 4);
        QCOMPARE(port.boxes.back(), std::string("Settings and options: Accept changes?"));

        dialog.PageControl1->setCurrentIndex(5);  // No again, back on page 5
        QCOMPARE(dialog.MRThresholdEdit->text(), QStringLiteral("50"));
        dialog.MRThresholdEdit->setText("101");
        port.answers = {kAnswerYes};
        dialog.PageControl1->setCurrentIndex(6);  // Yes with a refused value: the page stays
        QCOMPARE(dialog.CurrentPage(), 5);
        QCOMPARE(dialog.PageControl1->currentIndex(), 5);
        QCOMPARE(MRThreshold, std::uint8_t{50});

        dialog.MRThresholdEdit->setText("80");
        port.answers = {kAnswerYes};
        dialog.PageControl1->setCurrentIndex(6);
        QCOMPARE(MRThreshold, std::uint8_t{80});
        QCOMPARE(dialog.CurrentPage(), 6);
    }

    void onlyOkStoresTheCurrentPage() {
        ScriptedPort port;
        TTeskOptions dialog;
        for (const char* how : {"Cancel", "Escape", "close"}) {
            OnNextModal<TTeskOptions>([how](TTeskOptions* d) {
                d->MRThresholdEdit->setText("90");
                if (std::string_view(how) == "Cancel") d->CancelButton->click();
                else if (std::string_view(how) == "Escape") QTest::keyClick(d, Qt::Key_Escape);
                else d->close();
            });
            DisplayOptions(dialog, 5);
            QCOMPARE(MRThreshold, std::uint8_t{50});
        }
        OnNextModal<TTeskOptions>([](TTeskOptions* d) {
            d->MRThresholdEdit->setText("30");
            d->OkButton->click();  // refused: stays open
            QVERIFY(d->isVisible());
            d->MRThresholdEdit->setText("90");
            d->OkButton->click();
        });
        DisplayOptions(dialog, 5);
        QCOMPARE(MRThreshold, std::uint8_t{90});
        QCOMPARE(port.boxes.size(), std::size_t{1});
    }

    void everyOptionsItemOpensItsPage() {
        TMainPrg window;
        QtUiPort qtPort(window);
        InstalledPort installed(qtPort);
        const std::vector<std::pair<const char*, int>> items = {{"OptMissingDataReplacement1", 0},
                                                                {"OptShannonScaling1", 1},
                                                                {"OptCoefficients1", 2},
                                                                {"OptDistanceTransformation1", 3},
                                                                {"OptCharacterWeights1", 15},
                                                                {"OptBootstrapping1", 14},
                                                                {"OptTrees1", 4},
                                                                {"OptConsensusTrees1", 5},
                                                                {"OptRSupport1", 6},
                                                                {"OptAMOVA1", 7},
                                                                {"OptPCoA1", 8},
                                                                {"OptAlleleFrequencies1", 9},
                                                                {"OptPopulationDistances1", 10},
                                                                {"OptIO1", 11},
                                                                {"OptProject1", 13},
                                                                {"OptPopulationReallocation1", 16}};
        for (const auto& [item, page] : items) {
            QAction* action = window.Action(QString::fromLatin1(item));
            QVERIFY(action->isEnabled());
            int shown = -1;
            OnNextModal<TTeskOptions>([&shown](TTeskOptions* d) {
                shown = d->PageControl1->currentIndex();
                QCOMPARE(d->CurrentPage(), shown);
                d->reject();
            });
            action->trigger();
            QCOMPARE(shown, page);
        }
    }

    void fileNameButtonsUseTheFileCommands() {
        ScriptedPort port;
        TTeskOptions dialog;
        AppPath = "/opt/tesk/";
        const std::string chosen = WorkingFolder() + "out/chosen.txt";
        std::vector<std::string> titles;
        std::vector<std::string> folders;
        SetFileDialogScript([&](const FileDialogRequest& request) {
            titles.push_back(request.Title);
            folders.push_back(request.Folder);
            return SaveChoice{chosen};
        });
        dialog.OpenOnPage(11);
        dialog.FileButtons[TTeskOptions::AnalysisFile]->click();
        QCOMPARE(AnalysisFileName, chosen);
        // Shown without the working folder; the program's folder is not where the files go.
        QCOMPARE(dialog.FileLabels[TTeskOptions::AnalysisFile]->text(), QStringLiteral("out/chosen.txt"));
        dialog.FileButtons[TTeskOptions::ConsensusOutFile]->click();
        QCOMPARE(ConsensusOutFileName, chosen);
        dialog.FileButtons[TTeskOptions::RScriptFile]->click();
        QCOMPARE(RScriptFileName, chosen);
        dialog.FileButtons[TTeskOptions::RscriptInterpreter]->click();
        QCOMPARE(RscriptPath, chosen);
        QCOMPARE(dialog.FileLabels[TTeskOptions::RscriptInterpreter]->text(), QString::fromStdString(chosen));  // whole
        QCOMPARE(titles[1], std::string("Select Consensus Tree Output File..."));
        QCOMPARE(folders, std::vector<std::string>(4, WorkingFolder()));
        SetFileDialogAnswer([](const std::string&, const std::string&) { return std::string("/opt/tesk/tree.ph"); });
        dialog.FileButtons[TTeskOptions::TreeFile]->click();
        QCOMPARE(dialog.FileLabels[TTeskOptions::TreeFile]->text(), QStringLiteral("/opt/tesk/tree.ph"));
        SetFileDialogScript([&](const FileDialogRequest& request) {
            titles.push_back(request.Title);
            return SaveChoice{chosen};
        });

        LogOn = 1;
        const std::size_t boxesBefore = port.boxes.size();
        dialog.FileButtons[TTeskOptions::LogFile]->click();
        QCOMPARE(LogFileName, std::string("tesklog.txt"));
        QVERIFY(port.boxes.size() > boxesBefore);
        QCOMPARE(port.boxes[boxesBefore],
                 std::string("Error: You cannot change the log file while logging to that file is enabled!"));
        QCOMPARE(titles.size(), std::size_t{4});  // no dialog while logging
        LogOn = 0;

        // Cancelled dialogs change nothing.
        SetFileDialogAnswer([](const std::string&, const std::string&) { return std::string(); });
        TreeFileName = "outtree.ph";
        dialog.FileButtons[TTeskOptions::TreeFile]->click();
        QCOMPARE(TreeFileName, std::string("outtree.ph"));
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
