// A dialog run from a resource of the program's module by a plain dialog
// procedure: modal (DoModal) or modeless (Create, for tests, child pages and
// the wait box).  The program's dialogs derive from it.
#pragma once

#include <windows.h>

#include <string>

namespace wl {

class DialogBase {
  public:
    virtual ~DialogBase();
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // Runs the dialog modally; answers IDOK, IDCANCEL or -1 when it could not
    // be created.
    INT_PTR DoModal(HWND owner);
    // Creates the dialog modeless (visible as its resource says); ending it
    // destroys the window.  nullptr on failure.
    HWND Create(HWND parent);
    HWND hwnd() const { return m_hWnd; }
    // Destroys the window now (a modeless dialog, or a modal one from a test
    // that gives up); derived destructors call it while they are whole.
    void Destroy();
    // How the dialog ended (IDOK, IDCANCEL); 0 while it runs.
    INT_PTR Result() const { return m_nResult; }

  protected:
    explicit DialogBase(int resourceId) : m_nResourceId(resourceId) {}

    // Ends a modal run, or destroys a modeless dialog.
    void End(INT_PTR result);
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    std::string ItemText(int id) const;
    // The answer of a notification (DWLP_MSGRESULT); the handler then
    // answers TRUE.
    void SetMessageResult(LRESULT result) const;

    virtual BOOL OnInitDialog() = 0;
    // Answers TRUE when it handled the message; the default handling follows
    // otherwise.
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

// The resources of the dialogs are the program's own.
HINSTANCE ProgramModule();
// The whole text of a window.
std::string WindowText(HWND hwnd);

}  // namespace wl
