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
//
// Both names carry the record's layout version, so that a hook library of
// another version, still loaded somewhere, keeps its own record apart.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "hook/SharedHookState.h"

namespace wl {

// A base name followed by "-v" and a version number, built at compile time.
template <std::size_t N>
struct VersionedName {
    char text[N + 12] = {};  // "-v", at most ten digits, the terminator

    constexpr VersionedName(const char (&base)[N], int version) {
        std::size_t n = 0;
        for (; n + 1 < N; ++n) text[n] = base[n];
        text[n++] = '-';
        text[n++] = 'v';
        char digits[10] = {};
        int count = 0;
        auto v = static_cast<std::uint32_t>(version);
        do {
            digits[count++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v);
        while (count) text[n++] = digits[--count];
    }
};

static_assert(kSharedStateLayoutVersion > 0);
inline constexpr VersionedName kSharedStateMappingNameText("Local\\WordlarkVemoSharedState",
                                                           kSharedStateLayoutVersion);
inline constexpr VersionedName kSharedStateMutexNameText("Local\\WordlarkVemoSharedStateInit",
                                                         kSharedStateLayoutVersion);
inline constexpr const char* kSharedStateMappingName = kSharedStateMappingNameText.text;
inline constexpr const char* kSharedStateMutexName = kSharedStateMutexNameText.text;

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
