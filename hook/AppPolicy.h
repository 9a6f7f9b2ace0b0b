// Whether Wordlark works in the application that receives a keystroke: the
// application's own switch under AppOption when it has one, otherwise the
// switch for all others, and never in the main program's own windows.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "hook/HookPlatform.h"
#include "hook/SharedHookState.h"

namespace wl {

class CodePage;
class Registry;

// The switches read through the registry seam.
class RegistryAppSwitches : public AppSwitches {
  public:
    explicit RegistryAppSwitches(Registry& registry) : registry_(registry) {}
    bool OwnSwitch(const std::string& application, std::uint32_t& value) override;
    bool OthersSwitch(std::uint32_t& value) override;
    bool OwnPredictSwitch(const std::string& application, std::uint32_t& value) override;
    bool OwnClipboardSwitch(const std::string& application, std::uint32_t& value) override;

  private:
    Registry& registry_;
};

// The last answer of this process, kept while the switches have not changed
// (AppSwitches::Unchanged), so that a keystroke in the same application costs
// no registry read and a change still applies from the next keystroke.  Used
// from every thread of the process; a thread that finds it busy reads the
// registry instead of waiting.
// What the switches say of an application.
struct AppAnswer {
    bool enabled = true;     // Wordlark works in it
    bool predict = true;     // and offers the next word there
    bool clipboard = false;  // texts in any character go through the clipboard there
};

class PolicyMemo {
  public:
    bool Recall(const std::string& application, AppSwitches& switches, AppAnswer& answer);
    void Remember(const std::string& application, const AppAnswer& answer);

  private:
    std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
    bool valid_ = false;
    AppAnswer answer_;
    std::string application_;
};

// The memo the hook library keeps for its process.
PolicyMemo& ProcessPolicyMemo();

// The focus window and the caret, asked of the system once per keystroke.
class FocusMemo {
  public:
    explicit FocusMemo(WindowSystem& windows) : w_(windows) {}
    Handle32 Get() { return Info().focus; }
    const FocusInfo& Info() {
        if (!known_) {
            info_ = w_.FocusAndCaret();
            known_ = true;
        }
        return info_;
    }
    void Forget() { known_ = false; }

  private:
    WindowSystem& w_;
    bool known_ = false;
    FocusInfo info_;
};

class AppPolicy {
  public:
    AppPolicy(SharedHookState& state, ProcessInfo& processes, AppSwitches& switches,
              FocusMemo& focus, TextChars& chars, PolicyMemo& memo)
        : s_(state),
          proc_(processes),
          switches_(switches),
          focus_(focus),
          chars_(chars),
          memo_(memo) {}

    // IsVemoEnabledForApp: window is where the caret last moved.
    bool IsEnabled(Handle32 window) { return Decide(window).enabled; }
    // Whether the next word may be offered there (Wordlark on there too).
    bool Predicts(Handle32 window) {
        const AppAnswer answer = Decide(window);
        return answer.enabled && answer.predict;
    }

    // Whether texts in any character are pasted there, not typed.
    bool TypesByClipboard(Handle32 window) { return Decide(window).clipboard; }

  private:
    AppAnswer Decide(Handle32 window);

    SharedHookState& s_;
    ProcessInfo& proc_;
    AppSwitches& switches_;
    FocusMemo& focus_;
    TextChars& chars_;
    PolicyMemo& memo_;
};

}  // namespace wl
