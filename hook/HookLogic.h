// The hook library's logic for one call, over the shared record and the
// platform: the parts wired together as the exports and hook procedures use
// them.  Each part is a small class of its own:
//   KeyCapture       the keyboard hook's decision for one keystroke
//   CandidateWindow  lookup of the longest suffix, the list at the caret
//   AppPolicy        whether the application gets completion at all
//   Replacement      typing the chosen text, with its macros
//   PasteQueue       texts that go through the clipboard, in their place
//   LineTracker      the words of the line at the caret, for learning
#pragma once

#include <cstdint>

#include "hook/AppPolicy.h"
#include "hook/CandidateWindow.h"
#include "hook/HookPlatform.h"
#include "hook/KeyCapture.h"
#include "hook/LineTracker.h"
#include "hook/PasteQueue.h"
#include "hook/Replacement.h"
#include "hook/SharedHookState.h"

namespace wl {

class HookLogic {
  public:
    using KeyResult = KeyCapture::KeyResult;

    // memo: the per-application answer kept between calls (the process's own
    // by default).
    HookLogic(SharedHookState& state, HookPlatform& platform,
              PolicyMemo& memo = ProcessPolicyMemo());

    KeyResult KeyboardProc(int code, std::uint32_t vk, std::uint32_t keyData) {
        return capture_.KeyboardProc(code, vk, keyData);
    }
    bool LookupLongestSuffix() { return list_.LookupLongestSuffix(); }
    void ShowAtCaret(bool show) { list_.ShowAtCaret(show); }
    void OnCaretLocation(bool located, const HookRect& rect, Handle32 window) {
        list_.OnCaretLocation(located, rect, window);
    }
    bool IsVemoEnabledForApp(Handle32 window);
    int ReplaceStr() { return replacement_.ReplaceStr(); }

  private:
    FocusMemo focus_;
    LineTracker line_;
    CandidateWindow list_;
    AppPolicy policy_;
    PasteQueue pastes_;
    Replacement replacement_;
    KeyCapture capture_;
};

}  // namespace wl
