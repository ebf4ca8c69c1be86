#pragma once
// The file dialogs of the menu handlers. Filters are written as the program has always written them,
// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*", and shown in Qt's form.

#include <QString>

#include <functional>
#include <string>
#include <string_view>

class QWidget;

inline constexpr const char* kTextFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
inline constexpr const char* kTreeFilter = "Phylip/Newick Tree File (*.ph)|*.ph|All Files (*.*)|*.*";

// "Description|patterns|..." to Qt's "Description (patterns);;...". "*.*" becomes "*" (Linux file
// names need no extension) and pattern lists are separated by blanks.
QString QtFileFilter(std::string_view filter);

// The chosen file, or empty when the user cancelled. folder empty: the current folder.
std::string AskOpenFileName(QWidget* parent, const std::string& title, std::string_view filter,
                            const std::string& folder, const std::string& name);
// confirmOverwrite asks before an existing file is chosen; defaultSuffix (e.g. "txt") is added to a
// name typed without one.
std::string AskSaveFileName(QWidget* parent, const std::string& title, std::string_view filter,
                            const std::string& folder, const std::string& name, bool confirmOverwrite,
                            const std::string& defaultSuffix = {});

// Answers every file dialog in place of the user while set (scripted GUI tests: Qt's own dialog
// reads its folder in the background, which makes driving it by timers unreliable under load).
// Receives the dialog's title and the name it would preselect; returns the chosen file or "".
using FileDialogAnswer = std::function<std::string(const std::string& title, const std::string& name)>;
void SetFileDialogAnswer(FileDialogAnswer answer);
