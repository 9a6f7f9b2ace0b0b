// A small modeless progress window that stands on top of everything while
// the user-interface thread works: a line of text, a progress bar and a
// Cancel button, with the percentage done in its caption ("%s [%d%%]").  The
// caller lets it handle waiting messages between steps (PumpPending), so
// that Cancel and Escape are noticed.  It remembers where it stood, in the
// profile section "Settings" (values "X" and "Y"); a remembered position that
// no longer lies on a screen is ignored and the window is centred on its
// owner.
//
// It also serves the store's import and export as their progress display.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "libui/Profile.h"
#include "libui/ProgressLogic.h"
#include "store/ImportProgress.h"

namespace wl {

class ProgressWindow : public ImportProgress {
  public:
    // Identifiers of the children.
    static constexpr int kCancelId = 10;
    static constexpr int kTextId = 11;
    static constexpr int kBarId = 12;
    static constexpr char kClassName[] = "WordlarkProgress";

    explicit ProgressWindow(Profile& profile);
    // Destroys the window (and saves its position).
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Creates and shows the window without activating it; owner may be
    // nullptr.  False when the window could not be made.
    bool Create(HWND owner, const char* title, bool smooth = false);
    // Saves the position (when remembered) and destroys the window.
    void Destroy();

    // Formats the text line (bounded to the line's buffer).
    void SetMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SetBarRange(std::int32_t lower, std::int32_t upper, std::int32_t step);
    // Shows the window (unless cancelled), records the position, updates the
    // caption when the whole percentage changed, and moves the bar.
    void SetBarPosition(std::int32_t position);
    void Advance();
    // Handles the waiting messages of the thread; with cancelOnEscape an
    // Escape key cancels.  Does nothing once cancelled.
    void PumpPending(bool cancelOnEscape);
    bool IsCancelled() const { return m_logic.Cancelled(); }
    // What the Cancel button does: set the flag, hide, give the owner the
    // foreground.
    void Cancel();
    void Hide();
    void Show();

    void SetRememberPosition(bool remember) { m_bRememberPosition = remember; }
    HWND hwnd() const { return m_hWnd; }
    const ProgressLogic& logic() const { return m_logic; }

    // ImportProgress: the text line, and the cancelled flag.  Both let the
    // window handle its messages now and then (at most every few dozen
    // milliseconds, so that a long import is not slowed down).
    void SetText(const char* text) override;
    bool Cancelled() override;

    // The screens' rectangles.
    static std::vector<ScreenRect> Screens();

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Layout(int lines, int width);
    void Place();
    void MaybePump();

    Profile& m_profile;
    ProgressLogic m_logic;
    HWND m_hWnd = nullptr;
    HWND m_owner = nullptr;
    HWND m_text = nullptr;
    HWND m_bar = nullptr;
    HWND m_cancel = nullptr;
    HFONT m_font = nullptr;
    int m_nTextLines = 4;
    bool m_bRememberPosition = true;
    bool m_bVisible = false;  // as Show and Hide left it
    int m_barShown = -1;      // the bar's position in thousandths, as last sent
    DWORD m_lastPump = 0;
};

}  // namespace wl
