#pragma once
// Developer mode's additions to the main window: the one-line command box below the message area
// and the developer menu. The delivered program has neither.

#include <QLineEdit>

class TMainPrg;

// The command box "Edit1": Enter writes ">" + its text to the message area, empties the box and
// runs the text through the command interpreter; other keys are the edit's.
class TCommandBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TCommandBox(QWidget* parent = nullptr);

private:
    void Execute();
};

// In developer mode: puts the command box under the message area and adds the menu "DevMode";
// "pwR(dm)" and "avgind2pop" run the developer routines, the other items have no commands (they
// stay disabled). Does nothing otherwise.
void AddDeveloperTools(TMainPrg& window);
