#include "gui/main_window.h"

#include <QAction>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include <vector>

#include "gui/command_box.h"
#include "gui/count_import_dialog.h"
#include "gui/file_param_dialog.h"
#include "gui/group_manager.h"
#include "gui/hybrid_index_dialog.h"
#include "gui/menu_commands.h"
#include "gui/options_dialog.h"
#include "gui/pcoa_viewer.h"
#include "gui/pwic_dialog.h"
#include "gui/qt_text.h"
#include "gui/ttest_dialog.h"
#include "shell/commands.h"
#include "shell/filter_commands.h"
#include "shell/global_dataset.h"
#include "shell/reporting.h"
#include "shell/program_identity.h"

namespace {

// The menu tree, in display order. Level 0 entries are the menu bar's menus; an entry followed by
// entries one level deeper is a submenu. "-" is a separator.
struct MenuEntry {
    int level;
    const char* name;
    const char* caption;
    bool hidden = false;
    bool developer = false;  // only in a developer build
};

const std::vector<MenuEntry> kMenuTree = {
    {0, "File1", "&File"},
    {1, "Load1", "&Load"},
    {1, "LoadfromClipboard1", "Load from &Clipboard"},
    {1, "SaveDataMatrix1", "&Save DataMatrix"},
    {1, "Import1", "&Import..."},
    {2, "ImportDistanceMatrix1", "&Import Distance Matrix"},
    {2, "Binarymatrixfromclustersintrees1", "&Binary matrix from clusters in trees"},
    {2, "Importfromcountdata1", "Import from &count data (tab-separated)"},
    {1, "SelectFileNames1", "Select File &Names"},
    {2, "SelectAnalysisOutputFile1", "Select &Analysis Output File"},
    {2, "SelectTreeOutputFile1", "Select &Tree Output File"},
    {2, "SelectConsensusTreeInputFile1", "Select Consensus Tree Input File"},
    {2, "SelectConsensusTreeOutputFile1", "Select Consensus Tree Output File"},
    {2, "SelectLogFile1", "Select Log File"},
    {1, "Export1", "&Export"},
    {2, "Nexus1", "&Nexus"},
    {2, "ArlequinProject1", "&Arlequin Project"},
    {2, "TabdelimitedtextR1", "Tab-delimited text / &R "},
    {2, "GenePop1", "&GenePop"},
    {2, "NTSyspc1", "NTS&yspc"},
    {2, "ListofOTUs1", "List of &OTUs"},
    {2, "SynTax1", "SynTa&x"},
    {2, "hindex1", "&hindex"},
    {2, "Structure1", "&Structure"},
    {2, "HickoryNexus1", "Hic&kory (Nexus)"},
    {2, "Dfdist1", "&Dfdist"},
    {2, "BayeScan1", "&BayeScan"},
    {2, "AFLPDat1", "A&FLPDat"},
    {2, "AFLPSurv1", "AFLPSur&v", !DevMode},
    {2, "AFLPop1", "AF&LPop"},
    {2, "Phylipdistancematrix1", "&Phylip distance matrix"},
    {1, "Turnlogon1", "&Turn log on"},
    {1, "Exit1", "E&xit"},

    {0, "DataMatrix1", "&DataMatrix"},
    {1, "RestoreOriginalMatrix1", "Restore &Original Matrix"},
    {1, "MatrixStatistics1", "Matrix &Statistics"},
    {1, "MissingDataStatistics1", "&Missing Data Statistics"},
    {1, "CountBands1", "&Count Bands..."},
    {2, "MeanNumberofBandsPerIndividual1", "&Mean Number of Bands Per Individual"},
    {2, "PolymorphicBands1", "Pol&ymorphic Bands"},
    {2, "FixedBands1", "&Fixed Bands"},
    {2, "PrivateBands1", "&Private Bands"},
    {2, "FixedPrivateBands1", "Fi&xed Private Bands"},
    {1, "FrequencyStatistics1", "&Frequency Statistics"},
    {2, "FrequenciesperIndividuals1", "Frequencies per &Individuals"},
    {2, "FrequenciesperLoci1", "Frequencies per &Loci"},
    {1, "ReplaceMissingData1", "&Replace Missing Data"},
    {1, "ResampleLoci1", "Resample Loci (&Bootstrap Replicate)"},
    {1, "RemoveIndividuals1", "Remove &Individuals..."},
    {2, "RemoveIndivMissing1", "With &Missing Data..."},
    {2, "RemoveIndivFreqBelow1", "With Band Frequency &Below..."},
    {2, "RemoveIndivFreqAbove1", "With Band Frequency Abo&ve..."},
    {1, "RemoveLoci1", "Remove &Loci..."},
    {2, "RemoveLociMissing1", "With &Missing Data..."},
    {2, "RemoveMonomorphic1", "Mo&nomorphic..."},
    {2, "RemoveMonoAbsences1", "Monomorphic &Absences..."},
    {2, "RemoveMonoPresences1", "Monomorphic &Presences"},
    {2, "RemoveLociFreqBelow1", "With Band Frequency &Below..."},
    {2, "RemoveLociFreqAbove1", "With Band Frequency Abo&ve..."},
    {2, "RemoveLociMoreMissing1", "With mo&re Missing Data than Presences"},
    {1, "PairwiseIndividualComparison1", "Pair&wise Individual Comparison"},
    {1, "", "-"},
    {1, "GroupManager1", "&Group Manager"},
    {1, "SelectGroupOnly1", "Select Group &Only"},
    {2, "AllData1", "AllData"},
    {1, "SelectLocusSetOnly1", "Select Locus&Set Only"},
    {2, "AllLoci1", "AllLoci"},
    {1, "GroupbasedProfiles1", "Group-based &Profiles"},
    {2, "AdditiveBandProfile1", "&Additive Band Profile"},
    {2, "FixedBandProfile1", "&Fixed Band Profile"},

    {0, "Analysis1", "&Analysis"},
    {1, "StandardSimilarity1", "Stan&dard Similarity"},
    {1, "MinimumSimilarity1", "Mi&nimum Similarity"},
    {1, "MaximumSimilarity1", "Ma&ximum Similarity"},
    {1, "AverageSimilarity1", "&Average Similarity"},
    {1, "", "-"},
    {1, "NullAlleleFrequencies1", "Null Allele &Frequencies"},
    {2, "Squareroot1", "Square &root"},
    {2, "LynchMilligan1", "&Lynch-Milligan"},
    {2, "BayesianUniform1", "Bayesian (&uniform prior)"},
    {2, "BayesianAmongPopulation1", "&Bayesian (among-population prior)"},
    {2, "BayesianAmongLocus1", "Bayesian (among-lo&cus prior)"},
    {1, "ShannonsIndex1", "&Shannon's Index"},
    {1, "N9", "ML &Hybrid Index"},
    {1, "MLPopulationReallocation1", "ML Population &Reallocation"},
    {1, "AMOVA1", "AMO&VA"},
    {1, "PairwisePhiST1", "Pair&wise PhiST"},
    {1, "PopulationDistance1", "&Population Distance"},

    {0, "Trees1", "&Trees"},
    {1, "UPGMA1", "&UPGMA"},
    {1, "NeighbourJoining1", "&Neighbour Joining"},
    {1, "", "-"},
    {1, "StrictConsensus1", "&Strict Consensus"},
    {1, "MajorityRuleConsensus1", "&Majority Rule Consensus"},
    {1, "", "-"},
    {1, "PrincipalCoordinateAnalysis1", "&Principal Coordinate Analysis"},

    {0, "ReplicateAnalyses1", "&Replicate Analyses"},
    {1, "BootstrapShannonsVariance1", "Bootstrap Shannon's &Variance (SH+RMD)"},
    {1, "BootstrapShannonsVarianceAtN1", "Bootstrap Shannon's Variance @ NIndiv"},
    {1, "", "-"},
    {1, "BootstrapStdTree1", "Bootstrap St&d. Tree (BS+RMD)"},
    {1, "MultipleAvgTrees1", "Multiple &Avg. Trees (TR+JC)"},
    {1, "BootstrapAvgTrees1", "&Bootstrap Avg. Trees (BS+JC)"},
    {1, "", "-"},
    {1, "BootstrapPopulationTree1", "Bootstrap &Population Tree"},
    {1, "", "-"},
    {1, "EstimateRsupport1", "Estimate &R-support (TR)"},
    {1, "tests1", "Shannon &t-tests"},

    {0, "View1", "&View"},
    {1, "InputFile1", "&Input File"},
    {1, "AnalysisFile1", "&Analysis File"},
    {1, "TreeFile1", "&Tree File"},
    {1, "ConsensusTreeFile1", "&Consensus Tree File"},
    {1, "PCoA3DViewer1", "&PCoA 3D Viewer"},
    {1, "LogFile1", "&Log File"},
    {1, "PlotwithRandView1", "Plot  with &R and View"},
    {1, "LastRPlot1", "La&st R Plot"},

    {0, "Options1", "&Options"},
    {1, "OptMissingDataReplacement1", "&Missing data replacement"},
    {1, "OptShannonScaling1", "&Shannon scaling"},
    {1, "OptCoefficients1", "(Dis)Similarity &Coefficients"},
    {1, "OptDistanceTransformation1", "&Distance Transformation"},
    {1, "OptCharacterWeights1", "Character &Weights"},
    {1, "OptBootstrapping1", "&Bootstrapping && Replicates"},
    {1, "OptTrees1", "&Trees"},
    {1, "OptConsensusTrees1", "Co&nsensus Trees"},
    {1, "OptRSupport1", "&R-Support"},
    {1, "OptAMOVA1", "&AMOVA"},
    {1, "OptPCoA1", "PC&oA"},
    {1, "OptAlleleFrequencies1", "Allele &Frequencies"},
    {1, "OptPopulationDistances1", "&Population distances"},
    {1, "OptIO1", "&I/O Options"},
    {1, "OptProject1", "Pro&ject"},
    {1, "OptPopulationReallocation1", "Population reallocation"},

    {0, "Help1", "&Help"},
    {1, "About1", "&About"},
    {1, "Citation1", "&Citation"},
    {1, "Version1", "&Version"},
    {1, "Checkfornewversion1", "Check for &new version"},
    {1, "HelpFile1", "&Help"},

    {0, "DevMode1", "DevMode", false, true},
    {1, "OptionsOLD1", "O&ptionsOLD", false, true},
    {2, "OldCoefficients1", "&Coefficients", false, true},
    {2, "OldTransformations1", "&Transformations", false, true},
    {2, "OldTrees1", "T&rees", false, true},
    {2, "OldBootstrapping1", "&Bootstrapping", false, true},
    {2, "InstallUninstallExcelPlugin1", "Install/Uninstall E&xcel Plugin", false, true},
    {1, "AllDMsTrees1", "AllDMs>Trees", false, true},
    {1, "CoordsDM1", "Coords>DM", false, true},
    {1, "pwRdm1", "pwR(dm)", false, true},
    {1, "avgind2pop1", "avgind2pop", false, true},
    {1, "TestTHings1", "Test THings...", false, true},
};

}  // namespace

