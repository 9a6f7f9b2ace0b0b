// What the replacement typing does with the macros of a text: the date and
// time expansion, and the splitting of a text into typed parts.  The names
// themselves are macros/MacroNames.h.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "macros/MacroNames.h"

namespace wl {

// The expansion of a date or time macro for the given local time; empty when
// the token is not one of the 21 date and time names.  Numbers without a
// leading zero are formatted here; names, AM/PM and the date layout come from
// the C library's current locale.
std::string ExpandDateMacro(std::string_view token, const std::tm& time);

struct MacroPart {
    enum class Kind { Text, Key };
    Kind kind;
    std::string text;  // literal text, or exactly one key-macro name
    bool operator==(const MacroPart&) const = default;
};
using MacroText = std::vector<MacroPart>;

// Splits a replacement text into literal parts and key macros; date and time
// macros become literal text, each with the clock read anew by now().
MacroText SplitMacros(std::string_view text, const std::function<std::tm()>& now);

// The virtual key of a key macro (0 for "%CARET%" or a non-key name).
unsigned char KeyMacroVk(std::string_view name);

}  // namespace wl
