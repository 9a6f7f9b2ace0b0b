#include "platform/win32/ProgramFolder.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/WideText.h"

namespace wl {

std::string ProgramPath() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};  // failed or cut short
    return std::string(path, n);
}

std::string ProgramFolder() {
    std::string path = ProgramPath();
    const std::size_t cut = path.rfind('\\');
    if (cut == std::string::npos) return {};
    path.resize(cut);
    return path;
}

std::string UserDataFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, base)) ||
        !base[0])
        return {};
    const std::wstring folder = std::wstring(base) + L"\\Wordlark";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return Utf8FromWide(folder);
}

}  // namespace wl
