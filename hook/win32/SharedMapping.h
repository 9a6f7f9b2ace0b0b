// The shared record as a named file mapping in the session's "Local" namespace:
// the first process that needs it creates and initialises it,
// every later one (of either bitness) maps the same instance.
//
// The record holds what the user types in every application, so the mapping
// and the mutex that guards its creation are owned by the user, open to the
// user and SYSTEM only, and carry the medium mandatory label with no-read-up,
// no-write-up and no-execute-up: a process of another user, or of a lower
// integrity level (a sandboxed or protected-mode process), cannot open either.
// An object found under either name is used only when it is the user's own
// at medium integrity or above, whoever made it: one planted by another
// account or a lower-integrity process is refused.  Where the record is not
// mapped, the hook procedures pass every event on and nothing is learned.
//
// Both names carry the record's layout version, so that a hook library of
// another version, still loaded somewhere, keeps its own record apart.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "hook/SharedHookState.h"
#include "hook/SharedRecordCheck.h"

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

// The record of this process's view; null when it could not be mapped or
// was refused.
SharedHookState* SharedState();
// Why SharedState() is null; kMapped when it is not.
RecordStatus SharedStateStatus();
// Unmaps the view (the library is being unloaded).
void ReleaseSharedState();

// The record under the given names (SharedState() uses the record's own):
// creates both objects, or opens and checks those found, and maps the
// record, initialised when it was created.  The mapping's handle and the
// view are the caller's; both null unless status is kMapped.
struct MappedRecord {
    HANDLE mapping;
    SharedHookState* view;
    RecordStatus status;
};
MappedRecord MapSharedRecord(const char* mappingName, const char* mutexName);
// The mutex that guards the record's creation, created with the record's
// security descriptor or opened when it exists; null when the descriptor
// cannot be built or the mutex refuses this process.
HANDLE CreateSharedStateMutex();

// Who made a kernel object: its owner as a SID string (empty when it could
// not be read) and the integrity level of its mandatory label (none without
// a label; 0 for a label that is not an integrity level).
struct ObjectMaker {
    std::string owner;
    std::optional<std::uint32_t> integrity;
};
ObjectMaker ReadObjectMaker(HANDLE object);

// The process's user as a SID string; empty when the token cannot be read.
std::string ProcessUserSid();

}  // namespace wl
