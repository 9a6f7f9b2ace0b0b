#include "shell/TrayMenu.h"

#include "settings/Settings.h"

namespace wl {

TrayMenuState ReadTrayMenuState(Registry& reg, bool vemoActive) {
    TrayMenuState state;
    state.shorthandChecked = ReadSwitch(reg, reg::kEnableShorthand, 1) != 0;
    state.wordChecked = ReadSwitch(reg, reg::kEnableWord, 1) != 0;
    state.toggleText = vemoActive ? "Disable &Wordlark" : "Enable &Wordlark";
    return state;
}

std::string UnableToOpenText(const std::string& target) {
    return "Unable to open " + target + ".";
}

}  // namespace wl
