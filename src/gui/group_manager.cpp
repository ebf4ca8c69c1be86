#include "gui/group_manager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "gui/dialog_buttons.h"
#include "gui/qt_text.h"
#include "popgen/data/dataset.h"
#include "shell/global_dataset.h"
#include "shell/group_editing.h"
#include "shell/settings.h"

namespace {

QString CountText(std::size_t n) { return ToQt("n= " + std::to_string(n)); }

QPushButton* Button(QWidget* parent, const char* caption, const char* objectName) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    return button;
}

QListWidget* MultiList(QWidget* parent, const char* objectName) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(objectName));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

}  // namespace

TGrpManDlg::TGrpManDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Group Manager"));

    auto* groups = new QGroupBox(QStringLiteral("Data set"), this);
    ComboBox1 = new QComboBox(groups);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    GroupNameLabel = new QLabel(QStringLiteral("AllData"), groups);
    MemberList = MultiList(groups, "MemberList");
    MemberCount = new QLabel(CountText(0), groups);
    PathFormatBox = new QCheckBox(QStringLiteral("Show full data path"), groups);
    AddMembersButton = Button(groups, ">>", "AddMembersButton");
    RemoveMembersButton = Button(groups, "X", "RemoveMembersButton");
    SubsetList = MultiList(groups, "SubsetList");
    SubsetCount = new QLabel(CountText(0), groups);
    GroupNameEdit = new QLineEdit(groups);
    GroupNameEdit->setObjectName(QStringLiteral("GroupNameEdit"));
    AcceptSubsetButton = Button(groups, "Accept sub-set", "AcceptSubsetButton");
    DeleteSubsetButton = Button(groups, "Delete sub-set", "DeleteSubsetButton");
    {
        auto* layout = new QGridLayout(groups);
        layout->addWidget(new QLabel(QStringLiteral("Source data set"), groups), 0, 0);
        layout->addWidget(ComboBox1, 0, 1, 1, 3);
        layout->addWidget(new QLabel(QStringLiteral("Data set name"), groups), 1, 0);
        layout->addWidget(GroupNameLabel, 1, 1, 1, 3);
        layout->addWidget(MemberList, 2, 0, 4, 1);
        layout->addWidget(AddMembersButton, 2, 1);
        layout->addWidget(RemoveMembersButton, 3, 1);
        layout->addWidget(new QLabel(QStringLiteral("Data sub-set"), groups), 1, 2);
        layout->addWidget(SubsetList, 2, 2, 4, 2);
        layout->addWidget(MemberCount, 6, 0);
        layout->addWidget(SubsetCount, 6, 2);
        layout->addWidget(PathFormatBox, 7, 0);
        layout->addWidget(new QLabel(QStringLiteral("Name"), groups), 7, 2);
        layout->addWidget(GroupNameEdit, 7, 3);
        layout->addWidget(AcceptSubsetButton, 8, 2);
        layout->addWidget(DeleteSubsetButton, 8, 3);
    }

    auto* loci = new QGroupBox(QStringLiteral("Locus sets"), this);
    ComboBox2 = new QComboBox(loci);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    LocusSetNameLabel = new QLabel(QStringLiteral("AllLoci"), loci);
    LocusList = new QListWidget(loci);
    LocusList->setObjectName(QStringLiteral("LocusList"));
    LocusCount = new QLabel(CountText(0), loci);
    LocusSetNameEdit = new QLineEdit(loci);
    LocusSetNameEdit->setObjectName(QStringLiteral("LocusSetNameEdit"));
    AddLocusSetButton = Button(loci, "Add", "AddLocusSetButton");
    DeleteLocusSetButton = Button(loci, "Delete", "DeleteLocusSetButton");
    SelectCurrentButton = Button(loci, "Select current", "SelectCurrentButton");
    UnselectAllButton = Button(loci, "Unselect all", "UnselectAllButton");
    {
        auto* layout = new QVBoxLayout(loci);
        layout->addWidget(new QLabel(QStringLiteral("(group independent)"), loci));
        layout->addWidget(ComboBox2);
        layout->addWidget(new QLabel(QStringLiteral("Locus set name"), loci));
        layout->addWidget(LocusSetNameLabel);
        layout->addWidget(LocusList, 1);
        layout->addWidget(LocusCount);
        auto* name = new QHBoxLayout;
        name->addWidget(new QLabel(QStringLiteral("Name"), loci));
        name->addWidget(LocusSetNameEdit);
        layout->addLayout(name);
        auto* row1 = new QHBoxLayout;
        row1->addWidget(AddLocusSetButton);
        row1->addWidget(DeleteLocusSetButton);
        layout->addLayout(row1);
        auto* row2 = new QHBoxLayout;
        row2->addWidget(SelectCurrentButton);
        row2->addWidget(UnselectAllButton);
        layout->addLayout(row2);
    }

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &TGrpManDlg::OKBtnClick);
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Cancel, Escape and the window's close button all end here.
    connect(this, &QDialog::rejected, this, &TGrpManDlg::CancelBtnClick);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TGrpManDlg::NewGrpSlection);
    connect(PathFormatBox, &QCheckBox::toggled, this, &TGrpManDlg::TogglePathFormat);
    connect(AddMembersButton, &QPushButton::clicked, this, &TGrpManDlg::Button1Click);
    connect(RemoveMembersButton, &QPushButton::clicked, this, &TGrpManDlg::Button2Click);
    connect(AcceptSubsetButton, &QPushButton::clicked, this, &TGrpManDlg::Button3Click);
    connect(DeleteSubsetButton, &QPushButton::clicked, this, &TGrpManDlg::Button4Click);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TGrpManDlg::NewLocSelection);
    connect(LocusList, &QListWidget::itemChanged, this, &TGrpManDlg::LocNoRedo);
    connect(AddLocusSetButton, &QPushButton::clicked, this, &TGrpManDlg::Button5Click);
    connect(DeleteLocusSetButton, &QPushButton::clicked, this, &TGrpManDlg::Button6Click);
    connect(SelectCurrentButton, &QPushButton::clicked, this, [this] {
        c_ = l_;
        chosenNow_ = true;
    });
    connect(UnselectAllButton, &QPushButton::clicked, this, [this] {
        const QSignalBlocker block(LocusList);
        for (int k = 0; k < LocusList->count(); ++k) LocusList->item(k)->setCheckState(Qt::Unchecked);
        LocusCount->setText(CountText(0));
    });

    auto* columns = new QHBoxLayout;
    columns->addWidget(groups, 2);
    columns->addWidget(loci, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons.box);
}

