#include "gui/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>
#include <string_view>
#include <thread>

#include "foundation/code.h"
#include "foundation/cpu_dispatch.h"
#include "foundation/number_text.h"
#include "foundation/os_facts.h"
#include "foundation/strict_number.h"
#include "foundation/thread_pool.h"
#include "gui/dialog_buttons.h"
#include "gui/file_dialogs.h"
#include "gui/qt_text.h"
#include "popgen/codes.h"
#include "popgen/pair_count.h"
#include "shell/file_name_commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/program_files.h"
#include "shell/r_commands.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

const std::array<const char*, TTeskOptions::kPageCount> TTeskOptions::kPageCaptions = {"Missing data replacement",
                                                                                       "Shannon scaling",
                                                                                       "(Dis)Similarity coefficients",
                                                                                       "Distance transformation",
                                                                                       "Trees",
                                                                                       "Consensus trees",
                                                                                       "R-support",
                                                                                       "AMOVA",
                                                                                       "PCoA",
                                                                                       "Allele frequencies",
                                                                                       "Population distance",
                                                                                       "I/O options",
                                                                                       "[Unused]",
                                                                                       "Project",
                                                                                       "Bootstrapping && Replicates",
                                                                                       "Weights",
                                                                                       "Population reallocation"};

namespace {

std::string Text(const QLineEdit* edit) { return FromQt(edit->text()); }

// A number as an edit shows it: in the page's format when that reads back as the same value, else in
// the shortest form that does, so that OK on an unchanged page never changes the setting.
QString NumberText(Extended x, int width, int decimals) {
    std::string text = ExtToStrF(x, width, decimals);
    const std::size_t start = text.find_first_not_of(' ');
    text.erase(0, start == std::string::npos ? text.size() : start);
    Extended back = 0.0L;
    if (!ParseStrictFloat(text, back) || back != x) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
        if (result.ec == std::errc()) text.assign(buffer, result.ptr);
    }
    return ToQt(text);
}

QString IntText(std::int64_t value) { return ToQt(IntToStr(value)); }

// Checks a page's fields in order and keeps the first refusal; nothing is stored until every field
// passed. A refusal is reported with the field's caption.
class PageCheck {
public:
    // An integer within [lo, hi]; message when the text is no integer or lies outside.
    std::int64_t Integer(const QLineEdit* edit, std::string_view field, std::string_view message, std::int64_t lo,
                         std::int64_t hi) {
        if (failed_) return lo;
        std::int64_t value = 0;
        if (!ParseStrictInteger(Text(edit), value)) {
            Refuse(message, field, {});
            return lo;
        }
        if (value < lo || value > hi) Refuse(message, field, "an integer from " + IntToStr(lo) + " to " + IntToStr(hi));
        return value;
    }
    // A number; message when the text is none. ok tests the range, which rangeText describes.
    Extended Number(const QLineEdit* edit, std::string_view field, std::string_view message,
                    bool (*ok)(Extended) = nullptr, std::string_view rangeText = {},
                    std::string_view rangeMessage = {}) {
        if (failed_) return 0.0L;
        Extended value = 0.0L;
        if (!ParseStrictFloat(Text(edit), value)) {
            Refuse(message, field, {});
            return 0.0L;
        }
        if (ok != nullptr && !ok(value))
            Refuse(rangeMessage.empty() ? message : rangeMessage, field, std::string(rangeText));
        return value;
    }
    void Refuse(std::string_view message, std::string_view field, const std::string& range) {
        if (failed_) return;
        failed_ = true;
        text_ = std::string(message) + "\r\nField: " + std::string(field);
        if (!range.empty()) text_ += " (" + range + ")";
    }
    // Reports the refusal; true when there was one.
    bool Failed() const {
        if (failed_) ShowError(text_);
        return failed_;
    }

private:
    bool failed_ = false;
    std::string text_;
};

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

QGroupBox* RadioGroup(QWidget* parent, const char* title, std::initializer_list<const char*> items,
                      QButtonGroup*& group, const char* objectName) {
    auto* box = new QGroupBox(QString::fromUtf8(title), parent);
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    group->setObjectName(QString::fromLatin1(objectName));
    int id = 0;
    for (const char* item : items) {
        auto* button = new QRadioButton(QString::fromUtf8(item), box);
        group->addButton(button, id++);
        layout->addWidget(button);
    }
    return box;
}

// Checks item id; an id without an item leaves none checked.
void CheckItem(QButtonGroup* group, int id) {
    if (QAbstractButton* button = group->button(id)) {
        button->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) button->setChecked(false);
    group->setExclusive(true);
}

QLineEdit* Edit(QWidget* parent, const char* objectName) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

QCheckBox* Box(QWidget* parent, const char* caption) { return new QCheckBox(QString::fromUtf8(caption), parent); }

// A caption with its edit (and a unit) on one line.
QHBoxLayout* Row(QWidget* parent, const char* caption, QLineEdit* edit, const char* unit = nullptr) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QString::fromUtf8(caption), parent));
    row->addWidget(edit);
    if (unit != nullptr) row->addWidget(new QLabel(QString::fromUtf8(unit), parent));
    row->addStretch(1);
    return row;
}

