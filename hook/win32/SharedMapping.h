// The shared record as a named file mapping in the session's "Local" namespace:
// the first process that needs it creates and initialises it,
// every later one (of either bitness) maps the same instance.
#pragma once

#include "hook/SharedHookState.h"

namespace wl {

inline constexpr char kSharedStateMappingName[] = "Local\\WordlarkVemoSharedState";

// The record of this process's view; null when it could not be mapped.
SharedHookState* SharedState();
// Unmaps the view (the library is being unloaded).
void ReleaseSharedState();

}  // namespace wl
