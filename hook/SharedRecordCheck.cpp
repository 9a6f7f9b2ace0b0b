#include "hook/SharedRecordCheck.h"

#include <algorithm>
#include <cctype>

namespace wl {
namespace {

// SID strings compared as Windows spells them, but without regard to the
// letter case of the "S" (the rest is digits and dashes).
bool SameSid(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

RecordStatus JudgeSharedObject(std::string_view ownerSid, std::string_view userSid,
                               std::optional<std::uint32_t> integrityRid) {
    if (userSid.empty()) return RecordStatus::kNoUser;
    if (ownerSid.empty()) return RecordStatus::kUnreadable;
    if (!SameSid(ownerSid, userSid)) return RecordStatus::kOtherOwner;
    if (integrityRid.value_or(kMediumIntegrityRid) < kMediumIntegrityRid)
        return RecordStatus::kLowIntegrity;
    return RecordStatus::kMapped;
}

std::string RecordRefusalText(int status) {
    std::string reason;
    bool planted = false;  // someone else may have made it on purpose
    switch (static_cast<RecordStatus>(status)) {
        case RecordStatus::kMapped:
            return {};
        case RecordStatus::kNoUser:
            reason = "Windows did not tell which user account Wordlark runs as.";
            break;
        case RecordStatus::kNotOpened:
            reason = "another program holds its name and does not let Wordlark open it.";
            planted = true;
            break;
        case RecordStatus::kOtherOwner:
            reason = "it was made by another user account.";
            planted = true;
            break;
        case RecordStatus::kLowIntegrity:
            reason = "it was made by a program running at low integrity (a sandboxed program).";
            planted = true;
            break;
        case RecordStatus::kUnreadable:
            reason = "Windows did not tell who made it.";
            planted = true;
            break;
        case RecordStatus::kNotMapped:
            reason = "Windows could not map it into memory.";
            break;
        default:
            reason = "the hook library gave a reason that this version does not know (" +
                     std::to_string(status) + ").";
            break;
    }
    std::string text =
        "Completion and learning are off: Wordlark cannot use the record of your typing that "
        "it shares with your applications, because " +
        reason +
        "\n\nSign out of Windows and in again (or restart Windows), then start Wordlark again.";
    if (planted)
        text +=
            " If this message comes back, another program may be trying to read what you "
            "type.";
    return text;
}

}  // namespace wl
