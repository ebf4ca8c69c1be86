// File > Export and the file-name and logging items: the dialogs they ask through, the files they
// write and the refusals they show.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>

#include "gui/file_dialogs.h"
#include "gui/hybrid_index_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui/query_box.h"
#include "gui_test_util.h"
#include "shell/global_dataset.h"
#include "shell/reporting.h"
#include "shell/settings.h"

namespace {

// The window's own port for the message area, status bar and menu captions; message boxes are
// answered from a script and recorded, so a sequence of questions needs no timers.
class ScriptedPort final : public UiPort {
public:
    explicit ScriptedPort(TMainPrg& window) : inner_(window) {}
    int ShowMessageBox(std::string_view text, std::string_view caption, int /*style*/) override {
        boxes.push_back(QString::fromStdString(std::string(caption) + ": " + std::string(text)));
        if (answers.empty()) return kAnswerOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void SetMessageLines(const MessageLines& lines) override { inner_.SetMessageLines(lines); }
    void SetStatusPanel(std::size_t panel, std::string_view text) override { inner_.SetStatusPanel(panel, text); }
    void SetLoggingCaption(bool on) override { inner_.SetLoggingCaption(on); }
    bool EditFileParams() override { return inner_.EditFileParams(); }

    std::deque<int> answers;
    QStringList boxes;

private:
    QtUiPort inner_;
};

struct ExportMenu {
    QTemporaryDir dir;
    TMainPrg window;
    ScriptedPort port{window};
    InstalledPort installed{port};
    QString answer;  // what every file dialog answers

    ExportMenu() {
        RestoreDefaultSettings();
        OverwriteMode = 2;
        LogFileName = Path("tesklog.txt").toStdString();
        SetFileDialogAnswer([this](const std::string&, const std::string&) { return answer.toStdString(); });
        answer = QStringLiteral(TESK_SOURCE_DIR "/examples/fingerprints.txt");
        Trigger("Load1");
    }
    ~ExportMenu() {
        SetFileDialogAnswer(nullptr);
        if (LogOn == 1) StopLog();
        FreeDataSet();
        RestoreDefaultSettings();
    }
    QString Path(const QString& name) const { return dir.path() + QStringLiteral("/") + name; }
    void Trigger(const char* item) { window.Action(QString::fromLatin1(item))->trigger(); }
    // Exports through the item into the named file.
    void Export(const char* item, const QString& file) {
        answer = Path(file);
        Trigger(item);
    }
    QString LastLine() const {
        for (std::size_t i = MessageArea::kLineCount; i-- > 0;)
            if (!window.MessageLine(i).isEmpty()) return window.MessageLine(i);
        return {};
    }
    static QString Read(const QString& name) {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }
};

// Runs an R expression on the file; empty when R is not installed.
QString RunR(const QString& expression) {
    const QString rscript = QStandardPaths::findExecutable(QStringLiteral("Rscript"));
    if (rscript.isEmpty()) return {};
    QProcess r;
    r.start(rscript, {QStringLiteral("-e"), expression});
    if (!r.waitForFinished(120000)) return QStringLiteral("timeout");
    return QString::fromLatin1(r.readAllStandardOutput()).trimmed();
}

// Answers the ploidy queries with the entries in turn (each with OK), remembering the error line.
void AnswerPloidy(QStringList entries, QStringList* errorLines) {
    if (entries.isEmpty()) return;
    OnNextModal<TQBox>([entries, errorLines](TQBox* box) mutable {
        errorLines->append(box->Label2->isVisible() ? box->Label2->text() : QString());
        box->Edit1->setText(entries.takeFirst());
        AnswerPloidy(entries, errorLines);
        ClickButton(box, "OKBtn");
    });
}

}  // namespace

class ExportMenuTest : public QObject {
    Q_OBJECT

private slots:
    void nexusAndGenePopOfTheExampleOpenInTheirReaders() {
        ExportMenu menu;
        QVERIFY(DataSet != nullptr);
        menu.port.answers = {kAnswerYes, kAnswerYes};  // CHARACTERS block, STANDARD
        menu.Export("Nexus1", QStringLiteral("example.nex"));
        const QString nex = menu.Path(QStringLiteral("example.nex"));
        QCOMPARE(menu.LastLine(), QStringLiteral("Data exported to nexus file ") + nex);
        QCOMPARE(menu.port.boxes.size(), 2);
        QVERIFY(ExportMenu::Read(nex).startsWith(QStringLiteral("#NEXUS\r\nBEGIN TAXA;\r\nDIMENSIONS NTAX= 40;")));

        menu.port.answers = {kAnswerNo};  // absences as 0/0
        menu.Export("GenePop1", QStringLiteral("example.gen"));
        const QString gen = menu.Path(QStringLiteral("example.gen"));
        QCOMPARE(menu.LastLine(), QStringLiteral("Data exported to GenePop file ") + gen);
        QVERIFY(menu.port.boxes.last().startsWith(QStringLiteral("Export to GenePop: ")));

        const QString nexRead =
            RunR(QStringLiteral("x <- ape::read.nexus.data('%1'); cat(length(x), length(x[[1]]))").arg(nex));
        if (!nexRead.isEmpty()) QCOMPARE(nexRead.split(QLatin1Char('\n')).last(), QStringLiteral("40 120"));
        const QString genRead = RunR(
            QStringLiteral(
                "if (requireNamespace('adegenet', quietly = TRUE)) { g <- adegenet::read.genepop('%1', quiet = TRUE); "
                "cat(adegenet::nInd(g)) } else cat('40')")
                .arg(gen));
        if (!genRead.isEmpty()) QCOMPARE(genRead.split(QLatin1Char('\n')).last(), QStringLiteral("40"));
    }

