// Diagnostic message boxes of the developer checks. They report through a replaceable hook: the
// GUI installs one that shows a modal box; without it the text goes to standard error, so tests and
// headless runs never block.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

// Shows text with caption and message-box flags; returns the button pressed (1 OK, 6 Yes, 7 No).
using DebugBoxHook = std::function<int(std::string_view text, std::string_view caption, std::uint32_t flags)>;
// Installs a hook and returns the one installed before; an empty hook restores standard error.
DebugBoxHook SetDebugBoxHook(DebugBoxHook hook);

int ShowDebugBox(std::string_view text, std::string_view caption, std::uint32_t flags);
// One OK button.
void ShowDebugMessage(std::string_view text, std::string_view caption);
// The text captioned "TEST", one OK button.
void DebugBox(std::string_view text);
// UTF-16 text as 8-bit (characters above 255 become '?'), then DebugBox.
void DebugBoxW(std::u16string_view text);