std::uint8_t Flag(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

std::string YesNo(int flag) { return flag == 1 ? "yes." : "no."; }

// The summary's coefficient names.
constexpr std::array<const char*, 6> kSummaryCoefficientNames = {"Jaccard", "Dice",      "SMC",
                                                                 "NeiLi",   "Euclidean", "Sq.Euclidean"};

// A file name as the I/O page shows it: without the working folder, where the files go.
QString ShownFileName(const std::string& name) { return ToQt(NameInWorkingFolder(name)); }

std::string ProcessorText() {
    TCPUInfo info{};
    GetCPUInfo(info);
    const unsigned logical = std::thread::hardware_concurrency();
    std::string text =
        std::string("Processor: ") + (sizeof(void*) == 8 ? "64bit" : "32bit") + " " + info.VendorString();
    if (info.FPU == 1) text += " with FPU";
    if (logical > 1) text += ". Multicore CPU.";
    text += ". " + UIntToStr(logical) + " log. processors.";
    return text;
}

std::string InstructionSetsText() {
    TCPUInfo info{};
    GetCPUInfo(info);
    static constexpr std::array<const char*, 7> kSSE = {
        " no SSE", " SSE", " SSE2", " SSE3", " SSSE3", " SSE4.1", " SSE4.2 (or higher)"};
    std::string text = "Instruction sets: ";
    if (info.FPU == 1) text += "FPU";
    if (info.MMX == 1) text += " MMX";
    if (info.SSELevel < kSSE.size()) text += kSSE[info.SSELevel];
    return text + ".";
}

}  // namespace

TTeskOptions::TTeskOptions(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Options and Settings"));
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    BuildPages();
    connect(PageControl1, &QTabWidget::currentChanged, this, &TTeskOptions::PageControl1Changing);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    OkButton = buttons.ok;
    CancelButton = buttons.cancel;
    connect(OkButton, &QPushButton::clicked, this, &TTeskOptions::Button1Click);
    // Cancel, Escape and the window's close button all reject: the current page is not stored.
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addWidget(buttons.box);
}

