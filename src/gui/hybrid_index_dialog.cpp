#include "gui/hybrid_index_dialog.h"

#include "gui/dialog_buttons.h"

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

THinExpFilt::THinExpFilt(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("hindex export filter"));
    Parent1Box = new QComboBox(this);
    Parent2Box = new QComboBox(this);
    TestedBox = new QComboBox(this);
    Parent1Box->setObjectName(QStringLiteral("Parent1Box"));
    Parent2Box->setObjectName(QStringLiteral("Parent2Box"));
    TestedBox->setObjectName(QStringLiteral("TestedBox"));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Select Parent 1"), Parent1Box);
    form->addRow(QStringLiteral("Select Parent 2"), Parent2Box);
    form->addRow(QStringLiteral("Individuals to be tested"), TestedBox);
    for (QComboBox* box : {Parent1Box, Parent2Box, TestedBox}) box->setMinimumContentsLength(24);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &THinExpFilt::OKBtnClick);
    connect(buttons.cancel, &QPushButton::clicked, this, &THinExpFilt::CancelBtnClick);
    connect(this, &QDialog::rejected, this, [this] { HinExpCancelled = true; });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons.box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void THinExpFilt::OKBtnClick() {
    HinExpParent1 = Parent1Box->currentIndex();
    HinExpParent2 = Parent2Box->currentIndex();
    HinExpTested = TestedBox->currentIndex();
    accept();
}

void THinExpFilt::CancelBtnClick() {
    HinExpCancelled = true;
    reject();
}
