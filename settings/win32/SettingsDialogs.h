// The settings dialogs as the main window runs them from the tray menu.
#pragma once

#include <windows.h>

#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "settings/OptionsLogic.h"

namespace wl {

// Runs the Options dialog modally.  True on OK: every Option value and the
// Run value have been written, and result holds bEnableWord, bEnableShorthand
// and the on/off hotkey (dwEnableVemo) for the main window to take over, and
// allWritten, false when the registry refused any value.  False on Cancel:
// nothing was written and result is untouched.
bool RunOptionsDialog(HWND owner, Registry& reg, OptionsResult& result);

// Runs the Applications Manager modally.  True on OK: the list replaced the
// stored applications; *allWritten (when given) tells whether the registry
// took all of it.  False on Cancel: nothing was written.
bool RunAppManager(HWND owner, Registry& reg, const CodePage& codePage, bool* allWritten = nullptr);

}  // namespace wl
