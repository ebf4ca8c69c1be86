#include "foundation/memory_guard.h"

#include <new>
#include <stdexcept>

bool CompletesInMemory(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return false;
}
