// The road from the menus through a file of 20 replicate trees: majority-rule consensus into the
// consensus file, viewing that file, and the clusters of the trees loaded as a data matrix.
#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <string>
#include <vector>

#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui_test_util.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/settings.h"

namespace {

// The window's own port, except that the self-check boxes are answered and recorded here and the
// files handed to a viewer are recorded instead of opened.
class ViewerRecordingPort final : public UiPort {
public:
    explicit ViewerRecordingPort(TMainPrg& window) : qt_(window) {}
    int ShowMessageBox(std::string_view text, std::string_view caption, int style) override {
        if (caption == "Warning") {
            warnings.emplace_back(text);
            return kAnswerYes;
        }
        if (caption != "TEST") return qt_.ShowMessageBox(text, caption, style);
        checks.emplace_back(text);
        return kAnswerOk;
    }
    void SetMessageLines(const MessageLines& lines) override { qt_.SetMessageLines(lines); }
    void SetStatusPanel(std::size_t panel, std::string_view text) override { qt_.SetStatusPanel(panel, text); }
    bool OpenFileInViewer(const std::string& fileName, std::string& /*reason*/) override {
        viewed.push_back(fileName);
        return true;
    }
    std::vector<std::string> checks;
    std::vector<std::string> warnings;
    std::vector<std::string> viewed;

private:
    QtUiPort qt_;
};

}  // namespace

class ConsensusRoadTest : public QObject {
    Q_OBJECT

private slots:
    void consensusViewerAndClusterMatrixFromTheMenus() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        RestoreDefaultSettings();
        const std::string root = dir.path().toStdString();
        AnalysisFileName = root + "/analysis.txt";
        ConsensusInFileName = root + "/outtree.ph";
        ConsensusOutFileName = root + "/constree.ph";
        OverwriteMode = 1;
        {
            QFile trees(QString::fromStdString(ConsensusInFileName));
            QVERIFY(trees.open(QIODevice::WriteOnly));
            for (int i = 0; i < 20; ++i)
                trees.write(i < 14 ? "((A:1,B:1):1,((C:1,D:1):1,(E:1,F:1):1):1)BsJaccard;\r\n"
                                   : "((A:1,C:1):1,((B:1,D:1):1,(E:1,F:1):1):1)BsJaccard;\r\n");
        }

        TMainPrg window;
        ViewerRecordingPort port(window);
        InstalledPort installed(port);
        window.show();
        WriteMsg("Welcome");

        window.Action(QStringLiteral("MajorityRuleConsensus1"))->trigger();
        QCOMPARE(window.MessageLine(1), QStringLiteral("Building majority rule consensus... done."));
        const QString line = QStringLiteral("(((C,D)70,(E,F)100)70,(A,B)70)100;\r\n");
        QCOMPARE(ReadAll(QString::fromStdString(ConsensusOutFileName)), line + line);
        QCOMPARE(port.checks, (std::vector<std::string>{"Consensus OK"}));
        QVERIFY(ReadAll(QString::fromStdString(AnalysisFileName))
                    .startsWith(QStringLiteral("Clusters found during Majority Rule Consensus construction")));
        QCOMPARE(window.StatusPanel(MessageArea::PanelTrees),
                 QStringLiteral("..") + QString::fromStdString(ConsensusOutFileName).right(14));

        window.Action(QStringLiteral("ConsensusTreeFile1"))->trigger();
        QCOMPARE(port.viewed, (std::vector<std::string>{ConsensusOutFileName}));
        QCOMPARE(window.MessageLine(2), QStringLiteral("Viewing tree(s) in the consensus tree file"));

        std::string offered;
        SetFileDialogAnswer([&offered](const std::string&, const std::string& name) {
            offered = name;
            return ConsensusInFileName;
        });
        window.Action(QStringLiteral("Binarymatrixfromclustersintrees1"))->trigger();
        SetFileDialogAnswer({});
        QCOMPARE(offered, ConsensusInFileName);
        QCOMPARE(window.MessageLine(3), QStringLiteral("Loading trees and creating binary tree-tree matrix...done."));
        QVERIFY(DataSet != nullptr);
        QCOMPARE(window.StatusPanel(MessageArea::PanelDataMatrix), QStringLiteral("Original (tree) data [20 x 8]"));
        QCOMPARE(window.StatusPanel(MessageArea::PanelFile), QStringLiteral("outtree.ph"));
        QCOMPARE(DataSet->GetCurrLayer().IndNames.front(), std::string("Tree1"));
        QCOMPARE(DataSet->GetCurrLayer().LocNames.back(), std::string("Cluster8"));

        // R-support on the loaded clusters, after the warning was answered Yes. The matrix has no
        // missing cells, so every r gives the same trees.
        RTo = 8;
        TRReplicates = 3;
        window.Action(QStringLiteral("EstimateRsupport1"))->trigger();
        QCOMPARE(port.warnings.size(), std::size_t{1});
        QVERIFY(port.warnings[0].rfind("This is a very resource-intensive process", 0) == 0);
        QCOMPARE(window.MessageLine(4), QStringLiteral("Estimating R support...done."));
        const QStringList lines = ReadAll(QString::fromStdString(ConsensusOutFileName)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4);  // two consensus lines, the Rx-consensus, the end
        QVERIFY(lines[2].endsWith(QStringLiteral("R0.0;")));
        FreeDataSet();
    }
};

QTEST_MAIN(ConsensusRoadTest)
#include "consensus_road_test.moc"
