#include "libui/win32/ProgressWindow.h"

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>

#include "libui/win32/LibDialog.h"

namespace wl {

namespace {

constexpr int kTextWidth = 390;
constexpr int kMargin = 10;
constexpr char kCancelLabel[] = " &Cancel ";
constexpr DWORD kPumpIntervalMs = 30;

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM lp) {
    reinterpret_cast<std::vector<ScreenRect>*>(lp)->push_back(
        {rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

}  // namespace

ProgressWindow::ProgressWindow(Profile& profile) : m_profile(profile) {}

ProgressWindow::~ProgressWindow() {
    Destroy();
}

std::vector<ScreenRect> ProgressWindow::Screens() {
    std::vector<ScreenRect> screens;
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&screens));
    if (screens.empty())
        screens.push_back({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    return screens;
}

bool ProgressWindow::Create(HWND owner, const char* title, bool smooth) {
    if (m_hWnd) return true;
    EnsureCommonControls();
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &ProgressWindow::WindowProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorA(nullptr, IDC_APPSTARTING);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // fails harmlessly once registered

    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        m_font = CreateFontIndirectA(&metrics.lfMessageFont);

    m_owner = owner;
    if (title) m_logic.SetTitle(title);
    m_hWnd =
        CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kClassName, m_logic.Title().c_str(),
                        WS_POPUP | WS_CAPTION, 0, 0, 300, 100, owner, nullptr, module, this);
    if (!m_hWnd) return false;
    m_text =
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_LEFTNOWORDWRAP, 0,
                        0, 10, 10, m_hWnd, reinterpret_cast<HMENU>(kTextId), module, nullptr);
    m_bar =
        CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | (smooth ? PBS_SMOOTH : 0),
                        0, 0, 10, 10, m_hWnd, reinterpret_cast<HMENU>(kBarId), module, nullptr);
    m_cancel = CreateWindowExA(0, "BUTTON", kCancelLabel,
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 10, 10,
                               m_hWnd, reinterpret_cast<HMENU>(kCancelId), module, nullptr);
    if (m_font) {
        SendMessageA(m_cancel, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        SendMessageA(m_text, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    }
    SetBarRange(m_logic.Lower(), m_logic.Upper(), m_logic.Step());
    Layout(m_nTextLines, kTextWidth);
    Place();
    ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    m_bVisible = true;
    return true;
}

void ProgressWindow::Layout(int lines, int width) {
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = m_font ? SelectObject(dc, m_font) : nullptr;
    std::string ms;
    for (int i = 0; i < lines; ++i) ms += i ? "\nM" : "M";
    RECT text{kMargin, kMargin, kMargin + width, kMargin};
    RECT measure{0, 0, width, 0};
    DrawTextA(dc, ms.c_str(), -1, &measure, DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
    text.bottom = text.top + (measure.bottom - measure.top);
    std::string label = std::string(kCancelLabel) + "  ";
    SIZE extent{};
    GetTextExtentPoint32A(dc, label.c_str(), static_cast<int>(label.size()), &extent);
    if (old) SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);

    const int e = GetSystemMetrics(SM_CXEDGE);
    const int f = GetSystemMetrics(SM_CYEDGE);
    const int bw = extent.cx + 4 * e;
    const int bh = extent.cy + 3 * f;
    RECT button{text.right - bw, text.bottom + kMargin, text.right, text.bottom + kMargin + bh};
    RECT bar{text.left, button.top + f, button.left - kMargin, button.bottom - f};

    MoveWindow(m_text, text.left, text.top, text.right - text.left, text.bottom - text.top, FALSE);
    MoveWindow(m_cancel, button.left, button.top, bw, bh, FALSE);
    MoveWindow(m_bar, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, FALSE);

    RECT client{0, 0, width + 2 * kMargin, button.bottom - kMargin + 2 * kMargin};
    AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)));
    SetWindowPos(m_hWnd, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProgressWindow::Place() {
    RECT self;
    GetWindowRect(m_hWnd, &self);
    const int w = self.right - self.left, h = self.bottom - self.top;
    int x = 0, y = 0;
    if (m_bRememberPosition && RememberedPosition(m_profile, Screens(), x, y)) {
        SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    // Centred on the owner; kept inside the work area of the owner's monitor
    // (an owner that stands off the screen does not take the window along).
    HMONITOR monitor = MonitorFromWindow(m_owner ? m_owner : m_hWnd, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoA(monitor, &info)) area = info.rcWork;
    RECT around = area;
    if (m_owner && IsWindowVisible(m_owner) && !IsIconic(m_owner)) GetWindowRect(m_owner, &around);
    x = around.left + ((around.right - around.left) - w) / 2;
    y = around.top + ((around.bottom - around.top) - h) / 2;
    if (x + w > area.right) x = area.right - w;
    if (y + h > area.bottom) y = area.bottom - h;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProgressWindow::Destroy() {
    if (!m_hWnd) return;
    if (m_bRememberPosition) {
        RECT r;
        if (GetWindowRect(m_hWnd, &r)) RememberPosition(m_profile, r.left, r.top);
    }
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    m_bVisible = false;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    m_text = m_bar = m_cancel = nullptr;
    if (m_font) DeleteObject(m_font);
    m_font = nullptr;
}

void ProgressWindow::SetMessage(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (m_text) SetWindowTextA(m_text, buffer);
}

void ProgressWindow::SetBarRange(std::int32_t lower, std::int32_t upper, std::int32_t step) {
    m_logic.SetBarRange(lower, upper, step);
    m_barShown = -1;
    if (!m_bar) return;
    SendMessageA(m_bar, PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
    SendMessageA(m_bar, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void ProgressWindow::SetBarPosition(std::int32_t position) {
    if (m_hWnd && !m_logic.Cancelled() && !m_bVisible) Show();
    if (m_logic.SetBarPosition(position) && m_hWnd)
        SetWindowTextA(m_hWnd, m_logic.Caption().c_str());
    // The bar is a few hundred pixels wide: it moves with each whole
    // percent (and to the very end), not with every row of a long listing.
    const int shown = position >= m_logic.Upper() ? 1000 : m_logic.PercentOf(position) * 10;
    if (shown != m_barShown && m_bar) {
        m_barShown = shown;
        SendMessageA(m_bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
}

void ProgressWindow::Advance() {
    SetBarPosition(m_logic.Position() + m_logic.Step());
}

void ProgressWindow::PumpPending(bool cancelOnEscape) {
    m_lastPump = GetTickCount();
    if (m_logic.Cancelled()) return;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        const bool escape = (msg.message == WM_CHAR && msg.wParam == VK_ESCAPE) ||
                            ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) &&
                             msg.wParam == VK_ESCAPE);
        if (cancelOnEscape && escape) {
            // Taken here: a multi-line edit of the owner would close its
            // dialog on Escape.
            PeekMessageA(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE);
            Cancel();
            break;
        }
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (m_logic.Cancelled()) break;
    }
}

void ProgressWindow::MaybePump() {
    if (GetTickCount() - m_lastPump >= kPumpIntervalMs) PumpPending(true);
}

void ProgressWindow::SetText(const char* text) {
    if (GetTickCount() - m_lastPump < kPumpIntervalMs) return;
    SetMessage("%s", text ? text : "");
    PumpPending(true);
}

bool ProgressWindow::Cancelled() {
    MaybePump();
    return m_logic.Cancelled();
}

void ProgressWindow::Cancel() {
    m_logic.Cancel();
    Hide();
    if (m_owner && IsWindow(m_owner)) SetForegroundWindow(m_owner);
}

void ProgressWindow::Hide() {
    if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
    m_bVisible = false;
}

void ProgressWindow::Show() {
    if (!m_hWnd) return;
    ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    m_bVisible = true;
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) return self->OnMessage(hwnd, msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT ProgressWindow::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wp) == kCancelId && HIWORD(wp) == BN_CLICKED) {
                Cancel();
                return 0;
            }
            break;
        case WM_CLOSE:  // Alt+F4: cancel, the caller destroys the window
            Cancel();
            return 0;
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_3DFACE));
            return 1;
        }
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace wl
