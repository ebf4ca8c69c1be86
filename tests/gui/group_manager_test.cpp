#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <string>
#include <utility>
#include <vector>

#include "gui/group_manager.h"
#include "gui/main_window.h"
#include "gui/pwic_dialog.h"
#include "gui/qt_ui_port.h"
#include "gui_test_util.h"
#include "shell/global_dataset.h"
#include "shell/settings.h"
#include "support/band_rows.h"

namespace {

// The dialogs through Qt, the message boxes recorded and answered OK.
class DialogsPort final : public UiPort {
public:
    explicit DialogsPort(TMainPrg& window) : qt_(window), previous_(SetUiPort(this)) {}
    ~DialogsPort() override { SetUiPort(previous_); }
    DialogsPort(const DialogsPort&) = delete;
    DialogsPort& operator=(const DialogsPort&) = delete;

    int ShowMessageBox(std::string_view text, std::string_view caption, int /*style*/) override {
        boxes.emplace_back(std::string(caption) + ": " + std::string(text));
        return kAnswerOk;
    }
    void SetMessageLines(const MessageLines& lines) override { qt_.SetMessageLines(lines); }
    void SetStatusPanel(std::size_t panel, std::string_view text) override { qt_.SetStatusPanel(panel, text); }
    void UpdateQuickSelectionMenus() override {
        ++menuUpdates;
        qt_.UpdateQuickSelectionMenus();
    }
    bool RunGroupManager(TPopGenDataSet& ds, bool& chosen) override { return qt_.RunGroupManager(ds, chosen); }
    void ShowPairwiseComparison(TPopGenDataSet& ds) override { qt_.ShowPairwiseComparison(ds); }

    std::vector<std::string> boxes;
    int menuUpdates = 0;

private:
    QtUiPort qt_;
    UiPort* previous_;
};

// Six individuals I1-I6 (rows) by four loci L1-L4, groups Region/North {1,2,3} and South {4,5,6},
// the locus set Set1 {L1}; the working layer current.
void SetData() {
    ResetDataSet();
    TPopGenDataSet& ds = *DataSet;
    SetOriginalRows(ds, {"1010", "1100", "1001", "0110", "0101", "9011"},
                    {{"Region/North", {1, 2, 3}}, {"South", {4, 5, 6}}});
    ds.LocusSets.push_back({"Set1", {"L1"}, 0, 1, {1, 0, 0, 0}});
    QVERIFY(ds.RestoreOriginalMatrix());
}

std::vector<std::string> GroupNames() {
    std::vector<std::string> names;
    for (const TdsFilterRec& g : DataSet->Groups) names.push_back(g.Name);
    return names;
}

std::vector<std::string> LocusSetNames() {
    std::vector<std::string> names;
    for (const TdsFilterRec& s : DataSet->LocusSets) names.push_back(s.Name);
    return names;
}

QStringList SubmenuItems(TMainPrg& window, const char* submenu) {
    QStringList items;
    if (QAction* action = window.Action(QString::fromLatin1(submenu)); action != nullptr && action->menu() != nullptr)
        for (QAction* item : action->menu()->actions()) items << item->text();
    return items;
}

void SelectItems(QListWidget* list, const QStringList& texts) {
    list->clearSelection();
    for (int k = 0; k < list->count(); ++k)
        if (texts.contains(list->item(k)->text())) list->item(k)->setSelected(true);
}

void CheckLoci(QListWidget* list, const QStringList& texts) {
    for (int k = 0; k < list->count(); ++k)
        list->item(k)->setCheckState(texts.contains(list->item(k)->text()) ? Qt::Checked : Qt::Unchecked);
}

}  // namespace

class GroupManagerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { RestoreDefaultSettings(); }
    void cleanup() {
        FreeDataSet();
        RestoreDefaultSettings();
    }

    void createDeleteAndChooseThenOkApplies() {
        SetData();
        TMainPrg window;
        DialogsPort port(window);
        OnNextModal<TGrpManDlg>([&port](TGrpManDlg* d) {
            QCOMPARE(d->GroupNameLabel->text(), QStringLiteral("AllData"));
            QCOMPARE(d->MemberCount->text(), QStringLiteral("n= 6"));
            QCOMPARE(d->ComboBox1->count(), 3);
            QCOMPARE(d->LocusCount->text(), QStringLiteral("n= 4"));

            d->ComboBox1->setCurrentIndex(1);
            QCOMPARE(d->GroupNameLabel->text(), QStringLiteral("Region/North"));
            QCOMPARE(d->MemberList->count(), 3);
            SelectItems(d->MemberList, {"I1", "I3"});
            d->AddMembersButton->click();
            d->AddMembersButton->click();  // listed members are not listed twice
            QCOMPARE(d->SubsetList->count(), 2);
            QCOMPARE(d->SubsetCount->text(), QStringLiteral("n= 2"));
            d->GroupNameEdit->setText(QStringLiteral("Core 1"));
            d->AcceptSubsetButton->click();
            QCOMPARE(d->ComboBox1->count(), 4);
            QCOMPARE(d->ComboBox1->itemText(3), QStringLiteral("Region/North/Core1"));
            QCOMPARE(d->SubsetList->count(), 0);
            QVERIFY(port.boxes.empty());

            // The same last name part again is refused.
            SelectItems(d->MemberList, {"I2"});
            d->AddMembersButton->click();
            d->GroupNameEdit->setText(QStringLiteral("Core1"));
            d->AcceptSubsetButton->click();
            QCOMPARE(port.boxes.back(), std::string("Error: Proposed group name already exits"));
            QCOMPARE(d->ComboBox1->count(), 4);

            // Delete South; the dialog shows AllData again.
            d->ComboBox1->setCurrentIndex(2);
            d->DeleteSubsetButton->click();
            QCOMPARE(d->ComboBox1->count(), 3);
            QCOMPARE(d->GroupNameLabel->text(), QStringLiteral("AllData"));
            QCOMPARE(d->CurrentGroup(), std::size_t{0});

            // A new locus set, chosen for the selection.
            d->UnselectAllButton->click();
            QCOMPARE(d->LocusCount->text(), QStringLiteral("n= 0"));
            CheckLoci(d->LocusList, {"L2", "L3"});
            QCOMPARE(d->LocusCount->text(), QStringLiteral("n= 2"));
            d->LocusSetNameEdit->setText(QStringLiteral("mine;2"));
            d->AddLocusSetButton->click();
            QCOMPARE(d->LocusSetNameEdit->text(), QStringLiteral("mine2"));
            QCOMPARE(d->ComboBox2->currentText(), QStringLiteral("mine2"));
            d->SelectCurrentButton->click();
            ClickButton(d, "OKBtn");
        });
        window.Action(QStringLiteral("GroupManager1"))->trigger();

        QCOMPARE(GroupNames(), (std::vector<std::string>{"AllData", "Region/North", "Region/North/Core1"}));
        QCOMPARE(DataSet->Groups[2].Count, std::size_t{2});
        QCOMPARE(LocusSetNames(), (std::vector<std::string>{"AllLoci", "Set1", "mine2"}));
        QCOMPARE(DataSet->CurLocusSet, std::size_t{2});
        QCOMPARE(DataSet->GetCurrLayer().NLoci, std::size_t{2});
        QCOMPARE(GrpManLocusSet, std::uint16_t{2});
        QVERIFY(DataSet->EditGroups.empty());
        QCOMPARE(port.menuUpdates, 1);
        QCOMPARE(port.boxes.size(), std::size_t{1});
        // The quick-selection menus follow the new lists.
        QCOMPARE(SubmenuItems(window, "SelectGroupOnly1"),
                 (QStringList{"AllData", "Region/North", "Region/North/Core1"}));
        QCOMPARE(SubmenuItems(window, "SelectLocusSetOnly1"), (QStringList{"AllLoci", "Set1", "mine2"}));
    }

    void deletingTheSelectedGroupSelectsAllData() {
        SetData();
        QVERIFY(DataSet->Select(2, 0));  // South
        TMainPrg window;
        DialogsPort port(window);
        OnNextModal<TGrpManDlg>([](TGrpManDlg* d) {
            QCOMPARE(d->GroupNameLabel->text(), QStringLiteral("South"));
            d->DeleteSubsetButton->click();
            ClickButton(d, "OKBtn");
        });
        window.Action(QStringLiteral("GroupManager1"))->trigger();
        QCOMPARE(GroupNames(), (std::vector<std::string>{"AllData", "Region/North"}));
        QCOMPARE(DataSet->CurGroup, std::size_t{0});
        QCOMPARE(DataSet->GetCurrLayer().NInd, std::size_t{6});
    }

    void cancelEscapeAndCloseChangeNothing() {
        for (const char* how : {"Cancel", "Escape", "close"}) {
            SetData();
            GroupPathFormat = 1;
            TMainPrg window;
            DialogsPort port(window);
            OnNextModal<TGrpManDlg>([how](TGrpManDlg* d) {
                d->PathFormatBox->setChecked(false);
                QCOMPARE(d->ComboBox1->itemText(1), QStringLiteral("North"));
                d->ComboBox1->setCurrentIndex(1);
                d->DeleteSubsetButton->click();
                d->ComboBox2->setCurrentIndex(1);
                d->DeleteLocusSetButton->click();
                if (std::string_view(how) == "Cancel") ClickButton(d, "CancelBtn");
                else if (std::string_view(how) == "Escape") QTest::keyClick(d, Qt::Key_Escape);
                else d->close();
            });
            window.Action(QStringLiteral("GroupManager1"))->trigger();
            QCOMPARE(GroupNames(), (std::vector<std::string>{"AllData", "Region/North", "South"}));
            QCOMPARE(LocusSetNames(), (std::vector<std::string>{"AllLoci", "Set1"}));
            QCOMPARE(GroupPathFormat, std::uint8_t{1});
            QVERIFY(DataSet->EditGroups.empty());
            QCOMPARE(port.menuUpdates, 1);
            QCOMPARE(SubmenuItems(window, "SelectGroupOnly1"), (QStringList{"AllData", "Region/North", "South"}));
        }
    }

    void defaultSetsStay() {
        SetData();
        TMainPrg window;
        DialogsPort port(window);
        OnNextModal<TGrpManDlg>([](TGrpManDlg* d) {
            d->DeleteSubsetButton->click();
            d->DeleteLocusSetButton->click();
            d->AcceptSubsetButton->click();  // no members chosen: nothing happens
            ClickButton(d, "OKBtn");
        });
        window.Action(QStringLiteral("GroupManager1"))->trigger();
        QCOMPARE(port.boxes.size(), std::size_t{2});
        QCOMPARE(GroupNames().size(), std::size_t{3});
        QCOMPARE(LocusSetNames().size(), std::size_t{2});
    }

    void pairwiseComparisonShowsTheChosenPair() {
        SetData();
        TMainPrg window;
        DialogsPort port(window);
        OnNextModal<TpwicDlg>([](TpwicDlg* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Pairwise Individual Comparison"));
            QVERIFY(d->SaveButton->isHidden());
            QCOMPARE(d->ComboBox1->count(), 6);
            // I1 with itself: a diagonal table.
            QCOMPARE(d->CountLabels[0][0]->text(), QStringLiteral("2"));
            QCOMPARE(d->CountLabels[0][1]->text(), QStringLiteral("0"));
            QCOMPARE(d->Differences019Label->text(), QStringLiteral("0.000"));
            QCOMPARE(d->StdDistanceLabel->text(), QStringLiteral("0.0000000000"));
            // I1 = 1010 against I6 = 9011.
            d->ComboBox2->setCurrentIndex(5);
            QCOMPARE(d->CountLabels[0][2]->text(), QStringLiteral("1"));  // (1, ?)
            QCOMPARE(d->CountLabels[1][1]->text(), QStringLiteral("1"));  // L2
            QCOMPARE(d->CountLabels[0][0]->text(), QStringLiteral("1"));  // L3
            QCOMPARE(d->ShareLabels[1][0]->text(), QStringLiteral("50.000"));
            QCOMPARE(d->ShareLabels[1][1]->text(), QStringLiteral("25.000"));
            QCOMPARE(d->ShareLabels[1][2]->text(), QStringLiteral("25.000"));
            QCOMPARE(d->Differences01Label->text(), QStringLiteral("25.000"));
            QCOMPARE(d->Differences019Label->text(), QStringLiteral("50.000"));
            QVERIFY(!d->AvgDistanceLabel->text().isEmpty());
            d->CloseButton->click();
        });
        window.Action(QStringLiteral("PairwiseIndividualComparison1"))->trigger();
        QVERIFY(port.boxes.empty());
        QCOMPARE(window.MessageLine(5), QStringLiteral("Displaying Pairwise Individual Comparison Interface"));
    }
};

QTEST_MAIN(GroupManagerTest)
#include "group_manager_test.moc"