void TTeskOptions::BuildPages() {
    QWidget* pages[kPageCount];
    QVBoxLayout* lay[kPageCount];
    for (int p = 0; p < kPageCount; ++p) {
        pages[p] = new QWidget(PageControl1);
        lay[p] = new QVBoxLayout(pages[p]);
    }

    // 0
    QWidget* w = pages[0];
    MDAbsencesBtn = new QRadioButton(QStringLiteral("Replace all missing data with absences"), w);
    MDPresencesBtn = new QRadioButton(QStringLiteral("Replace all missing data with presences"), w);
    MDFractionBtn = new QRadioButton(QStringLiteral("Missing data which will be replaced by presences:"), w);
    MDFractionEdit = Edit(w, "MDFractionEdit");
    MDFractionEdit->setMaxLength(2);
    lay[0]->addWidget(MDAbsencesBtn);
    lay[0]->addWidget(MDPresencesBtn);
    {
        auto* row = new QHBoxLayout;
        row->addWidget(MDFractionBtn);
        row->addWidget(MDFractionEdit);
        row->addWidget(new QLabel(QStringLiteral("%"), w));
        row->addStretch(1);
        lay[0]->addLayout(row);
    }

    // 1
    w = pages[1];
    lay[1]->addWidget(RadioGroup(w, "Frquencies p(i) are band presences in locus...",
                                 {"relative to all presences", "divided by number of individuals"}, ShannonFreqGroup,
                                 "ShannonFreqGroup"));
    lay[1]->addWidget(RadioGroup(w, "Shannon's index is calculated with logarithm to base... ",
                                 {"2 (i.e., log2 x = ld x).", "e (i.e., loge x = ln x).", "10 (i.e., log10 x = lg x).",
                                  "other (i.e., logA x). A ="},
                                 ShannonBaseGroup, "ShannonBaseGroup"));
    ShannonAEdit = Edit(w, "ShannonAEdit");
    lay[1]->addWidget(ShannonAEdit);

    // 2
    w = pages[2];
    lay[2]->addWidget(RadioGroup(w, "(Dis)Similarity coefficient",
                                 {"Jaccard", "Dice; Sørensen", "SMC (Simple Matching Coefficient)",
                                  "Nei-Li* with r=    ", "Euclidean*", "Squared Euclidean*"},
                                 CoefficientGroup, "CoefficientGroup"));
    NeiLiREdit = Edit(w, "NeiLiREdit");
    lay[2]->addLayout(Row(w, "Nei-Li* with r=", NeiLiREdit));
    SimOutputBox = Box(w, "Write similarity matrix to analysis file (where available)");
    DistOutputBox = Box(w, "Write distance matrix to analysis file");
    lay[2]->addWidget(SimOutputBox);
    lay[2]->addWidget(DistOutputBox);
    JCDrawsEdit = Edit(w, "JCDrawsEdit");
    lay[2]->addLayout(Row(w, "JC: Calculate average coefficient from how many random draws (r):", JCDrawsEdit));
    lay[2]->addWidget(new QLabel(QStringLiteral("*distance rather than similarity"), w));

    // 3
    w = pages[3];
    TransformCoefficientLabel = new QLabel(QStringLiteral("Current coefficient:"), w);
    lay[3]->addWidget(TransformCoefficientLabel);
    lay[3]->addWidget(RadioGroup(w, "Distance transformation", {"d = 1 - s", "d = SQRT(1 - s)", "d = (1 - s)^2"},
                                 TransformGroup, "TransformGroup"));

    // 4, 5
    lay[4]->addWidget(RadioGroup(pages[4], "Defaul tree type", {"UPGMA", "NJ"}, TreeTypeGroup, "TreeTypeGroup"));
    MRThresholdEdit = Edit(pages[5], "MRThresholdEdit");
    lay[5]->addLayout(Row(pages[5], "Majority Rule Consensus Threshold...", MRThresholdEdit, "%"));

    // 6
    w = pages[6];
    {
        auto* group = new QGroupBox(QStringLiteral("R-Support Analysis Settings"), w);
        auto* g = new QVBoxLayout(group);
        RFromEdit = Edit(group, "RFromEdit");
        RToEdit = Edit(group, "RToEdit");
        auto* range = Row(group, "r value ranging from...", RFromEdit);
        range->insertWidget(2, new QLabel(QStringLiteral("to..."), group));
        range->insertWidget(3, RToEdit);
        g->addLayout(range);
        RPrecisionEdit = Edit(group, "RPrecisionEdit");
        g->addLayout(Row(group, "Desired precision of R-values...", RPrecisionEdit, "digits"));
        RMRThresholdEdit = Edit(group, "RMRThresholdEdit");
        g->addLayout(Row(group, "Use Majority Rule Consensus at...", RMRThresholdEdit, "%"));
        RxThresholdEdit = Edit(group, "RxThresholdEdit");
        g->addLayout(Row(group, "Rx-Consensus Threshold r=", RxThresholdEdit));
        ROutputInconsistentBox = Box(group, "Output inconsistent trees");
        ROutputConsensusBox = Box(group, "Output individual consensus trees at a given r value");
        g->addWidget(ROutputInconsistentBox);
        g->addWidget(ROutputConsensusBox);
        RStopBox = Box(group, "Stop if inconsistent trees are more than ");
        RStopEdit = Edit(group, "RStopEdit");
        RStopUnit = new QLabel(QStringLiteral("% JC"), group);
        auto* stop = new QHBoxLayout;
        stop->addWidget(RStopBox);
        stop->addWidget(RStopEdit);
        stop->addWidget(RStopUnit);
        stop->addStretch(1);
        g->addLayout(stop);
        lay[6]->addWidget(group);
    }

    // 7
    w = pages[7];
    AmovaCoefficientLabel = new QLabel(QStringLiteral("Current Coefficient:"), w);
    lay[7]->addWidget(AmovaCoefficientLabel);
    lay[7]->addWidget(
        RadioGroup(w, "(Dis)Similarity choice for AMOVA",
                   {"Standard similarity", "Minimum similarity", "Maximum similarity", "Average similarity"},
                   AmovaMethodGroup, "AmovaMethodGroup"));
    AmovaRandomBox = Box(w, "Estimate AMOVA p-values by randomsations: Number of randomisations:");
    AmovaRandomEdit = Edit(w, "AmovaRandomEdit");
    {
        auto* row = new QHBoxLayout;
        row->addWidget(AmovaRandomBox);
        row->addWidget(AmovaRandomEdit);
        row->addStretch(1);
        lay[7]->addLayout(row);
    }
    LocByLocBox = Box(w, "Locus-by-locus AMOVA");
    LocByLocBox->setEnabled(false);
    lay[7]->addWidget(LocByLocBox);

    // 8
    w = pages[8];
    PCoAIterationsEdit = Edit(w, "PCoAIterationsEdit");
    PCoAPrecisionEdit = Edit(w, "PCoAPrecisionEdit");
    lay[8]->addLayout(Row(w, "Max # iterations", PCoAIterationsEdit));
    lay[8]->addLayout(Row(w, "Precision", PCoAPrecisionEdit));
    PCoAAutostartBox = Box(w, "Automatically start PCoA 3D viewer");
    PCoACentroidsBox = Box(w, "Calculate centroids");
    lay[8]->addWidget(PCoAAutostartBox);
    lay[8]->addWidget(PCoACentroidsBox);

    // 9, 10
    w = pages[9];
    lay[9]->addWidget(RadioGroup(w, "Default estimation method",
                                 {"Square root", "Lynch-Milligan", "Bayesian, uniform prior",
                                  "Bayesian, among-population prior", "Bayesian, among-locus prior "},
                                 AlleleFreqGroup, "AlleleFreqGroup"));
    CorrFactorEdit = Edit(w, "CorrFactorEdit");
    lay[9]->addLayout(Row(w, "Correction Factor for Bayesian allele frequency estimation:", CorrFactorEdit));
    PopDistFreqLabel = new QLabel(QStringLiteral("Allele frequency estimation"), pages[10]);
    lay[10]->addWidget(PopDistFreqLabel);
    lay[10]->addWidget(RadioGroup(pages[10], "Population distance measure",
                                  {"Cavalli-Sforza && Edwards chord distance (Takezaki formula)"}, PopDistGroup,
                                  "PopDistGroup"));

    // 11
    w = pages[11];
    SystemLabel = new QLabel(QStringLiteral("System: "), w);
    ProcessorLabel = new QLabel(QStringLiteral("Processor:"), w);
    InstructionSetsLabel = new QLabel(QStringLiteral("Instruction Sets: "), w);
    ParallelEdit = Edit(w, "ParallelEdit");
    ParallelEdit->setEnabled(false);
    lay[11]->addWidget(SystemLabel);
    lay[11]->addWidget(ProcessorLabel);
    lay[11]->addWidget(InstructionSetsLabel);
    lay[11]->addLayout(Row(w, "Max # Parallel Computations:", ParallelEdit));
    ShowWarningsBox = Box(w, "Display program warnings");
    WriteSpecsBox = Box(w, "Write TESK File Specification Block");
    TrustSpecsBox = Box(w, "Trust File Specification Block (where available)");
    lay[11]->addWidget(ShowWarningsBox);
    {
        auto* row = new QHBoxLayout;
        row->addWidget(RadioGroup(w, "Preferred FPU/SSE round mode",
                                  {"Round to nearest", "Round up", "Round down", "Round truncate"}, RoundModeGroup,
                                  "RoundModeGroup"));
        row->addWidget(
            RadioGroup(w, "Overwrite File Prompt",
                       {"Always Ask (Show Dialogue Box)", "Always Overwrite Files", "Always Append To Files"},
                       OverwriteGroup, "OverwriteGroup"));
        lay[11]->addLayout(row);
    }
    lay[11]->addWidget(WriteSpecsBox);
    lay[11]->addWidget(TrustSpecsBox);
    {
        auto* names = new QGroupBox(QStringLiteral("File Names"), w);
        auto* grid = new QGridLayout(names);
        AppPathLabel = new QLabel(QStringLiteral("Application Path:"), names);
        grid->addWidget(AppPathLabel, 0, 0, 1, 3);
        static constexpr std::array<const char*, kFileButtonCount> kCaptions = {"Analysis Output:",
                                                                                "Tree Output:",
                                                                                "Consensus Tree Input:",
                                                                                "Conensus Tree Output:",
                                                                                "Log File:",
                                                                                "R script to plot results:",
                                                                                "Rscript interpreter:",
                                                                                "R Plotting Output File:"};
        for (std::size_t k = 0; k < kFileButtonCount; ++k) {
            const int row = static_cast<int>(k) + 1;
            grid->addWidget(new QLabel(QString::fromLatin1(kCaptions[k]), names), row, 0);
            FileLabels[k] = new QLabel(names);
            grid->addWidget(FileLabels[k], row, 1);
            FileButtons[k] = new QPushButton(QStringLiteral("..."), names);
            FileButtons[k]->setObjectName(QStringLiteral("FileButton%1").arg(row - 1));
            grid->addWidget(FileButtons[k], row, 2);
            connect(FileButtons[k], &QPushButton::clicked, this, [this, k] { ChooseFile(FileButton(k)); });
        }
        RscriptAutoButton = new QPushButton(QStringLiteral("auto"), names);
        RscriptAutoButton->setObjectName(QStringLiteral("RscriptAutoButton"));
        grid->addWidget(RscriptAutoButton, RscriptInterpreter + 1, 3);
        connect(RscriptAutoButton, &QPushButton::clicked, this, &TTeskOptions::FindRscript);
        lay[11]->addWidget(names);
    }

    // 12, 13
    lay[12]->addWidget(new QLabel(QStringLiteral("This tab is currently unused"), pages[12]));
    lay[13]->addWidget(new QLabel(QStringLiteral("No project options implemented in the current version"), pages[13]));

    // 14
    w = pages[14];
    BSEdit = Edit(w, "BSEdit");
    TREdit = Edit(w, "TREdit");
    SHEdit = Edit(w, "SHEdit");
    lay[14]->addLayout(Row(w, "Number of bootstrap (resampling) replicates (BS):", BSEdit));
    lay[14]->addLayout(Row(w, "Number of trees to generate from average coefficients (TR):", TREdit));
    lay[14]->addLayout(Row(w, "Resampled data matrix replicates for Shannon (SH):", SHEdit));
    RMDBox = Box(w, "Replace Missing Data during Replicate Analyses (excluding average coefficients)");
    {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("RMD:"), w));
        row->addWidget(RMDBox);
        row->addStretch(1);
        lay[14]->addLayout(row);
    }
    Sh2FileBox = Box(w, "Write all Shannon replicates to file");
    ShannonZeroBox = Box(w, "Include Shannon I=0 values in stats");
    lay[14]->addWidget(Sh2FileBox);
    lay[14]->addWidget(ShannonZeroBox);

    // 15
    w = pages[15];
    lay[15]->addWidget(new QLabel(QStringLiteral("Sorry - this feature is still under development. "), w));
    QGroupBox* weights = RadioGroup(w, "Character Weighting",
                                    {"No Weights", "Weight by Character State", "Weight by Character State Combination",
                                     "Weight by Locus", "Weight by Locus and Individual"},
                                    WeightsGroup, "WeightsGroup");
    weights->setEnabled(false);
    lay[15]->addWidget(weights);

    // 16
    w = pages[16];
    MLDEdit = Edit(w, "MLDEdit");
    lay[16]->addLayout(Row(w, "Miimum log-likelihood difference for population allocation:", MLDEdit));
    lay[16]->addWidget(RadioGroup(w, "Frequency correction",
                                  {"Duchesne & Bernatchez (2002) formula: 1/(1+N)", "User-specified epsilon value:"},
                                  CorrectionGroup, "CorrectionGroup"));
    EpsilonEdit = Edit(w, "EpsilonEdit");
    lay[16]->addWidget(EpsilonEdit);

    for (std::size_t p = 0; p < kPageCount; ++p) {
        lay[p]->addStretch(1);
        PageControl1->addTab(pages[p], QString::fromLatin1(kPageCaptions[p]));
    }
}

