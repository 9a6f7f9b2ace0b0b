#include "settings/win32/SettingsDialogs.h"

#include <commctrl.h>

#include "settings/win32/DlgAppManager.h"
#include "settings/win32/DlgOptions.h"
#include "platform/Product.h"
#include "settings/RefusedWrite.h"

namespace wl {

namespace {

void InitControls() {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS;
    InitCommonControlsEx(&init);
}

}  // namespace

bool RunOptionsDialog(HWND owner, Registry& reg, OptionsResult& result, LearnedData* learned) {
    InitControls();
    CDlgOptions dialog(reg, ProgramPath(), learned);
    if (dialog.DoModal(owner) != IDOK) return false;
    result = dialog.result();
    return true;
}

bool RunAppManager(HWND owner, Registry& reg, const CodePage& codePage, bool* allWritten) {
    InitControls();
    CDlgAppManager dialog(reg, codePage);
    if (dialog.DoModal(owner) != IDOK) return false;
    if (allWritten) *allWritten = dialog.allWritten();
    return true;
}

void ShowRefusedWrite(RegRoot root, const std::string& path) {
    // Over the dialog that saved, when there is one on this thread.
    MessageBoxA(GetActiveWindow(), RefusedWriteText(root, path).c_str(), product::kTitleError,
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace wl
