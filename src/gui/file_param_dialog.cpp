#include "gui/file_param_dialog.h"

#include "gui/dialog_buttons.h"
#include "shell/reporting.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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

// A remark field's character; a refused one keeps the previous symbol (Cancel copies the fields back).
char RemarkSymbolOf(const QLineEdit* edit, char previous) {
    const char c = SymbolOf(edit, previous);
    return RemarkSymbolAllowed(c) ? c : previous;
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
    AmbiguityNegativeBox->hide();  // shown only while saving
    auto* flags = new QHBoxLayout;
    flags->addWidget(DelimitedBox);
    flags->addWidget(IncludeGroupsBox);
    flags->addWidget(AmbiguityNegativeBox);
    flags->addStretch(1);

    auto* note = new QLabel(QStringLiteral("NB: The input file ought not contain the characters '<' or '>'."), this);
    note->setTextFormat(Qt::PlainText);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &TFileParamDialog::OKBtnClick);
    connect(buttons.cancel, &QPushButton::clicked, this, &TFileParamDialog::CancelBtnClick);
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
    layout->addWidget(buttons.box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFileParamDialog::SetFields(const FileParamRecord& rec) {
    ColumnsBtn->setChecked(rec.IndInColumns);
    RowsBtn->setChecked(!rec.IndInColumns);
    IndividualsBox->setChecked(rec.IndHeader);
    LociBox->setChecked(rec.LocHeader);
    PresenceEdit->setText(SymbolText(rec.PresenceChar));
    AbsenceEdit->setText(SymbolText(rec.AbsenceChar));
    AmbiguityEdit->setText(SymbolText(rec.AmbiguityChar));
    OpenRemarkEdit->setText(SymbolText(rec.OpenRemarkChar));
    CloseRemarkEdit->setText(SymbolText(rec.CloseRemarkChar));
    EndOfDataEdit->setText(SymbolText(rec.EndOfDataChar));
    DelimitedBox->setChecked(rec.DelimitedData);
    IncludeGroupsBox->setChecked(rec.IncludeGroups);
    AmbiguityNegativeBox->setChecked(rec.AmbiguityNegative);
}

FileParamRecord TFileParamDialog::Fields(const FileParamRecord& previous) const {
    FileParamRecord rec = previous;
    rec.IndInColumns = ColumnsBtn->isChecked();
    rec.IndHeader = IndividualsBox->isChecked();
    rec.LocHeader = LociBox->isChecked();
    rec.PresenceChar = SymbolOf(PresenceEdit, previous.PresenceChar);
    rec.AbsenceChar = SymbolOf(AbsenceEdit, previous.AbsenceChar);
    rec.AmbiguityChar = SymbolOf(AmbiguityEdit, previous.AmbiguityChar);
    rec.OpenRemarkChar = RemarkSymbolOf(OpenRemarkEdit, previous.OpenRemarkChar);
    rec.CloseRemarkChar = RemarkSymbolOf(CloseRemarkEdit, previous.CloseRemarkChar);
    rec.EndOfDataChar = SymbolOf(EndOfDataEdit, previous.EndOfDataChar);
    rec.DelimitedData = DelimitedBox->isChecked();
    rec.IncludeGroups = IncludeGroupsBox->isChecked();
    rec.AmbiguityNegative = AmbiguityNegativeBox->isChecked();
    return rec;
}

void TFileParamDialog::OKBtnClick() {
    for (QLineEdit* edit : {OpenRemarkEdit, CloseRemarkEdit}) {
        const QByteArray text = edit->text().toLatin1();
        if (text.isEmpty() || RemarkSymbolAllowed(text.front())) continue;
        // The saved file's own text would hold remarks: its groups could not be read back.
        ShowError("Invalid remark symbol: " + text.toStdString() +
                  "\r\nRemark symbols cannot be letters, digits or any of [ ] * = , ;");
        edit->setFocus();
        edit->selectAll();
        return;
    }
    accept();
}

void TFileParamDialog::CancelBtnClick() {
    FileParamCancelled = true;
    reject();
}

bool EditFileParams(TFileParamDialog& dialog, bool showAmbiguityNegative) {
    const FileParamRecord before = GetFileParams();
    dialog.FileParamCancelled = false;
    dialog.SetFields(before);
    dialog.AmbiguityNegativeBox->setVisible(showAmbiguityNegative);
    dialog.exec();
    dialog.AmbiguityNegativeBox->hide();
    SetFileParams(dialog.Fields(before));
    return dialog.FileParamCancelled;
}
