// The keyboard hook's decision for one keystroke in the typing application:
// the characters it adds to the word and the line, the keys that steer the
// list while it is shown, Backspace, password fields, the paste marker, and
// what the line at the caret learns of the key.
#pragma once

#include <cstdint>

#include "hook/AppPolicy.h"
#include "hook/CandidateWindow.h"
#include "hook/HookPlatform.h"
#include "hook/LineTracker.h"
#include "hook/PasteQueue.h"
#include "hook/Replacement.h"
#include "hook/SharedHookState.h"

namespace wl {

class CodePage;

class KeyCapture {
  public:
    enum class KeyResult { PassOn, Swallow };

    KeyCapture(SharedHookState& state, KeyboardInput& keys, WindowSystem& windows,
               ProcessInfo& processes, TextChars& chars, Clock& clock, FocusMemo& focus,
               CandidateWindow& list, AppPolicy& policy, Replacement& replacement,
               PasteQueue& pastes, LineTracker& line)
        : s_(state),
          keys_(keys),
          w_(windows),
          proc_(processes),
          chars_(chars),
          clock_(clock),
          focus_(focus),
          list_(list),
          policy_(policy),
          replacement_(replacement),
          pastes_(pastes),
          line_(line) {}

    KeyResult KeyboardProc(int code, std::uint32_t vk, std::uint32_t keyData);

  private:
    struct Key {
        std::uint8_t vk;
        bool up;
        bool dead;      // a dead key (it types with the next one), or no state
        char typed[3];  // what the key types in the code page, NUL-terminated
        char utf8[13];  // the same as UTF-8; both empty for none (and on release)
        bool letters;   // every character it types is a letter
        bool lettersOrDigits;
    };
    // The list as this key finds it.
    struct List {
        Handle32 main;  // the live main window, asked only when the key needs it
        bool visible;
    };
    // Whether the focus window hides its text, asked only when it matters.
    class Password {
      public:
        Password(WindowSystem& windows, FocusMemo& focus) : w_(windows), focus_(focus) {}
        bool operator()();

      private:
        WindowSystem& w_;
        FocusMemo& focus_;
        int answer_ = -1;
    };

    KeyResult SynthesizedKey(std::uint32_t vk, std::uint32_t keyData);
    // The space a completion added moves after punctuation typed next.
    bool MovesAddedSpace(const Key& key);
    KeyResult MoveAddedSpace(char punctuation);
    // The word and the line, and their UTF-8 twins, emptied.
    void ClearWordAndLine();
    Key Translate(std::uint32_t vk, std::uint32_t keyData);
    List ListFor(const Key& key);
    // True when the key's characters were captured.
    bool Capture(const Key& key, List& list, Password& password);
    KeyResult Backspace(const Key& key, const List& list, Password& password);
    KeyResult SelectionKey(std::uint8_t vk, bool up, Handle32 main, Password& password);
    KeyResult PredictionKey(std::uint8_t vk, bool up, Handle32 main, Password& password);
    void MayPredict(Password& password);
    static bool IsPredictionKey(std::uint8_t vk);
    bool IsLetterKey(const Key& key) const;

    bool IsSelectionKey(std::uint8_t vk) const;
    // A complete key or an index key: one that takes a candidate.
    bool IsCommitKey(std::uint8_t vk) const;
    // A key changed the word since the list was filled.
    bool ListIsBehind();
    bool IsCapturable(const Key& key) const;
    void ForgetForPassword();

    SharedHookState& s_;
    KeyboardInput& keys_;
    WindowSystem& w_;
    ProcessInfo& proc_;
    TextChars& chars_;
    Clock& clock_;
    FocusMemo& focus_;
    CandidateWindow& list_;
    AppPolicy& policy_;
    Replacement& replacement_;
    PasteQueue& pastes_;
    LineTracker& line_;
};

}  // namespace wl