void TTeskOptions::SetUpPage(int page) {
    switch (page) {
        case 0: {
            const float f = MDReplaceFraction;
            MDFractionEdit->setText(IntText(std::llround(static_cast<double>(f) * 100.0)));
            if (f == 0.0f) MDAbsencesBtn->setChecked(true);
            else if (f == 1.0f) MDPresencesBtn->setChecked(true);
            else MDFractionBtn->setChecked(true);
            break;
        }
        case 1:
            CheckItem(ShannonFreqGroup, ShannonFreqMode == 0 ? 0 : 1);
            CheckItem(ShannonBaseGroup, ShannonLogBase);
            ShannonAEdit->setText(NumberText(ShannonLogA, 10, 9));
            break;
        case 2:
            CheckItem(CoefficientGroup, SimCoefficient);
            SimOutputBox->setChecked(SimOutput == 1);
            DistOutputBox->setChecked(DistOutput == 1);
            NeiLiREdit->setText(NumberText(NeiLiR, 10, 9));
            JCDrawsEdit->setText(IntText(JCRandomDraws));
            break;
        case 3: {
            TransformCoefficientLabel->setText(
                ToQt("Current coefficient: " + CoefficientName() + " (" + OutputKindName() + ")"));
            static constexpr std::array<const char*, 3> kSimilarity = {"d = 1 - s", "d = SQRT(1 - s)", "d = (1 - s)^2"};
            static constexpr std::array<const char*, 3> kDistance = {"d' = d", "d' = SQRT(d)", "d' = d^2"};
            for (std::size_t k = 0; k < 3; ++k)
                TransformGroup->button(static_cast<int>(k))
                    ->setText(QString::fromLatin1(DistanceCoefficient == 1 ? kDistance[k] : kSimilarity[k]));
            CheckItem(TransformGroup, DistTransformBase());
            break;
        }
        case 4: CheckItem(TreeTypeGroup, DefaultTreeType); break;
        case 5: MRThresholdEdit->setText(IntText(MRThreshold)); break;
        case 6:
            ROutputInconsistentBox->hide();
            ROutputConsensusBox->hide();
            RStopBox->hide();
            RStopUnit->hide();
            RStopEdit->hide();
            RMRThresholdEdit->setText(IntText(RMRThreshold));
            RFromEdit->setText(IntText(RFrom));
            RToEdit->setText(IntText(RTo));
            RPrecisionEdit->setText(IntText(RPrecision));
            RxThresholdEdit->setText(IntText(RxThreshold));
            ROutputInconsistentBox->setChecked(ROutputInconsistent == 1);
            ROutputConsensusBox->setChecked(ROutputConsensusAtR == 1);
            RStopEdit->setText(IntText(RStopFraction < 0.0 ? 0 : std::llround(RStopFraction * 100.0)));
            RStopBox->setChecked(RStopFraction >= 0.0);
            break;
        case 7:
            AmovaCoefficientLabel->setText(ToQt("Current coefficient: " + CoefficientName() + " (" + OutputKindName() +
                                                "). Transform: " + DistTransformName()));
            CheckItem(AmovaMethodGroup, AmovaSimMethod);
            AmovaRandomBox->setChecked(AmovaRandomisations > 0);
            AmovaRandomEdit->setText(AmovaRandomisations > 0 ? IntText(AmovaRandomisations) : QStringLiteral("1000"));
            LocByLocBox->setChecked(LocByLoc == 1);
            break;
        case 8:
            PCoAPrecisionEdit->setText(NumberText(PCoAPrecision, 10, 9));
            PCoAIterationsEdit->setText(IntText(PCoAMaxIterations));
            PCoAAutostartBox->setChecked(PCoAAutostart == 1);
            PCoACentroidsBox->setChecked(PCoACentroids == 1);
            break;
        case 9:
            CheckItem(AlleleFreqGroup, AlleleFreqMethod);
            CorrFactorEdit->setText(NumberText(CorrFactor, 5, 4));
            break;
        case 10:
            PopDistFreqLabel->setText(ToQt("Allele frequency estimation: " + AlleleFreqMethodName()));
            CheckItem(PopDistGroup, PopDistMeasure);
            break;
        case 11: {
            // A 64-bit native program: there is no 32-bit process on a 64-bit system to tell apart.
            SystemLabel->setText(ToQt("System: " + OsName()));
            ProcessorLabel->setText(ToQt(ProcessorText()));
            InstructionSetsLabel->setText(ToQt(InstructionSetsText()));
            ParallelEdit->setText(IntText(static_cast<std::int64_t>(ThreadCount())));
            ShowWarningsBox->setChecked(ShowWarnings == 1);
            WriteSpecsBox->setChecked(WriteSpecs == 1);
            TrustSpecsBox->setChecked(TrustSpecs == 1);
            static constexpr std::array<int, 4> kRoundItem = {0, 2, 1, 3};  // by rounding code
            CheckItem(RoundModeGroup, PreferredRoundMode < 4 ? kRoundItem[PreferredRoundMode] : -1);
            static constexpr std::array<int, 3> kOverwriteItem = {0, 2, 1};  // by OverwriteMode
            CheckItem(OverwriteGroup, OverwriteMode < 3 ? kOverwriteItem[OverwriteMode] : -1);
            ShowFileNames();
            break;
        }
        case 14:
            BSEdit->setText(IntText(BSReplicates));
            TREdit->setText(IntText(TRReplicates));
            SHEdit->setText(IntText(SHReplicates));
            RMDBox->setChecked(RMD == 1);
            Sh2FileBox->setChecked(Sh2File == 1);
            ShannonZeroBox->setChecked(ShannonZeroInStats == 1);
            break;
        case 15: CheckItem(WeightsGroup, WeightingScheme); break;
        case 16:
            MLDEdit->setText(NumberText(MLDThreshold, 10, 9));
            EpsilonEdit->setText(NumberText(Epsilon, 10, 9));
            CheckItem(CorrectionGroup, SampleSizeCorrection == 1 ? 0 : 1);
            break;
        default: break;
    }
}

