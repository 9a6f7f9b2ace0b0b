// The user's clipboard while the hook library pastes a text: the main window
// keeps what the clipboard holds, offers the text for one paste, and puts
// the user's content back once the paste has taken the text.
//
// The text is offered by delayed rendering: the system asks this window for
// it (WM_RENDERFORMAT) when the application pastes, which tells when the
// paste has taken it; the user's content goes back as soon as the clipboard
// is free again.  A paste that never asks (an application that ignores
// WM_PASTE) gets the user's content back after a wait.  Whoever puts
// something new on the clipboard in between wins: nothing is put back over
// it.  The pasted text and the content put back are marked so that clipboard
// history, cloud clipboard and clipboard monitors leave them out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace wl {

class CClipboardKeeper {
  public:
    // How long a paste may take to ask for the text before the user's
    // content goes back anyway, and how long a clipboard another program
    // holds open is waited for.
    static constexpr DWORD kRenderWaitMs = 1000;
    static constexpr DWORD kRestoreWaitMs = 10000;

    // owner: the window whose messages are handed to OnMessage; timerId: a
    // timer of that window this object may use.
    CClipboardKeeper(UINT_PTR timerId, DWORD renderWaitMs = kRenderWaitMs)
        : m_timerId(timerId), m_renderWaitMs(renderWaitMs) {}
    ~CClipboardKeeper();
    CClipboardKeeper(const CClipboardKeeper&) = delete;
    CClipboardKeeper& operator=(const CClipboardKeeper&) = delete;

    void Attach(HWND owner) { m_owner = owner; }
    // A text for one paste, in the system's code page or UTF-8
    // (vemo::kReplaceUtf8).  True when it is on the clipboard now; false when
    // the clipboard stayed busy, the text is not UTF-8 as said, or the
    // user's content could not be kept: the clipboard is then unchanged.
    bool Offer(const std::string& text, std::uint32_t encoding);
    // The clipboard messages and the timer; true when the message was this
    // object's.
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    // The window is going: the user's content goes back now if it can.
    void Detach();
    // True while the user's content waits to be put back.
    bool Keeping() const { return m_keeping; }

  private:
    struct Saved {
        UINT format = 0;
        std::vector<char> bytes;          // the memory of a global-memory format
        HENHMETAFILE metafile = nullptr;  // CF_ENHMETAFILE
    };
    bool Save();
    void Drop();
    void Render(UINT format);
    // Puts the saved content back; false while the clipboard is busy.
    bool PutBack();
    void MarkExcluded(const std::vector<UINT>& present);
    bool OpenWithRetry();

    UINT_PTR m_timerId;
    DWORD m_renderWaitMs;
    HWND m_owner = nullptr;
    bool m_keeping = false;   // the user's content is in m_saved
    bool m_rendered = false;  // the paste asked for the text
    bool m_emptying = false;  // this object empties the clipboard itself
    DWORD m_offeredAt = 0;
    UINT m_textFormat = 0;
    std::string m_text;   // CF_TEXT's bytes
    std::wstring m_wide;  // CF_UNICODETEXT's
    std::vector<Saved> m_saved;
};

}  // namespace wl
