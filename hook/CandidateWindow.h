// The candidate list as the hook library drives it: the lookup of the longest
// suffix of the typed line, showing the list at the caret, the caret callback
// and the take-down count that keeps a lookup on the main program's thread
// from showing the list after the typing application's thread took it down.
#pragma once

#include <cstdint>

#include "hook/HookPlatform.h"
#include "hook/SharedHookState.h"

namespace wl {

class CodePage;

class CandidateWindow {
  public:
    CandidateWindow(SharedHookState& state, WindowSystem& windows, TextChars& chars)
        : s_(state), w_(windows), chars_(chars) {}

    // mainWindow when it is set and still exists, else 0: a main program that
    // went away is treated as no main program.
    Handle32 LiveMainWindow();
    // The next caret check looks the word up; the main window is told so.
    void SetPending();
    // inputWord is the end of typedLine, as a lookup leaves it.
    bool WordEndsLine() const;

    // Offers the typed line and its suffixes to the main window, then the
    // word as typed; true when one had candidates (it is left in inputWord).
    bool LookupLongestSuffix();
    // show: the list for the word at the caret (looked up unless it is the
    // word of the last lookup); otherwise takes the list down.
    void ShowAtCaret(bool show);
    // The caret callback: a caret location (or the failure to get one) from
    // the accessibility event or from the GUI-thread check.
    void OnCaretLocation(bool located, const HookRect& rect, Handle32 window);

    // The list goes down on request (a completion, Escape, a password field):
    // a lookup running meanwhile on the main program's thread must not show
    // it again.
    void CountTakeDown();
    // Hides the list when it is shown, and counts the take-down.
    void HideIfShown();

    // The next caret check offers the words most likely next, no letter
    // typed (a word and a space just ended).
    void StartPrediction();
    bool Predicting() const { return s_.predicting != 0; }
    // The list offers no prediction any more (shown or pending).
    void EndPrediction() { s_.predicting = 0; }

  private:
    std::uint32_t ListSerial() const;
    // Shows the list for the word at the caret unless the list was taken
    // down since the count was serial.
    void ShowSince(std::uint32_t serial);
    bool InputMethodActive();
    void ShowPrediction(std::uint32_t serial);
    void PlaceAtCaret(Handle32 main);

    SharedHookState& s_;
    WindowSystem& w_;
    TextChars& chars_;
};

}  // namespace wl