void TTeskOptions::ShowFileNames() {
    AppPathLabel->setText(ToQt("Application Path: " + AppPath));
    FileLabels[AnalysisFile]->setText(ShownFileName(AnalysisFileName));
    FileLabels[TreeFile]->setText(ShownFileName(TreeFileName));
    FileLabels[ConsensusInFile]->setText(ShownFileName(ConsensusInFileName));
    FileLabels[ConsensusOutFile]->setText(ShownFileName(ConsensusOutFileName));
    FileLabels[LogFile]->setText(ShownFileName(LogFileName));
    FileLabels[RScriptFile]->setText(ShownFileName(RScriptFileName));
    FileLabels[RscriptInterpreter]->setText(RscriptPath.empty() ? QStringLiteral("...") : ToQt(RscriptPath));
    FileLabels[RPlotFile]->setText(ShownFileName(RPlotFileName));
}

namespace {

bool Positive(Extended x) { return x > 0.0L; }
bool LogBase(Extended x) { return x > 0.0L && x != 1.0L; }
bool OpenUnit(Extended x) { return x > 0.0L && x < 1.0L; }

}  // namespace

void TTeskOptions::AcceptChange(int page, bool& failed) {
    failed = false;
    PageCheck check;
    std::string summary;
    switch (page) {
        case 0: {
            float fraction = MDReplaceFraction;
            if (MDAbsencesBtn->isChecked()) fraction = 0.0f;
            else if (MDPresencesBtn->isChecked()) fraction = 1.0f;
            else if (MDFractionBtn->isChecked())
                fraction = static_cast<float>(check.Integer(MDFractionEdit,
                                                            "Missing data which will be replaced by presences:",
                                                            "Invalid input. Please repeat.", 0, 100) /
                                              100.0L);
            if ((failed = check.Failed())) return;
            MDReplaceFraction = fraction;
            summary = "Replace MD by " + ExtToStr(static_cast<Extended>(MDReplaceFraction) * 100.0L) + "% presences.";
            break;
        }
        case 1: {
            const int base = ShannonBaseGroup->checkedId();
            Extended a = ShannonLogA;
            if (base == 0) a = 2.0L;
            else if (base == 1) a = std::numbers::e_v<Extended>;
            else if (base == 2) a = 10.0L;
            else if (base == 3)
                a = check.Number(ShannonAEdit, "other (i.e., logA x). A =", "You entered an invalid number.", LogBase,
                                 "a number above zero other than 1", "A must be greater than zero.");
            if ((failed = check.Failed())) return;
            if (ShannonFreqGroup->checkedId() >= 0)
                ShannonFreqMode = static_cast<std::uint8_t>(ShannonFreqGroup->checkedId());
            if (base >= 0) ShannonLogBase = static_cast<std::uint8_t>(base);
            ShannonLogA = a;
            summary =
                "Frequencies per Locus: " + BoolToText(ShannonFreqMode) + ". Log to Base " + ExtToStr(ShannonLogA);
            break;
        }
        case 2: {
            const int item = CoefficientGroup->checkedId();
            Extended r = NeiLiR;
            if (item == 3)
                r = check.Number(NeiLiREdit, "Nei-Li* with r=", "Invalid input for NeiLi_R.", Positive,
                                 "a number above zero");
            const std::int64_t draws =
                check.Integer(JCDrawsEdit, "JC: Calculate average coefficient from how many random draws (r):",
                              "Invalid input. Please try again.", 1, kInt32Max);
            if ((failed = check.Failed())) return;
            if (item < 0 || item > 5) ShowError("Unknown similarity coefficient");
            else SimCoefficient = static_cast<std::uint8_t>(item);
            SimOutput = Flag(SimOutputBox);
            DistOutput = Flag(DistOutputBox);
            NeiLiR = r;
            JCRandomDraws = static_cast<std::int32_t>(draws);
            DistanceCoefficient = SimCoefficient >= 3 ? 1 : 0;
            CombineDistTransform();
            summary =
                std::string("Coefficient: ") +
                (SimCoefficient < kSummaryCoefficientNames.size() ? kSummaryCoefficientNames[SimCoefficient] : "") +
                (DistanceCoefficient == 1 ? " (distance)." : " (similarity).");
            if (SimCoefficient == 3) summary += " (With r=" + ExtToStr(NeiLiR) + ".)";
            summary += " JC=r=" + IntToStr(JCRandomDraws);
            if (SimOutput == 1) summary += " SimOutput on.";
            if (DistOutput == 1) summary += " DistOutput on.";
            break;
        }
        case 3:
            if (TransformGroup->checkedId() >= 0)
                DistTransformation = static_cast<std::uint8_t>(TransformGroup->checkedId());
            CombineDistTransform();
            summary = "Dist Transform: " + DistTransformName() + ".";
            break;
        case 4:
            if (TreeTypeGroup->checkedId() >= 0)
                DefaultTreeType = static_cast<std::uint8_t>(TreeTypeGroup->checkedId());
            summary = TreeMethodName();
            break;
        case 5: {
            const std::int64_t mr =
                check.Integer(MRThresholdEdit, "Majority Rule Consensus Threshold...",
                              "Invalid input.\r\nPlease enter an integer value in the range [50,100]", 50, 100);
            if ((failed = check.Failed())) return;
            MRThreshold = static_cast<std::uint8_t>(mr);
            summary = "MR-Threshold: " + IntToStr(MRThreshold) + "%";
            break;
        }
        case 6: {
            constexpr std::string_view kMessage = "Invalid input. Please repeat!";
            const std::int64_t mr =
                check.Integer(RMRThresholdEdit, "Use Majority Rule Consensus at...", kMessage, 50, 100);
            const std::int64_t from = check.Integer(RFromEdit, "r value ranging from...", kMessage, 1, kInt32Max - 1);
            const std::int64_t to = check.Integer(RToEdit, "to...", kMessage, from + 1, kInt32Max);
            const std::int64_t precision =
                check.Integer(RPrecisionEdit, "Desired precision of R-values...", kMessage, 1, 255);
            const std::int64_t rx = check.Integer(RxThresholdEdit, "Rx-Consensus Threshold r=", kMessage, 1, kInt32Max);
            std::int64_t stop = 0;
            if (RStopBox->isChecked())
                stop = check.Integer(RStopEdit, "Stop if inconsistent trees are more than ", kMessage, 0, 100);
            if ((failed = check.Failed())) return;
            RMRThreshold = static_cast<std::uint8_t>(mr);
            RFrom = static_cast<std::int32_t>(from);
            RTo = static_cast<std::int32_t>(to);
            RPrecision = static_cast<std::uint8_t>(precision);
            RxThreshold = static_cast<std::int32_t>(rx);
            ROutputInconsistent = Flag(ROutputInconsistentBox);
            ROutputConsensusAtR = Flag(ROutputConsensusBox);
            RStopFraction = RStopBox->isChecked() ? static_cast<double>(stop) / 100.0 : -9.0;
            summary = "R: MR-Thresh=" + IntToStr(RMRThreshold) + "%. Rx-Thresh= " + IntToStr(RxThreshold) +
                      ". r: " + IntToStr(RFrom) + "-" + IntToStr(RTo) + ". Precision " + IntToStr(RPrecision) +
                      " digits.";
            break;
        }
        case 7: {
            std::int64_t n = 0;
            if (AmovaRandomBox->isChecked())
                n = check.Integer(AmovaRandomEdit, "Number of randomisations:", "Invalid input!", 0, kInt32Max);
            if ((failed = check.Failed())) return;
            if (AmovaMethodGroup->checkedId() >= 0)
                AmovaSimMethod = static_cast<std::uint8_t>(AmovaMethodGroup->checkedId());
            AmovaRandomisations = static_cast<std::int32_t>(n);
            LocByLoc = Flag(LocByLocBox);
            summary = "Similarity method: " + TreatmentName() + ".";
            if (AmovaRandomisations > 0) summary += " With randomisations: " + IntToStr(AmovaRandomisations);
            if (LocByLoc == 1) summary += " LocByLoc";
            break;
        }
        case 8: {
            const Extended precision =
                check.Number(PCoAPrecisionEdit, "Precision", "Invalid input!", Positive, "a number above zero");
            const std::int64_t iterations =
                check.Integer(PCoAIterationsEdit, "Max # iterations", "Invalid input!", 1, kInt32Max);
            if ((failed = check.Failed())) return;
            PCoAPrecision = precision;
            PCoAMaxIterations = static_cast<std::int32_t>(iterations);
            PCoAAutostart = Flag(PCoAAutostartBox);
            PCoACentroids = Flag(PCoACentroidsBox);
            summary = "MaxNIterations: " + IntToStr(PCoAMaxIterations) + ". Precision: " + ExtToStr(PCoAPrecision) +
                      " . Autostart " + OnOffText(PCoAAutostart) + " Centroids: " + BoolToText(PCoACentroids);
            break;
        }
        case 9: {
            const Extended factor = check.Number(
                CorrFactorEdit, "Correction Factor for Bayesian allele frequency estimation:", "Invalid input!");
            if ((failed = check.Failed())) return;
            if (AlleleFreqGroup->checkedId() >= 0)
                AlleleFreqMethod = static_cast<std::uint8_t>(AlleleFreqGroup->checkedId());
            CorrFactor = factor;
            summary = AlleleFreqMethodName() + ". CorrFactor= " + ExtToStr(CorrFactor);
            break;
        }
        case 10: summary = PopDistName(); break;
        case 11: {
            ShowWarnings = Flag(ShowWarningsBox);
            WriteSpecs = Flag(WriteSpecsBox);
            TrustSpecs = Flag(TrustSpecsBox);
            static constexpr std::array<std::uint8_t, 3> kOverwriteMode = {0, 2, 1};  // by item
            if (const int item = OverwriteGroup->checkedId(); item >= 0)
                OverwriteMode = kOverwriteMode[std::size_t(item)];
            static constexpr std::array<std::uint8_t, 4> kRoundMode = {0, 2, 1, 3};  // by item
            if (const int item = RoundModeGroup->checkedId(); item >= 0)
                PreferredRoundMode = kRoundMode[std::size_t(item)];
            static constexpr std::array<const char*, 3> kOverwrite = {"Ask.", "Append.", "Overwrite."};
            summary = "Show program warnings: " + YesNo(ShowWarnings) + " Write TESK Specs: " + YesNo(WriteSpecs) +
                      "Overwrite Files: " + (OverwriteMode < 3 ? kOverwrite[OverwriteMode] : "");
            break;
        }
        case 14: {
            constexpr std::string_view kMessage = "Invalid input. Please repeat!";
            const std::int64_t bs =
                check.Integer(BSEdit, "Number of bootstrap (resampling) replicates (BS):", kMessage, 1, kInt32Max);
            const std::int64_t tr = check.Integer(
                TREdit, "Number of trees to generate from average coefficients (TR):", kMessage, 1, kInt32Max);
            const std::int64_t sh =
                check.Integer(SHEdit, "Resampled data matrix replicates for Shannon (SH):", kMessage, 1, kInt32Max);
            // The two switches do not depend on the counts: they are kept even when a count is refused.
            RMD = Flag(RMDBox);
            ShannonZeroInStats = Flag(ShannonZeroBox);
            if ((failed = check.Failed())) return;
            BSReplicates = static_cast<std::int32_t>(bs);
            TRReplicates = static_cast<std::int32_t>(tr);
            SHReplicates = static_cast<std::int32_t>(sh);
            Sh2File = Flag(Sh2FileBox);
            summary =
                "Replicates: Boostrap (BS): " + IntToStr(BSReplicates) + " Av. Coeff. (JC): " + IntToStr(TRReplicates) +
                " Shannon (SH): " + IntToStr(SHReplicates) + ". RMD" + (RMD == 1 ? " enabled." : " disabled.") +
                (Sh2File == 1 ? " Sh2File: yes." : " Sh2File: no.") + " I=0 in stats: " + YesNo(ShannonZeroInStats);
            break;
        }
        case 15:
            if (WeightsGroup->checkedId() >= 0) WeightingScheme = static_cast<std::uint8_t>(WeightsGroup->checkedId());
            if (DataSet) SetWeightingScheme(*DataSet, CodeOf<Weighting>(WeightingScheme));
            summary = "Weights: " + WeightingToStr(CodeOf<Weighting>(WeightingScheme));
            break;
        case 16: {
            constexpr std::string_view kMessage = "Invalid input. Please repeat!";
            const bool formula = CorrectionGroup->checkedId() != 1;
            const Extended mld =
                check.Number(MLDEdit, "Miimum log-likelihood difference for population allocation:", kMessage);
            Extended epsilon = Epsilon;
            if (!formula)
                epsilon = check.Number(EpsilonEdit, "User-specified epsilon value:", kMessage, OpenUnit,
                                       "a number between 0 and 1, both excluded");
            if ((failed = check.Failed())) return;
            SampleSizeCorrection = formula ? 1 : 0;
            MLDThreshold = mld;
            if (!formula) Epsilon = epsilon;
            summary = formula ? std::string("Duchesne & Bernatchez 2002 correction. ")
                              : "Epsilon = " + ExtToStr(Epsilon) + ". ";
            summary += "MLD= " + ExtToStr(MLDThreshold) + ". ";
            break;
        }
        default: break;  // 12, 13: nothing to store
    }
    if (page >= 0 && page < kPageCount)
        WriteMsg("Setting parameters (" + std::string(kPageCaptions[std::size_t(page)]) + "): " + summary);
}

