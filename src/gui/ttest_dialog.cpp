#include "gui/ttest_dialog.h"

#include "gui/dialog_buttons.h"

#include <QCheckBox>
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
    SignificanceBtn = new QRadioButton(QStringLiteral("Significance at p-value               %"), confidence);
    PValueBtn = new QRadioButton(QStringLiteral("Calculated p-value"), confidence);
    PValueBtn->setChecked(true);
    // The level field sits in the gap of the first item's caption, before its "%".
    LevelEdit = new QLineEdit(QStringLiteral("5.0"), SignificanceBtn);
    LevelEdit->setObjectName(QStringLiteral("LevelEdit"));
    {
        const QFontMetrics metrics = SignificanceBtn->fontMetrics();
        const int textStart = SignificanceBtn->sizeHint().width() -
                              metrics.horizontalAdvance(SignificanceBtn->text());
        const int gapStart = textStart + metrics.horizontalAdvance(QStringLiteral("Significance at p-value "));
        const int gapWidth = metrics.horizontalAdvance(QStringLiteral("             "));
        const int height = SignificanceBtn->sizeHint().height();
        LevelEdit->setGeometry(gapStart, 0, gapWidth, height);
        SignificanceBtn->setMinimumHeight(height);
    }
    auto* confidenceLayout = new QVBoxLayout(confidence);
    confidenceLayout->addWidget(SignificanceBtn);
    confidenceLayout->addWidget(PValueBtn);

    OutputTBox = new QCheckBox(QStringLiteral("Output t(df) values"), this);
    OutputTBox->setChecked(true);
    OutputShannonBox = new QCheckBox(QStringLiteral("Output Shannon"), this);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons.cancel, &QPushButton::clicked, this, &TtTstDlg::CancelBtnClick);
    connect(this, &QDialog::rejected, this, [this] { TTestCancelled = 1; });

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
    TTestCancelled = 1;
    reject();
}
