#pragma once
// Developer mode's additions to the main window: the one-line command box and the developer
// buttons below the message area. The delivered program has neither.

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

// In developer mode: puts the command box and the developer buttons under the message area:
// "+pwR(dm)" and "amova" run the developer routines, "Measure" and "+Coord>DM" do nothing. Does
// nothing otherwise. (The developer menu "DevMode" is part of the menu tree, menu_dev_mode.cpp.)
void AddDeveloperTools(TMainPrg& window);
