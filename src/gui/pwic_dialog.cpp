#include "gui/pwic_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <string>

#include "foundation/code.h"
#include "gui/qt_text.h"
#include "popgen/data/dataset.h"
#include "shell/pairwise_comparison.h"
#include "shell/reporting.h"
#include "shell/settings.h"

namespace {

QLabel* Value(QWidget* parent, QGridLayout* grid, int row, int column) {
    auto* label = new QLabel(parent);
    label->setMinimumWidth(90);
    grid->addWidget(label, row, column);
    return label;
}

}  // namespace

TpwicDlg::TpwicDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Pairwise Individual Comparison"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));

    auto* table = new QGridLayout;
    table->addWidget(new QLabel(QStringLiteral("Ind2"), this), 0, 2, 1, 3, Qt::AlignHCenter);
    table->addWidget(new QLabel(QStringLiteral("Ind1"), this), 2, 0, 3, 1, Qt::AlignVCenter);
    const char* states[3] = {"n1", "n0", "n?"};
    for (int k = 0; k < 3; ++k) {
        table->addWidget(new QLabel(QString::fromLatin1(states[k]), this), 1, k + 2);
        table->addWidget(new QLabel(QString::fromLatin1(states[k]), this), k + 2, 1);
    }
    for (std::size_t r = 0; r < 3; ++r)
        for (std::size_t c = 0; c < 3; ++c)
            CountLabels[r][c] = Value(this, table, static_cast<int>(r) + 2, static_cast<int>(c) + 2);

    auto* shares = new QGridLayout;
    const char* shareNames[3] = {"%P=", "%MD=", "%A="};
    for (std::size_t k = 0; k < 2; ++k) {
        const int row = static_cast<int>(k);
        shares->addWidget(new QLabel(k == 0 ? QStringLiteral("Ind1") : QStringLiteral("Ind2"), this), row, 0);
        for (std::size_t s = 0; s < 3; ++s) {
            const int column = 1 + 2 * static_cast<int>(s);
            shares->addWidget(new QLabel(QString::fromLatin1(shareNames[s]), this), row, column);
            ShareLabels[k][s] = Value(this, shares, row, column + 1);
        }
    }

    auto* results = new QGridLayout;
    const char* resultNames[6] = {"%Differences (0/1)=", "%Differences (0/1/?)=", "Std Distance= ",
                                  "Avg Distance= ",      "Min Distance= ",        "Max Distance= "};
    QLabel** resultLabels[6] = {&Differences01Label, &Differences019Label, &StdDistanceLabel,
                                &AvgDistanceLabel,   &MinDistanceLabel,    &MaxDistanceLabel};
    for (int k = 0; k < 6; ++k) {
        results->addWidget(new QLabel(QString::fromLatin1(resultNames[k]), this), k, 0);
        *resultLabels[k] = Value(this, results, k, 1);
    }

    SaveButton = new QPushButton(QStringLiteral("Save to analysis file"), this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    SaveButton->hide();
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setDefault(true);
    connect(SaveButton, &QPushButton::clicked, this, [] { ShowError("Sorry - not yet implemented"); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TpwicDlg::ComboBox1Change);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TpwicDlg::ComboBox1Change);

    auto* choice = new QHBoxLayout;
    choice->addWidget(ComboBox1, 1);
    choice->addWidget(ComboBox2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SaveButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addLayout(table);
    layout->addLayout(shares);
    layout->addLayout(results);
    layout->addLayout(buttons);
}

void TpwicDlg::ClearLabels() {
    for (auto& row : CountLabels)
        for (QLabel* label : row) label->clear();
    for (auto& row : ShareLabels)
        for (QLabel* label : row) label->clear();
    for (QLabel* label : {Differences01Label, Differences019Label, StdDistanceLabel, AvgDistanceLabel, MinDistanceLabel,
                          MaxDistanceLabel})
        label->clear();
}

void TpwicDlg::SetUp(TPopGenDataSet& ds) {
    ds_ = &ds;
    ClearLabels();
    {
        const QSignalBlocker block1(ComboBox1);
        const QSignalBlocker block2(ComboBox2);
        ComboBox1->clear();
        ComboBox2->clear();
        const TDSLayer& layer = ds.GetCurrLayer();
        for (std::size_t i = 0; i < layer.NInd; ++i) {
            // A layer built without names still offers its individuals, by number.
            const QString name = i < layer.IndNames.size() ? ToQt(layer.IndNames[i]) : QString::number(i + 1);
            ComboBox1->addItem(name);
            ComboBox2->addItem(name);
        }
        ComboBox1->setCurrentIndex(0);
        ComboBox2->setCurrentIndex(0);
    }
    ComboBox1Change();  // initPWIC
}

void TpwicDlg::ComboBox1Change() {
    if (ds_ == nullptr) return;
    const std::size_t i1 = ComboBox1->currentIndex() < 0 ? 1 : static_cast<std::size_t>(ComboBox1->currentIndex()) + 1;
    const std::size_t i2 = ComboBox2->currentIndex() < 0 ? 1 : static_cast<std::size_t>(ComboBox2->currentIndex()) + 1;
    PairwiseComparison r;
    if (!CompareIndividuals(*ds_, i1, i2, CodeOf<Coefficient>(SimCoefficient),
                            CodeOf<Transformation>(DistTransformation), r)) {
        ClearLabels();
        return;
    }
    for (std::size_t a = 0; a < 3; ++a)
        for (std::size_t b = 0; b < 3; ++b) CountLabels[a][b]->setText(ToQt(PwicCountText(r.Counts[a][b])));
    for (std::size_t k = 0; k < 2; ++k) {
        ShareLabels[k][0]->setText(ToQt(PwicPercentText(r.Shares[k].Present)));
        ShareLabels[k][1]->setText(ToQt(PwicPercentText(r.Shares[k].Missing)));
        ShareLabels[k][2]->setText(ToQt(PwicPercentText(r.Shares[k].Absent)));
    }
    Differences01Label->setText(ToQt(PwicPercentText(r.Differences01)));
    Differences019Label->setText(ToQt(PwicPercentText(r.Differences019)));
    StdDistanceLabel->setText(ToQt(PwicDistanceText(r.StdDistance)));
    AvgDistanceLabel->setText(ToQt(PwicDistanceText(r.AvgDistance)));
    MinDistanceLabel->setText(ToQt(PwicDistanceText(r.MinDistance)));
    MaxDistanceLabel->setText(ToQt(PwicDistanceText(r.MaxDistance)));
}
