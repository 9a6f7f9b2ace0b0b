#include "hook/win32/SharedMapping.h"

#include <sddl.h>

#include <string>

namespace wl {
namespace {

constexpr DWORD kInitWaitMs = 2000;

INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
HANDLE g_mapping = nullptr;
SharedHookState* g_state = nullptr;

// The process's user as a SID string ("S-1-5-21-..."); empty when the token
// cannot be read.
std::string ProcessUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    std::string sid;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size > 0 && size <= 4096) {
        alignas(TOKEN_USER) unsigned char buffer[4096];
        char* text = nullptr;
        if (GetTokenInformation(token, TokenUser, buffer, size, &size) &&
            ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
            sid = text;
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return sid;
}

// The security attributes of both objects: full access for SYSTEM and the
// process's user, nothing inherited, nobody else; the medium label, which
// no lower integrity level may read, write or wait on.
class SharedObjectSecurity {
  public:
    SharedObjectSecurity() {
        const std::string user = ProcessUserSid();
        if (user.empty()) return;
        const std::string sddl = "D:P(A;;GA;;;SY)(A;;GA;;;" + user + ")S:(ML;;NRNWNX;;;ME)";
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

BOOL CALLBACK MapOnce(PINIT_ONCE, PVOID, PVOID*) {
    // The mutex makes creation and initialisation one step for every process
    // that maps the record at the same moment.
    HANDLE mutex = CreateSharedStateMutex();
    bool locked = false;
    if (mutex) {
        DWORD wait = WaitForSingleObject(mutex, kInitWaitMs);
        locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    bool created = false;
    HANDLE mapping = CreateSharedStateMapping(&created);
    if (mapping) {
        void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedHookState));
        if (view) {
            g_mapping = mapping;
            g_state = static_cast<SharedHookState*>(view);
            if (created) InitSharedHookState(*g_state);
        } else {
            CloseHandle(mapping);
        }
    }
    if (locked) ReleaseMutex(mutex);
    if (mutex) CloseHandle(mutex);
    return TRUE;
}

}  // namespace

HANDLE CreateSharedStateMapping(bool* created) {
    SharedObjectSecurity security;
    if (!security.get()) return nullptr;
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, security.get(), PAGE_READWRITE, 0,
                                        sizeof(SharedHookState), kSharedStateMappingName);
    if (created) *created = mapping && GetLastError() != ERROR_ALREADY_EXISTS;
    return mapping;
}

HANDLE CreateSharedStateMutex() {
    SharedObjectSecurity security;
    if (!security.get()) return nullptr;
    return CreateMutexA(security.get(), FALSE, kSharedStateMutexName);
}

SharedHookState* SharedState() {
    InitOnceExecuteOnce(&g_once, MapOnce, nullptr, nullptr);
    return g_state;
}

void ReleaseSharedState() {
    if (g_state) UnmapViewOfFile(g_state);
    if (g_mapping) CloseHandle(g_mapping);
    g_state = nullptr;
    g_mapping = nullptr;
}

}  // namespace wl
