#pragma once
// "Options and Settings": the program's settings on seventeen pages. A page is filled from the
// settings when it is shown and stored when the user leaves it with consent or presses OK; a page
// is checked whole before anything of it is stored, so a refused value changes nothing.

#include <QDialog>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/types.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QVBoxLayout;
class QWidget;

class TTeskOptions : public QDialog {
    Q_OBJECT
public:
    explicit TTeskOptions(QWidget* parent = nullptr);

    static constexpr int kPageCount = 17;
    // The tab captions as stored ("&&" shows as one ampersand).
    static const std::array<const char*, kPageCount> kPageCaptions;

    // Fills the page's controls from the settings.
    void SetUpPage(int page);
    // Checks the page's controls and, when every value is accepted, stores them and logs the page;
    // failed is true (and nothing is stored) when a value was refused.
    void AcceptChange(int page, bool& failed);
    int CurrentPage() const { return page_; }
    // Shows that page, filled from the settings, without asking about the page in front.
    void OpenOnPage(int page);

    // The file-name buttons of the I/O page.
    enum FileButton {
        AnalysisFile,
        TreeFile,
        ConsensusInFile,
        ConsensusOutFile,
        LogFile,
        RScriptFile,
        RscriptInterpreter,
        RPlotFile,
        kFileButtonCount
    };

    QTabWidget* PageControl1;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    // 0 Missing data replacement
    QRadioButton* MDAbsencesBtn;
    QRadioButton* MDPresencesBtn;
    QRadioButton* MDFractionBtn;
    QLineEdit* MDFractionEdit;
    // 1 Shannon scaling
    QButtonGroup* ShannonFreqGroup;
    QButtonGroup* ShannonBaseGroup;
    QLineEdit* ShannonAEdit;
    // 2 (Dis)Similarity coefficients
    QButtonGroup* CoefficientGroup;
    QLineEdit* NeiLiREdit;
    QCheckBox* SimOutputBox;
    QCheckBox* DistOutputBox;
    QLineEdit* JCDrawsEdit;
    // 3 Distance transformation
    QLabel* TransformCoefficientLabel;
    QButtonGroup* TransformGroup;
    // 4 Trees, 5 Consensus trees
    QButtonGroup* TreeTypeGroup;
    QLineEdit* MRThresholdEdit;
    // 6 R-support
    QLineEdit* RFromEdit;
    QLineEdit* RToEdit;
    QLineEdit* RPrecisionEdit;
    QLineEdit* RMRThresholdEdit;
    QLineEdit* RxThresholdEdit;
    QCheckBox* ROutputInconsistentBox;
    QCheckBox* ROutputConsensusBox;
    QCheckBox* RStopBox;
    QLineEdit* RStopEdit;
    QLabel* RStopUnit;
    // 7 AMOVA
    QLabel* AmovaCoefficientLabel;
    QButtonGroup* AmovaMethodGroup;
    QCheckBox* AmovaRandomBox;
    QLineEdit* AmovaRandomEdit;
    QCheckBox* LocByLocBox;
    // 8 PCoA
    QLineEdit* PCoAIterationsEdit;
    QLineEdit* PCoAPrecisionEdit;
    QCheckBox* PCoAAutostartBox;
    QCheckBox* PCoACentroidsBox;
    // 9 Allele frequencies, 10 Population distance
    QButtonGroup* AlleleFreqGroup;
    QLineEdit* CorrFactorEdit;
    QLabel* PopDistFreqLabel;
    QButtonGroup* PopDistGroup;
    // 11 I/O options
    QLabel* SystemLabel;
    QLabel* ProcessorLabel;
    QLabel* InstructionSetsLabel;
    QLineEdit* ParallelEdit;
    QCheckBox* ShowWarningsBox;
    QCheckBox* WriteSpecsBox;
    QCheckBox* TrustSpecsBox;
    QButtonGroup* RoundModeGroup;
    QButtonGroup* OverwriteGroup;
    QLabel* AppPathLabel;
    std::array<QLabel*, kFileButtonCount> FileLabels{};
    std::array<QPushButton*, kFileButtonCount> FileButtons{};
    QPushButton* RscriptAutoButton;
    // 14 Bootstrapping & Replicates
    QLineEdit* BSEdit;
    QLineEdit* TREdit;
    QLineEdit* SHEdit;
    QCheckBox* RMDBox;
    QCheckBox* Sh2FileBox;
    QCheckBox* ShannonZeroBox;
    // 15 Weights, 16 Population reallocation
    QButtonGroup* WeightsGroup;
    QLineEdit* MLDEdit;
    QButtonGroup* CorrectionGroup;
    QLineEdit* EpsilonEdit;

private:
    // A value an edit of the page passed with.
    struct Entered {
        const QLineEdit* edit;
        std::int64_t integer;
        Extended number;
    };

    // The pages from the table of their fields (options_dialog.cpp), which SetUpPage and
    // AcceptChange walk too; the Own... routines do what is particular to a page.
    void BuildPages();
    void BuildOwnControls(int page, QWidget* parent, QVBoxLayout* layout);
    void SetUpOwnControls(int page);
    std::string StoreOwnControls(int page, const std::vector<Entered>& entered);
    // Before another tab is shown: asks "Accept changes?"; the tab changes only after No or an
    // accepted page.
    void PageControl1Changing(int newPage);
    void Button1Click();  // OK
    void ChooseFile(FileButton button);
    void FindRscript();
    void ShowFileNames();

    int page_ = 0;
};

// Selects the page, fills it and shows the dialog modally.
void DisplayOptions(TTeskOptions& dialog, int page);
