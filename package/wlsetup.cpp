// wlsetup.exe: the installer's and uninstaller's helper.  It does what the
// NSIS script cannot do on its own with the plug-ins Debian's NSIS ships:
//
//   wlsetup grant-key SUBKEY      create HKEY_LOCAL_MACHINE\SUBKEY (64-bit view) and
//                                 let the Users group read and write it and its subkeys
//   wlsetup grant-folder FOLDER   let the Users group change the files of FOLDER
//   wlsetup show-key SUBKEY       print the key's access list (SDDL), for tests
//   wlsetup show-folder FOLDER    print the folder's access list (SDDL), for tests
//   wlsetup hash FILE             print "size-fnv1a64" of the file, to tell later
//                                 whether it is still as installed
//   wlsetup close FOLDER SECONDS  end every VemoShow.exe running from FOLDER: ask its
//                                 main window to exit (the tray menu's Exit), wait up
//                                 to SECONDS, and only then terminate what is left
//
// Exit status: 0 done; 1 close had to terminate a process; 2 failed; 3 usage.
// It runs with the installer's rights (elevated); its manifest asks for
// nothing more.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>

#include "platform/Product.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The main window of VemoShow.exe: a dialog titled with the product's name
// holding the candidate list, and the command of the tray menu's "E&xit".
using wl::product::kCandidateListId;
using wl::product::kProgramFile;
constexpr const char* kMainClass = wl::product::kMainWindowClass;
constexpr const char* kMainTitle = wl::product::kName;
constexpr WPARAM kExitCommand = wl::product::kExitCommand;

int Fail(const char* what, DWORD error) {
    std::fprintf(stderr, "wlsetup: %s (error %lu)\n", what, static_cast<unsigned long>(error));
    return 2;
}

// --- access lists ----------------------------------------------------------

struct UsersSid {
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    bool ok = false;
    UsersSid() {
        DWORD size = sizeof sid;
        ok = CreateWellKnownSid(WinBuiltinUsersSid, nullptr, sid, &size) != 0;
    }
};

// Adds an inheritable "allow" entry for the Users group to the object's
// access list; entries already there stay.  SetNamedSecurityInfo passes the
// inheritable entry on to existing subkeys and files.
int GrantUsers(const std::string& object, SE_OBJECT_TYPE type, DWORD rights) {
    UsersSid users;
    if (!users.ok) return Fail("no SID for the Users group", GetLastError());
    PACL oldDacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    DWORD rc = GetNamedSecurityInfoA(object.c_str(), type, DACL_SECURITY_INFORMATION, nullptr,
                                     nullptr, &oldDacl, nullptr, &sd);
    if (rc != ERROR_SUCCESS) return Fail("cannot read the access list", rc);
    EXPLICIT_ACCESSA access = {};
    access.grfAccessPermissions = rights;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = reinterpret_cast<LPSTR>(users.sid);
    PACL newDacl = nullptr;
    rc = SetEntriesInAclA(1, &access, oldDacl, &newDacl);
    if (rc == ERROR_SUCCESS) {
        rc = SetNamedSecurityInfoA(const_cast<char*>(object.c_str()), type,
                                   DACL_SECURITY_INFORMATION, nullptr, nullptr, newDacl, nullptr);
        LocalFree(newDacl);
    }
    LocalFree(sd);
    return rc == ERROR_SUCCESS ? 0 : Fail("cannot write the access list", rc);
}

int GrantKey(const std::string& subkey) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, 0,
                              KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return Fail("cannot create the key", static_cast<DWORD>(rc));
    RegCloseKey(key);
    // Read, set values, create and delete subkeys; not the right to change
    // the key's owner or access list.
    return GrantUsers("MACHINE\\" + subkey, SE_REGISTRY_KEY,
                      KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE);
}

int GrantFolder(const std::string& folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail("no such folder", GetLastError());
    // "Modify": read, write, create and delete files, not change permissions.
    return GrantUsers(folder, SE_FILE_OBJECT,
                      FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE);
}

int ShowAccess(const std::string& object, SE_OBJECT_TYPE type) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    DWORD rc = GetNamedSecurityInfoA(object.c_str(), type, DACL_SECURITY_INFORMATION, nullptr,
                                     nullptr, nullptr, nullptr, &sd);
    if (rc != ERROR_SUCCESS) return Fail("cannot read the access list", rc);
    LPSTR text = nullptr;
    const BOOL ok = ConvertSecurityDescriptorToStringSecurityDescriptorA(
        sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
    LocalFree(sd);
    if (!ok) return Fail("cannot format the access list", GetLastError());
    std::printf("%s\n", text);
    LocalFree(text);
    return 0;
}

// --- the fingerprint of an installed file ----------------------------------

