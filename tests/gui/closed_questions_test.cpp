// Every question of the menus closed without an answer (Escape, the title bar's close button):
// where No would stop the command or leave something out, a closed box does the same; where Yes
// and No choose between two ways of going on, the command goes no further.
#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui/query_box.h"
#include "gui_test_util.h"
#include "popgen/distance/distance_matrix.h"
#include "shell/global_dataset.h"
#include "shell/settings.h"

namespace {

// The window's own port for lines, panels and dialogs; message boxes are answered from a script of
// (caption, answer) and every caption is recorded.
class ScriptedPort final : public UiPort {
public:
    explicit ScriptedPort(TMainPrg& window) : inner_(window) {}
    int ShowMessageBox(std::string_view /*text*/, std::string_view caption, int /*style*/) override {
        shown.push_back(QString::fromStdString(std::string(caption)));
        if (script.empty() || script.front().first != caption) return kAnswerNone;  // unexpected: the check fails
        const int answer = script.front().second;
        script.pop_front();
        return answer;
    }
    void SetMessageLines(const MessageLines& lines) override { inner_.SetMessageLines(lines); }
    void SetStatusPanel(std::size_t panel, std::string_view text) override { inner_.SetStatusPanel(panel, text); }
    bool EditFileParams() override { return inner_.EditFileParams(); }
    bool SetClipboardText(const std::string& text) override {
        clipboard = text;
        return true;
    }

    std::deque<std::pair<std::string, int>> script;
    QStringList shown;
    std::optional<std::string> clipboard;

private:
    QtUiPort inner_;
};

// The example loaded through the menu, with every output file in a folder of its own.
struct Menu {
    QTemporaryDir dir;
    TMainPrg window;
    ScriptedPort port{window};
    InstalledPort installed{port};
    QString fileAnswer;  // what every file dialog answers
    int queries = 0;     // query boxes shown (each was cancelled)

    Menu() {
        RestoreDefaultSettings();
        AnalysisFileName = Path("analysis.txt").toStdString();
        TreeFileName = Path("outtree.ph").toStdString();
        OverwriteMode = 1;
        SetFileDialogAnswer([this](const std::string&, const std::string&) { return fileAnswer.toStdString(); });
        fileAnswer = ExampleFile();
        Trigger("Load1");
        if (DataSet != nullptr) DataSet->OutputFileName = AnalysisFileName;
    }
    ~Menu() {
        SetFileDialogAnswer(nullptr);
        FreeDataSet();
        RestoreDefaultSettings();
    }
    QString Path(const char* name) const { return dir.path() + QStringLiteral("/") + QString::fromLatin1(name); }
    bool Exists(const char* name) const { return QFile::exists(Path(name)); }
    QString Read(const char* name) const { return ReadAll(Path(name)); }

    // Runs the item; a query box that it opens is counted and cancelled.
    void Trigger(const char* item) {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<TQBox*>(QApplication::activeModalWidget());
                box != nullptr && box->isVisible()) {
                ++queries;
                box->reject();
            }
        });
        watch.start(10);
        window.Action(QString::fromLatin1(item))->trigger();
    }
};

// Whether the example is still the current data, untouched.
QString DataKept() {
    if (DataSet == nullptr) return QStringLiteral("no data set");
    const TDSLayer& layer = DataSet->GetCurrLayer();
    if (DataSet->CurLayer != 1 || layer.NInd != 40 || !layer.DistMatrix.empty())
        return QStringLiteral("the data matrix was replaced");
    return {};
}

QString NoAmova() {
    if (DataSet != nullptr && DataSet->GetCurrLayer().Amova != nullptr) return QStringLiteral("an AMOVA ran");
    return {};
}

QString Absent(const Menu& m, const char* name) {
    return m.Exists(name) ? QStringLiteral("%1 was written").arg(QString::fromLatin1(name)) : QString();
}

using Script = std::vector<std::pair<std::string, int>>;

