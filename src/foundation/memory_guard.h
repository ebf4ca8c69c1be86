// The one place where a memory shortage is caught. Everything that must survive one (the engine's
// entry points through ReportShortage, foundation/reporter.h; a report that does not fit; the
// command wrapper) runs its step through here instead of catching std::bad_alloc itself.
#pragma once

#include <functional>

// True when step ran to its end; false when an allocation inside it failed (std::bad_alloc, or
// std::length_error for a size no container can hold). Any other exception passes through.
bool CompletesInMemory(const std::function<void()>& step);
