// What the tray menu shows each time it opens, and the product's links.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace wl {

inline constexpr char kHomePage[] = "https://wordlark.org/";
inline constexpr char kFeedbackAddress[] = "feedback@wordlark.org";
inline constexpr char kFeedbackLink[] = "mailto:feedback@wordlark.org?subject=Wordlark Feedback";
inline constexpr char kHelpFile[] = "WLHelp.chm";

struct TrayMenuState {
    bool wordChecked = true;       // "&Word/Phrase AutoComplete"
    bool shorthandChecked = true;  // "&Shorthand AutoExpand"
    const char* toggleText = "";   // "Enable &Wordlark" or "Disable &Wordlark"
};

// Rebuilt from the registry and the hook library's state at every opening; a
// switch that cannot be read counts as on.
TrayMenuState ReadTrayMenuState(Registry& reg, bool vemoActive);

// "Unable to open <target>."
std::string UnableToOpenText(const std::string& target);

}  // namespace wl
