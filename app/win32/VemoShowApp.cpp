// The application object: runs the main window modally for the whole life of
// the program.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/win32/DlgMain.h"
#include "platform/CodePage.h"
#include "platform/ReportingRegistry.h"
#include "settings/win32/SettingsDialogs.h"

namespace wl {

class CVemoShowApp {
  public:
    int Run() {
        INITCOMMONCONTROLSEX controls = {
            sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                 ICC_HOTKEY_CLASS | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        // Settings live under HKEY_LOCAL_MACHINE, which Windows may refuse to
        // let this user write: the user is told the first time it happens.
        ReportingRegistry registry(SystemRegistry(), ShowRefusedWrite);
        auto dialog = std::make_unique<CDlgMain>(VemoDll(), registry, SystemCodePage());
        dialog->DoModal(nullptr);
        dialog.reset();  // removes the tray icon, closes the libraries
        return 0;
    }
};

}  // namespace wl

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wl::CVemoShowApp app;
    return app.Run();
}
