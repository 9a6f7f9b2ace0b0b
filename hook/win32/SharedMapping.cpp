#include "hook/win32/SharedMapping.h"

#include <windows.h>

namespace wl {
namespace {

constexpr char kInitMutexName[] = "Local\\WordlarkVemoSharedStateInit";
constexpr DWORD kInitWaitMs = 2000;

INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
HANDLE g_mapping = nullptr;
SharedHookState* g_state = nullptr;

BOOL CALLBACK MapOnce(PINIT_ONCE, PVOID, PVOID*) {
    // The mutex makes creation and initialisation one step for every process
    // that maps the record at the same moment.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kInitMutexName);
    bool locked = false;
    if (mutex) {
        DWORD wait = WaitForSingleObject(mutex, kInitWaitMs);
        locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(SharedHookState), kSharedStateMappingName);
    bool created = mapping && GetLastError() != ERROR_ALREADY_EXISTS;
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
