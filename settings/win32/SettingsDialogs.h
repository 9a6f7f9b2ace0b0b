// The settings dialogs as the main window runs them from the tray menu.
#pragma once

#include <windows.h>

#include <string>

#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "settings/OptionsLogic.h"

namespace wl {

// Runs the Options dialog modally.  True on OK: every Option value and the
// Run value have been written, and result holds bEnableWord, bEnableShorthand,
// the on/off hotkey (dwEnableVemo) and the suggestion switches for the main
// window to take over, and allWritten, false when the registry refused any
// value.  False on Cancel: nothing was written and result is untouched.
// learned, when given, is shown on the Others page with its count and a
// button that forgets it, at once (even when the dialog is then cancelled).
bool RunOptionsDialog(HWND owner, Registry& reg, OptionsResult& result,
                      LearnedData* learned = nullptr);

// Runs the Applications Manager modally.  True on OK: the list replaced the
// stored applications; *allWritten (when given) tells whether the registry
// took all of it.  False on Cancel: nothing was written.
bool RunAppManager(HWND owner, Registry& reg, const CodePage& codePage, bool* allWritten = nullptr);

// Tells the user, once, that a setting could not be saved because the
// registry refused the write to root\path (RefusedWriteText): a message box
// titled "Wordlark - Error" over the program's active window.  The program's
// ReportingRegistry calls it for the first refused write of a run.
void ShowRefusedWrite(RegRoot root, const std::string& path);

}  // namespace wl
