#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QStatusBar>
#include <QtTest>

#include <stdexcept>

#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/pcoa_viewer.h"
#include "gui/qt_ui_port.h"
#include "gui_test_util.h"
#include "shell/message_area.h"
#include "shell/program_identity.h"
#include "shell/settings.h"

namespace {

bool IsOwnedBy(const QObject* object, const QObject* owner) {
    for (; object != nullptr; object = object->parent())
        if (object == owner) return true;
    return false;
}

// The tree as lines: two blanks per level, "-" for a separator, " (hidden)" after a hidden item.
void Walk(const QList<QAction*>& actions, int level, QStringList& out) {
    for (QAction* action : actions) {
        const QString indent(level * 2, QLatin1Char(' '));
        if (action->isSeparator()) {
            out << indent + QStringLiteral("-");
            continue;
        }
        out << indent + action->text() + (action->isVisible() ? QString() : QStringLiteral(" (hidden)"));
        if (action->menu() != nullptr) Walk(action->menu()->actions(), level + 1, out);
    }
}

// A visible leaf item that has no command yet, for a test command; empty when there is none.
// A leaf of the menu tree without a command: a shown one if there is one, else a hidden one (the
// quick-selection entries and the dialogs' own actions are not part of the tree).
QString ItemWithoutCommand(const TMainPrg& window) {
    const QStringList commands = MenuCommandNames();
    QString hidden;
    for (QAction* action : window.findChildren<QAction*>()) {
        const QString name = action->objectName();
        if (action->isSeparator() || action->menu() != nullptr || name.isEmpty() || commands.contains(name)) continue;
        if (window.Action(name) != action) continue;
        if (action->isVisible()) return name;
        if (hidden.isEmpty()) hidden = name;
    }
    return hidden;
}

const char* const kExpectedTree[] = {
    "&File",
    "  &Load", "  Load from &Clipboard", "  &Save DataMatrix", "  &Import...",
    "    &Import Distance Matrix", "    &Binary matrix from clusters in trees",
    "    Import from &count data (tab-separated)",
    "  Select File &Names",
    "    Select &Analysis Output File", "    Select &Tree Output File", "    Select Consensus Tree Input File",
    "    Select Consensus Tree Output File", "    Select Log File",
    "  &Export",
    "    &Nexus", "    &Arlequin Project", "    Tab-delimited text / &R ", "    &GenePop", "    NTS&yspc",
    "    List of &OTUs", "    SynTa&x", "    &hindex", "    &Structure", "    Hic&kory (Nexus)", "    &Dfdist",
    "    &BayeScan", "    A&FLPDat", DevMode ? "    AFLPSur&v" : "    AFLPSur&v (hidden)", "    AF&LPop",
    "    &Phylip distance matrix",
    "  &Turn log on", "  E&xit",
    "&DataMatrix",
    "  Restore &Original Matrix", "  Matrix &Statistics", "  &Missing Data Statistics", "  &Count Bands...",
    "    &Mean Number of Bands Per Individual", "    Pol&ymorphic Bands", "    &Fixed Bands", "    &Private Bands",
    "    Fi&xed Private Bands",
    "  &Frequency Statistics", "    Frequencies per &Individuals", "    Frequencies per &Loci",
    "  &Replace Missing Data", "  Resample Loci (&Bootstrap Replicate)",
    "  Remove &Individuals...",
    "    With &Missing Data...", "    With Band Frequency &Below...", "    With Band Frequency Abo&ve...",
    "  Remove &Loci...",
    "    With &Missing Data...", "    Mo&nomorphic...", "    Monomorphic &Absences...", "    Monomorphic &Presences",
    "    With Band Frequency &Below...", "    With Band Frequency Abo&ve...",
    "    With mo&re Missing Data than Presences",
    "  Pair&wise Individual Comparison", "  -", "  &Group Manager",
    "  Select Group &Only", "    AllData", "  Select Locus&Set Only", "    AllLoci",
    "  Group-based &Profiles", "    &Additive Band Profile", "    &Fixed Band Profile",
    "&Analysis",
    "  Stan&dard Similarity", "  Mi&nimum Similarity", "  Ma&ximum Similarity", "  &Average Similarity", "  -",
    "  Null Allele &Frequencies",
    "    Square &root", "    &Lynch-Milligan", "    Bayesian (&uniform prior)", "    &Bayesian (among-population prior)",
    "    Bayesian (among-lo&cus prior)",
    "  &Shannon's Index", "  ML &Hybrid Index", "  ML Population &Reallocation", "  AMO&VA", "  Pair&wise PhiST",
    "  &Population Distance",
    "&Trees",
    "  &UPGMA", "  &Neighbour Joining", "  -", "  &Strict Consensus", "  &Majority Rule Consensus", "  -",
    "  &Principal Coordinate Analysis",
    "&Replicate Analyses",
    "  Bootstrap Shannon's &Variance (SH+RMD)", "  Bootstrap Shannon's Variance @ NIndiv", "  -",
    "  Bootstrap St&d. Tree (BS+RMD)", "  Multiple &Avg. Trees (TR+JC)", "  &Bootstrap Avg. Trees (BS+JC)", "  -",
    "  Bootstrap &Population Tree", "  -", "  Estimate &R-support (TR)", "  Shannon &t-tests",
    "&View",
    "  &Input File", "  &Analysis File", "  &Tree File", "  &Consensus Tree File", "  &PCoA 3D Viewer",
    "  &Log File", "  Plot  with &R and View", "  La&st R Plot",
    "&Options",
    "  &Missing data replacement", "  &Shannon scaling", "  (Dis)Similarity &Coefficients",
    "  &Distance Transformation", "  Character &Weights", "  &Bootstrapping && Replicates", "  &Trees",
    "  Co&nsensus Trees", "  &R-Support", "  &AMOVA", "  PC&oA", "  Allele &Frequencies",
    "  &Population distances", "  &I/O Options", "  Pro&ject", "  Population reallocation",
    "&Help",
    "  &About", "  &Citation", "  &Version", "  Check for &new version", "  &Help",
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void menuTreeHasTheCaptionsInOrder() {
        TMainPrg window;
        QStringList actual;
        Walk(window.menuBar()->actions(), 0, actual);
        if (DevMode) actual = actual.mid(0, actual.indexOf(QStringLiteral("DevMode")));  // a developer build's menu
        QStringList expected;
        for (const char* line : kExpectedTree) expected << QString::fromLatin1(line);
        QCOMPARE(actual, expected);
    }

    void anItemIsEnabledExactlyWhenItHasACommand() {
        TMainPrg window;
        const QStringList commands = MenuCommandNames();
        // Every command names an item of the menu, once.
        for (const QString& name : commands) QVERIFY2(window.Action(name) != nullptr, qPrintable(name));
        QCOMPARE(QSet<QString>(commands.begin(), commands.end()).size(), commands.size());

        QSet<QString> names;
        int items = 0;
        for (QAction* action : window.findChildren<QAction*>()) {
            if (action->isSeparator() || action->objectName().isEmpty()) continue;
            if (IsOwnedBy(action, &window.PCoAViewer())) continue;  // the viewer's own popup menu
            QVERIFY2(!names.contains(action->objectName()), qPrintable(action->objectName()));
            names.insert(action->objectName());
            QCOMPARE(window.Action(action->objectName()), action);
            if (action->menu() != nullptr) continue;
            ++items;
            QVERIFY2(action->isEnabled() == commands.contains(action->objectName()), qPrintable(action->objectName()));
        }
        QVERIFY(items > 100);
        QVERIFY(window.Action(QStringLiteral("DevMode")) == nullptr);
    }

    void connectedCommandIsEnabledAndAnExceptionBecomesAnErrorAndIdle() {
        TMainPrg window;
        QtUiPort port(window);
        InstalledPort installed(port);
        const QString item = ItemWithoutCommand(window);
        if (item.isEmpty()) QSKIP("every item has a command");
        int runs = 0;
        window.ConnectCommand(item, [&runs] {
            ++runs;
            SetStatusCalculating();
            throw std::runtime_error("disk on fire");
        });
        QAction* action = window.Action(item);
        action->setVisible(true);  // a hidden action cannot be triggered
        QVERIFY(action->isEnabled());

        QString text;
        QString caption;
        const int errorsBefore = ErrorCounter;
        AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
        action->trigger();
        QCOMPARE(runs, 1);
        QCOMPARE(caption, QStringLiteral("Error"));
        QVERIFY(text.contains(QStringLiteral("disk on fire")));
        QCOMPARE(ErrorCounter, errorsBefore + 1);
        QCOMPARE(window.StatusPanel(MessageArea::PanelState), QStringLiteral("Idle"));
    }

    void messageAreaShowsTheLastSixLinesAndTheStatusBarItsFivePanels() {
        TMainPrg window;
        QtUiPort port(window);
        InstalledPort installed(port);
        window.show();
        for (int i = 1; i <= 8; ++i) WriteMsg("line " + std::to_string(i) + " ...");
        WriteMsgDone();
        for (std::size_t i = 0; i < 6; ++i) {
            auto* label = window.findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 1));
            QVERIFY(label != nullptr);
            QCOMPARE(label->textFormat(), Qt::PlainText);
            const QString expected = QStringLiteral("line %1 ...").arg(i + 3) + (i == 5 ? QStringLiteral("done.") : QString());
            QCOMPARE(label->text(), expected);
        }
        SetStatusFileName("/data/some/folder/a_rather_long_data_file_name_2013.txt");
        SetStatusBusyIO();
        QCOMPARE(window.StatusPanel(MessageArea::PanelFile), QStringLiteral("..g_data_file_name_2013.txt"));
        QCOMPARE(window.StatusPanel(MessageArea::PanelState), QStringLiteral("Busy: I/O"));
        const QList<QLabel*> panels = window.statusBar()->findChildren<QLabel*>();
        int shown = 0;
        for (QLabel* panel : panels)
            if (panel->objectName().startsWith(QStringLiteral("StatusPanel"))) ++shown;
        QCOMPARE(shown, 5);
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("StatusPanel1"))->width(), 230);
        // Group names are the user's text, never markup.
        for (int i = 0; i < 5; ++i)
            QCOMPARE(window.findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i))->textFormat(), Qt::PlainText);
        SetStatusIdle();
    }

    void logCaptionFollowsTheLoggingState() {
        TMainPrg window;
        window.SetLoggingCaption(true);
        QCOMPARE(window.Action(QStringLiteral("Turnlogon1"))->text(), QStringLiteral("&Turn log off"));
        window.SetLoggingCaption(false);
        QCOMPARE(window.Action(QStringLiteral("Turnlogon1"))->text(), QStringLiteral("&Turn log on"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
