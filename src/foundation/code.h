// Typed codes. Inside the program every code (coefficient, treatment, transformation, tree kind,
// ...) is an enum class whose values are the numbers the settings, the data files and the dialogs
// use. A number becomes a code once, where it enters (a menu handler reading a setting, a reader
// reading a file field), and leaves as a number only where it is stored or written:
//     CmdCalculateMatrix(Treatment::Average, CodeOf<Coefficient>(SimCoefficient), ...);
// An enum class holds any number of its underlying type, so an unknown number still arrives as a
// code and is refused by the routine that meets it, with the message it has always had.
#pragma once

#include <type_traits>

template <class Code>
    requires std::is_enum_v<Code>
constexpr Code CodeOf(std::underlying_type_t<Code> number) {
    return static_cast<Code>(number);
}

template <class Code>
    requires std::is_enum_v<Code>
constexpr std::underlying_type_t<Code> NumberOf(Code code) {
    return static_cast<std::underlying_type_t<Code>>(code);
}