void TGrpManDlg::SetUp(TPopGenDataSet& ds) {
    ds_ = &ds;
    GrpManCancelled = false;
    chosenNow_ = false;
    g_ = IndexInList(ds.CurGroup, ds.EditGroups);
    l_ = IndexInList(ds.CurLocusSet, ds.EditLocusSets);
    c_ = IndexInList(c_, ds.EditLocusSets);
    savedPathFormat_ = GroupPathFormat;
    {
        const QSignalBlocker block(PathFormatBox);
        PathFormatBox->setChecked(GroupPathFormat == 1);
    }
    FillGroupCombo();
    ShowGroup();
    GroupNameEdit->clear();
    FillLocusCombo();
    ShowLocusSet();
    LocusSetNameEdit->clear();
}

void TGrpManDlg::FillGroupCombo() {
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    for (const TdsFilterRec& g : ds_->EditGroups) ComboBox1->addItem(ToQt(GroupDisplayName(g.Name)));
    ComboBox1->setCurrentIndex(static_cast<int>(g_));
}

// The name label, the member list and both counts of group g; the sub-set list emptied.
void TGrpManDlg::ShowGroup() {
    if (g_ >= ds_->EditGroups.size()) return;
    const TdsFilterRec& g = ds_->EditGroups[g_];
    GroupNameLabel->setText(ToQt(GroupDisplayName(g.Name)));
    MemberList->clear();
    for (const std::string& m : g.Members) MemberList->addItem(ToQt(m));
    MemberCount->setText(CountText(g.Count));
    SubsetList->clear();
    SubsetCount->setText(CountText(0));
}

void TGrpManDlg::FillLocusCombo() {
    const QSignalBlocker block(ComboBox2);
    ComboBox2->clear();
    for (const TdsFilterRec& l : ds_->EditLocusSets) ComboBox2->addItem(ToQt(l.Name));
    ComboBox2->setCurrentIndex(static_cast<int>(l_));
}

