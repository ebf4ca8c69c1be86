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
#include <span>
#include <string_view>
#include <thread>
#include <variant>
#include <vector>

#include "foundation/code.h"
#include "foundation/cpu_dispatch.h"
#include "foundation/number_text.h"
#include "foundation/os_facts.h"
#include "foundation/strict_number.h"
#include "foundation/thread_pool.h"
#include "gui/dialog_buttons.h"
#include "gui/file_dialogs.h"
#include "gui/qt_text.h"
#include "popgen/data/codes.h"
#include "popgen/distance/pair_count.h"
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

// A titled group of radio buttons, numbered from 0 in order; the items end at the first empty one.
QGroupBox* RadioGroup(QWidget* parent, const char* title, std::span<const char* const> items, QButtonGroup*& group,
                      const char* objectName) {
    auto* box = new QGroupBox(QString::fromUtf8(title), parent);
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    group->setObjectName(QString::fromLatin1(objectName));
    int id = 0;
    for (const char* item : items) {
        if (item == nullptr) break;
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

bool Positive(Extended x) { return x > 0.0L; }
bool LogBase(Extended x) { return x > 0.0L && x != 1.0L; }
bool OpenUnit(Extended x) { return x > 0.0L && x < 1.0L; }

// What a row of the page table is.
enum class FieldKind : std::uint8_t {
    Integer,  // an edit holding an integer within [lo, hi]
    Number,   // an edit holding a number, within the range ok tests
    Shown,    // an edit that only shows a value
    Flag,     // a check box
    Option,   // a radio button of its own
    Choice,   // a titled group of radio buttons, the setting the checked item's number
    Label,    // a text
    Own,      // the controls the page's own code makes
};

// Where a row's control goes on its page: alone on a line; on a new line after its caption; after
// the previous row's control on its line, with its caption or bare.
enum class Place : std::uint8_t { Alone, Line, Next, NextBare };

using SettingRef = std::variant<std::monostate, std::uint8_t*, std::int32_t*, Extended*>;

// One control of a page. The rows of a page are built in table order and checked in table order,
// checkedFirst rows before the others; a refusal names the caption. A row without a setting is
// filled and stored by the page's own code (SetUpOwnControls, StoreOwnControls).
struct Field {
    int page = 0;
    FieldKind kind = FieldKind::Label;
    const char* caption = "";  // an edit's name in a refusal and its label on a line; else the control's text
    const char* name = "";     // object name of an edit or a group
    Place place = Place::Alone;
    const char* box = nullptr;   // the titled box the row goes in
    const char* lead = nullptr;  // a text before a check box on its line
    const char* unit = nullptr;  // a text behind the control
    QLabel* TTeskOptions::*unitLabel = nullptr;
    QLineEdit* TTeskOptions::*edit = nullptr;
    QCheckBox* TTeskOptions::*check = nullptr;
    QRadioButton* TTeskOptions::*option = nullptr;
    QButtonGroup* TTeskOptions::*group = nullptr;
    QLabel* TTeskOptions::*label = nullptr;
    std::array<const char*, 6> items{};   // of a choice
    const std::uint8_t* codes = nullptr;  // of a choice whose setting is not the item number: code by item
    int maxLength = 0;
    bool enabled = true;
    SettingRef setting{};
    std::int64_t lo = 0, hi = 0;
    bool aboveBefore = false;  // lo is the integer checked before, plus one
    int width = 10, decimals = 9;
    bool (*ok)(Extended) = nullptr;
    const char* rangeText = "";
    const char* rangeMessage = "";
    const char* message = "";
    bool (*when)(const TTeskOptions&) = nullptr;  // checked and stored only then
    bool checkedFirst = false;
    bool keptOnRefusal = false;  // a flag stored even when a value of the page is refused
};

constexpr std::uint8_t kRoundCodes[] = {0, 2, 1, 3};  // by item: nearest, up, down, truncate
constexpr std::uint8_t kOverwriteCodes[] = {0, 2, 1};  // by item: ask, overwrite, append
constexpr const char* kRSupportBox = "R-Support Analysis Settings";
constexpr const char* kRepeat = "Invalid input. Please repeat!";
constexpr const char* kInvalid = "Invalid input!";

const Field kFields[] = {
    // 0 Missing data replacement
    {.page = 0, .kind = FieldKind::Option, .caption = "Replace all missing data with absences",
     .option = &TTeskOptions::MDAbsencesBtn},
    {.page = 0, .kind = FieldKind::Option, .caption = "Replace all missing data with presences",
     .option = &TTeskOptions::MDPresencesBtn},
    {.page = 0, .kind = FieldKind::Option, .caption = "Missing data which will be replaced by presences:",
     .place = Place::Line, .option = &TTeskOptions::MDFractionBtn},
    {.page = 0, .kind = FieldKind::Integer, .caption = "Missing data which will be replaced by presences:",
     .name = "MDFractionEdit", .place = Place::NextBare, .unit = "%", .edit = &TTeskOptions::MDFractionEdit,
     .maxLength = 2, .lo = 0, .hi = 100, .message = "Invalid input. Please repeat.",
     .when = [](const TTeskOptions& d) { return d.MDFractionBtn->isChecked(); }},
    // 1 Shannon scaling
    {.page = 1, .kind = FieldKind::Choice, .caption = "Frquencies p(i) are band presences in locus...",
     .name = "ShannonFreqGroup", .group = &TTeskOptions::ShannonFreqGroup,
     .items = {"relative to all presences", "divided by number of individuals"}},
    {.page = 1, .kind = FieldKind::Choice, .caption = "Shannon's index is calculated with logarithm to base... ",
     .name = "ShannonBaseGroup", .group = &TTeskOptions::ShannonBaseGroup,
     .items = {"2 (i.e., log2 x = ld x).", "e (i.e., loge x = ln x).", "10 (i.e., log10 x = lg x).",
               "other (i.e., logA x). A ="},
     .setting = &ShannonLogBase},
    {.page = 1, .kind = FieldKind::Number, .caption = "other (i.e., logA x). A =", .name = "ShannonAEdit",
     .edit = &TTeskOptions::ShannonAEdit, .setting = &ShannonLogA, .ok = LogBase,
     .rangeText = "a number above zero other than 1", .rangeMessage = "A must be greater than zero.",
     .message = "You entered an invalid number.",
     .when = [](const TTeskOptions& d) { return d.ShannonBaseGroup->checkedId() == 3; }},
    // 2 (Dis)Similarity coefficients
    {.page = 2, .kind = FieldKind::Choice, .caption = "(Dis)Similarity coefficient", .name = "CoefficientGroup",
     .group = &TTeskOptions::CoefficientGroup,
     .items = {"Jaccard", "Dice; Sørensen", "SMC (Simple Matching Coefficient)", "Nei-Li* with r=    ", "Euclidean*",
               "Squared Euclidean*"},
     .setting = &SimCoefficient},
    {.page = 2, .kind = FieldKind::Number, .caption = "Nei-Li* with r=", .name = "NeiLiREdit", .place = Place::Line,
     .edit = &TTeskOptions::NeiLiREdit, .setting = &NeiLiR, .ok = Positive, .rangeText = "a number above zero",
     .message = "Invalid input for NeiLi_R.",
     .when = [](const TTeskOptions& d) { return d.CoefficientGroup->checkedId() == 3; }},
    {.page = 2, .kind = FieldKind::Flag, .caption = "Write similarity matrix to analysis file (where available)",
     .check = &TTeskOptions::SimOutputBox, .setting = &SimOutput},
    {.page = 2, .kind = FieldKind::Flag, .caption = "Write distance matrix to analysis file",
     .check = &TTeskOptions::DistOutputBox, .setting = &DistOutput},
    {.page = 2, .kind = FieldKind::Integer, .caption = "JC: Calculate average coefficient from how many random draws (r):",
     .name = "JCDrawsEdit", .place = Place::Line, .edit = &TTeskOptions::JCDrawsEdit, .setting = &JCRandomDraws,
     .lo = 1, .hi = kInt32Max, .message = "Invalid input. Please try again."},
    {.page = 2, .kind = FieldKind::Label, .caption = "*distance rather than similarity"},
    // 3 Distance transformation
    {.page = 3, .kind = FieldKind::Label, .caption = "Current coefficient:",
     .label = &TTeskOptions::TransformCoefficientLabel},
    {.page = 3, .kind = FieldKind::Choice, .caption = "Distance transformation", .name = "TransformGroup",
     .group = &TTeskOptions::TransformGroup, .items = {"d = 1 - s", "d = SQRT(1 - s)", "d = (1 - s)^2"}},
    // 4 Trees, 5 Consensus trees
    {.page = 4, .kind = FieldKind::Choice, .caption = "Defaul tree type", .name = "TreeTypeGroup",
     .group = &TTeskOptions::TreeTypeGroup, .items = {"UPGMA", "NJ"}, .setting = &DefaultTreeType},
    {.page = 5, .kind = FieldKind::Integer, .caption = "Majority Rule Consensus Threshold...",
     .name = "MRThresholdEdit", .place = Place::Line, .unit = "%", .edit = &TTeskOptions::MRThresholdEdit,
     .setting = &MRThreshold, .lo = 50, .hi = 100,
     .message = "Invalid input.\r\nPlease enter an integer value in the range [50,100]"},
    // 6 R-support
    {.page = 6, .kind = FieldKind::Integer, .caption = "r value ranging from...", .name = "RFromEdit",
     .place = Place::Line, .box = kRSupportBox, .edit = &TTeskOptions::RFromEdit, .setting = &RFrom, .lo = 1,
     .hi = kInt32Max - 1, .message = kRepeat},
    {.page = 6, .kind = FieldKind::Integer, .caption = "to...", .name = "RToEdit", .place = Place::Next,
     .box = kRSupportBox, .edit = &TTeskOptions::RToEdit, .setting = &RTo, .hi = kInt32Max, .aboveBefore = true,
     .message = kRepeat},
    {.page = 6, .kind = FieldKind::Integer, .caption = "Desired precision of R-values...", .name = "RPrecisionEdit",
     .place = Place::Line, .box = kRSupportBox, .unit = "digits", .edit = &TTeskOptions::RPrecisionEdit,
     .setting = &RPrecision, .lo = 1, .hi = 255, .message = kRepeat},
    {.page = 6, .kind = FieldKind::Integer, .caption = "Use Majority Rule Consensus at...", .name = "RMRThresholdEdit",
     .place = Place::Line, .box = kRSupportBox, .unit = "%", .edit = &TTeskOptions::RMRThresholdEdit,
     .setting = &RMRThreshold, .lo = 50, .hi = 100, .message = kRepeat, .checkedFirst = true},
    {.page = 6, .kind = FieldKind::Integer, .caption = "Rx-Consensus Threshold r=", .name = "RxThresholdEdit",
     .place = Place::Line, .box = kRSupportBox, .edit = &TTeskOptions::RxThresholdEdit, .setting = &RxThreshold,
     .lo = 1, .hi = kInt32Max, .message = kRepeat},
    {.page = 6, .kind = FieldKind::Flag, .caption = "Output inconsistent trees", .box = kRSupportBox,
     .check = &TTeskOptions::ROutputInconsistentBox, .setting = &ROutputInconsistent},
    {.page = 6, .kind = FieldKind::Flag, .caption = "Output individual consensus trees at a given r value",
     .box = kRSupportBox, .check = &TTeskOptions::ROutputConsensusBox, .setting = &ROutputConsensusAtR},
    {.page = 6, .kind = FieldKind::Flag, .caption = "Stop if inconsistent trees are more than ", .place = Place::Line,
     .box = kRSupportBox, .check = &TTeskOptions::RStopBox},
    {.page = 6, .kind = FieldKind::Integer, .caption = "Stop if inconsistent trees are more than ", .name = "RStopEdit",
     .place = Place::NextBare, .box = kRSupportBox, .unit = "% JC", .unitLabel = &TTeskOptions::RStopUnit,
     .edit = &TTeskOptions::RStopEdit, .lo = 0, .hi = 100, .message = kRepeat,
     .when = [](const TTeskOptions& d) { return d.RStopBox->isChecked(); }},
    // 7 AMOVA
    {.page = 7, .kind = FieldKind::Label, .caption = "Current Coefficient:", .label = &TTeskOptions::AmovaCoefficientLabel},
    {.page = 7, .kind = FieldKind::Choice, .caption = "(Dis)Similarity choice for AMOVA", .name = "AmovaMethodGroup",
     .group = &TTeskOptions::AmovaMethodGroup,
     .items = {"Standard similarity", "Minimum similarity", "Maximum similarity", "Average similarity"},
     .setting = &AmovaSimMethod},
    {.page = 7, .kind = FieldKind::Flag,
     .caption = "Estimate AMOVA p-values by randomsations: Number of randomisations:", .place = Place::Line,
     .check = &TTeskOptions::AmovaRandomBox},
    {.page = 7, .kind = FieldKind::Integer, .caption = "Number of randomisations:", .name = "AmovaRandomEdit",
     .place = Place::NextBare, .edit = &TTeskOptions::AmovaRandomEdit, .lo = 0, .hi = kInt32Max,
     .message = kInvalid, .when = [](const TTeskOptions& d) { return d.AmovaRandomBox->isChecked(); }},
    {.page = 7, .kind = FieldKind::Flag, .caption = "Locus-by-locus AMOVA", .check = &TTeskOptions::LocByLocBox,
     .enabled = false, .setting = &LocByLoc},
    // 8 PCoA
    {.page = 8, .kind = FieldKind::Integer, .caption = "Max # iterations", .name = "PCoAIterationsEdit",
     .place = Place::Line, .edit = &TTeskOptions::PCoAIterationsEdit, .setting = &PCoAMaxIterations, .lo = 1,
     .hi = kInt32Max, .message = kInvalid},
    {.page = 8, .kind = FieldKind::Number, .caption = "Precision", .name = "PCoAPrecisionEdit", .place = Place::Line,
     .edit = &TTeskOptions::PCoAPrecisionEdit, .setting = &PCoAPrecision, .ok = Positive,
     .rangeText = "a number above zero", .message = kInvalid, .checkedFirst = true},
    {.page = 8, .kind = FieldKind::Flag, .caption = "Automatically start PCoA 3D viewer",
     .check = &TTeskOptions::PCoAAutostartBox, .setting = &PCoAAutostart},
    {.page = 8, .kind = FieldKind::Flag, .caption = "Calculate centroids", .check = &TTeskOptions::PCoACentroidsBox,
     .setting = &PCoACentroids},
    // 9 Allele frequencies, 10 Population distance
    {.page = 9, .kind = FieldKind::Choice, .caption = "Default estimation method", .name = "AlleleFreqGroup",
     .group = &TTeskOptions::AlleleFreqGroup,
     .items = {"Square root", "Lynch-Milligan", "Bayesian, uniform prior", "Bayesian, among-population prior",
               "Bayesian, among-locus prior "},
     .setting = &AlleleFreqMethod},
    {.page = 9, .kind = FieldKind::Number, .caption = "Correction Factor for Bayesian allele frequency estimation:",
     .name = "CorrFactorEdit", .place = Place::Line, .edit = &TTeskOptions::CorrFactorEdit, .setting = &CorrFactor,
     .width = 5, .decimals = 4, .message = kInvalid},
    {.page = 10, .kind = FieldKind::Label, .caption = "Allele frequency estimation",
     .label = &TTeskOptions::PopDistFreqLabel},
    {.page = 10, .kind = FieldKind::Choice, .caption = "Population distance measure", .name = "PopDistGroup",
     .group = &TTeskOptions::PopDistGroup, .items = {"Cavalli-Sforza && Edwards chord distance (Takezaki formula)"}},
    // 11 I/O options
    {.page = 11, .kind = FieldKind::Label, .caption = "System: ", .label = &TTeskOptions::SystemLabel},
    {.page = 11, .kind = FieldKind::Label, .caption = "Processor:", .label = &TTeskOptions::ProcessorLabel},
    {.page = 11, .kind = FieldKind::Label, .caption = "Instruction Sets: ", .label = &TTeskOptions::InstructionSetsLabel},
    {.page = 11, .kind = FieldKind::Shown, .caption = "Max # Parallel Computations:", .name = "ParallelEdit",
     .place = Place::Line, .edit = &TTeskOptions::ParallelEdit, .enabled = false},
    {.page = 11, .kind = FieldKind::Flag, .caption = "Display program warnings", .check = &TTeskOptions::ShowWarningsBox,
     .setting = &ShowWarnings},
    {.page = 11, .kind = FieldKind::Choice, .caption = "Preferred FPU/SSE round mode", .name = "RoundModeGroup",
     .place = Place::Line, .group = &TTeskOptions::RoundModeGroup,
     .items = {"Round to nearest", "Round up", "Round down", "Round truncate"}, .codes = kRoundCodes,
     .setting = &PreferredRoundMode},
    {.page = 11, .kind = FieldKind::Choice, .caption = "Overwrite File Prompt", .name = "OverwriteGroup",
     .place = Place::Next, .group = &TTeskOptions::OverwriteGroup,
     .items = {"Always Ask (Show Dialogue Box)", "Always Overwrite Files", "Always Append To Files"},
     .codes = kOverwriteCodes, .setting = &OverwriteMode},
    {.page = 11, .kind = FieldKind::Flag, .caption = "Write TESK File Specification Block",
     .check = &TTeskOptions::WriteSpecsBox, .setting = &WriteSpecs},
    {.page = 11, .kind = FieldKind::Flag, .caption = "Trust File Specification Block (where available)",
     .check = &TTeskOptions::TrustSpecsBox, .setting = &TrustSpecs},
    {.page = 11, .kind = FieldKind::Own},  // the file names
    // 12, 13
    {.page = 12, .kind = FieldKind::Label, .caption = "This tab is currently unused"},
    {.page = 13, .kind = FieldKind::Label, .caption = "No project options implemented in the current version"},
    // 14 Bootstrapping & Replicates
    {.page = 14, .kind = FieldKind::Integer, .caption = "Number of bootstrap (resampling) replicates (BS):",
     .name = "BSEdit", .place = Place::Line, .edit = &TTeskOptions::BSEdit, .setting = &BSReplicates, .lo = 1,
     .hi = kInt32Max, .message = kRepeat},
    {.page = 14, .kind = FieldKind::Integer, .caption = "Number of trees to generate from average coefficients (TR):",
     .name = "TREdit", .place = Place::Line, .edit = &TTeskOptions::TREdit, .setting = &TRReplicates, .lo = 1,
     .hi = kInt32Max, .message = kRepeat},
    {.page = 14, .kind = FieldKind::Integer, .caption = "Resampled data matrix replicates for Shannon (SH):",
     .name = "SHEdit", .place = Place::Line, .edit = &TTeskOptions::SHEdit, .setting = &SHReplicates, .lo = 1,
     .hi = kInt32Max, .message = kRepeat},
    // The two switches do not depend on the counts: they are kept even when a count is refused.
    {.page = 14, .kind = FieldKind::Flag,
     .caption = "Replace Missing Data during Replicate Analyses (excluding average coefficients)",
     .place = Place::Line, .lead = "RMD:", .check = &TTeskOptions::RMDBox, .setting = &RMD, .keptOnRefusal = true},
    {.page = 14, .kind = FieldKind::Flag, .caption = "Write all Shannon replicates to file",
     .check = &TTeskOptions::Sh2FileBox, .setting = &Sh2File},
    {.page = 14, .kind = FieldKind::Flag, .caption = "Include Shannon I=0 values in stats",
     .check = &TTeskOptions::ShannonZeroBox, .setting = &ShannonZeroInStats, .keptOnRefusal = true},
    // 15 Weights, 16 Population reallocation
    {.page = 15, .kind = FieldKind::Label, .caption = "Sorry - this feature is still under development. "},
    {.page = 15, .kind = FieldKind::Choice, .caption = "Character Weighting", .name = "WeightsGroup",
     .group = &TTeskOptions::WeightsGroup,
     .items = {"No Weights", "Weight by Character State", "Weight by Character State Combination", "Weight by Locus",
               "Weight by Locus and Individual"},
     .enabled = false, .setting = &WeightingScheme},
    {.page = 16, .kind = FieldKind::Number, .caption = "Miimum log-likelihood difference for population allocation:",
     .name = "MLDEdit", .place = Place::Line, .edit = &TTeskOptions::MLDEdit, .setting = &MLDThreshold,
     .message = kRepeat},
    {.page = 16, .kind = FieldKind::Choice, .caption = "Frequency correction", .name = "CorrectionGroup",
     .group = &TTeskOptions::CorrectionGroup,
     .items = {"Duchesne & Bernatchez (2002) formula: 1/(1+N)", "User-specified epsilon value:"}},
    {.page = 16, .kind = FieldKind::Number, .caption = "User-specified epsilon value:", .name = "EpsilonEdit",
     .edit = &TTeskOptions::EpsilonEdit, .setting = &Epsilon, .ok = OpenUnit,
     .rangeText = "a number between 0 and 1, both excluded", .message = kRepeat,
     .when = [](const TTeskOptions& d) { return d.CorrectionGroup->checkedId() == 1; }},
};

// The rows of one page, in table order.
std::vector<const Field*> FieldsOf(int page) {
    std::vector<const Field*> rows;
    for (const Field& f : kFields)
        if (f.page == page) rows.push_back(&f);
    return rows;
}

std::int64_t IntegerOf(const SettingRef& setting) {
    if (const auto* p = std::get_if<std::uint8_t*>(&setting)) return **p;
    if (const auto* p = std::get_if<std::int32_t*>(&setting)) return **p;
    return 0;
}
Extended NumberIn(const SettingRef& setting) {
    const auto* p = std::get_if<Extended*>(&setting);
    return p != nullptr ? **p : 0.0L;
}
void StoreInteger(const SettingRef& setting, std::int64_t value) {
    if (const auto* p = std::get_if<std::uint8_t*>(&setting)) **p = static_cast<std::uint8_t>(value);
    if (const auto* p = std::get_if<std::int32_t*>(&setting)) **p = static_cast<std::int32_t>(value);
}
void StoreNumber(const SettingRef& setting, Extended value) {
    if (const auto* p = std::get_if<Extended*>(&setting)) **p = value;
}

// The item of a choice whose code is the setting's; -1 when none is.
int ItemOfCode(const Field& f, std::int64_t code) {
    for (std::size_t k = 0; k < f.items.size() && f.items[k] != nullptr; ++k)
        if (f.codes[k] == code) return static_cast<int>(k);
    return -1;
}

// Lays out a page's rows: a line of controls ends in a stretch unless it holds groups only.
class PageLayout {
public:
    PageLayout(QWidget* page, QVBoxLayout* layout) : page_(page), layout_(layout) {}
    ~PageLayout() { EndLine(); }
    PageLayout(const PageLayout&) = delete;
    PageLayout& operator=(const PageLayout&) = delete;

    // The parent of the row's widgets: its box (made when the first row of a box comes), else the page.
    QWidget* Parent(const Field& f) {
        if (title_ != f.box) {
            EndLine();
            title_ = f.box;
            box_ = nullptr;
            if (f.box != nullptr) {
                box_ = new QGroupBox(QString::fromUtf8(f.box), page_);
                boxLayout_ = new QVBoxLayout(box_);
                layout_->addWidget(box_);
            }
        }
        return box_ != nullptr ? box_ : page_;
    }
    QVBoxLayout* Column() { return box_ != nullptr ? boxLayout_ : layout_; }

    // The control where f.place puts it, with its lead text and unit.
    void Put(const Field& f, QWidget* control, QLabel* lead, QLabel* unit) {
        if (f.place == Place::Alone) {
            EndLine();
            Column()->addWidget(control);
            return;
        }
        if (f.place == Place::Line || line_ == nullptr) {
            EndLine();
            line_ = new QHBoxLayout;
            Column()->addLayout(line_);
        }
        if (lead != nullptr) line_->addWidget(lead);
        line_->addWidget(control);
        if (unit != nullptr) line_->addWidget(unit);
        stretch_ = stretch_ || f.kind != FieldKind::Choice;
    }
    void EndLine() {
        if (line_ != nullptr && stretch_) line_->addStretch(1);
        line_ = nullptr;
        stretch_ = false;
    }

private:
    QWidget* page_;
    QVBoxLayout* layout_;
    QGroupBox* box_ = nullptr;
    QVBoxLayout* boxLayout_ = nullptr;
    const char* title_ = nullptr;
    QHBoxLayout* line_ = nullptr;
    bool stretch_ = false;
};

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
    for (int p = 0; p < kPageCount; ++p) {
        PageLayout page(pages[p], lay[p]);
        for (const Field* row : FieldsOf(p)) {
            const Field& f = *row;
            QWidget* parent = page.Parent(f);
            QWidget* control = nullptr;
            const char* lead = f.lead;
            switch (f.kind) {
                case FieldKind::Integer:
                case FieldKind::Number:
                case FieldKind::Shown: {
                    auto* edit = new QLineEdit(parent);
                    edit->setObjectName(QString::fromLatin1(f.name));
                    if (f.maxLength > 0) edit->setMaxLength(f.maxLength);
                    this->*f.edit = edit;
                    control = edit;
                    if (f.place == Place::Line || f.place == Place::Next) lead = f.caption;
                    break;
                }
                case FieldKind::Flag:
                    control = this->*f.check = new QCheckBox(QString::fromUtf8(f.caption), parent);
                    break;
                case FieldKind::Option:
                    control = this->*f.option = new QRadioButton(QString::fromUtf8(f.caption), parent);
                    break;
                case FieldKind::Choice: control = RadioGroup(parent, f.caption, f.items, this->*f.group, f.name); break;
                case FieldKind::Label:
                    control = new QLabel(QString::fromUtf8(f.caption), parent);
                    if (f.label != nullptr) this->*f.label = static_cast<QLabel*>(control);
                    break;
                case FieldKind::Own:
                    page.EndLine();
                    BuildOwnControls(p, parent, page.Column());
                    continue;
            }
            if (!f.enabled) control->setEnabled(false);
            QLabel* const leadLabel = lead != nullptr ? new QLabel(QString::fromUtf8(lead), parent) : nullptr;
            QLabel* unit = nullptr;
            if (f.unit != nullptr) {
                unit = new QLabel(QString::fromUtf8(f.unit), parent);
                if (f.unitLabel != nullptr) this->*f.unitLabel = unit;
            }
            page.Put(f, control, leadLabel, unit);
        }
    }
    for (std::size_t p = 0; p < kPageCount; ++p) {
        lay[p]->addStretch(1);
        PageControl1->addTab(pages[p], QString::fromLatin1(kPageCaptions[p]));
    }
}

// The file names of the I/O page, each with the button that chooses it.
void TTeskOptions::BuildOwnControls(int page, QWidget* parent, QVBoxLayout* layout) {
    if (page != 11) return;
    // Tab goes from the warnings to the two first-line boxes (write, trust) before the round and overwrite modes.
    setTabOrder(ShowWarningsBox, WriteSpecsBox);
    setTabOrder(WriteSpecsBox, TrustSpecsBox);
    auto* names = new QGroupBox(QStringLiteral("File Names"), parent);
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
    layout->addWidget(names);
}

void TTeskOptions::SetUpPage(int page) {
    for (const Field* row : FieldsOf(page)) {
        const Field& f = *row;
        if (std::holds_alternative<std::monostate>(f.setting)) continue;
        switch (f.kind) {
            case FieldKind::Integer: (this->*f.edit)->setText(IntText(IntegerOf(f.setting))); break;
            case FieldKind::Number:
                (this->*f.edit)->setText(NumberText(NumberIn(f.setting), f.width, f.decimals));
                break;
            case FieldKind::Flag: (this->*f.check)->setChecked(IntegerOf(f.setting) == 1); break;
            case FieldKind::Choice: {
                const std::int64_t value = IntegerOf(f.setting);
                CheckItem(this->*f.group, f.codes != nullptr ? ItemOfCode(f, value) : static_cast<int>(value));
                break;
            }
            default: break;
        }
    }
    SetUpOwnControls(page);
}

// The controls whose setting is not one of their own, and the texts that tell the current state.
void TTeskOptions::SetUpOwnControls(int page) {
    switch (page) {
        case 0: {
            const float f = MDReplaceFraction;
            MDFractionEdit->setText(IntText(std::llround(static_cast<double>(f) * 100.0)));
            if (f == 0.0f) MDAbsencesBtn->setChecked(true);
            else if (f == 1.0f) MDPresencesBtn->setChecked(true);
            else MDFractionBtn->setChecked(true);
            break;
        }
        case 1: CheckItem(ShannonFreqGroup, ShannonFreqMode == 0 ? 0 : 1); break;
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
        case 6:
            ROutputInconsistentBox->hide();
            ROutputConsensusBox->hide();
            RStopBox->hide();
            RStopUnit->hide();
            RStopEdit->hide();
            RStopEdit->setText(IntText(RStopFraction < 0.0 ? 0 : std::llround(RStopFraction * 100.0)));
            RStopBox->setChecked(RStopFraction >= 0.0);
            break;
        case 7:
            AmovaCoefficientLabel->setText(ToQt("Current coefficient: " + CoefficientName() + " (" + OutputKindName() +
                                                "). Transform: " + DistTransformName()));
            AmovaRandomBox->setChecked(AmovaRandomisations > 0);
            AmovaRandomEdit->setText(AmovaRandomisations > 0 ? IntText(AmovaRandomisations) : QStringLiteral("1000"));
            break;
        case 10:
            PopDistFreqLabel->setText(ToQt("Allele frequency estimation: " + AlleleFreqMethodName()));
            CheckItem(PopDistGroup, PopDistMeasure);
            break;
        case 11:
            // A 64-bit native program: there is no 32-bit process on a 64-bit system to tell apart.
            SystemLabel->setText(ToQt("System: " + OsName()));
            ProcessorLabel->setText(ToQt(ProcessorText()));
            InstructionSetsLabel->setText(ToQt(InstructionSetsText()));
            ParallelEdit->setText(IntText(static_cast<std::int64_t>(ThreadCount())));
            ShowFileNames();
            break;
        case 16: CheckItem(CorrectionGroup, SampleSizeCorrection == 1 ? 0 : 1); break;
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

void TTeskOptions::AcceptChange(int page, bool& failed) {
    failed = false;
    PageCheck check;
    const std::vector<const Field*> rows = FieldsOf(page);
    std::vector<Entered> entered;
    std::int64_t before = 0;  // the integer checked last
    for (const bool first : {true, false}) {
        for (const Field* row : rows) {
            const Field& f = *row;
            if (f.checkedFirst != first || (f.when != nullptr && !f.when(*this))) continue;
            QLineEdit* edit = f.edit != nullptr ? this->*f.edit : nullptr;
            if (f.kind == FieldKind::Integer) {
                const std::int64_t lo = f.aboveBefore ? before + 1 : f.lo;
                before = check.Integer(edit, f.caption, f.message, lo, f.hi);
                entered.push_back({edit, before, 0.0L});
            } else if (f.kind == FieldKind::Number) {
                entered.push_back({edit, 0, check.Number(edit, f.caption, f.message, f.ok, f.rangeText, f.rangeMessage)});
            }
        }
    }
    for (const Field* f : rows)
        if (f->kind == FieldKind::Flag && f->keptOnRefusal) StoreInteger(f->setting, Flag(this->*f->check));
    if ((failed = check.Failed())) return;

    for (const Entered& e : entered) {
        for (const Field* f : rows) {
            if (f->edit == nullptr || this->*f->edit != e.edit) continue;
            if (f->kind == FieldKind::Integer) StoreInteger(f->setting, e.integer);
            else StoreNumber(f->setting, e.number);
        }
    }
    for (const Field* f : rows) {
        if (f->kind == FieldKind::Flag && !f->keptOnRefusal) {
            StoreInteger(f->setting, Flag(this->*f->check));
        } else if (f->kind == FieldKind::Choice) {
            const int item = (this->*f->group)->checkedId();
            if (item >= 0) StoreInteger(f->setting, f->codes != nullptr ? f->codes[item] : item);
        }
    }
    const std::string summary = StoreOwnControls(page, entered);
    if (page >= 0 && page < kPageCount)
        WriteMsg("Setting parameters (" + std::string(kPageCaptions[std::size_t(page)]) + "): " + summary);
}

// Stores what the page's own code reads from its controls and the values entered for it, and gives
// the page's summary.
std::string TTeskOptions::StoreOwnControls(int page, const std::vector<Entered>& entered) {
    const auto value = [&entered](const QLineEdit* edit) {
        for (const Entered& e : entered)
            if (e.edit == edit) return e.integer;
        return std::int64_t{0};
    };
    std::string summary;
    switch (page) {
        case 0:
            if (MDAbsencesBtn->isChecked()) MDReplaceFraction = 0.0f;
            else if (MDPresencesBtn->isChecked()) MDReplaceFraction = 1.0f;
            else if (MDFractionBtn->isChecked())
                MDReplaceFraction = static_cast<float>(value(MDFractionEdit) / 100.0L);
            summary = "Replace MD by " + ExtToStr(static_cast<Extended>(MDReplaceFraction) * 100.0L) + "% presences.";
            break;
        case 1: {
            if (ShannonFreqGroup->checkedId() >= 0)
                ShannonFreqMode = static_cast<std::uint8_t>(ShannonFreqGroup->checkedId());
            const int base = ShannonBaseGroup->checkedId();
            if (base == 0) ShannonLogA = 2.0L;
            else if (base == 1) ShannonLogA = std::numbers::e_v<Extended>;
            else if (base == 2) ShannonLogA = 10.0L;
            summary =
                "Frequencies per Locus: " + BoolToText(ShannonFreqMode) + ". Log to Base " + ExtToStr(ShannonLogA);
            break;
        }
        case 2:
            if (CoefficientGroup->checkedId() < 0) ShowError("Unknown similarity coefficient");
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
        case 3:
            if (TransformGroup->checkedId() >= 0)
                DistTransformation = static_cast<std::uint8_t>(TransformGroup->checkedId());
            CombineDistTransform();
            summary = "Dist Transform: " + DistTransformName() + ".";
            break;
        case 4: summary = TreeMethodName(); break;
        case 5: summary = "MR-Threshold: " + IntToStr(MRThreshold) + "%"; break;
        case 6:
            RStopFraction = RStopBox->isChecked() ? static_cast<double>(value(RStopEdit)) / 100.0 : -9.0;
            summary = "R: MR-Thresh=" + IntToStr(RMRThreshold) + "%. Rx-Thresh= " + IntToStr(RxThreshold) +
                      ". r: " + IntToStr(RFrom) + "-" + IntToStr(RTo) + ". Precision " + IntToStr(RPrecision) +
                      " digits.";
            break;
        case 7:
            AmovaRandomisations = static_cast<std::int32_t>(value(AmovaRandomEdit));
            summary = "Similarity method: " + TreatmentName() + ".";
            if (AmovaRandomisations > 0) summary += " With randomisations: " + IntToStr(AmovaRandomisations);
            if (LocByLoc == 1) summary += " LocByLoc";
            break;
        case 8:
            summary = "MaxNIterations: " + IntToStr(PCoAMaxIterations) + ". Precision: " + ExtToStr(PCoAPrecision) +
                      " . Autostart " + OnOffText(PCoAAutostart) + " Centroids: " + BoolToText(PCoACentroids);
            break;
        case 9: summary = AlleleFreqMethodName() + ". CorrFactor= " + ExtToStr(CorrFactor); break;
        case 10: summary = PopDistName(); break;
        case 11: {
            static constexpr std::array<const char*, 3> kOverwrite = {"Ask.", "Append.", "Overwrite."};
            summary = "Show program warnings: " + YesNo(ShowWarnings) + " Write TESK Specs: " + YesNo(WriteSpecs) +
                      "Overwrite Files: " + (OverwriteMode < 3 ? kOverwrite[OverwriteMode] : "");
            break;
        }
        case 14:
            summary =
                "Replicates: Boostrap (BS): " + IntToStr(BSReplicates) + " Av. Coeff. (JC): " + IntToStr(TRReplicates) +
                " Shannon (SH): " + IntToStr(SHReplicates) + ". RMD" + (RMD == 1 ? " enabled." : " disabled.") +
                (Sh2File == 1 ? " Sh2File: yes." : " Sh2File: no.") + " I=0 in stats: " + YesNo(ShannonZeroInStats);
            break;
        case 15:
            if (DataSet) SetWeightingScheme(*DataSet, CodeOf<Weighting>(WeightingScheme));
            summary = "Weights: " + WeightingToStr(CodeOf<Weighting>(WeightingScheme));
            break;
        case 16: {
            SampleSizeCorrection = CorrectionGroup->checkedId() != 1 ? 1 : 0;
            summary = SampleSizeCorrection == 1 ? std::string("Duchesne & Bernatchez 2002 correction. ")
                                                : "Epsilon = " + ExtToStr(Epsilon) + ". ";
            summary += "MLD= " + ExtToStr(MLDThreshold) + ". ";
            break;
        }
        default: break;  // 12, 13: nothing to store
    }
    return summary;
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
