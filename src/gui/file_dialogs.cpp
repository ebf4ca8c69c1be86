#include "gui/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

#include <utility>

#include "gui/qt_text.h"

QString QtFileFilter(std::string_view filter) {
    const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description carries its own "(...)" in the old form; Qt reads the patterns from it.
        if (const qsizetype open = description.lastIndexOf(QLatin1Char('(')); open > 0)
            description = description.left(open).trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << (p.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : p.trimmed());
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

FileDialogAnswer& ScriptedAnswer() {
    static FileDialogAnswer answer;
    return answer;
}

std::string RunFileDialog(QFileDialog& dialog, const std::string& folder, const std::string& name) {
    if (ScriptedAnswer()) return ScriptedAnswer()(FromQt(dialog.windowTitle()), name);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!folder.empty()) dialog.setDirectory(ToQt(folder));
    if (!name.empty()) dialog.selectFile(ToQt(name));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return FromQt(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

}  // namespace

void SetFileDialogAnswer(FileDialogAnswer answer) { ScriptedAnswer() = std::move(answer); }

std::string AskOpenFileName(QWidget* parent, const std::string& title, std::string_view filter,
                            const std::string& folder, const std::string& name) {
    QFileDialog dialog(parent, ToQt(title), QString(), QtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return RunFileDialog(dialog, folder, name);
}

std::string AskSaveFileName(QWidget* parent, const std::string& title, std::string_view filter,
                            const std::string& folder, const std::string& name, bool confirmOverwrite,
                            const std::string& defaultSuffix) {
    QFileDialog dialog(parent, ToQt(title), QString(), QtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    if (!defaultSuffix.empty()) dialog.setDefaultSuffix(ToQt(defaultSuffix));
    return RunFileDialog(dialog, folder, name);
}