TMainPrg::TMainPrg(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainPrg"));
    setWindowTitle(ToQt(MainWindowCaption()));
    BuildMenu();
    BuildMessageArea();
    BuildStatusBar();
    SetMessageLines(TheMessageArea().Lines());
    for (std::size_t i = 0; i < MessageArea::kPanelCount; ++i) SetStatusPanel(i, TheMessageArea().PanelText(i));

    hinExpFilt_ = new THinExpFilt(this);
    cntDataImportForm_ = new TCntDataImportForm(this);
    pwicDlg_ = new TpwicDlg(this);
    tTestDlg_ = new TtTstDlg(this);
    pcoaViewer_ = new TTeskPlot(this);
    teskOptions_ = new TTeskOptions(this);
    grpManDlg_ = new TGrpManDlg(this);
    fileParamDialog_ = new TFileParamDialog(this);

    ConnectMenuCommands(*this);
    AddDeveloperTools(*this);
    // Wide enough for the status panels and a full progress line, tall enough for six lines.
    resize(860, sizeHint().height());
}

void TMainPrg::BuildMenu() {
    // The menu that receives entries of each level; a deeper entry goes into the last submenu made.
    std::vector<QMenu*> parents;
    for (std::size_t i = 0; i < kMenuTree.size(); ++i) {
        const MenuEntry& entry = kMenuTree[i];
        if (entry.developer && !DevMode) continue;
        const QString name = QString::fromLatin1(entry.name);
        const QString caption = QString::fromLatin1(entry.caption);
        const bool hasChildren = i + 1 < kMenuTree.size() && kMenuTree[i + 1].level > entry.level;
        parents.resize(static_cast<std::size_t>(entry.level));
        if (entry.level == 0) {
            QMenu* menu = menuBar()->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            actions_.insert(name, menu->menuAction());
            parents.push_back(menu);
            continue;
        }
        QMenu* parentMenu = parents.back();
        if (caption == QLatin1String("-")) {
            parentMenu->addSeparator();
            continue;
        }
        QAction* action;
        if (hasChildren) {
            QMenu* submenu = parentMenu->addMenu(caption);
            submenu->setObjectName(name);
            action = submenu->menuAction();
            parents.push_back(submenu);
        } else {
            action = parentMenu->addAction(caption);
            action->setEnabled(false);  // until a command is connected
        }
        action->setObjectName(name);
        action->setVisible(!entry.hidden);
        actions_.insert(name, action);
    }
}

