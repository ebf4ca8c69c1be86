#include "foundation/debug_box.h"

#include <iostream>
#include <string>

namespace {

DebugBoxHook boxHook;

}  // namespace

DebugBoxHook SetDebugBoxHook(DebugBoxHook hook) {
    DebugBoxHook previous = std::move(boxHook);
    boxHook = std::move(hook);
    return previous;
}

int ShowDebugBox(std::string_view text, std::string_view caption, std::uint32_t flags) {
    if (boxHook) return boxHook(text, caption, flags);
    std::cerr << caption << ": " << text << std::endl;
    return 1;  // as if OK was pressed
}

void ShowDebugMessage(std::string_view text, std::string_view caption) { ShowDebugBox(text, caption, 0); }

void DebugBox(std::string_view text) { ShowDebugBox(text, "TEST", 0); }

void DebugBoxW(std::u16string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (char16_t c : text) narrow.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    DebugBox(narrow);
}
