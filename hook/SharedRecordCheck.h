// Whether a process may use the shared record (and the mutex that guards its
// creation) that it found under the record's name.  The record holds what
// the user types in every application, so only an object of the user's own,
// at medium integrity or above, is used: one that another account or a
// sandboxed (lower-integrity) process made may be read or steered by them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wl {

// Why a process has no shared record; GetSharedStateStatus answers it as an
// int.  Without a record there is no completion and nothing is learned.
enum class RecordStatus : std::int32_t {
    kMapped = 0,        // the record is in use
    kNoUser = 1,        // the process's user account could not be read
    kNotOpened = 2,     // an object of the record's name refused this process (or is another kind)
    kOtherOwner = 3,    // the record or its mutex belongs to another account
    kLowIntegrity = 4,  // ... was made below medium integrity
    kUnreadable = 5,    // ... has an owner or label that could not be read
    kNotMapped = 6,     // the record could not be mapped into memory
};

// The integrity levels of mandatory labels (the last part of an "S-1-16-..."
// SID): an object without a label counts as medium.
inline constexpr std::uint32_t kLowIntegrityRid = 0x1000;
inline constexpr std::uint32_t kMediumIntegrityRid = 0x2000;

// The decision for one object, from its owner and the process's user as SID
// strings ("S-1-5-21-..."; empty when they could not be read) and the
// integrity level of its label (none without a label).  kMapped when the
// object may be used, else the reason it may not.
RecordStatus JudgeSharedObject(std::string_view ownerSid, std::string_view userSid,
                               std::optional<std::uint32_t> integrityRid);

// What the main program tells the user when its record was refused (status
// as GetSharedStateStatus answers it): why, and that completion and learning
// are off.  Empty for kMapped.
std::string RecordRefusalText(int status);

}  // namespace wl
