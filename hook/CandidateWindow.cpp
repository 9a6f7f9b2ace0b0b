#include "hook/CandidateWindow.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "hook/RecordText.h"

namespace wl {

using namespace record;
using vemo::kWordSize;
using vemo::WM_CARET_PENDING;
using vemo::WM_WORD_LOOKUP;

Handle32 CandidateWindow::LiveMainWindow() {
    Handle32 main = s_.mainWindow;
    return main && w_.WindowExists(main) ? main : 0;
}

// Posting needs no check that the window still exists: a post to a window
// that is gone fails and changes nothing.
void CandidateWindow::SetPending() {
    s_.lookupPending = 1;
    if (s_.mainWindow) w_.PostToWindow(s_.mainWindow, WM_CARET_PENDING, 0, 0);
}

bool CandidateWindow::WordEndsLine() const {
    const std::size_t word = Len(s_.inputWord), line = Len(s_.typedLine);
    return word <= line && std::memcmp(s_.typedLine + (line - word), s_.inputWord, word) == 0;
}

bool CandidateWindow::LookupLongestSuffix() {
    Handle32 main = LiveMainWindow();
    if (!main) return false;
    char saved[kWordSize];
    std::memcpy(saved, s_.inputWord, kWordSize);
    saved[kWordSize - 1] = '\0';
    Assign(s_.inputWord, {s_.typedLine, Len(s_.typedLine)});
    bool firstPass = true;
    while (s_.inputWord[0]) {
        std::intptr_t answer = 1;
        if (w_.SendToWindow(main, WM_WORD_LOOKUP, 0, 0, answer) && answer == 0) return true;
        s_.inputWord[kWordSize - 1] = '\0';  // the main window only reads it
        if (const char* d = FirstDelimiter(s_.inputWord, chars_.Chars())) {
            Assign(s_.inputWord, d + 1);
            continue;
        }
        if (!firstPass) {
            Clear(s_.inputWord);
            return false;
        }
        std::size_t line = Len(s_.typedLine);
        std::size_t word = Len(s_.inputWord);
        if (line > word && line - word > 3)
            Assign(s_.typedLine, {s_.typedLine + (line - word), word});
        Assign(s_.inputWord, saved);
        firstPass = false;
    }
    return false;
}

bool CandidateWindow::InputMethodActive() {
    char description[1024] = {};
    w_.InputMethodDescription(s_.caretWindow, description, sizeof description - 1);
    return description[0] != '\0';
}

std::uint32_t CandidateWindow::ListSerial() const {
    return std::atomic_ref<std::uint32_t>(s_.listSerial).load();
}

void CandidateWindow::CountTakeDown() {
    std::atomic_ref<std::uint32_t>(s_.listSerial).fetch_add(1);
}

void CandidateWindow::ShowAtCaret(bool show) {
    if (show) {
        ShowSince(ListSerial());
        return;
    }
    if (Handle32 main = LiveMainWindow()) {
        w_.HideWindow(main);
        s_.lookupPending = 0;
    }
    CountTakeDown();
}

void CandidateWindow::ShowSince(std::uint32_t serial) {
    Handle32 main = LiveMainWindow();
    if (!main) return;
    auto hide = [&] {
        w_.HideWindow(main);
        s_.lookupPending = 0;
    };
    auto place = [&] { PlaceAtCaret(main); };
    if (s_.predicting && !s_.inputWord[0] && !InputMethodActive()) {
        ShowPrediction(serial);
        return;
    }
    // (Hiding needs no input-method query: the outcome is the same.)
    if (!s_.inputWord[0] || InputMethodActive()) {
        hide();
        return;
    }
    if (std::strncmp(s_.inputWord, s_.lastLookupWord, kWordSize) == 0 && WordEndsLine()) {
        if (w_.WindowVisible(main) && ListSerial() == serial) place();
        return;
    }
    // The keyboard hook runs in the typing application's thread and may add
    // to the line while this lookup runs here.  The lookup itself only drops
    // the front of the line; when the line no longer ends the way it did, a
    // key came in meanwhile and the list answers an older word: leave the
    // word unrecorded so that the next caret check looks it up again.
    char lineBefore[kWordSize];
    std::memcpy(lineBefore, s_.typedLine, kWordSize);
    lineBefore[kWordSize - 1] = '\0';
    bool found = LookupLongestSuffix();
    // A key that took the list down meanwhile (a completion, Escape) wins:
    // the list stays down and nothing is left pending, whatever the lookup
    // found for the word as it was.
    if (ListSerial() != serial) {
        w_.HideWindow(main);
        return;
    }
    const std::size_t before = Len(lineBefore), after = Len(s_.typedLine);
    // (A Backspace meanwhile may leave a word that no longer ends the line.)
    const bool typedMeanwhile =
        after > before || std::memcmp(lineBefore + (before - after), s_.typedLine, after) != 0 ||
        (found && !WordEndsLine());
    if (typedMeanwhile) {
        s_.lastLookupWord[0] = '\0';
        s_.lookupPending = 1;
        // A lookup that found nothing emptied the word, which would keep the
        // next check from looking at all (a Backspace that mended a typo
        // meanwhile, say): the word is taken up again from the line.
        if (!found && s_.typedLine[0]) Assign(s_.inputWord, {s_.typedLine, Len(s_.typedLine)});
    } else {
        Assign(s_.lastLookupWord, {s_.inputWord, Len(s_.inputWord)});
    }
    if (found)
        place();
    else
        w_.HideWindow(main);
}

void CandidateWindow::StartPrediction() {
    Clear(s_.inputWord);
    Clear(s_.lastLookupWord);
    s_.predicting = 1;
    SetPending();
}

void CandidateWindow::ShowPrediction(std::uint32_t serial) {
    Handle32 main = LiveMainWindow();
    s_.lookupPending = 0;
    std::intptr_t answer = 1;
    const bool found =
        w_.SendToWindow(main, WM_WORD_LOOKUP, vemo::LOOKUP_NEXT_WORD, 0, answer) && answer == 0;
    // Taken down meanwhile, or a key came (a letter now narrows it as a
    // lookup of its own): not shown.
    if (!found || ListSerial() != serial || !s_.predicting || s_.inputWord[0]) {
        if (!found) s_.predicting = 0;
        w_.HideWindow(main);
        return;
    }
    PlaceAtCaret(main);
}

// Topmost, 5 pixels below the caret, at its left edge.
void CandidateWindow::PlaceAtCaret(Handle32 main) {
    const long long y = static_cast<long long>(s_.caretRect.bottom) + 5;
    w_.ShowTopmostAt(main, s_.caretRect.left, static_cast<int>(std::min<long long>(y, INT32_MAX)));
}

void CandidateWindow::OnCaretLocation(bool located, const HookRect& rect, Handle32 window) {
    // Counted before the pending flag is read: a take-down from here on is
    // seen by the lookup that follows.
    const std::uint32_t serial = ListSerial();
    if (located && window != s_.mainWindow) {
        s_.caretRect = rect;
        s_.caretWindow = window;
        if (s_.lookupPending) ShowSince(serial);
    } else if (!s_.lookupPending) {
        s_.caretRect = {0, 0, 0, 0};
    }
}

void CandidateWindow::HideIfShown() {
    if (Handle32 main = LiveMainWindow(); main && w_.WindowVisible(main)) w_.HideWindow(main);
    CountTakeDown();
}

}  // namespace wl