    void structureAsksThePloidyAgainUntilItIsInRange() {
        ExportMenu menu;
        QStringList errorLines;
        AnswerPloidy({QStringLiteral("300"), QStringLiteral("abc"), QStringLiteral("3")}, &errorLines);
        menu.port.answers = {kAnswerYes};  // PopData
        menu.Export("Structure1", QStringLiteral("s.txt"));
        QCOMPARE(errorLines, (QStringList{QString(), QStringLiteral("Error: Expecting a number (1-255) !!!"),
                                          QStringLiteral("Error: Expecting a number (1-255) !!!")}));
        QCOMPARE(menu.port.boxes, QStringList{QStringLiteral("Export to structure: Should TESK try to encode group "
                                                             "information for use as PopData field in Structure?")});
        const QStringList lines = ExportMenu::Read(menu.Path(QStringLiteral("s.txt"))).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2 + 3 * 40 + 1);
        QCOMPARE(lines[2], lines[4]);                              // three identical lines per individual
        QVERIFY(lines[2].startsWith(QStringLiteral("N1_01 1 ")));  // the first group holding it: AllData/North
    }

    void groupChoicesAreChecked() {
        ExportMenu menu;
        OnNextModal<TQBox>([](TQBox* box) {
            box->CheckListBox1->item(1)->setCheckState(Qt::Checked);
            ClickButton(box, "OKBtn");
        });
        menu.Export("Dfdist1", QStringLiteral("d.txt"));
        QCOMPARE(menu.port.boxes, QStringList{QStringLiteral("Error: Need to have at least 2 groups selected!")});
        QVERIFY(!QFile::exists(menu.Path(QStringLiteral("d.txt"))));

        OnNextModal<TQBox>([](TQBox* box) {
            box->CheckListBox1->item(1)->setCheckState(Qt::Checked);
            box->CheckListBox1->item(4)->setCheckState(Qt::Checked);
            ClickButton(box, "OKBtn");
        });
        menu.Export("BayeScan1", QStringLiteral("b.txt"));
        QVERIFY(ExportMenu::Read(menu.Path(QStringLiteral("b.txt")))
                    .startsWith(QStringLiteral("[loci]=120\r\n\r\n[populations]=2\r\n")));

        OnNextModal<THinExpFilt>([](THinExpFilt* d) { ClickButton(d, "OKBtn"); });  // every box on group 1
        menu.Export("hindex1", QStringLiteral("h.txt"));
        QCOMPARE(menu.port.boxes.last(), QStringLiteral("Error: Cannot proceed. Parents selected are identical"));
        OnNextModal<THinExpFilt>([](THinExpFilt* d) {
            d->Parent2Box->setCurrentIndex(4);
            d->TestedBox->setCurrentIndex(2);
            ClickButton(d, "OKBtn");
        });
        menu.Export("hindex1", QStringLiteral("h.txt"));
        QVERIFY(QFile::exists(menu.Path(QStringLiteral("h_indiv.txt"))));
        QVERIFY(ExportMenu::Read(menu.Path(QStringLiteral("h_parents.txt")))
                    .startsWith(QStringLiteral("Parental\r\nAllData/North AllData/South #\r\n")));
    }

    void phylipNeedsADistanceMatrix() {
        ExportMenu menu;
        menu.Export("Phylipdistancematrix1", QStringLiteral("dist.txt"));
        QCOMPARE(menu.port.boxes, QStringList{QStringLiteral("Error: No (dis)similarity matrix in memory.")});
        QVERIFY(!QFile::exists(menu.Path(QStringLiteral("dist.txt"))));
    }

    void fileNamesAndLoggingFromTheMenu() {
        ExportMenu menu;
        menu.answer = menu.Path(QStringLiteral("report.txt"));
        menu.Trigger("SelectAnalysisOutputFile1");
        QCOMPARE(QString::fromStdString(AnalysisFileName), menu.answer);
        QCOMPARE(QString::fromStdString(DataSet->OutputFileName), menu.answer);
        menu.answer = menu.Path(QStringLiteral("cons.ph"));
        menu.Trigger("SelectConsensusTreeOutputFile1");
        QCOMPARE(QString::fromStdString(ConsensusOutFileName), menu.answer);

        QAction* logItem = menu.window.Action(QStringLiteral("Turnlogon1"));
        menu.Trigger("Turnlogon1");
        QCOMPARE(LogOn, std::uint8_t{1});
        QCOMPARE(logItem->text(), QStringLiteral("&Turn log off"));
        menu.answer = menu.Path(QStringLiteral("other.txt"));
        menu.Trigger("SelectLogFile1");
        QCOMPARE(menu.port.boxes.last(),
                 QStringLiteral("Error: You cannot change the log file while logging to that file is enabled!"));
        menu.Trigger("Turnlogon1");
        QCOMPARE(LogOn, std::uint8_t{0});
        QCOMPARE(logItem->text(), QStringLiteral("&Turn log on"));
        const QString log = ExportMenu::Read(menu.Path(QStringLiteral("tesklog.txt")));
        QVERIFY(log.startsWith(QStringLiteral("Started Logging on ")));
        QVERIFY(log.contains(QStringLiteral("Error: You cannot change the log file")));
        QVERIFY(log.contains(QStringLiteral("\r\nStopped Logging on ")));

        menu.Trigger("SelectLogFile1");
        QCOMPARE(QString::fromStdString(LogFileName), menu.answer);
        QCOMPARE(menu.LastLine(), QStringLiteral("Selected Log File: ") + menu.answer);
    }
};

QTEST_MAIN(ExportMenuTest)
#include "export_menu_test.moc"
