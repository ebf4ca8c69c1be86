#include "gui/ttest_dialog.h"

#include "gui/dialog_buttons.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

TtTstDlg::TtTstDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("T-testing"));

    auto* groups = new QGroupBox(QStringLiteral("Groups to test"), this);
    GroupList = new QListWidget(groups);
    GroupList->setObjectName(QStringLiteral("GroupList"));
    (new QVBoxLayout(groups))->addWidget(GroupList);

    auto* tests = new QGroupBox(QStringLiteral("Test the following"), this);
    BowmanBox = new QCheckBox(QStringLiteral("Shannon (Bowman Variance)"), tests);
    BootstrapBox = new QCheckBox(QStringLiteral("Shannon (Bootstrapped Variance)"), tests);
    auto* testsLayout = new QVBoxLayout(tests);
    testsLayout->addWidget(BowmanBox);
    testsLayout->addWidget(BootstrapBox);

    auto* confidence = new QGroupBox(QStringLiteral("Confidence Output"), this);
    SignificanceBtn = new QRadioButton(QStringLiteral("Significance at p-value"), confidence);
    PValueBtn = new QRadioButton(QStringLiteral("Calculated p-value"), confidence);
    PValueBtn->setChecked(true);
    // The level field follows the first item's caption, before its "%"; made after both items, so
    // Tab reaches it after them.
    LevelEdit = new QLineEdit(QStringLiteral("5.0"), confidence);
    LevelEdit->setObjectName(QStringLiteral("LevelEdit"));
    auto* confidenceLayout = new QGridLayout(confidence);
    confidenceLayout->addWidget(SignificanceBtn, 0, 0);
    confidenceLayout->addWidget(LevelEdit, 0, 1);
    confidenceLayout->addWidget(new QLabel(QStringLiteral("%"), confidence), 0, 2);
    confidenceLayout->addWidget(PValueBtn, 1, 0, 1, 3);
    confidenceLayout->setColumnStretch(3, 1);  // the field keeps its natural width

    OutputTBox = new QCheckBox(QStringLiteral("Output t(df) values"), this);
    OutputTBox->setChecked(true);
    OutputShannonBox = new QCheckBox(QStringLiteral("Output Shannon"), this);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons.cancel, &QPushButton::clicked, this, &TtTstDlg::CancelBtnClick);
    connect(this, &QDialog::rejected, this, [this] { TTestCancelled = true; });

    auto* right = new QVBoxLayout;
    right->addWidget(tests);
    right->addWidget(confidence);
    right->addWidget(OutputTBox);
    right->addWidget(OutputShannonBox);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addWidget(groups, 1);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons.box);
}

int TtTstDlg::ConfidenceOutput() const { return SignificanceBtn->isChecked() ? 0 : 1; }

void TtTstDlg::SetConfidenceOutput(int item) {
    SignificanceBtn->setChecked(item == 0);
    PValueBtn->setChecked(item != 0);
}

void TtTstDlg::CancelBtnClick() {
    TTestCancelled = true;
    reject();
}
