// The security descriptor of the shared record and of the mutex that guards
// its creation, read back from the objects under Wine: the user and SYSTEM
// only, and the medium label with no-read-up, no-write-up and
// no-execute-up.  (Wine keeps and returns the label but does not enforce
// integrity levels; that a low-integrity process is refused shows on
// Windows only.)
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hook/win32/SharedMapping.h"

namespace wl {
namespace {

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!sid || !ConvertSidToStringSidA(sid, &text)) return "?";
    std::string s = text;
    LocalFree(text);
    return s;
}

std::string ProcessUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "?";
    alignas(TOKEN_USER) unsigned char buffer[1024];
    DWORD size = 0;
    std::string sid = "?";
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size))
        sid = SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
    CloseHandle(token);
    return sid;
}

// What an object's DACL and label say, as SID strings.
struct Security {
    bool read = false;
    std::vector<std::string> allowed;    // SIDs of the access-allowed entries, sorted
                                         // (empty without a DACL, which lets all in)
    std::vector<std::string> otherAces;  // entries of any other kind
    std::vector<std::string> labels;     // "<SID> <mask>" of each mandatory label
};

Security Read(HANDLE object) {
    Security out;
    PACL dacl = nullptr, sacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!object || GetSecurityInfo(object, SE_KERNEL_OBJECT,
                                   DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION, nullptr,
                                   nullptr, &dacl, &sacl, &descriptor) != ERROR_SUCCESS)
        return out;
    out.read = true;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace))) continue;
        if (ace->AceType == ACCESS_ALLOWED_ACE_TYPE)
            out.allowed.push_back(SidText(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart));
        else
            out.otherAces.push_back(std::to_string(ace->AceType));
    }
    std::sort(out.allowed.begin(), out.allowed.end());
    for (DWORD i = 0; sacl && i < sacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        if (!GetAce(sacl, i, reinterpret_cast<void**>(&ace)) ||
            ace->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE)
            continue;
        auto* label = reinterpret_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace);
        out.labels.push_back(SidText(&label->SidStart) + " " + std::to_string(label->Mask));
    }
    LocalFree(descriptor);
    return out;
}

TEST(SharedRecordSecurity, OnlyTheUserAndSystemMayOpenTheRecordAndNoLowerIntegrity) {
    ASSERT_NE(SharedState(), nullptr);
    HANDLE mapping = OpenFileMappingA(READ_CONTROL, FALSE, kSharedStateMappingName);
    HANDLE mutex = CreateSharedStateMutex();
    std::vector<std::string> expected = {"S-1-5-18", ProcessUser()};  // SYSTEM, this user
    std::sort(expected.begin(), expected.end());
    const std::string medium =
        "S-1-16-8192 " + std::to_string(SYSTEM_MANDATORY_LABEL_NO_READ_UP |
                                        SYSTEM_MANDATORY_LABEL_NO_WRITE_UP |
                                        SYSTEM_MANDATORY_LABEL_NO_EXECUTE_UP);
    const struct {
        const char* name;
        HANDLE handle;
    } objects[] = {{"mapping", mapping}, {"mutex", mutex}};
    for (const auto& o : objects) {
        const Security s = Read(o.handle);
        ASSERT_TRUE(s.read) << o.name;
        EXPECT_EQ(s.allowed, expected) << o.name;
        EXPECT_TRUE(s.otherAces.empty()) << o.name;
        EXPECT_EQ(s.labels, std::vector<std::string>{medium}) << o.name;
    }
    if (mapping) CloseHandle(mapping);
    if (mutex) CloseHandle(mutex);
}

}  // namespace
}  // namespace wl
