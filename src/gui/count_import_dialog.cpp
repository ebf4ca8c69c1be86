#include "gui/count_import_dialog.h"

#include "gui/dialog_buttons.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <limits>

#include "foundation/strict_number.h"
#include "gui/qt_text.h"
#include "shell/reporting.h"
#include "shell/settings.h"

namespace {

QLabel* PlainLabel(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A threshold is a count: a whole number from 0 up to the largest 32-bit signed value.
bool ParseThreshold(const QLineEdit* edit, std::int32_t& value) {
    std::int64_t parsed = 0;
    if (!ParseStrictInteger(FromQt(edit->text()), parsed) || parsed < 0 ||
        parsed > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(parsed);
    return true;
}

}  // namespace

TCntDataImportForm::TCntDataImportForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Import from count data"));
    AbsenceEdit = new QLineEdit(this);
    PresenceEdit = new QLineEdit(this);
    MissingEdit = new QLineEdit(this);
    AbsenceEdit->setObjectName(QStringLiteral("AbsenceEdit"));
    PresenceEdit->setObjectName(QStringLiteral("PresenceEdit"));
    MissingEdit->setObjectName(QStringLiteral("MissingEdit"));

    auto* form = new QFormLayout;
    form->addRow(PlainLabel("Absence IF value <=", this), AbsenceEdit);
    form->addRow(PlainLabel("Presence IF value >=", this), PresenceEdit);
    form->addRow(PlainLabel("(Missing Data if in between these two thresholds)", this));
    form->addRow(PlainLabel("Missing data IF = ", this), MissingEdit);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &TCntDataImportForm::Button1Click);
    connect(buttons.cancel, &QPushButton::clicked, this, &TCntDataImportForm::Button2Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PlainLabel("Data point is  ...", this));
    layout->addLayout(form);
    layout->addWidget(PlainLabel("NB: Individual and Locus names are expected to be present; individuals in columns", this));
    layout->addWidget(buttons.box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TCntDataImportForm::SetUp(const std::string& missingToken, std::int32_t absenceMax, std::int32_t presenceMin) {
    CountImportCancelled = true;
    AbsenceEdit->setText(QString::number(static_cast<std::uint32_t>(absenceMax)));
    PresenceEdit->setText(QString::number(static_cast<std::uint32_t>(presenceMin)));
    MissingEdit->setText(ToQt(missingToken));
}

bool TCntDataImportForm::ValidateInput() {
    std::int32_t absenceMax = 0;
    std::int32_t presenceMin = 0;
    if (!ParseThreshold(AbsenceEdit, absenceMax)) {
        ShowError("Invalid input for max absence value");
        return false;
    }
    if (!ParseThreshold(PresenceEdit, presenceMin)) {
        ShowError("Invalid input for min presence value");
        return false;
    }
    if (absenceMax >= presenceMin) {
        ShowError("Invalid input: min_Presence_Value must be > max_Absence_Value");
        return false;
    }
    CountMissingToken = FromQt(MissingEdit->text());
    CountPresenceMin = presenceMin;
    CountAbsenceMax = absenceMax;
    return true;
}

void TCntDataImportForm::Button1Click() {
    if (!ValidateInput()) return;
    CountImportCancelled = false;
    accept();
}

void TCntDataImportForm::Button2Click() {
    CountImportCancelled = true;
    reject();
}
