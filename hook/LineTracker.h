// The line at the caret as the keyboard hook sees it typed (the record's
// CaretLine): the word being typed, the word before it and where the
// sentence starts, kept apart from typedLine, which the main program's
// lookups cut.  A word is finished, and reported for learning, only by a
// delimiter typed right after it, in the same window, with nothing the user
// did elsewhere in between.  What ends the line (a click in the
// application, another focus window, a caret moved other than by the typed
// character, Enter, Tab, the keys that move or edit) leaves the word at the
// caret with an unknown start: it is never learned.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hook/AppPolicy.h"
#include "hook/HookPlatform.h"
#include "hook/SharedHookState.h"

namespace wl {

class LineTracker {
  public:
    LineTracker(SharedHookState& state, WindowSystem& windows, TextChars& chars, FocusMemo& focus)
        : s_(state), w_(windows), chars_(chars), focus_(focus) {}

    // Every key press the user made (not the library's own keys, not a
    // modifier), before anything else: ends the line when something else
    // happened since the last key.  True when it did.
    bool BeforeKey();
    // Characters the key typed (UTF-8), captured in an application where
    // Wordlark is on.
    void Typed(std::string_view chars);
    // Backspace, in such an application.
    void Erased();
    // What ends the line: Enter starts a new one at its start (a sentence
    // starts there); anything else leaves the caret where its word's start
    // is unknown.
    enum class End { NewLine, Unknown };
    void Break(End end);
    // A completion typed text in place of the typed word (wordText: what
    // the completion erased; both in the code page); with a space after it
    // the word is finished.
    void Took(std::string_view text, std::string_view wordText, bool spaceAfter);
    // Anything else typed in place of the word: an expansion, a path.
    void Replaced();

    // A single space ended a word just now (typed, or added after a taken
    // one): the next word may be offered.
    bool JustSpaced() const { return s_.line.justSpaced != 0; }

  private:
    struct Edit;  // marks the line as being written for its lifetime
    void FinishWord(char delimiter);
    // The context from the start: a sentence's, or none at all.
    void ClearContext(bool sentenceStart);
    void PushContext(std::string_view word);
    // What ends the line: the word's start is unknown, or a new line starts.
    void EndLine(End end);
    void Report(std::string_view word);
    void ClearWord();
    void Recheck();
    bool CaretMovedApart(const FocusInfo& now) const;

    SharedHookState& s_;
    WindowSystem& w_;
    TextChars& chars_;
    FocusMemo& focus_;
};

// The words before the word being typed (UTF-8), as another thread or process
// reads them (the line's sequence number says when it read a line being
// written; it tries again, a few times).  Empty when none is known.
std::vector<std::string> ContextWords(const SharedHookState& state);

}  // namespace wl
