// The library dialogs as the main window runs them.
//
// The tray menu's "&Libraries Manager..." and the start-up question's OK:
//
//     if (RunLibrariesManager(m_hWnd, m_registry, codePage, libsFolder))
//         ReloadLibraries();   // Load(<program folder>\Libs\*.lib, 0)
//
// The resources are in res/LibUi.rc (include it into the program's resource
// script); the editor's text box is a rich edit control ("RichEdit20W",
// riched20.dll, which the editor loads itself when the program has not).
#pragma once

#include <windows.h>

#include <string>

#include "platform/CodePage.h"
#include "platform/Registry.h"

namespace wl {

// "<folder of the running program>\Libs"; "" when the program's own path
// cannot be obtained.
std::string ProgramLibsFolder();

// Runs the Libraries Manager modally over the libraries of libsFolder (""
// takes ProgramLibsFolder(); when that is unknown too the list is empty).
// registry holds the load switches (under HKEY_LOCAL_MACHINE, key
// SOFTWARE\Quorbit\LoadSet) and the progress window's remembered position
// (HKEY_CURRENT_USER\Software\Quorbit\Wordlark\Settings, "X" and "Y").
// True on OK: every load switch has been written and the caller reloads its
// library set.  False on Cancel (nothing was written) or when the dialog
// could not be created.
bool RunLibrariesManager(HWND owner, Registry& registry, const CodePage& codePage,
                         const std::string& libsFolder = {});

// Runs the library editor modally on one library file; mayChange is the
// library's editable flag.  True on OK.
bool RunLibraryEditor(HWND owner, Registry& registry, const CodePage& codePage,
                      const std::string& path, int mayChange);

}  // namespace wl
