// Replacement typing: the main window's chosen text takes the place of the
// typed word in the application, by synthesized keys, with the key and
// date/time macros expanded and the caret left where %CARET% stood.  A text
// in UTF-8 (a Unicode library's) is typed as its characters themselves
// (KEYEVENTF_UNICODE, marked kVemoInputMark), or pasted in the applications
// that type through the clipboard.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hook/AppPolicy.h"
#include "hook/CandidateWindow.h"
#include "hook/HookPlatform.h"
#include "hook/LineTracker.h"
#include "hook/Macros.h"
#include "hook/PasteQueue.h"
#include "hook/SharedHookState.h"

namespace wl {

class CodePage;

class Replacement {
  public:
    Replacement(SharedHookState& state, KeyboardInput& keys, WindowSystem& windows, Clock& clock,
                TextChars& chars, CandidateWindow& list, PasteQueue& pastes, LineTracker& line,
                AppPolicy& policy)
        : s_(state),
          keys_(keys),
          w_(windows),
          clock_(clock),
          chars_(chars),
          list_(list),
          pastes_(pastes),
          line_(line),
          policy_(policy) {}

    // ReplaceStr: replaces the word by replaceText in replaceMode; 0 when
    // there is no text or no word.
    int ReplaceStr();
    void TypeParts(const MacroText& parts);
    // A character (by its key on the layout, Shift as needed: a Shift the
    // user holds is left as it is) or a virtual key, both marked as
    // synthesized.
    void SendKey(char ch, std::uint8_t vk);
    MacroText Split(const char* text);
    // The characters of the word being typed: a completion of a UTF-8
    // candidate erases one Backspace for each.
    std::size_t TypedWordChars();

  private:
    void Backspaces(std::size_t count);
    MacroText ReplaceWord(bool complete);
    MacroText KeepCandidate(bool spaceAfter);
    MacroText ReplacePathPart(bool folder);
    bool NeedsClipboard(const char* text);
    // Queues a text for the clipboard with its marker key in its place.
    void Paste(const std::string& text, std::uint32_t encoding);
    // A UTF-8 part, character by character; counter as in TypeParts.
    void TypeUtf8(const std::string& text, bool caretSeen, long long& counter);
    bool Utf8() const { return s_.replaceEncoding == vemo::kReplaceUtf8; }

    SharedHookState& s_;
    KeyboardInput& keys_;
    WindowSystem& w_;
    Clock& clock_;
    TextChars& chars_;
    CandidateWindow& list_;
    PasteQueue& pastes_;
    LineTracker& line_;
    AppPolicy& policy_;
};

}  // namespace wl
