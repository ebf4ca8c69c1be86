#pragma once
// The colour dialog of the 3-D viewer, with a scripted answer for tests like the file dialogs.

#include <functional>
#include <optional>

#include "plot3d/canvas.h"

class QWidget;

// The colour the user chose, starting from initial; nothing when cancelled.
std::optional<PlotColour> AskColour(QWidget* parent, PlotColour initial);

// Answers every colour dialog in place of the user while set.
using ColourDialogAnswer = std::function<std::optional<PlotColour>(PlotColour initial)>;
void SetColourDialogAnswer(ColourDialogAnswer answer);
