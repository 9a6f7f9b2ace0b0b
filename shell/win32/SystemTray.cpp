#include "shell/win32/SystemTray.h"

#include <cstring>

namespace wl {

namespace {
constexpr char kTrayClass[] = "CSystemTray";
}

CSystemTray::~CSystemTray() {
    Remove();
    if (m_hWnd) DestroyWindow(m_hWnd);
}

bool CSystemTray::Create(HWND mainWindow, UINT callbackMessage, const char* tooltip, HICON icon,
                         UINT id, MenuPreparer prepare) {
    m_hMainWnd = mainWindow;
    m_prepare = std::move(prepare);
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = inst;
    wc.lpszClassName = kTrayClass;
    RegisterClassA(&wc);
    m_hWnd =
        CreateWindowExA(0, kTrayClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, inst, this);
    if (!m_hWnd) return false;

    m_tnd.cbSize = sizeof m_tnd;
    m_tnd.hWnd = m_hWnd;
    m_tnd.uID = id;
    m_tnd.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_tnd.uCallbackMessage = callbackMessage;
    m_tnd.hIcon = icon;
    lstrcpynA(m_tnd.szTip, tooltip, sizeof m_tnd.szTip);
    m_bEnabled = Shell_NotifyIconA(NIM_ADD, &m_tnd) != FALSE;
    return m_bEnabled;
}

void CSystemTray::SetIcon(HICON icon) {
    m_tnd.hIcon = icon;
    if (!m_bEnabled) return;
    m_tnd.uFlags = NIF_ICON;
    Shell_NotifyIconA(NIM_MODIFY, &m_tnd);
}

void CSystemTray::SetIcon(UINT resourceId) {
    SetIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId)));
}

void CSystemTray::SetMenuDefaultItem(UINT item, bool byPosition) {
    m_nDefaultItem = item;
    m_bDefaultByPosition = byPosition;
}

void CSystemTray::Remove() {
    if (!m_bEnabled) return;
    m_tnd.uFlags = 0;
    Shell_NotifyIconA(NIM_DELETE, &m_tnd);
    m_bEnabled = false;
}

LRESULT CSystemTray::OnTrayNotification(WPARAM wp, LPARAM lp) {
    if (wp != m_tnd.uID) return 0;
    HINSTANCE inst = GetModuleHandleA(nullptr);
    const UINT mouse = LOWORD(lp);
    if (mouse == WM_RBUTTONUP) {
        HMENU menu = LoadMenuA(inst, MAKEINTRESOURCEA(m_tnd.uID));
        if (!menu) return 1;
        HMENU popup = GetSubMenu(menu, 0);
        if (!popup) {
            DestroyMenu(menu);
            return 1;
        }
        POINT pos;
        GetCursorPos(&pos);
        SetForegroundWindow(m_hMainWnd);
        // The default comes after the texts: changing an item's text with
        // ModifyMenu replaces its state, the default flag included.
        if (m_prepare) m_prepare(popup);
        ::SetMenuDefaultItem(popup, m_nDefaultItem, m_bDefaultByPosition ? TRUE : FALSE);
        TrackPopupMenu(popup, TPM_LEFTALIGN, pos.x, pos.y, 0, m_hMainWnd, nullptr);
        // Lets the menu close properly when the user clicks elsewhere.
        PostMessageA(m_hMainWnd, WM_NULL, 0, 0);
        DestroyMenu(menu);
    } else if (mouse == WM_LBUTTONDBLCLK) {
        SetForegroundWindow(m_hMainWnd);
        UINT command = m_nDefaultItem;
        if (m_bDefaultByPosition) {
            HMENU menu = LoadMenuA(inst, MAKEINTRESOURCEA(m_tnd.uID));
            command =
                menu ? GetMenuItemID(GetSubMenu(menu, 0), static_cast<int>(m_nDefaultItem)) : 0;
            if (menu) DestroyMenu(menu);
        }
        if (command) SendMessageA(m_hMainWnd, WM_COMMAND, command, 0);
    }
    return 1;
}

LRESULT CALLBACK CSystemTray::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<CSystemTray*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == self->m_tnd.uCallbackMessage) return self->OnTrayNotification(wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace wl
