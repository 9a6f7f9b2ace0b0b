// The library editor's wait box (dialog 137, "Wordlark"): a text line and a
// "&Cancel" button, shown during Import and Export.  It is the operations'
// progress display: setting its text shows the text and lets the box handle
// the waiting messages, so that "&Cancel" (or Escape) is noticed.
#pragma once

#include <windows.h>

#include <string>

#include "libui/win32/LibDialog.h"
#include "res/libui_resource.h"
#include "store/ImportProgress.h"

namespace wl {

class CDlgWait : public LibDialog, public ImportProgress {
  public:
    CDlgWait() : LibDialog(IDD_LIB_WAIT) {}
    ~CDlgWait() override { Destroy(); }

    // Creates the box hidden, as a pop-up owned by owner.
    bool CreateHidden(HWND owner);
    // Shows the box for a new operation (the cancelled flag starts clear).
    void ShowFor(const char* text);
    // The same, with the line the box showed last.
    void ShowAgain();
    void HideBox();

    // ImportProgress.  The line and the messages are handled at most every
    // few dozen milliseconds, so that an import of many entries is not
    // slowed down by painting.
    void SetText(const char* text) override;
    bool Cancelled() override;
    bool IsCancelled() const { return m_bCancelled; }
    const std::string& Text() const { return m_strText; }

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroy() override { m_bCancelled = true; }
    void Pump();

    std::string m_strText;
    bool m_bCancelled = false;
    DWORD m_lastPump = 0;
    bool m_bPumped = false;
};

}  // namespace wl
