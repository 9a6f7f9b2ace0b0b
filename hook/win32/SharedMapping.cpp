#include "hook/win32/SharedMapping.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace wl {
namespace {

constexpr DWORD kInitWaitMs = 2000;

INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
HANDLE g_mapping = nullptr;
SharedHookState* g_state = nullptr;
RecordStatus g_status = RecordStatus::kNotMapped;

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!sid || !IsValidSid(sid) || !ConvertSidToStringSidA(sid, &text)) return {};
    std::string s = text;
    LocalFree(text);
    return s;
}

// The security attributes of both objects: owned by the process's user,
// full access for SYSTEM and that user, nothing inherited, nobody else; the
// medium label, which no lower integrity level may read, write or wait on.
// The owner is named, as an elevated process would otherwise make the
// administrators' group the owner (and Wine the user's primary group).
class SharedObjectSecurity {
  public:
    explicit SharedObjectSecurity(const std::string& user) {
        if (user.empty()) return;
        const std::string sddl =
            "O:" + user + "D:P(A;;GA;;;SY)(A;;GA;;;" + user + ")S:(ML;;NRNWNX;;;ME)";
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                  &descriptor_, nullptr))
            descriptor_ = nullptr;
        attributes_.lpSecurityDescriptor = descriptor_;
    }
    ~SharedObjectSecurity() {
        if (descriptor_) LocalFree(descriptor_);
    }
    SharedObjectSecurity(const SharedObjectSecurity&) = delete;
    SharedObjectSecurity& operator=(const SharedObjectSecurity&) = delete;

    // Null when the descriptor could not be built: the objects are then not
    // made at all rather than made with the default security.
    SECURITY_ATTRIBUTES* get() { return descriptor_ ? &attributes_ : nullptr; }

  private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

// Closes a handle at the end of its scope.
struct OwnedHandle {
    HANDLE h;
    ~OwnedHandle() {
        if (h) CloseHandle(h);
    }
};

// Holds the creation mutex while the record is opened, when it could be
// taken within kInitWaitMs (else goes on without it).
struct MutexLock {
    HANDLE mutex;
    bool locked;
    explicit MutexLock(HANDLE m) : mutex(m) {
        const DWORD wait = WaitForSingleObject(mutex, kInitWaitMs);
        locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~MutexLock() {
        if (locked) ReleaseMutex(mutex);
    }
};

RecordStatus CheckObject(HANDLE object, const std::string& user) {
    const ObjectMaker maker = ReadObjectMaker(object);
    return JudgeSharedObject(maker.owner, user, maker.integrity);
}

BOOL CALLBACK MapOnce(PINIT_ONCE, PVOID, PVOID*) {
    const MappedRecord record = MapSharedRecord(kSharedStateMappingName, kSharedStateMutexName);
    g_mapping = record.mapping;
    g_state = record.view;
    g_status = record.status;
    return TRUE;
}

}  // namespace

std::string ProcessUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    std::string sid;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size > 0 && size <= 4096) {
        alignas(TOKEN_USER) unsigned char buffer[4096];
        if (GetTokenInformation(token, TokenUser, buffer, size, &size))
            sid = SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
    }
    CloseHandle(token);
    return sid;
}

ObjectMaker ReadObjectMaker(HANDLE object) {
    ObjectMaker maker;
    PSID owner = nullptr;
    PACL sacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!object || GetSecurityInfo(object, SE_KERNEL_OBJECT,
                                   OWNER_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION, &owner,
                                   nullptr, nullptr, &sacl, &descriptor) != ERROR_SUCCESS)
        return maker;
    maker.owner = SidText(owner);
    // The first mandatory label is the one in force.
    for (DWORD i = 0; sacl && i < sacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        if (!GetAce(sacl, i, reinterpret_cast<void**>(&ace)) ||
            ace->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE)
            continue;
        PSID label = &reinterpret_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace)->SidStart;
        const SID_IDENTIFIER_AUTHORITY mandatory = SECURITY_MANDATORY_LABEL_AUTHORITY;
        const SID_IDENTIFIER_AUTHORITY* authority =
            IsValidSid(label) ? GetSidIdentifierAuthority(label) : nullptr;
        const bool level = authority && *GetSidSubAuthorityCount(label) == 1 &&
                           std::equal(std::begin(authority->Value), std::end(authority->Value),
                                      std::begin(mandatory.Value));
        maker.integrity = level ? *GetSidSubAuthority(label, 0) : 0;
        break;
    }
    LocalFree(descriptor);
    return maker;
}

MappedRecord MapSharedRecord(const char* mappingName, const char* mutexName) {
    const std::string user = ProcessUserSid();
    SharedObjectSecurity security(user);
    if (!security.get()) return {nullptr, nullptr, RecordStatus::kNoUser};
    // The mutex makes creation and initialisation one step for every process
    // that maps the record at the same moment.  Either object may have been
    // made by someone else before: each is checked before it is used.
    OwnedHandle mutex{CreateMutexA(security.get(), FALSE, mutexName)};
    if (!mutex.h) return {nullptr, nullptr, RecordStatus::kNotOpened};
    if (RecordStatus s = CheckObject(mutex.h, user); s != RecordStatus::kMapped)
        return {nullptr, nullptr, s};
    MutexLock lock(mutex.h);

    OwnedHandle mapping{CreateFileMappingA(INVALID_HANDLE_VALUE, security.get(), PAGE_READWRITE, 0,
                                           sizeof(SharedHookState), mappingName)};
    const bool created = mapping.h && GetLastError() != ERROR_ALREADY_EXISTS;
    if (!mapping.h) return {nullptr, nullptr, RecordStatus::kNotOpened};
    if (RecordStatus s = CheckObject(mapping.h, user); s != RecordStatus::kMapped)
        return {nullptr, nullptr, s};
    // Fails for a smaller object of the same name.
    void* view = MapViewOfFile(mapping.h, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedHookState));
    if (!view) return {nullptr, nullptr, RecordStatus::kNotMapped};
    auto* state = static_cast<SharedHookState*>(view);
    if (created) InitSharedHookState(*state);
    MappedRecord record{mapping.h, state, RecordStatus::kMapped};
    mapping.h = nullptr;
    return record;
}

HANDLE CreateSharedStateMutex() {
    SharedObjectSecurity security(ProcessUserSid());
    return security.get() ? CreateMutexA(security.get(), FALSE, kSharedStateMutexName) : nullptr;
}

SharedHookState* SharedState() {
    InitOnceExecuteOnce(&g_once, MapOnce, nullptr, nullptr);
    return g_state;
}

RecordStatus SharedStateStatus() {
    InitOnceExecuteOnce(&g_once, MapOnce, nullptr, nullptr);
    return g_status;
}

void ReleaseSharedState() {
    if (g_state) UnmapViewOfFile(g_state);
    if (g_mapping) CloseHandle(g_mapping);
    g_state = nullptr;
    g_mapping = nullptr;
}

}  // namespace wl
