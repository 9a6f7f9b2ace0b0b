// The base of the library dialogs: a dialog resource of the program run by a
// plain dialog procedure, modal (DoModal) or modeless (Create, for tests and
// the wait box); and LibUiHost, through which the dialogs show message boxes
// and ask for file names, so that tests can answer them.
#pragma once

#include <windows.h>

#include <string>

#include "libui/UiMessage.h"

namespace wl {

class LibDialog {
  public:
    virtual ~LibDialog();
    LibDialog(const LibDialog&) = delete;
    LibDialog& operator=(const LibDialog&) = delete;

    // Runs the dialog modally: IDOK, IDCANCEL, or -1 when it could not be
    // created.
    INT_PTR DoModal(HWND owner);
    // Creates the dialog modeless (visible as its resource says); ending it
    // destroys the window.  nullptr on failure.
    HWND Create(HWND owner);
    HWND hwnd() const { return m_hWnd; }
    // Destroys the window now (a modeless dialog, or a modal one from a test
    // that gives up); derived destructors call it while they are whole.
    void Destroy();
    // How the dialog ended (IDOK, IDCANCEL); 0 while it runs.
    INT_PTR Result() const { return m_nResult; }

  protected:
    explicit LibDialog(int resourceId) : m_nResourceId(resourceId) {}

    // Ends a modal run, or destroys a modeless dialog.
    void End(INT_PTR result);
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    std::string ItemText(int id) const;
    // The answer of a notification (DWLP_MSGRESULT); the handler then
    // answers TRUE.
    void SetMessageResult(LRESULT result) const;

    virtual BOOL OnInitDialog() = 0;
    // TRUE when handled; the dialog's default handling follows otherwise.
    virtual INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    // Called on WM_DESTROY, before the handle is forgotten.
    virtual void OnDestroy() {}

    HWND m_hWnd = nullptr;

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    int m_nResourceId;
    bool m_bModal = false;
    INT_PTR m_nResult = 0;
};

// The module that holds the dialog resources: the program itself.
HINSTANCE LibUiModule();
// Registers the common controls the dialogs use (list view, progress bar).
void EnsureCommonControls();
// The whole text of a window.
std::string WindowText(HWND hwnd);

class LibUiHost {
  public:
    virtual ~LibUiHost() = default;
    // Shows a message box; answers the button pressed (IDOK, IDCANCEL).
    virtual int ShowMessage(HWND owner, const UiMessage& message);
    // Asks for a text file to read (save false) or to write; "" when the
    // user cancelled.  Filter "Text (*.txt)" and "All Files (*.*)", default
    // extension "txt", and the overwrite prompt when saving.
    virtual std::string ChooseFile(HWND owner, bool save);
};

// Message boxes and the common file dialogs.
LibUiHost& DefaultLibUiHost();

}  // namespace wl