void TMainPrg::BuildMessageArea() {
    auto* area = new QFrame(this);
    area->setObjectName(QStringLiteral("MessageArea"));
    area->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    area->setAutoFillBackground(true);
    area->setBackgroundRole(QPalette::Base);
    const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(4);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto* label = new QLabel(area);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setTextFormat(Qt::PlainText);
        label->setFont(mono);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // A long line is cut at the window's edge instead of widening the window.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        label->setMinimumHeight(label->fontMetrics().height());
        layout->addWidget(label);
        lines_[i] = label;
    }
    layout->addStretch(1);  // extra height goes below the six lines
    setCentralWidget(area);
}

void TMainPrg::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setTextFormat(Qt::PlainText);
        panel->setAlignment(Qt::AlignCenter);
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setFixedWidth(MessageArea::kPanelWidths[i]);
        bar->addWidget(panel);
        panels_[i] = panel;
    }
}

QAction* TMainPrg::Action(const QString& objectName) const { return actions_.value(objectName, nullptr); }

void TMainPrg::ConnectCommand(const QString& objectName, std::function<void()> handler) {
    QAction* action = Action(objectName);
    if (action == nullptr) return;
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { RunCommand(handler); });
    action->setEnabled(true);
}

void TMainPrg::UpdateMenuQuickGroupSel() {
    QStringList groups, locusSets;
    if (DataSet) {
        for (std::size_t g = 1; g < DataSet->Groups.size(); ++g)
            groups << ToQt(GroupDisplayName(DataSet->Groups[g].Name));
        for (std::size_t l = 1; l < DataSet->LocusSets.size(); ++l) locusSets << ToQt(DataSet->LocusSets[l].Name);
    }
    RebuildQuickMenu(QStringLiteral("SelectGroupOnly1"), quickGroupItems_, groups, true);
    RebuildQuickMenu(QStringLiteral("SelectLocusSetOnly1"), quickLocusSetItems_, locusSets, false);
}

