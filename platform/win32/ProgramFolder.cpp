#include "platform/win32/ProgramFolder.h"

#include <windows.h>

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

}  // namespace wl
