#pragma once
// The GUI's debug boxes: while one of these lives, the "TEST" boxes of the developer checks
// (foundation/debug_box.h) are modal message boxes of the port, owned by the active window.
// Without it they go to standard error.

#include "foundation/debug_box.h"

class UiPort;

class QtDebugBoxes {
public:
    // The port is not owned and must outlive this.
    explicit QtDebugBoxes(UiPort& port);
    ~QtDebugBoxes();
    QtDebugBoxes(const QtDebugBoxes&) = delete;
    QtDebugBoxes& operator=(const QtDebugBoxes&) = delete;

private:
    DebugBoxHook previous_;
};