void TMainPrg::RebuildQuickMenu(const QString& submenuName, std::vector<QAction*>& added, const QStringList& captions,
                                bool groups) {
    QAction* submenuAction = Action(submenuName);
    QMenu* submenu = submenuAction != nullptr ? submenuAction->menu() : nullptr;
    if (submenu == nullptr) return;
    for (auto it = added.rbegin(); it != added.rend(); ++it) {
        submenu->removeAction(*it);
        delete *it;
    }
    added.clear();
    for (const QString& caption : captions) {
        // A name is shown as it stands: '&' would otherwise mark a shortcut.
        QAction* item = submenu->addAction(QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setObjectName(submenuName + QStringLiteral("Item%1").arg(added.size() + 1));
        connect(item, &QAction::triggered, this, [submenu, item, groups] {
            RunCommand([submenu, item, groups] {
                if (!DataSet) return;
                const auto position = static_cast<std::int32_t>(submenu->actions().indexOf(item));
                if (position < 0) ShowError(groups ? "Program Error: .GEH" : "Program Error: .LEH");
                else if (groups) CmdSelectGroup(position);
                else CmdSelectLocusSet(position);
            });
        });
        added.push_back(item);
    }
}

void TMainPrg::SetLoggingCaption(bool loggingOn) {
    if (QAction* action = Action(QStringLiteral("Turnlogon1")))
        action->setText(loggingOn ? QStringLiteral("&Turn log off") : QStringLiteral("&Turn log on"));
}

void TMainPrg::SetMessageLines(const std::array<std::string, MessageArea::kLineCount>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) lines_[i]->setText(ToQt(lines[i]));
}

void TMainPrg::SetStatusPanel(std::size_t panel, std::string_view text) {
    if (panel >= panels_.size()) return;
    panels_[panel]->setText(ToQt(text));
    if (isVisible()) repaint();
}

QString TMainPrg::MessageLine(std::size_t index) const {
    return index < lines_.size() ? lines_[index]->text() : QString();
}

QString TMainPrg::StatusPanel(std::size_t panel) const {
    return panel < panels_.size() ? panels_[panel]->text() : QString();
}
