#pragma once
// "Group Manager": defines and deletes groups and locus sets of the loaded data set and chooses the
// locus set to select afterwards. It works on the data set's edit copies only (EditGroups,
// EditLocusSets); the caller makes them live when the dialog was confirmed.

#include <QDialog>

#include <cstddef>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TPopGenDataSet;

class TGrpManDlg : public QDialog {
    Q_OBJECT
public:
    explicit TGrpManDlg(QWidget* parent = nullptr);

    // InitGrpManDlg and the filling of every control from the data set's edit copies, which must
    // exist (BackupFilters) and outlive the dialog's use.
    void SetUp(TPopGenDataSet& ds);

    std::size_t CurrentGroup() const { return g_; }
    std::size_t CurrentLocusSet() const { return l_; }
    std::size_t ChosenLocusSet() const { return c_; }
    // "Select current" was pressed since SetUp.
    bool LocusSetChosen() const { return chosenNow_; }
    // 1 unless the dialog was closed with OK.
    bool GrpManCancelled = true;

    // Group half
    QComboBox* ComboBox1;    // "Source data set"
    QLabel* GroupNameLabel;  // "Data set name"
    QListWidget* MemberList;
    QLabel* MemberCount;
    QCheckBox* PathFormatBox;          // "Show full data path"
    QPushButton* AddMembersButton;     // ">>"
    QPushButton* RemoveMembersButton;  // "X"
    QListWidget* SubsetList;           // "Data sub-set"
    QLabel* SubsetCount;
    QLineEdit* GroupNameEdit;
    QPushButton* AcceptSubsetButton;
    QPushButton* DeleteSubsetButton;
    // Locus-set half
    QComboBox* ComboBox2;
    QLabel* LocusSetNameLabel;
    QListWidget* LocusList;  // every locus, checked when in the shown set
    QLabel* LocusCount;
    QLineEdit* LocusSetNameEdit;
    QPushButton* AddLocusSetButton;
    QPushButton* DeleteLocusSetButton;
    QPushButton* SelectCurrentButton;
    QPushButton* UnselectAllButton;

private:
    void NewGrpSlection(int index);
    void TogglePathFormat(bool on);
    void Button1Click();  // >>
    void Button2Click();  // X
    void Button3Click();  // Accept sub-set
    void Button4Click();  // Delete sub-set
    void NewLocSelection(int index);
    void LocNoRedo();
    void Button5Click();  // Add
    void Button6Click();  // Delete
    void OKBtnClick();
    void CancelBtnClick();

    void FillGroupCombo();
    void ShowGroup();
    void FillLocusCombo();
    void ShowLocusSet();

    TPopGenDataSet* ds_ = nullptr;
    std::size_t g_ = 0;
    std::size_t l_ = 0;
    std::size_t c_ = 0;  // kept from one opening to the next
    bool chosenNow_ = false;
    std::uint8_t savedPathFormat_ = 1;
};
