// The tray menu's help, link and About commands.
#pragma once

#include <windows.h>

namespace wl {

// Shows "WLHelp.chm" from the program's folder with the HTML Help control;
// silently does nothing when the file or the control is missing.
void ShowHelpContents(HWND owner);
// Opens a web or mail link with the shell; tells the user when it cannot.
void OpenLink(HWND owner, const char* target);
void ShowAbout(HWND owner);

}  // namespace wl