// Every locus of "AllLoci", checked when set l holds it.
void TGrpManDlg::ShowLocusSet() {
    if (l_ >= ds_->EditLocusSets.size() || ds_->EditLocusSets.empty()) return;
    const TdsFilterRec& set = ds_->EditLocusSets[l_];
    LocusSetNameLabel->setText(ToQt(set.Name));
    LocusCount->setText(CountText(set.Count));
    const QSignalBlocker block(LocusList);
    LocusList->clear();
    for (const std::string& locus : ds_->EditLocusSets[0].Members) {
        auto* item = new QListWidgetItem(ToQt(locus), LocusList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const bool member = std::find(set.Members.begin(), set.Members.end(), locus) != set.Members.end();
        item->setCheckState(member ? Qt::Checked : Qt::Unchecked);
    }
}

void TGrpManDlg::NewGrpSlection(int index) {
    if (ds_ == nullptr || index < 0) return;
    g_ = static_cast<std::size_t>(index);
    ShowGroup();
}

void TGrpManDlg::TogglePathFormat(bool on) {
    GroupPathFormat = on ? 1 : 0;
    if (ds_ == nullptr) return;
    FillGroupCombo();
    if (g_ < ds_->EditGroups.size()) GroupNameLabel->setText(ToQt(GroupDisplayName(ds_->EditGroups[g_].Name)));
}

void TGrpManDlg::Button1Click() {
    QStringList listed;
    for (int k = 0; k < SubsetList->count(); ++k) listed << SubsetList->item(k)->text();
    for (int k = 0; k < MemberList->count(); ++k) {
        QListWidgetItem* item = MemberList->item(k);
        // A member already in the sub-set is not listed twice.
        if (!item->isSelected() || listed.contains(item->text())) continue;
        SubsetList->addItem(item->text());
        listed << item->text();
    }
    SubsetCount->setText(CountText(static_cast<std::size_t>(SubsetList->count())));
}

void TGrpManDlg::Button2Click() {
    for (int k = SubsetList->count() - 1; k >= 0; --k)
        if (SubsetList->item(k)->isSelected()) delete SubsetList->takeItem(k);
    SubsetCount->setText(CountText(static_cast<std::size_t>(SubsetList->count())));
}

void TGrpManDlg::Button3Click() {
    if (ds_ == nullptr || SubsetList->count() == 0) return;
    AString members;
    for (int k = 0; k < SubsetList->count(); ++k) members.push_back(FromQt(SubsetList->item(k)->text()));
    std::string name = FromQt(GroupNameEdit->text());
    const bool added = AcceptSubset(*ds_, FromQt(GroupNameLabel->text()), name, members);
    GroupNameEdit->setText(ToQt(name));
    if (!added) return;
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->addItem(ToQt(GroupDisplayName(ds_->EditGroups.back().Name)));
        ComboBox1->setCurrentIndex(static_cast<int>(g_));
    }
    GroupNameEdit->clear();
    SubsetList->clear();
    SubsetCount->setText(CountText(0));
}

void TGrpManDlg::Button4Click() {
    if (ds_ == nullptr || !DeleteEditGroup(*ds_, g_)) return;
    g_ = 0;
    FillGroupCombo();
    ShowGroup();
}

void TGrpManDlg::NewLocSelection(int index) {
    if (ds_ == nullptr || index < 0) return;
    l_ = static_cast<std::size_t>(index);
    ShowLocusSet();
}

void TGrpManDlg::LocNoRedo() {
    std::size_t checked = 0;
    for (int k = 0; k < LocusList->count(); ++k)
        if (LocusList->item(k)->checkState() == Qt::Checked) ++checked;
    LocusCount->setText(CountText(checked));
}

void TGrpManDlg::Button5Click() {
    if (ds_ == nullptr) return;
    AString loci;
    for (int k = 0; k < LocusList->count(); ++k)
        if (LocusList->item(k)->checkState() == Qt::Checked) loci.push_back(FromQt(LocusList->item(k)->text()));
    std::string name = FromQt(LocusSetNameEdit->text());
    const bool added = AddLocusSet(*ds_, name, loci);
    LocusSetNameEdit->setText(ToQt(name));
    if (!added) return;
    l_ = ds_->EditLocusSets.size() - 1;
    {
        const QSignalBlocker block(ComboBox2);
        ComboBox2->addItem(ToQt(ds_->EditLocusSets.back().Name));
        ComboBox2->setCurrentIndex(static_cast<int>(l_));
    }
    LocusSetNameLabel->setText(ToQt(ds_->EditLocusSets.back().Name));
}

void TGrpManDlg::Button6Click() {
    if (ds_ == nullptr || !DeleteEditLocusSet(*ds_, l_, c_)) return;
    l_ = 0;
    FillLocusCombo();
    ShowLocusSet();
}

void TGrpManDlg::OKBtnClick() {
    GrpManGroup = static_cast<std::uint16_t>(g_);
    GrpManLocusSet = static_cast<std::uint16_t>(c_);
    GrpManCancelled = false;
    accept();
}

void TGrpManDlg::CancelBtnClick() {
    GroupPathFormat = savedPathFormat_;
    GrpManCancelled = true;
}
