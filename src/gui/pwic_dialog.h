#pragma once
// "Pairwise Individual Comparison": two individuals of the current layer, chosen in two combo
// boxes, compared locus by locus (shell/pairwise_comparison.h).

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class TPopGenDataSet;

class TpwicDlg : public QDialog {
    Q_OBJECT
public:
    explicit TpwicDlg(QWidget* parent = nullptr);

    // Empties the results, fills both combo boxes with the current layer's individuals, chooses the
    // first in both and shows their comparison. The data set must outlive the dialog's use.
    void SetUp(TPopGenDataSet& ds);
    void ClearLabels();

    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    // CountLabels[r][c]: loci where individual 1 shows state r and individual 2 state c (1, 0, ?).
    std::array<std::array<QLabel*, 3>, 3> CountLabels{};
    // Per individual: %P, %MD, %A.
    std::array<std::array<QLabel*, 3>, 2> ShareLabels{};
    QLabel* Differences01Label;
    QLabel* Differences019Label;
    QLabel* StdDistanceLabel;
    QLabel* AvgDistanceLabel;
    QLabel* MinDistanceLabel;
    QLabel* MaxDistanceLabel;
    QPushButton* SaveButton;  // "Save to analysis file", hidden
    QPushButton* CloseButton;

private:
    void ComboBox1Change();

    TPopGenDataSet* ds_ = nullptr;
};
