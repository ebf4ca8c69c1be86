#pragma once
// Groups and outputs of the Shannon t-tests. The caller fills the controls, shows the form and reads
// them back; the form itself only records a Cancel.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

class TtTstDlg : public QDialog {
    Q_OBJECT
public:
    explicit TtTstDlg(QWidget* parent = nullptr);

    // 0: significance at the level in LevelEdit; 1: the calculated p-value.
    int ConfidenceOutput() const;
    void SetConfidenceOutput(int item);

    // Set by Cancel (and by closing the window); the caller clears it before showing the form.
    bool TTestCancelled = false;

    QListWidget* GroupList;  // "Groups to test", one checkable item per group
    QCheckBox* BowmanBox;
    QCheckBox* BootstrapBox;
    QRadioButton* SignificanceBtn;
    QRadioButton* PValueBtn;
    QLineEdit* LevelEdit;    // percent, read by the caller
    QCheckBox* OutputTBox;
    QCheckBox* OutputShannonBox;

private:
    void CancelBtnClick();
};
