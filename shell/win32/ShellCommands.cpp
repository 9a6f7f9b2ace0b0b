#include "shell/win32/ShellCommands.h"

#include <shellapi.h>

#include <string>

#include "platform/Registry.h"
#include "platform/win32/ProgramFolder.h"
#include "res/resource.h"
#include "shell/TrayMenu.h"

namespace wl {

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kHhDisplayTopic = 0;

// The HTML Help control, loaded on first use; once it cannot be found, help
// stays silent for the rest of the run.
HtmlHelpFn LoadHtmlHelp() {
    static bool tried = false;
    static HtmlHelpFn fn = nullptr;
    if (tried) return fn;
    tried = true;
    std::string server;
    {
        Registry& reg = SystemRegistry();
        RegKey key(reg, RegRoot::ClassesRoot,
                   "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", false);
        if (key) reg.ReadString(key.get(), "", server, MAX_PATH);
    }
    HMODULE control = server.empty() ? nullptr : LoadLibraryA(server.c_str());
    if (!control) control = LoadLibraryA("hhctrl.ocx");
    if (control)
        fn = reinterpret_cast<HtmlHelpFn>(
            reinterpret_cast<void*>(GetProcAddress(control, MAKEINTRESOURCEA(14))));
    return fn;
}

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dlg, IDC_ABOUT_LINK, kHomePage);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDC_ABOUT_LINK && HIWORD(wp) == STN_CLICKED) {
                OpenLink(dlg, kHomePage);
                return TRUE;
            }
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, LOWORD(wp));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

void ShowHelpContents(HWND owner) {
    const std::string folder = ProgramFolder();
    if (folder.empty()) return;
    const std::string file = folder + "\\" + kHelpFile;
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    if (HtmlHelpFn fn = LoadHtmlHelp()) fn(owner, file.c_str(), kHhDisplayTopic, 0);
}

void OpenLink(HWND owner, const char* target) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(owner, "open", target, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return;
    MessageBeep(0);
    MessageBoxA(owner, UnableToOpenText(target).c_str(), "Wordlark - Info",
                MB_OK | MB_ICONINFORMATION);
}

void ShowAbout(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc, 0);
}

}  // namespace wl
