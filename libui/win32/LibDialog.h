// The base of the library dialogs, and LibUiHost, through which the dialogs
// show message boxes and ask for file names, so that tests can answer them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "libui/UiMessage.h"
#include "platform/win32/DialogBase.h"

namespace wl {

// The library dialogs register the common controls they use before they are
// made.
class LibDialog : public DialogBase {
  public:
    INT_PTR DoModal(HWND owner);
    HWND Create(HWND owner);

  protected:
    using DialogBase::DialogBase;
};

// Registers the common controls the dialogs use (list view, progress bar).
void EnsureCommonControls();

class LibUiHost {
  public:
    virtual ~LibUiHost() = default;
    // Shows a message box; answers the button pressed (IDOK, IDCANCEL).
    virtual int ShowMessage(HWND owner, const UiMessage& message);
    // Asks for a text file to read (save false) or to write; "" when the
    // user cancelled.  Filter "Text (*.txt)" and "All Files (*.*)", and for
    // reading the snippet files of other text expanders (*.ahk, *.yml and
    // *.yaml, *.csv) between them; default extension "txt", and the
    // overwrite prompt when saving.
    virtual std::string ChooseFile(HWND owner, bool save);
};

// Message boxes and the common file dialogs.
LibUiHost& DefaultLibUiHost();

// Library text for the wide-character controls: bytes in a LibraryEncoding
// (UTF-8, or the system's code page) as UTF-16.  Bytes that are not valid
// in it show as U+FFFD; nothing is dropped silently.
std::wstring WideOfLibraryText(const std::string& bytes, std::int32_t encoding);
// A window's whole text, read with the wide-character calls, as UTF-8.
std::string Utf8WindowText(HWND hwnd);
// Sets a dialog item's text from library text of the encoding.
void SetLibraryText(HWND dlg, int id, const std::string& bytes, std::int32_t encoding);

}  // namespace wl