void TTeskOptions::PageControl1Changing(int newPage) {
    if (newPage == page_) return;
    if (AskUser("Accept changes?", "Settings and options", kQuestionYesNo) == kAnswerYes) {
        bool failed = false;
        AcceptChange(page_, failed);
        if (failed) {
            // The refused page stays in front.
            const QSignalBlocker block(PageControl1);
            PageControl1->setCurrentIndex(page_);
            return;
        }
    }
    page_ = newPage;
    SetUpPage(page_);
}

void TTeskOptions::OpenOnPage(int page) {
    if (page < 0 || page >= kPageCount) return;
    {
        const QSignalBlocker block(PageControl1);
        PageControl1->setCurrentIndex(page);
    }
    page_ = page;
    SetUpPage(page);
}

void TTeskOptions::Button1Click() {
    bool failed = false;
    AcceptChange(page_, failed);
    if (!failed) accept();
}

void TTeskOptions::ChooseFile(FileButton button) {
    std::string name;
    switch (button) {
        case AnalysisFile:
            name = AskSaveFileName(this, "", kTextFilter, WorkingFolder(), "analysis.txt", true, "txt");
            if (!name.empty()) CmdSetAnalysisFile(name);
            break;
        case TreeFile:
            name = AskSaveFileName(this, "", "Phylip/Newick Tree File (*.ph)|*.ph", WorkingFolder(), "outtree.ph", true,
                                   "ph");
            if (!name.empty()) CmdSetTreeFile(name);
            break;
        case ConsensusInFile:
            name = AskOpenFileName(this, "Select Consensus Input Tree File...", kTreeFilter, WorkingFolder(),
                                   ConsensusInFileName);
            if (!name.empty()) CmdSetConsensusInFile(name);
            break;
        case ConsensusOutFile:
            name = AskSaveFileName(this, "Select Consensus Tree Output File...", kTreeFilter, WorkingFolder(),
                                   ConsensusOutFileName, true);
            if (!name.empty()) CmdSetConsensusOutFile(name);
            break;
        case LogFile:
            if (LogOn == 1) {
                ShowError("You cannot change the log file while logging to that file is enabled!");
                return;
            }
            name = AskSaveFileName(this, "Select Log File...", kTextFilter, WorkingFolder(), LogFileName, false);
            if (!name.empty()) CmdSetLogFile(name);
            break;
        case RScriptFile:
            name = AskOpenFileName(this, "Select R Script File...", "R Script Files (*.R)|*.R|All Files (*.*)|*.*",
                                   WorkingFolder(), RScriptFileName);
            if (!name.empty()) CmdSetRScript(name);
            break;
        case RscriptInterpreter:
            // No ".exe" here: the interpreter is a plain executable named Rscript.
            name = AskOpenFileName(this, "Select R command line script interpreter ...", "All Files (*.*)|*.*", "",
                                   "Rscript");
            if (!name.empty()) CmdSetRscriptPath(name);
            break;
        case RPlotFile:
            name = AskSaveFileName(this, "Select R Plotting Output File...",
                                   "Portable Desktop Format (*.pdf)|*.pdf|All Files (*.*)|*.*", WorkingFolder(),
                                   RPlotFileName, false);
            if (!name.empty()) CmdSetRPlotFile(name);
            break;
        default: return;
    }
    ShowFileNames();
}

void TTeskOptions::FindRscript() {
    CmdSetRscriptPath("");
    ShowFileNames();
    if (RscriptPath.empty()) ShowError("R script interpreter (Rscript) not found");
}

void DisplayOptions(TTeskOptions& dialog, int page) {
    if (page < 0 || page >= TTeskOptions::kPageCount) return;
    dialog.OpenOnPage(page);
    dialog.exec();
}
