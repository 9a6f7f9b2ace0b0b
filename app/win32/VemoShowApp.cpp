// The application object: runs the main window modally for the whole life of
// the program.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/win32/DlgMain.h"

namespace wl {

class CVemoShowApp {
public:
    int Run(HINSTANCE instance) {
        INITCOMMONCONTROLSEX controls = {sizeof controls,
                                         ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                             ICC_BAR_CLASSES | ICC_HOTKEY_CLASS |
                                             ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        auto dialog = std::make_unique<CDlgMain>();
        dialog->DoModal(instance);
        dialog.reset();  // removes the tray icon, closes the libraries
        return 0;
    }
};

}  // namespace wl

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    wl::CVemoShowApp app;
    return app.Run(instance);
}
