#include "gui/file_param_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QLineEdit* SymbolEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(1);
    // One visible 8-bit character: a symbol is compared byte by byte with the file's contents.
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{21}-\\x{7E}\\x{A1}-\\x{FF}]")), edit));
    edit->setAlignment(Qt::AlignCenter);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 3);
    return edit;
}

QString SymbolText(char c) { return QString::fromLatin1(&c, 1); }

// The field's character, or the previous symbol when the field is empty.
char SymbolOf(const QLineEdit* edit, char previous) {
    const QByteArray text = edit->text().toLatin1();
    return text.isEmpty() ? previous : text.front();
}

}  // namespace

TFileParamDialog::TFileParamDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("File Parameter Selection"));

    auto* orientation = new QGroupBox(QStringLiteral("Individuals in ..."), this);
    RowsBtn = new QRadioButton(QStringLiteral("rows"), orientation);
    ColumnsBtn = new QRadioButton(QStringLiteral("columns"), orientation);
    ColumnsBtn->setChecked(true);
    auto* orientationLayout = new QVBoxLayout(orientation);
    orientationLayout->addWidget(RowsBtn);
    orientationLayout->addWidget(ColumnsBtn);

    auto* headers = new QGroupBox(QStringLiteral("Header presence for ..."), this);
    IndividualsBox = new QCheckBox(QStringLiteral("individuals"), headers);
    LociBox = new QCheckBox(QStringLiteral("loci"), headers);
    auto* headersLayout = new QVBoxLayout(headers);
    headersLayout->addWidget(IndividualsBox);
    headersLayout->addWidget(LociBox);

    PresenceEdit = SymbolEdit(this, "PresenceEdit");
    AbsenceEdit = SymbolEdit(this, "AbsenceEdit");
    AmbiguityEdit = SymbolEdit(this, "AmbiguityEdit");
    OpenRemarkEdit = SymbolEdit(this, "OpenRemarkEdit");
    CloseRemarkEdit = SymbolEdit(this, "CloseRemarkEdit");
    EndOfDataEdit = SymbolEdit(this, "EndOfDataEdit");
    auto* symbols = new QGridLayout;
    const std::pair<const char*, QLineEdit*> symbolFields[] = {
        {"Presence", PresenceEdit},     {"Absence", AbsenceEdit},         {"Ambiguity", AmbiguityEdit},
        {"OpenRemark", OpenRemarkEdit}, {"CloseRemark", CloseRemarkEdit}, {"EndOfData", EndOfDataEdit}};
    int column = 0;
    for (const auto& [caption, edit] : symbolFields) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(edit);
        symbols->addWidget(label, 0, column, Qt::AlignHCenter);
        symbols->addWidget(edit, 1, column, Qt::AlignHCenter);
        ++column;
    }

    DelimitedBox = new QCheckBox(QStringLiteral("Delimited data"), this);
    IncludeGroupsBox = new QCheckBox(QStringLiteral("Include Groups"), this);
    AmbiguityNegativeBox = new QCheckBox(QStringLiteral("Ambiguity negative"), this);
    auto* flags = new QHBoxLayout;
    flags->addWidget(DelimitedBox);
    flags->addWidget(IncludeGroupsBox);
    flags->addWidget(AmbiguityNegativeBox);
    flags->addStretch(1);

    auto* note = new QLabel(QStringLiteral("NB: The input file ought not contain the characters '<' or '>'."), this);
    note->setTextFormat(Qt::PlainText);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TFileParamDialog::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &TFileParamDialog::CancelBtnClick);
    // Closing the window is a Cancel too.
    connect(this, &QDialog::rejected, this, [this] { FileParamCancelled = true; });

    auto* top = new QHBoxLayout;
    top->addWidget(orientation);
    top->addWidget(headers);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(symbols);
    layout->addLayout(flags);
    layout->addWidget(note);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFileParamDialog::SetFields(const FileParamFields& fields) {
    ColumnsBtn->setChecked(fields.indInColumns);
    RowsBtn->setChecked(!fields.indInColumns);
    IndividualsBox->setChecked(fields.indHeader);
    LociBox->setChecked(fields.locHeader);
    PresenceEdit->setText(SymbolText(fields.presence));
    AbsenceEdit->setText(SymbolText(fields.absence));
    AmbiguityEdit->setText(SymbolText(fields.ambiguity));
    OpenRemarkEdit->setText(SymbolText(fields.openRemark));
    CloseRemarkEdit->setText(SymbolText(fields.closeRemark));
    EndOfDataEdit->setText(SymbolText(fields.endOfData));
    DelimitedBox->setChecked(fields.delimitedData);
    IncludeGroupsBox->setChecked(fields.includeGroups);
    AmbiguityNegativeBox->setChecked(fields.ambiguityNegative);
}

FileParamFields TFileParamDialog::Fields(const FileParamFields& previous) const {
    FileParamFields f;
    f.indInColumns = ColumnsBtn->isChecked();
    f.indHeader = IndividualsBox->isChecked();
    f.locHeader = LociBox->isChecked();
    f.presence = SymbolOf(PresenceEdit, previous.presence);
    f.absence = SymbolOf(AbsenceEdit, previous.absence);
    f.ambiguity = SymbolOf(AmbiguityEdit, previous.ambiguity);
    f.openRemark = SymbolOf(OpenRemarkEdit, previous.openRemark);
    f.closeRemark = SymbolOf(CloseRemarkEdit, previous.closeRemark);
    f.endOfData = SymbolOf(EndOfDataEdit, previous.endOfData);
    f.delimitedData = DelimitedBox->isChecked();
    f.includeGroups = IncludeGroupsBox->isChecked();
    f.ambiguityNegative = AmbiguityNegativeBox->isChecked();
    return f;
}

void TFileParamDialog::OKBtnClick() { accept(); }

void TFileParamDialog::CancelBtnClick() {
    FileParamCancelled = true;
    reject();
}