struct ClosedCase {
    const char* label;
    std::function<void(Menu&)> before;  // settings, file answer and earlier steps
    const char* item;
    Script answers;  // in order; every box shown must be one of them
    std::function<QString(Menu&)> check;
};

}  // namespace

class ClosedQuestionsTest : public QObject {
    Q_OBJECT

private slots:
    void closedBoxesNeverConsent() {
        const auto none = [](Menu&) {};
        const auto file = [](const char* name) { return [name](Menu& m) { m.fileAnswer = m.Path(name); }; };
        const std::vector<ClosedCase> cases = {
            {"AMOVA caution",
             none,
             "AMOVA1",
             {{"Caution", kAnswerNone}},
             [](Menu& m) { return NoAmova() + Absent(m, "analysis.txt"); }},
            {"AMOVA levels",
             none,
             "AMOVA1",
             {{"Caution", kAnswerYes}, {"AMOVA", kAnswerNone}},
             [](Menu&) { return NoAmova(); }},
            {"AMOVA randomisations",
             [](Menu&) { AmovaRandomisations = 99; },
             "AMOVA1",
             {{"Caution", kAnswerYes}, {"AMOVA", kAnswerYes}, {"Caution -- AMOVA Randomisations", kAnswerNone}},
             [](Menu&) { return NoAmova(); }},
            {"AMOVA report",
             none,
             "AMOVA1",
             {{"Caution", kAnswerYes}, {"AMOVA", kAnswerYes}, {"AMOVA", kAnswerNone}},
             [](Menu& m) {
                 if (NoAmova().isEmpty()) return QStringLiteral("the AMOVA did not run");
                 return Absent(m, "analysis.txt");
             }},
            {"pairwise PhiST",
             none,
             "PairwisePhiST1",
             {{"Pairwise PhiST distance", kAnswerNone}},
             [](Menu&) { return DataKept(); }},
            {"population distance",
             none,
             "PopulationDistance1",
             {{"Population distance", kAnswerNone}},
             [](Menu& m) {
                 return DataKept() + (m.queries != 0 ? QStringLiteral("the method was asked") : QString());
             }},
            {"bootstrap population tree",
             none,
             "BootstrapPopulationTree1",
             {{"Population distance", kAnswerNone}},
             [](Menu& m) {
                 return DataKept() + Absent(m, "outtree.ph") +
                        (m.queries != 0 ? QStringLiteral("the method was asked") : QString());
             }},
            {"R-support",
             none,
             "EstimateRsupport1",
             {{"Warning", kAnswerNone}},
             [](Menu& m) { return Absent(m, "analysis.txt"); }},
            {"frequencies per locus",
             [](Menu&) { ShannonFreqMode = 2; },
             "FrequenciesperLoci1",
             {{"Frequency Calculation Mode", kAnswerNone}},
             [](Menu& m) {
                 return (ShannonFreqMode != 2 ? QStringLiteral("the mode was set") : QString()) +
                        Absent(m, "analysis.txt");
             }},
            {"Nexus block",
             file("x.nex"),
             "Nexus1",
             {{"Data export", kAnswerNone}},
             [](Menu& m) { return Absent(m, "x.nex"); }},
            {"Nexus data type",
             file("x.nex"),
             "Nexus1",
             {{"Data export", kAnswerYes}, {"DataType", kAnswerNone}},
             [](Menu& m) { return Absent(m, "x.nex"); }},
            {"Nexus distances",
             [](Menu& m) {
                 m.Trigger("StandardSimilarity1");
                 m.fileAnswer = m.Path("x.nex");
             },
             "Nexus1",
             {{"Data export", kAnswerYes}, {"DataType", kAnswerYes}, {"Nexus Data Export", kAnswerNone}},
             [](Menu& m) {
                 const QString nex = m.Read("x.nex");
                 if (!nex.contains(QStringLiteral("BEGIN CHARACTERS;"))) return QStringLiteral("x.nex was not written");
                 return nex.contains(QStringLiteral("BEGIN DISTANCES;")) ? QStringLiteral("the distances were added")
                                                                         : QString();
             }},
            {"GenePop encoding",
             file("x.gen"),
             "GenePop1",
             {{"Export to GenePop", kAnswerNone}},
             [](Menu& m) { return Absent(m, "x.gen"); }},
            {"AFLPDat populations",
             file("x.dat"),
             "AFLPDat1",
             {{"Export to AFLPDat", kAnswerNone}},
             [](Menu& m) {
                 const QString dat = m.Read("x.dat");
                 if (dat.isEmpty()) return QStringLiteral("x.dat was not written");
                 return dat.contains(QStringLiteral("\tpop")) ? QStringLiteral("the populations were added")
                                                              : QString();
             }},
            {"Arlequin levels",
             file("x.arp"),
             "ArlequinProject1",
             {{"Export to Arlequin", kAnswerNone}},
             [](Menu& m) { return Absent(m, "x.arp"); }},
            {"Structure PopData",
             file("s1.txt"),
             "Structure1",
             {{"Export to structure", kAnswerNone}},
             [](Menu& m) {
                 const QString closed = m.Read("s1.txt");
                 m.port.script = {{"Export to structure", kAnswerNo}};
                 m.fileAnswer = m.Path("s2.txt");
                 m.Trigger("Structure1");
                 if (closed.isEmpty()) return QStringLiteral("s1.txt was not written");
                 return closed == m.Read("s2.txt") ? QString() : QStringLiteral("not the export without PopData");
             }},
            {"matrix statistics",
             none,
             "MatrixStatistics1",
             {{"Statistics", kAnswerNone}},
             [](Menu& m) { return Absent(m, "analysis.txt"); }},
            {"band counts",
             [](Menu&) { DataSet->Groups.resize(1); },
             "MeanNumberofBandsPerIndividual1",
             {{"Bands per individual", kAnswerNone}},
             [](Menu& m) { return Absent(m, "analysis.txt"); }},
            {"Shannon's index",
             none,
             "ShannonsIndex1",
             {{"Data Warning", kAnswerNone}, {"Shannon's Diversity Index", kAnswerNone}},
             [](Menu& m) {
                 const bool removed = DataSet != nullptr && DataSet->CurLayer == 4;
                 return (removed ? QStringLiteral("the monomorphic loci were removed") : QString()) +
                        Absent(m, "analysis.txt");
             }},
            {"citation",
             none,
             "Citation1",
             {{"Citation", kAnswerNone}},
             [](Menu& m) { return m.port.clipboard ? QStringLiteral("the clipboard was set") : QString(); }},
            {"negative distances",
             [](Menu& m) {
                 QFile f(m.Path("neg.txt"));
                 if (f.open(QIODevice::WriteOnly)) f.write("Title\r\nA B C\r\n0\r\n-0.5 0\r\n1 2 0\r\n*\r\n");
                 m.fileAnswer = m.Path("neg.txt");
             },
             "ImportDistanceMatrix1",
             {{"Distance matrix", kAnswerNone}},
             [](Menu&) {
                 if (DataSet == nullptr || DataSet->GetCurrLayer().DistMatrix.empty())
                     return QStringLiteral("nothing imported");
                 return GetDist(*DataSet, 2, 1) == -0.5L ? QString() : QStringLiteral("the distances were changed");
             }},
        };
        QStringList failures;
        for (const ClosedCase& c : cases) {
            Menu m;
            QVERIFY2(DataSet != nullptr, c.label);
            c.before(m);
            m.port.shown.clear();
            Script expected = c.answers;
            m.port.script.assign(expected.begin(), expected.end());
            m.Trigger(c.item);
            QStringList captions;
            for (const auto& a : expected) captions.push_back(QString::fromStdString(a.first));
            const QString label = QString::fromLatin1(c.label);
            if (m.port.shown != captions)
                failures.push_back(label + ": boxes " + m.port.shown.join(QStringLiteral(" | ")));
            if (const QString problem = c.check(m); !problem.isEmpty()) failures.push_back(label + ": " + problem);
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("\n"))));
    }
};

QTEST_MAIN(ClosedQuestionsTest)
#include "closed_questions_test.moc"
