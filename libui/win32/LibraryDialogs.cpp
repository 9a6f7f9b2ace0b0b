#include "libui/win32/LibraryDialogs.h"

#include "libui/Profile.h"
#include "libui/win32/DlgLibManager.h"
#include "libui/win32/DlgLibOption.h"
#include "platform/win32/ProgramFolder.h"
#include "store/LibrarySet.h"

namespace wl {

std::string ProgramLibsFolder() {
    return LibsFolderOf(ProgramFolder());
}

bool RunLibrariesManager(HWND owner, Registry& registry, const CodePage& codePage,
                         const std::string& libsFolder) {
    CDlgLibManager dialog(registry, codePage,
                          libsFolder.empty() ? ProgramLibsFolder() : libsFolder);
    return dialog.DoModal(owner) == IDOK;
}

bool RunLibraryEditor(HWND owner, Registry& registry, const CodePage& codePage,
                      const std::string& path, int mayChange) {
    RegistryProfile profile(registry);
    CDlgLibOption editor(path, mayChange, profile, codePage);
    return editor.DoModal(owner) == IDOK;
}

}  // namespace wl
