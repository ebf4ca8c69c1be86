#pragma once
// The generic modal query form: one value (a text, a small integer, an integer, a number, a choice
// from a list or a set of checked items) under a caption and up to four explanatory lines.
// Every query returns true when the user confirmed with OK and, for the numeric ones, the entry
// was a valid number in range. A new form is made for each query.

#include <QDialog>

#include <cstdint>
#include <string>

#include "foundation/types.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

class TQBox : public QDialog {
    Q_OBJECT
public:
    explicit TQBox(QWidget* parent = nullptr);

    // Hides every optional control.
    void QBoxReset();
    void SetTexts(const std::string& caption, const std::string& text1, const std::string& text2,
                  const std::string& text3);

    // True until OK is pressed.
    bool Cancelled() const { return cancelled_; }

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLineEdit* Edit1;
    QComboBox* ComboBox1;
    QListWidget* CheckListBox1;

private:
    void OKBtnClick();
    void CancelBtnClick();

    bool cancelled_ = true;
};

bool QueryString(const std::string& caption, const std::string& text1, const std::string& text2,
                 const std::string& text3, std::string& value);
// Value changes when the entry is an integer 0..255, also after Cancel.
bool QueryByte(const std::string& caption, const std::string& text1, const std::string& text2,
               const std::string& text3, std::uint8_t& value);
// Value changes only when confirmed with an integer 0..4294967295.
bool QueryInteger(const std::string& caption, const std::string& text1, const std::string& text2,
                  const std::string& text3, std::uint32_t& value);
// The value is offered with the given decimals; text4 stands beside the edit (a unit such as "%").
// Value changes only when confirmed with a number.
bool QueryFloat(const std::string& caption, const std::string& text1, const std::string& text2,
                const std::string& text3, Extended& value, int decimals, const std::string& text4);
// index: the chosen item, -1 when the user typed a text that is no item.
bool QueryComboIndex(const std::string& caption, const std::string& text1, const std::string& text2,
                     const std::string& text3, const AString& items, std::int32_t& index);
// The same with a combo box three times as wide, for long item texts.
bool QueryComboIndexWide(const std::string& caption, const std::string& text1, const std::string& text2,
                         const std::string& text3, const AString& items, std::int32_t& index);
// flags[i] receives item i's check mark, also when the user cancels.
bool QueryCheckList(const std::string& caption, const std::string& text1, const std::string& text2,
                    const AString& items, ABool& flags);
