#include "libui/win32/LibraryDialogs.h"

#include "libui/Profile.h"
#include "libui/win32/DlgLibManager.h"
#include "libui/win32/DlgLibOption.h"

namespace wl {

std::string ProgramLibsFolder() {
    char exe[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string folder(exe, n);
    const std::size_t cut = folder.rfind('\\');
    if (cut == std::string::npos) return {};
    folder.resize(cut);
    return folder + "\\Libs";
}

bool RunLibrariesManager(HWND owner, Registry& registry, const std::string& libsFolder) {
    CDlgLibManager dialog(registry, libsFolder.empty() ? ProgramLibsFolder() : libsFolder);
    return dialog.DoModal(owner) == IDOK;
}

bool RunLibraryEditor(HWND owner, Registry& registry, const std::string& path, int mayChange) {
    RegistryProfile profile(registry);
    CDlgLibOption editor(path, mayChange, profile);
    return editor.DoModal(owner) == IDOK;
}

}  // namespace wl