int Hash(const std::string& file) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail("cannot open the file", GetLastError());
    std::uint64_t hash = 0xcbf29ce484222325ull;
    std::uint64_t size = 0;
    std::vector<unsigned char> buffer(1 << 16);
    DWORD got = 0;
    bool ok = true;
    while (
        (ok = ReadFile(h, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) != 0) &&
        got > 0) {
        for (DWORD i = 0; i < got; ++i) {
            hash ^= buffer[i];
            hash *= 0x100000001b3ull;
        }
        size += got;
    }
    const DWORD error = GetLastError();
    CloseHandle(h);
    if (!ok) return Fail("cannot read the file", error);
    // No line end: the installer compares the text as it is.
    std::printf("%llu-%016llx", static_cast<unsigned long long>(size),
                static_cast<unsigned long long>(hash));
    return 0;
}

// --- ending a running Wordlark ---------------------------------------------

std::string Normalised(const std::string& path) {
    char full[MAX_PATH * 2] = {};
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string result = n > 0 && n < sizeof full ? std::string(full, n) : path;
    char longName[MAX_PATH * 2] = {};
    n = GetLongPathNameA(result.c_str(), longName, sizeof longName);
    if (n > 0 && n < sizeof longName) result.assign(longName, n);
    while (result.size() > 3 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
    return result;
}

bool SamePath(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

struct Running {
    DWORD pid = 0;
    HANDLE process = nullptr;
};

std::vector<Running> FindRunning(const std::string& folder) {
    std::vector<Running> found;
    const std::string program = Normalised(folder) + "\\" + kProgramFile;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, kProgramFile) != 0) continue;
        HANDLE process =
            OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                        entry.th32ProcessID);
        if (!process) continue;  // another session's, or gone
        char image[MAX_PATH * 2] = {};
        DWORD size = sizeof image;
        if (QueryFullProcessImageNameA(process, 0, image, &size) &&
            SamePath(Normalised(std::string(image, size)), program))
            found.push_back({entry.th32ProcessID, process});
        else
            CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

struct PostExit {
    const std::vector<Running>* running;
    int posted = 0;
};

BOOL CALLBACK PostExitTo(HWND hwnd, LPARAM lp) {
    auto* job = reinterpret_cast<PostExit*>(lp);
    char cls[32] = {}, title[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if (lstrcmpA(cls, kMainClass) != 0 || lstrcmpA(title, kMainTitle) != 0) return TRUE;
    HWND list = GetDlgItem(hwnd, kCandidateListId);
    char listClass[32] = {};
    if (!list || !GetClassNameA(list, listClass, sizeof listClass) ||
        lstrcmpiA(listClass, "SysListView32") != 0)
        return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    for (const Running& r : *job->running)
        if (r.pid == pid && PostMessageA(hwnd, WM_COMMAND, kExitCommand, 0)) ++job->posted;
    return TRUE;
}

// Waits until every process has ended or the deadline has passed; answers
// whether all ended.
bool WaitAll(const std::vector<Running>& running, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (const Running& r : running) {
        const DWORD now = GetTickCount();
        const DWORD left = static_cast<LONG>(end - now) > 0 ? end - now : 0;
        if (WaitForSingleObject(r.process, left) != WAIT_OBJECT_0) return false;
    }
    return true;
}

int Close(const std::string& folder, DWORD seconds) {
    std::vector<Running> running = FindRunning(folder);
    if (running.empty()) return 0;
    PostExit job{&running};
    EnumWindows(PostExitTo, reinterpret_cast<LPARAM>(&job));
    std::printf("asked %d Wordlark window(s) to exit\n", job.posted);
    int result = 0;
    if (!WaitAll(running, seconds * 1000)) {
        // A modal dialog or a message box may keep it from ending; the files
        // must go all the same.
        for (const Running& r : running)
            if (WaitForSingleObject(r.process, 0) != WAIT_OBJECT_0) {
                std::printf("terminating process %lu\n", static_cast<unsigned long>(r.pid));
                TerminateProcess(r.process, 1);
            }
        result = WaitAll(running, 10000) ? 1 : 2;
    }
    for (const Running& r : running) CloseHandle(r.process);
    // The programs that had the hooks let Vemo.dll go once they handle a
    // message after the hooks went: a harmless one to every window helps.
    PostMessageA(HWND_BROADCAST, WM_NULL, 0, 0);
    return result;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: wlsetup grant-key SUBKEY | grant-folder FOLDER | show-key SUBKEY |\n"
                 "       show-folder FOLDER | hash FILE | close FOLDER SECONDS\n");
    return 3;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1], arg = argv[2];
    if (command == "grant-key" && argc == 3) return GrantKey(arg);
    if (command == "grant-folder" && argc == 3) return GrantFolder(arg);
    if (command == "show-key" && argc == 3) return ShowAccess("MACHINE\\" + arg, SE_REGISTRY_KEY);
    if (command == "show-folder" && argc == 3) return ShowAccess(arg, SE_FILE_OBJECT);
    if (command == "hash" && argc == 3) return Hash(arg);
    if (command == "close" && argc == 4) {
        char* end = nullptr;
        const unsigned long seconds = std::strtoul(argv[3], &end, 10);
        if (!end || *end || seconds > 3600) return Usage();
        return Close(arg, static_cast<DWORD>(seconds));
    }
    return Usage();
}
