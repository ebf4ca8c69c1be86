#pragma once
// The two parental groups and the group to test, for the hybrid index and its export. The caller
// fills the three combo boxes; OK leaves the chosen item indexes, Cancel a flag.

#include <QDialog>

#include <cstdint>

class QComboBox;

class THinExpFilt : public QDialog {
    Q_OBJECT
public:
    explicit THinExpFilt(QWidget* parent = nullptr);

    // Set by Cancel (and by closing the window); the caller clears it before showing the form.
    bool HinExpCancelled = false;
    // Item indexes chosen with OK; -1 when a box has no choice.
    std::int32_t HinExpParent1 = -1;
    std::int32_t HinExpParent2 = -1;
    std::int32_t HinExpTested = -1;

    QComboBox* Parent1Box;
    QComboBox* Parent2Box;
    QComboBox* TestedBox;

private:
    void OKBtnClick();
    void CancelBtnClick();
};
