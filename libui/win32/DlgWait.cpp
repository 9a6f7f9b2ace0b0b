#include "libui/win32/DlgWait.h"

#include "res/libui_resource.h"

namespace wl {

namespace {
constexpr DWORD kPumpIntervalMs = 30;
constexpr int kMaxMessagesPerPump = 64;
}  // namespace

bool CDlgWait::CreateHidden(HWND owner) {
    if (!Create(owner)) return false;
    ShowWindow(m_hWnd, SW_HIDE);
    return true;
}

BOOL CDlgWait::OnInitDialog() {
    SetDlgItemTextA(m_hWnd, IDC_WAIT_TEXT, m_strText.c_str());
    return TRUE;
}

void CDlgWait::ShowFor(const char* text) {
    m_strText = text ? text : "";
    if (m_hWnd) SetDlgItemTextA(m_hWnd, IDC_WAIT_TEXT, m_strText.c_str());
    ShowAgain();
}

void CDlgWait::ShowAgain() {
    m_bCancelled = false;
    m_bPumped = false;
    if (!m_hWnd) return;
    ShowWindow(m_hWnd, SW_SHOW);
    UpdateWindow(m_hWnd);
}

void CDlgWait::HideBox() {
    if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
}

void CDlgWait::SetText(const char* text) {
    m_strText = text ? text : "";
    if (m_bPumped && GetTickCount() - m_lastPump < kPumpIntervalMs) return;
    if (m_hWnd) {
        SetDlgItemTextA(m_hWnd, IDC_WAIT_TEXT, m_strText.c_str());
        UpdateWindow(GetDlgItem(m_hWnd, IDC_WAIT_TEXT));
    }
    Pump();
}

bool CDlgWait::Cancelled() {
    if (!m_bCancelled && (!m_bPumped || GetTickCount() - m_lastPump >= kPumpIntervalMs)) Pump();
    return m_bCancelled;
}

void CDlgWait::Pump() {
    m_bPumped = true;
    m_lastPump = GetTickCount();
    MSG msg;
    for (int i = 0; i < kMaxMessagesPerPump && !m_bCancelled; ++i) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) break;
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (m_hWnd && IsDialogMessageA(m_hWnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

INT_PTR CDlgWait::OnMessage(UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_COMMAND && (LOWORD(wp) == IDC_WAIT_CANCEL || LOWORD(wp) == IDCANCEL)) {
        // Closes the way a dialog's Cancel does; the box stays for the next
        // operation.
        m_bCancelled = true;
        HideBox();
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        m_bCancelled = true;
        HideBox();
        return TRUE;
    }
    return FALSE;
}

}  // namespace wl
