#include "hook/AppPolicy.h"

#include "hook/RecordText.h"
#include "platform/Registry.h"
#include "platform/RegistryLayout.h"

namespace wl {

namespace {

constexpr std::size_t kMaxPath = 260;

// Holds the memo for one call when no other thread does.
class TryLock {
  public:
    explicit TryLock(std::atomic_flag& flag) : flag_(flag), held_(!flag.test_and_set()) {}
    ~TryLock() {
        if (held_) flag_.clear();
    }
    explicit operator bool() const { return held_; }

  private:
    std::atomic_flag& flag_;
    bool held_;
};

}  // namespace

bool PolicyMemo::Recall(const std::string& application, AppSwitches& switches, AppAnswer& answer) {
    TryLock lock(busy_);
    if (!lock) return false;
    if (!switches.Unchanged()) {
        valid_ = false;
        return false;
    }
    if (!valid_ || application.empty() || application != application_) return false;
    answer = answer_;
    return true;
}

void PolicyMemo::Remember(const std::string& application, const AppAnswer& answer) {
    TryLock lock(busy_);
    if (!lock) return;
    application_ = application;
    answer_ = answer;
    valid_ = true;
}

PolicyMemo& ProcessPolicyMemo() {
    static PolicyMemo memo;
    return memo;
}

AppAnswer AppPolicy::Decide(Handle32 window) {
    const AppAnswer off{false, false};
    if (window && window == s_.mainWindow) return off;
    // The application that receives the keystroke owns the focus window.  On
    // 64-bit Windows the hook of a 32-bit application runs in the main
    // program's thread, so that process is found through the window.
    Handle32 focus = focus_.Get();
    std::uint32_t focusProcess = focus ? proc_.WindowProcessId(focus) : 0;
    const std::uint32_t self = proc_.CurrentProcessId();
    if (proc_.IsMainProgram() && (!focusProcess || focusProcess == self))
        return off;  // the main program's own windows
    char path[kMaxPath] = {};
    bool known = focusProcess && focusProcess != self
                     ? proc_.ProcessExecutablePath(focusProcess, path, sizeof path)
                     : proc_.CurrentExecutablePath(path, sizeof path);
    if (!known) return {};
    path[kMaxPath - 1] = '\0';
    const char* slash = record::LastBackslash(path, chars_.Chars());
    const std::string name = slash ? slash + 1 : path;

    // The application's own value decides when there is one; otherwise the
    // value for all others.
    AppAnswer answer;
    if (memo_.Recall(name, switches_, answer)) return answer;
    std::uint32_t own = 0, others = 1, predict = 1;
    if (switches_.OwnSwitch(name, own)) {
        answer.enabled = own != 0;
    } else {
        switches_.OthersSwitch(others);
        answer.enabled = others != 0;
    }
    if (switches_.OwnPredictSwitch(name, predict)) answer.predict = predict != 0;
    std::uint32_t clipboard = 0;
    answer.clipboard = switches_.OwnClipboardSwitch(name, clipboard)
                           ? clipboard != 0
                           : reg::TypesByClipboardByDefault(name);
    memo_.Remember(name, answer);
    return answer;
}

bool RegistryAppSwitches::OwnPredictSwitch(const std::string& application, std::uint32_t& value) {
    RegKey app(registry_, RegRoot::LocalMachine, reg::kAppOptionPrefix + application, false);
    std::uint8_t byte = 1;
    if (!app || !app.ReadInto(reg::kAppEnablePredict, byte)) return false;
    value = byte;
    return true;
}

bool RegistryAppSwitches::OwnClipboardSwitch(const std::string& application, std::uint32_t& value) {
    RegKey app(registry_, RegRoot::LocalMachine, reg::kAppOptionPrefix + application, false);
    return app && app.ReadInto(reg::kAppTypeByClipboard, value);
}

bool RegistryAppSwitches::OwnSwitch(const std::string& application, std::uint32_t& value) {
    RegKey appOption(registry_, RegRoot::LocalMachine, reg::kAppOptionKey, true);
    if (!appOption) return false;
    RegKey app(registry_, RegRoot::LocalMachine, reg::kAppOptionPrefix + application, false);
    return app && app.ReadInto(reg::kAppEnableVemo, value);
}

bool RegistryAppSwitches::OthersSwitch(std::uint32_t& value) {
    RegKey appOption(registry_, RegRoot::LocalMachine, reg::kAppOptionKey, true);
    return appOption && appOption.ReadInto(reg::kOthersEnableVemo, value);
}

}  // namespace wl
