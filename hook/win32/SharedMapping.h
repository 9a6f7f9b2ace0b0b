// The shared record as a named file mapping in the session's "Local" namespace:
// the first process that needs it creates and initialises it,
// every later one (of either bitness) maps the same instance.
//
// The record holds what the user types in every application, so the mapping
// and the mutex that guards its creation are the user's and SYSTEM's only,
// and carry the medium mandatory label with no-read-up, no-write-up and
// no-execute-up: a process of another user, or of a lower integrity level
// (a sandboxed or protected-mode process), cannot open either.  There the
// record is not mapped, and the hook procedures pass every event on.
#pragma once

#include <windows.h>

#include "hook/SharedHookState.h"

namespace wl {

inline constexpr char kSharedStateMappingName[] = "Local\\WordlarkVemoSharedState";
inline constexpr char kSharedStateMutexName[] = "Local\\WordlarkVemoSharedStateInit";

// The record of this process's view; null when it could not be mapped.
SharedHookState* SharedState();
// Unmaps the view (the library is being unloaded).
void ReleaseSharedState();

// The two named objects, created with the record's security descriptor or
// opened when they exist (created tells which, for the mapping).  Null when
// the descriptor cannot be built or the object refuses this process.
HANDLE CreateSharedStateMapping(bool* created = nullptr);
HANDLE CreateSharedStateMutex();

}  // namespace wl
