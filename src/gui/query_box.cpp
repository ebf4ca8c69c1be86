#include "gui/query_box.h"

#include "gui/dialog_buttons.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include <limits>

#include "foundation/number_text.h"
#include "foundation/strict_number.h"
#include "gui/qt_text.h"

TQBox::TQBox(QWidget* parent) : QDialog(parent) {
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    Label3 = new QLabel(this);
    Label4 = new QLabel(this);
    Edit1 = new QLineEdit(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMinimumContentsLength(20);
    CheckListBox1 = new QListWidget(this);
    for (QLabel* label : {Label1, Label2, Label3, Label4}) label->setTextFormat(Qt::PlainText);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &TQBox::OKBtnClick);
    connect(buttons.cancel, &QPushButton::clicked, this, &TQBox::CancelBtnClick);

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(Edit1, 1);
    editRow->addWidget(Label4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addLayout(editRow);
    layout->addWidget(ComboBox1);
    layout->addWidget(CheckListBox1);
    layout->addWidget(buttons.box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    QBoxReset();
}

void TQBox::QBoxReset() {
    for (QWidget* w : std::initializer_list<QWidget*>{Label4, Edit1, ComboBox1, CheckListBox1}) w->hide();
}

void TQBox::SetTexts(const std::string& caption, const std::string& text1, const std::string& text2,
                     const std::string& text3) {
    setWindowTitle(ToQt(caption));
    const std::string* texts[] = {&text1, &text2, &text3};
    QLabel* labels[] = {Label1, Label2, Label3};
    for (int i = 0; i < 3; ++i) {
        labels[i]->setText(ToQt(*texts[i]));
        labels[i]->setVisible(!texts[i]->empty());
    }
}

void TQBox::OKBtnClick() {
    cancelled_ = false;
    accept();
}

void TQBox::CancelBtnClick() {
    cancelled_ = true;
    reject();
}

namespace {

bool ShowEdit(const std::string& caption, const std::string& text1, const std::string& text2,
              const std::string& text3, const QString& initial, std::string& entry,
              const std::string& text4 = {}) {
    TQBox form(QApplication::activeWindow());
    form.SetTexts(caption, text1, text2, text3);
    form.Edit1->setText(initial);
    form.Edit1->selectAll();
    form.Edit1->show();
    if (!text4.empty()) {
        form.Label4->setText(ToQt(text4));
        form.Label4->show();
    }
    form.exec();
    entry = FromQt(form.Edit1->text());
    return !form.Cancelled();
}

// The entry as an integer in [low, high].
bool IntegerInRange(const std::string& entry, std::int64_t low, std::int64_t high, std::int64_t& value) {
    return ParseStrictInteger(entry, value) && value >= low && value <= high;
}

bool ShowCombo(const std::string& caption, const std::string& text1, const std::string& text2,
               const std::string& text3, const AString& items, std::int32_t& index, int widthFactor) {
    if (items.empty()) return false;
    TQBox form(QApplication::activeWindow());
    form.SetTexts(caption, text1, text2, text3);
    QComboBox* combo = form.ComboBox1;
    for (const std::string& item : items) combo->addItem(ToQt(item));
    const bool inRange = index >= 0 && static_cast<std::size_t>(index) < items.size();
    combo->setCurrentIndex(inRange ? index : 0);
    combo->setMinimumWidth(combo->sizeHint().width() * widthFactor);
    combo->show();
    form.exec();
    // The chosen item, also when another item shows the same text (groups of different parents
    // share their display name); a typed text that is no item leaves no index.
    const QString text = combo->currentText();
    const int current = combo->currentIndex();
    index = current >= 0 && combo->itemText(current) == text
                ? current
                : combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return !form.Cancelled();
}

}  // namespace

bool QueryString(const std::string& caption, const std::string& text1, const std::string& text2,
                 const std::string& text3, std::string& value) {
    return ShowEdit(caption, text1, text2, text3, ToQt(value), value);
}

bool QueryByte(const std::string& caption, const std::string& text1, const std::string& text2,
               const std::string& text3, std::uint8_t& value) {
    std::string entry;
    const bool confirmed = ShowEdit(caption, text1, text2, text3, QString::number(value), entry);
    std::int64_t parsed = 0;
    if (!IntegerInRange(entry, 0, 255, parsed)) return false;
    value = static_cast<std::uint8_t>(parsed);
    return confirmed;
}

bool QueryInteger(const std::string& caption, const std::string& text1, const std::string& text2,
                  const std::string& text3, std::uint32_t& value) {
    std::string entry;
    const bool confirmed = ShowEdit(caption, text1, text2, text3, QString::number(value), entry);
    std::int64_t parsed = 0;
    if (!confirmed || !IntegerInRange(entry, 0, std::numeric_limits<std::uint32_t>::max(), parsed)) return false;
    value = static_cast<std::uint32_t>(parsed);
    return true;
}

bool QueryFloat(const std::string& caption, const std::string& text1, const std::string& text2,
                const std::string& text3, Extended& value, int decimals, const std::string& text4) {
    std::string entry;
    const bool confirmed =
        ShowEdit(caption, text1, text2, text3, ToQt(ExtToStrF(value, 2, decimals)), entry, text4);
    Extended parsed = 0.0L;
    if (!confirmed || !ParseStrictFloat(entry, parsed)) return false;
    value = parsed;
    return true;
}

bool QueryComboIndex(const std::string& caption, const std::string& text1, const std::string& text2,
                     const std::string& text3, const AString& items, std::int32_t& index) {
    return ShowCombo(caption, text1, text2, text3, items, index, 1);
}

bool QueryComboIndexWide(const std::string& caption, const std::string& text1, const std::string& text2,
                         const std::string& text3, const AString& items, std::int32_t& index) {
    return ShowCombo(caption, text1, text2, text3, items, index, 3);
}

bool QueryCheckList(const std::string& caption, const std::string& text1, const std::string& text2,
                    const AString& items, ABool& flags) {
    if (items.empty() || items.size() != flags.size()) return false;
    TQBox form(QApplication::activeWindow());
    form.SetTexts(caption, text1, text2, {});
    QListWidget* list = form.CheckListBox1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto* item = new QListWidgetItem(ToQt(items[i]), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(flags[i] == 1 ? Qt::Checked : Qt::Unchecked);
    }
    list->show();
    form.exec();
    for (std::size_t i = 0; i < items.size(); ++i)
        flags[i] = list->item(static_cast<int>(i))->checkState() == Qt::Checked ? 1 : 0;
    return !form.Cancelled();
}
