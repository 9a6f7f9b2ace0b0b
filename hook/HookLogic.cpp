#include "hook/HookLogic.h"

namespace wl {

HookLogic::HookLogic(SharedHookState& state, HookPlatform& platform, PolicyMemo& memo)
    : focus_(platform),
      line_(state, platform, platform, focus_),
      list_(state, platform, platform),
      policy_(state, platform, platform, focus_, platform, memo),
      pastes_(state, platform, platform, platform),
      replacement_(state, platform, platform, platform, platform, list_, pastes_, line_, policy_),
      capture_(state, platform, platform, platform, platform, platform, focus_, list_, policy_,
               replacement_, pastes_, line_) {}

bool HookLogic::IsVemoEnabledForApp(Handle32 window) {
    const bool enabled = policy_.IsEnabled(window);
    focus_.Forget();
    return enabled;
}

}  // namespace wl
