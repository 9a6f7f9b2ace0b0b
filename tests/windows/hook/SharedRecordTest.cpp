// The security descriptor of the shared record and of the mutex that guards
// its creation, read back from the objects under Wine: owned by the user,
// open to the user and SYSTEM only, and the medium label with no-read-up,
// no-write-up and no-execute-up; and how the owner and label of an object
// are read for the check of a record found under the record's name.
// (Wine keeps and returns the label but does not enforce integrity levels;
// that a low-integrity process is refused shows on Windows only.)
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <optional>
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

// An object someone made under the record's names before the record was
// looked for; closed at the end of the scope.
class Planted {
  public:
    Planted(bool mapping, const std::string& name, const std::string& sddl, DWORD size) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                  &descriptor, nullptr))
            return;
        SECURITY_ATTRIBUTES sa{sizeof sa, descriptor, FALSE};
        handle_ = mapping ? CreateFileMappingA(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE, 0, size,
                                               name.c_str())
                          : CreateMutexA(&sa, FALSE, name.c_str());
        // Whatever its maker wrote there.
        void* view =
            handle_ && mapping ? MapViewOfFile(handle_, FILE_MAP_ALL_ACCESS, 0, 0, size) : nullptr;
        if (view) std::memset(view, 'x', size), UnmapViewOfFile(view);
        LocalFree(descriptor);
    }
    ~Planted() {
        if (handle_) CloseHandle(handle_);
    }
    Planted(const Planted&) = delete;
    Planted& operator=(const Planted&) = delete;
    HANDLE handle() const { return handle_; }

  private:
    HANDLE handle_ = nullptr;
};

TEST(SharedRecordSecurity, OnlyTheUserAndSystemMayOpenTheRecordAndNoLowerIntegrity) {
    ASSERT_NE(SharedState(), nullptr);
    EXPECT_EQ(SharedStateStatus(), RecordStatus::kMapped);
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
        // What the check reads: the user's own, at medium integrity.
        const ObjectMaker maker = ReadObjectMaker(o.handle);
        EXPECT_EQ(maker.owner, ProcessUser()) << o.name;
        EXPECT_EQ(maker.integrity, std::optional<std::uint32_t>(kMediumIntegrityRid)) << o.name;
    }
    EXPECT_EQ(ProcessUserSid(), ProcessUser());
    if (mapping) CloseHandle(mapping);
    if (mutex) CloseHandle(mutex);
}

TEST(SharedRecordSecurity, TheOwnerAndLabelOfAnObjectAreReadAsMade) {
    const struct {
        const char* sddl;
        const char* owner;
        std::optional<std::uint32_t> integrity;
    } cases[] = {
        {"O:S-1-5-21-1-2-3-1001D:P(A;;GA;;;WD)", "S-1-5-21-1-2-3-1001", std::nullopt},
        {"O:BAD:P(A;;GA;;;WD)S:(ML;;NW;;;LW)", "S-1-5-32-544", 0x1000},
        {"O:SYD:P(A;;GA;;;WD)S:(ML;;NW;;;HI)", "S-1-5-18", 0x3000},
        // A label whose SID is no integrity level counts as the lowest.
        {"O:SYD:P(A;;GA;;;WD)S:(ML;;NW;;;S-1-16-8192-1)", "S-1-5-18", 0},
    };
    const std::string name =
        std::string("Local\\WordlarkTestObject-").append(std::to_string(GetCurrentProcessId()));
    for (const auto& c : cases) {
        const Planted object(true, name, c.sddl, 4096);
        ASSERT_NE(object.handle(), nullptr) << c.sddl;
        const ObjectMaker maker = ReadObjectMaker(object.handle());
        EXPECT_EQ(maker.owner, c.owner) << c.sddl;
        EXPECT_EQ(maker.integrity, c.integrity) << c.sddl;
    }
    EXPECT_EQ(ReadObjectMaker(nullptr).owner, "");
}

TEST(SharedRecordSecurity, OnlyARecordOfTheUsersOwnAtMediumIntegrityOrAboveIsMapped) {
    const std::string user = ProcessUser();
    const std::string other = "S-1-5-21-1-2-3-1001";
    // Names of this process's own, so that nothing else holds them.
    const std::string pid = std::to_string(GetCurrentProcessId());
    const std::string mappingName = std::string("Local\\WordlarkTestRecord-").append(pid);
    const std::string mutexName = std::string("Local\\WordlarkTestRecordInit-").append(pid);
    constexpr char everyone[] = "D:P(A;;GA;;;WD)";
    constexpr char everyoneLow[] = "D:P(A;;GA;;;WD)S:(ML;;NW;;;LW)";
    constexpr char everyoneHigh[] = "D:P(A;;GA;;;WD)S:(ML;;NW;;;HI)";
    constexpr char systemOnly[] = "D:P(A;;GA;;;SY)";
    constexpr DWORD kWhole = sizeof(SharedHookState);
    enum Kind { kNothing, kRecord, kMutex };
    const struct {
        const char* what;
        Kind planted;
        bool usersOwn;       // else another account's
        const char* rights;  // the descriptor after its owner
        DWORD size;
        RecordStatus expected;
    } cases[] = {
        {"nothing there", kNothing, true, "", 0, RecordStatus::kMapped},
        {"the user's own record", kRecord, true, everyone, kWhole, RecordStatus::kMapped},
        {"one made by an elevated program", kRecord, true, everyoneHigh, kWhole,
         RecordStatus::kMapped},
        {"another account's record", kRecord, false, everyone, kWhole, RecordStatus::kOtherOwner},
        {"a low-integrity record", kRecord, true, everyoneLow, kWhole, RecordStatus::kLowIntegrity},
        {"a record the user may not open", kRecord, false, systemOnly, kWhole,
         RecordStatus::kNotOpened},
        {"another account's mutex", kMutex, false, everyone, 0, RecordStatus::kOtherOwner},
        {"a low-integrity mutex", kMutex, true, everyoneLow, 0, RecordStatus::kLowIntegrity},
        {"a mutex the user may not open", kMutex, false, systemOnly, 0, RecordStatus::kNotOpened},
        // The user's own of the same name but another size: an older layout.
        {"a smaller record", kRecord, true, everyone, 4096, RecordStatus::kNotMapped},
    };
    for (const auto& c : cases) {
        std::string sddl = "O:";
        sddl.append(c.usersOwn ? user : other).append(c.rights);
        std::optional<Planted> planted;
        if (c.planted != kNothing) {
            const bool record = c.planted == kRecord;
            planted.emplace(record, record ? mappingName : mutexName, sddl, c.size);
            ASSERT_NE(planted->handle(), nullptr) << c.what;
        }
        const MappedRecord mapped = MapSharedRecord(mappingName.c_str(), mutexName.c_str());
        EXPECT_EQ(static_cast<int>(mapped.status), static_cast<int>(c.expected)) << c.what;
        EXPECT_EQ(mapped.view != nullptr, c.expected == RecordStatus::kMapped) << c.what;
        EXPECT_EQ(mapped.mapping != nullptr, c.expected == RecordStatus::kMapped) << c.what;
        if (mapped.view) {
            // A record found is used as it is; one made here starts afresh.
            EXPECT_EQ(mapped.view->vkSelectPrev, c.planted == kNothing ? 0x26 : 'x') << c.what;
            const ObjectMaker maker = ReadObjectMaker(mapped.mapping);
            EXPECT_EQ(maker.owner, user) << c.what;
            UnmapViewOfFile(mapped.view);
        }
        if (mapped.mapping) CloseHandle(mapped.mapping);
    }
}

}  // namespace
}  // namespace wl
