// The tip beside the highlighted candidate: a remark in light yellow or an
// expansion in white on blue, sized to its text at every paint.  The text is
// drawn with the wide-character calls, so that a Unicode library's text
// shows whatever the system's code page.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "store/LibraryEntry.h"

namespace wl {

class CTipWnd {
  public:
    CTipWnd() = default;
    ~CTipWnd();
    CTipWnd(const CTipWnd&) = delete;
    CTipWnd& operator=(const CTipWnd&) = delete;

    bool Create(HWND owner);
    // Stores text (in the code page, or UTF-8 with encoding EncodingUtf8)
    // and style; an empty text hides the tip.  The next paint resizes and
    // redraws it.
    void SetTipText(const std::string& text, int style, std::int32_t encoding = EncodingCodePage);
    // Shows the tip with its top-left corner at point (screen) unless it is
    // already visible or has no text; show = false hides it.
    void ShowTipAt(bool show, POINT point);
    void Hide();

    HWND hwnd() const { return m_hWnd; }
    const std::string& text() const { return m_strText; }
    // The text as drawn.
    const std::wstring& wideText() const { return m_wideText; }
    int style() const { return m_nStyle; }

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnPaint();
    // The font at the window's DPI, made anew when the DPI changed.
    void UpdateFont();

    HWND m_hWnd = nullptr;
    HFONT m_font = nullptr;
    UINT m_fontDpi = 0;
    int m_nStyle = 1;
    std::string m_strText;
    std::wstring m_wideText;
};

}  // namespace wl
