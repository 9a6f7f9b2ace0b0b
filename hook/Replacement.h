// Replacement typing: the main window's chosen text takes the place of the
// typed word in the application, by synthesized keys, with the key and
// date/time macros expanded and the caret left where %CARET% stood.
#pragma once

#include <cstddef>
#include <cstdint>

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
                TextChars& chars, CandidateWindow& list, PasteQueue& pastes, LineTracker& line)
        : s_(state),
          keys_(keys),
          w_(windows),
          clock_(clock),
          chars_(chars),
          list_(list),
          pastes_(pastes),
          line_(line) {}

    // ReplaceStr: replaces the word by replaceText in replaceMode; 0 when
    // there is no text or no word.
    int ReplaceStr();
    void TypeParts(const MacroText& parts);
    // A character (by its key on the layout, Shift as needed: a Shift the
    // user holds is left as it is) or a virtual key, both marked as
    // synthesized.
    void SendKey(char ch, std::uint8_t vk);
    MacroText Split(const char* text);

  private:
    void Backspaces(std::size_t count);
    MacroText ReplaceWord(bool complete);
    MacroText KeepCandidate(bool spaceAfter);
    MacroText ReplacePathPart(bool folder);
    bool NeedsClipboard(const char* text);

    SharedHookState& s_;
    KeyboardInput& keys_;
    WindowSystem& w_;
    Clock& clock_;
    TextChars& chars_;
    CandidateWindow& list_;
    PasteQueue& pastes_;
    LineTracker& line_;
};

}  // namespace wl
