#include "gui/colour_dialog.h"

#include <QColorDialog>

#include <utility>

#include "gui/qt_canvas.h"

namespace {

ColourDialogAnswer& ScriptedAnswer() {
    static ColourDialogAnswer answer;
    return answer;
}

}  // namespace

void SetColourDialogAnswer(ColourDialogAnswer answer) { ScriptedAnswer() = std::move(answer); }

std::optional<PlotColour> AskColour(QWidget* parent, PlotColour initial) {
    if (ScriptedAnswer()) return ScriptedAnswer()(initial);
    const QColor chosen =
        QColorDialog::getColor(ToQColor(initial), parent, QString(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid()) return std::nullopt;
    return FromQColor(chosen);
}
