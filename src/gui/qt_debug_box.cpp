#include "gui/qt_debug_box.h"

#include <utility>

#include "shell/ui_port.h"

QtDebugBoxes::QtDebugBoxes(UiPort& port)
    : previous_(SetDebugBoxHook([&port](std::string_view text, std::string_view caption, std::uint32_t flags) {
          return port.ShowMessageBox(text, caption, static_cast<int>(flags));
      })) {}

QtDebugBoxes::~QtDebugBoxes() { SetDebugBoxHook(std::move(previous_)); }
