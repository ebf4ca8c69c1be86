#include "gui/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <utility>
#include <vector>

#include "gui/qt_text.h"
#include "shell/program_files.h"

namespace {

// One type of a filter: its description and patterns, "*.*" read as "*".
struct FileType {
    QString Description;
    QStringList Patterns;
};

std::vector<FileType> FileTypes(std::string_view filter) {
    const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    std::vector<FileType> types;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        FileType type{parts[i].trimmed(), {}};
        // The description carries its own "(...)" in the old form; Qt reads the patterns from it.
        if (const qsizetype open = type.Description.lastIndexOf(QLatin1Char('(')); open > 0)
            type.Description = type.Description.left(open).trimmed();
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            type.Patterns << (p.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : p.trimmed());
        types.push_back(std::move(type));
    }
    return types;
}

QString QtFilterOf(const FileType& type) {
    return type.Description + QStringLiteral(" (") + type.Patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

// The extensions a type names ("*.png" -> "png"); none for "*".
QStringList Extensions(const FileType& type) {
    QStringList extensions;
    for (const QString& p : type.Patterns)
        if (p.startsWith(QLatin1String("*.")) && p.size() > 2) extensions << p.mid(2);
    return extensions;
}

// The name as saved and its type: the type whose extension it ends with, else the chosen one, whose
// extension a name without any gets.
SaveChoice ResolveType(const std::string& typed, std::size_t chosen, const std::vector<FileType>& types) {
    SaveChoice choice{typed, chosen < types.size() ? chosen : 0};
    if (typed.empty() || types.empty()) return choice;
    const QString suffix = QFileInfo(ToQt(typed)).suffix();
    if (suffix.isEmpty()) {
        const QStringList extensions = Extensions(types[choice.Type]);
        if (!extensions.isEmpty()) choice.FileName += "." + FromQt(extensions.constFirst());
        return choice;
    }
    for (std::size_t t = 0; t < types.size(); ++t)
        if (Extensions(types[t]).contains(suffix, Qt::CaseInsensitive)) {
            choice.Type = t;
            break;
        }
    return choice;
}

FileDialogScript& Script() {
    static FileDialogScript script;
    return script;
}

std::string FolderOrWorking(const std::string& folder) { return folder.empty() ? WorkingFolder() : folder; }

// Runs the dialog; false when it was cancelled.
bool RunFileDialog(QFileDialog& dialog, const std::string& folder, const std::string& name) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setDirectory(ToQt(FolderOrWorking(folder)));
    if (!name.empty()) dialog.selectFile(ToQt(name));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
}

std::string SelectedFile(const QFileDialog& dialog) {
    return FromQt(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

void PrepareSave(QFileDialog& dialog, bool confirmOverwrite) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
}

SaveChoice Scripted(const std::string& title, const std::string& folder, const std::string& name) {
    return Script()(FileDialogRequest{title, FolderOrWorking(folder), name});
}

}  // namespace

QString QtFileFilter(std::string_view filter) {
    QStringList filters;
    for (const FileType& type : FileTypes(filter)) filters << QtFilterOf(type);
    return filters.join(QStringLiteral(";;"));
}

void SetFileDialogScript(FileDialogScript script) { Script() = std::move(script); }

void SetFileDialogAnswer(FileDialogAnswer answer) {
    if (!answer) {
        Script() = nullptr;
        return;
    }
    Script() = [answer = std::move(answer)](const FileDialogRequest& request) {
        return SaveChoice{answer(request.Title, request.Name), 0};
    };
}

std::string AskOpenFileName(QWidget* parent, const std::string& title, std::string_view filter,
                            const std::string& folder, const std::string& name) {
    if (Script()) return Scripted(title, folder, name).FileName;
    QFileDialog dialog(parent, ToQt(title), QString(), QtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return RunFileDialog(dialog, folder, name) ? SelectedFile(dialog) : std::string();
}

std::string AskSaveFileName(QWidget* parent, const std::string& title, std::string_view filter,
                            const std::string& folder, const std::string& name, bool confirmOverwrite,
                            const std::string& defaultSuffix) {
    if (Script()) return Scripted(title, folder, name).FileName;
    QFileDialog dialog(parent, ToQt(title), QString(), QtFileFilter(filter));
    PrepareSave(dialog, confirmOverwrite);
    if (!defaultSuffix.empty()) dialog.setDefaultSuffix(ToQt(defaultSuffix));
    return RunFileDialog(dialog, folder, name) ? SelectedFile(dialog) : std::string();
}

void FollowChosenType(QFileDialog& dialog, std::string_view filter) {
    const std::vector<FileType> types = FileTypes(filter);
    const auto useType = [&dialog, types](const QString& qtFilter) {
        for (const FileType& type : types)
            if (QtFilterOf(type) == qtFilter) {
                const QStringList extensions = Extensions(type);
                dialog.setDefaultSuffix(extensions.isEmpty() ? QString() : extensions.constFirst());
            }
    };
    if (!types.empty()) useType(QtFilterOf(types.front()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, useType);
}

SaveChoice TypedSaveChoice(const QFileDialog& dialog, std::string_view filter) {
    const std::vector<FileType> types = FileTypes(filter);
    std::size_t chosen = 0;
    for (std::size_t t = 0; t < types.size(); ++t)
        if (QtFilterOf(types[t]) == dialog.selectedNameFilter()) chosen = t;
    return ResolveType(dialog.selectedFiles().isEmpty() ? std::string() : SelectedFile(dialog), chosen, types);
}

SaveChoice AskSaveFileAndType(QWidget* parent, const std::string& title, std::string_view filter,
                              const std::string& folder, const std::string& name, bool confirmOverwrite) {
    if (Script()) {
        const SaveChoice answer = Scripted(title, folder, name);
        return ResolveType(answer.FileName, answer.Type, FileTypes(filter));
    }
    QFileDialog dialog(parent, ToQt(title), QString(), QtFileFilter(filter));
    PrepareSave(dialog, confirmOverwrite);
    FollowChosenType(dialog, filter);
    if (!RunFileDialog(dialog, folder, name)) return {};
    return TypedSaveChoice(dialog, filter);
}
