#pragma once
// The file dialogs of the menu handlers. Filters are written as the program has always written them,
// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*", and shown in Qt's form.

#include <QString>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class QFileDialog;
class QWidget;

inline constexpr const char* kTextFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
inline constexpr const char* kTreeFilter = "Phylip/Newick Tree File (*.ph)|*.ph|All Files (*.*)|*.*";

// "Description|patterns|..." to Qt's "Description (patterns);;...". "*.*" becomes "*" (Linux file
// names need no extension) and pattern lists are separated by blanks.
QString QtFileFilter(std::string_view filter);

// The chosen file, or empty when the user cancelled. folder empty: the working folder.
std::string AskOpenFileName(QWidget* parent, const std::string& title, std::string_view filter,
                            const std::string& folder, const std::string& name);
// confirmOverwrite asks before an existing file is chosen; defaultSuffix (e.g. "txt") is added to a
// name typed without one.
std::string AskSaveFileName(QWidget* parent, const std::string& title, std::string_view filter,
                            const std::string& folder, const std::string& name, bool confirmOverwrite,
                            const std::string& defaultSuffix = {});

// A file to save in one of the filter's types; Type is the type's entry in the filter (0 for the
// first). Empty FileName: cancelled.
struct SaveChoice {
    std::string FileName;
    std::size_t Type = 0;
};

// A save dialog whose types decide the file: a name typed without an extension gets the extension
// of the type chosen in the dialog, and a name ending in the extension of one of the types is of
// that type (so the contents always match the extension the file has).
SaveChoice AskSaveFileAndType(QWidget* parent, const std::string& title, std::string_view filter,
                              const std::string& folder, const std::string& name, bool confirmOverwrite);

// The dialog AskSaveFileAndType shows, before it runs: the extension it adds follows the type
// chosen. TypedSaveChoice reads the choice of such a dialog once it was accepted.
void FollowChosenType(QFileDialog& dialog, std::string_view filter);
SaveChoice TypedSaveChoice(const QFileDialog& dialog, std::string_view filter);

// What a file dialog asks and what the user answers, for scripted GUI tests.
struct FileDialogRequest {
    std::string Title;
    std::string Folder;  // where the dialog opens
    std::string Name;    // the name it preselects
};
using FileDialogScript = std::function<SaveChoice(const FileDialogRequest& request)>;

// Answers every file dialog in place of the user while set (scripted GUI tests: Qt's own dialog
// reads its folder in the background, which makes driving it by timers unreliable under load).
void SetFileDialogScript(FileDialogScript script);

// The same for answers that need only the title and the preselected name and pick the first type.
using FileDialogAnswer = std::function<std::string(const std::string& title, const std::string& name)>;
void SetFileDialogAnswer(FileDialogAnswer answer);
