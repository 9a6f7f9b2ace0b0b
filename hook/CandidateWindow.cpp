#include "hook/CandidateWindow.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

#include "hook/RecordText.h"
#include "hook/Utf16Units.h"

namespace wl {

using namespace record;
using vemo::kWordSize;
using vemo::kWordUtf8Size;
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

namespace {

bool EndsWith(std::string_view line, std::string_view word) {
    return word.size() <= line.size() && line.substr(line.size() - word.size()) == word;
}

// The first delimiter-free run's start after the text's first delimiter:
// the next, shorter suffix to offer; null when there is no delimiter.
const char* AfterDelimiter(const char* text, const CodePage& cp) {
    const char* d = FirstDelimiter(text, cp);
    return d ? d + 1 : nullptr;
}

const char* AfterDelimiterUtf8(const char* text) {
    const char* d = FirstDelimiterUtf8(text);
    return d ? d + 1 : nullptr;
}

}  // namespace

bool CandidateWindow::WordEndsLine() const {
    return EndsWith(View(s_.typedLine), View(s_.inputWord)) &&
           EndsWith(View(s_.typedLineUtf8), View(s_.inputWordUtf8));
}

// The code-page word leads down its suffixes as ever; its UTF-8 twin goes
// along, cut after its own delimiters (empty once it has none left).  They
// part only where the code page has a stand-in ("?") for a character it
// cannot hold, a delimiter of the code-page word alone, so the twin never
// outlasts it; and a code-page word is never offered empty.
bool CandidateWindow::LookupLongestSuffix() {
    Handle32 main = LiveMainWindow();
    if (!main) return false;
    char saved[kWordSize];
    std::memcpy(saved, s_.inputWord, kWordSize);
    saved[kWordSize - 1] = '\0';
    char savedUtf8[kWordUtf8Size];
    std::memcpy(savedUtf8, s_.inputWordUtf8, kWordUtf8Size);
    savedUtf8[kWordUtf8Size - 1] = '\0';
    Assign(s_.inputWord, View(s_.typedLine));
    Assign(s_.inputWordUtf8, View(s_.typedLineUtf8));
    bool firstPass = true;
    while (s_.inputWord[0]) {
        std::intptr_t answer = 1;
        if (w_.SendToWindow(main, WM_WORD_LOOKUP, 0, 0, answer) && answer == 0) return true;
        // (The main window only reads them.)
        s_.inputWord[kWordSize - 1] = '\0';
        s_.inputWordUtf8[kWordUtf8Size - 1] = '\0';
        if (const char* next = AfterDelimiter(s_.inputWord, chars_.Chars())) {
            const char* nextUtf8 = AfterDelimiterUtf8(s_.inputWordUtf8);
            Assign(s_.inputWord, next);
            Assign(s_.inputWordUtf8, nextUtf8 ? nextUtf8 : "");
            continue;
        }
        if (!firstPass) {
            Clear(s_.inputWord);
            Clear(s_.inputWordUtf8);
            return false;
        }
        // Each line keeps only its last delimiter-free run when more than
        // three characters stood before it.
        const std::size_t line = Len(s_.typedLine), word = Len(s_.inputWord);
        if (line > word && line - word > 3)
            Assign(s_.typedLine, {s_.typedLine + (line - word), word});
        const std::string_view lineUtf8 = View(s_.typedLineUtf8);
        const std::size_t last = lineUtf8.find_last_of(kWordDelimiters);
        if (last != std::string_view::npos && utf16::CharCount(lineUtf8.substr(0, last + 1)) > 3)
            Assign(s_.typedLineUtf8, lineUtf8.substr(last + 1));
        Assign(s_.inputWord, saved);
        Assign(s_.inputWordUtf8, savedUtf8);
        firstPass = false;
    }
    Clear(s_.inputWordUtf8);
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
    // What took the list down (a completion, Escape) may have emptied the
    // code-page texts: their UTF-8 twins go with them.
    if (!s_.inputWord[0]) Clear(s_.inputWordUtf8);
    if (!s_.typedLine[0]) Clear(s_.typedLineUtf8);
    if (!s_.lastLookupWord[0]) Clear(s_.lastLookupWordUtf8);
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
    const bool noWord = !s_.inputWord[0] && !s_.inputWordUtf8[0];
    if (s_.predicting && noWord && !InputMethodActive()) {
        ShowPrediction(serial);
        return;
    }
    // (Hiding needs no input-method query: the outcome is the same.)
    if (noWord || InputMethodActive()) {
        hide();
        return;
    }
    if (std::strncmp(s_.inputWord, s_.lastLookupWord, kWordSize) == 0 &&
        std::strncmp(s_.inputWordUtf8, s_.lastLookupWordUtf8, kWordUtf8Size) == 0 &&
        WordEndsLine()) {
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
    char lineBeforeUtf8[kWordUtf8Size];
    std::memcpy(lineBeforeUtf8, s_.typedLineUtf8, kWordUtf8Size);
    lineBeforeUtf8[kWordUtf8Size - 1] = '\0';
    bool found = LookupLongestSuffix();
    // A key that took the list down meanwhile (a completion, Escape) wins:
    // the list stays down and nothing is left pending, whatever the lookup
    // found for the word as it was.
    if (ListSerial() != serial) {
        w_.HideWindow(main);
        return;
    }
    // (A Backspace meanwhile may leave a word that no longer ends the line.)
    const bool typedMeanwhile = !EndsWith(View(lineBefore), View(s_.typedLine)) ||
                                !EndsWith(View(lineBeforeUtf8), View(s_.typedLineUtf8)) ||
                                (found && !WordEndsLine());
    if (typedMeanwhile) {
        s_.lastLookupWord[0] = '\0';
        s_.lastLookupWordUtf8[0] = '\0';
        s_.lookupPending = 1;
        // A lookup that found nothing emptied the word, which would keep the
        // next check from looking at all (a Backspace that mended a typo
        // meanwhile, say): the word is taken up again from the line.
        if (!found && (s_.typedLine[0] || s_.typedLineUtf8[0])) {
            Assign(s_.inputWord, View(s_.typedLine));
            Assign(s_.inputWordUtf8, View(s_.typedLineUtf8));
        }
    } else {
        Assign(s_.lastLookupWord, View(s_.inputWord));
        Assign(s_.lastLookupWordUtf8, View(s_.inputWordUtf8));
    }
    if (found)
        place();
    else
        w_.HideWindow(main);
}

void CandidateWindow::StartPrediction() {
    Clear(s_.inputWord);
    Clear(s_.lastLookupWord);
    Clear(s_.inputWordUtf8);
    Clear(s_.lastLookupWordUtf8);
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
    if (!found || ListSerial() != serial || !s_.predicting || s_.inputWord[0] ||
        s_.inputWordUtf8[0]) {
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
