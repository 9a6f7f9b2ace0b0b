#include "hook/SharedHookState.h"

#include <cstring>

#include "platform/RegistryLayout.h"

namespace wl {

void InitSharedHookState(SharedHookState& state) {
    std::memset(&state, 0, sizeof state);
    state.vkSelectPrev = reg::kDefaultSelectPrev;
    state.vkSelectNext = reg::kDefaultSelectNext;
    std::memcpy(state.vkSelectIndex, reg::kDefaultSelectIndex, sizeof state.vkSelectIndex);
    state.vkSelectPageDown = reg::kDefaultSelectPageDown;
    state.vkSelectPageUp = reg::kDefaultSelectPageUp;
    std::memcpy(state.vkSelect, reg::kDefaultSelect, sizeof state.vkSelect);
}

}  // namespace wl
