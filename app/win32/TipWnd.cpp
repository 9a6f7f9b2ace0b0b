#include "app/win32/TipWnd.h"

#include "app/CandidateList.h"
#include "app/win32/RowText.h"
#include "platform/win32/Dpi.h"

namespace wl {

namespace {

constexpr char kTipClass[] = "WordlarkTip";

struct TipColours {
    COLORREF background, border, text;
    bool shaded;
};

TipColours ColoursOf(int style) {
    if (style == TIP_STYLE_EXPANSION)
        return {RGB(100, 100, 228), RGB(200, 200, 200), RGB(255, 255, 255), false};
    return {RGB(255, 255, 191), RGB(130, 130, 130), RGB(64, 64, 64), true};
}

// The background darkened by 30 in each channel, stopping at 0.
COLORREF Darkened(COLORREF c) {
    auto down = [](int v) { return v > 30 ? v - 30 : 0; };
    return RGB(down(GetRValue(c)), down(GetGValue(c)), down(GetBValue(c)));
}

// Hides without handing the activation to any window: the application the
// user types in must keep it.
void HideQuietly(HWND hwnd) {
    if (IsWindowVisible(hwnd))
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

void Line(HDC dc, COLORREF colour, const POINT* points, int count) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points, count);
    SelectObject(dc, old);
    DeleteObject(pen);
}

}  // namespace

CTipWnd::~CTipWnd() {
    if (m_hWnd) DestroyWindow(m_hWnd);
    if (m_font) DeleteObject(m_font);
}

bool CTipWnd::Create(HWND owner) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = kTipClass;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    // A tool window that never takes the activation, so that the application
    // the user types in keeps the focus.  It is created hidden: the main
    // window hides it at once anyway, and a window that was never shown
    // activated is left alone by the X11 window management under Wine
    // (which otherwise makes every later hide wait for a window manager).
    m_hWnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kTipClass, "", WS_POPUP, 10, 10,
                             250, 200, owner, nullptr, inst, this);
    UpdateFont();
    return m_hWnd != nullptr;
}

void CTipWnd::UpdateFont() {
    // 14 pixels at 96 DPI, as tall as the list's text at any scaling.
    const UINT dpi = DpiOf(m_hWnd);
    if (m_font && dpi == m_fontDpi) return;
    HFONT font = CreateFontA(Scaled(14, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             PROOF_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial");
    if (!font) return;
    if (m_font) DeleteObject(m_font);
    m_font = font;
    m_fontDpi = dpi;
}

void CTipWnd::SetTipText(const std::string& text, int style, std::int32_t encoding) {
    m_strText = text;
    m_wideText = WideOfEntryText(text, encoding);
    m_nStyle = style;
    if (!m_hWnd) return;
    if (m_strText.empty()) HideQuietly(m_hWnd);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTipWnd::ShowTipAt(bool show, POINT point) {
    if (!m_hWnd) return;
    if (show && !m_strText.empty()) {
        if (IsWindowVisible(m_hWnd)) return;
        SetWindowPos(m_hWnd, nullptr, point.x, point.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        return;
    }
    HideQuietly(m_hWnd);
}

void CTipWnd::Hide() {
    ShowTipAt(false, POINT{});
}

void CTipWnd::OnPaint() {
    UpdateFont();
    // The margins around the text grow with the scaling too.
    const int margin = Scaled(10, m_fontDpi ? m_fontDpi : kDesignDpi);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    const TipColours colours = ColoursOf(m_nStyle);
    HGDIOBJ oldFont = SelectObject(dc, m_font);
    const UINT format = DT_LEFT | DT_TOP | DT_EXPANDTABS | DT_NOPREFIX;

    // Measure the text as a block: every line break starts a new line.
    RECT extent = {0, 0, 0, 0};
    DrawTextW(dc, m_wideText.c_str(), static_cast<int>(m_wideText.size()), &extent,
              format | DT_CALCRECT);
    SetWindowPos(m_hWnd, nullptr, 0, 0, (extent.right - extent.left) + 2 * margin,
                 (extent.bottom - extent.top) + 2 * margin,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int w = client.right, h = client.bottom;
    const POINT shape[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    SetWindowRgn(m_hWnd, CreatePolygonRgn(shape, 4, WINDING), FALSE);

    HBRUSH background = CreateSolidBrush(colours.background);
    FillRect(dc, &client, background);
    DeleteObject(background);
    const POINT border[5] = {{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}};
    Line(dc, colours.border, border, 5);
    if (colours.shaded) {
        const POINT shade[3] = {{w - 2, 1}, {w - 2, h - 2}, {0, h - 2}};
        Line(dc, Darkened(colours.background), shade, 3);
        const POINT light[3] = {{1, h - 4}, {1, 1}, {w - 3, 1}};
        Line(dc, RGB(255, 255, 255), light, 3);
    }
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, colours.text);
    RECT textRect = {margin, margin, w - margin - 1, h - margin - 1};
    // The rectangle ends a pixel short of the measured text: not clipped to
    // it, the last letter keeps its last column.
    DrawTextW(dc, m_wideText.c_str(), static_cast<int>(m_wideText.size()), &textRect,
              format | DT_NOCLIP);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    EndPaint(m_hWnd, &ps);
}

LRESULT CALLBACK CTipWnd::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CTipWnd*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_NCCREATE: {
            auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
            break;
        }
        case WM_PAINT:
            if (self) {
                self->OnPaint();
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            return 1;  // the paint fills the whole client area
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_KEYDOWN:
            if (wp == VK_ESCAPE) HideQuietly(hwnd);
            return 0;
        case WM_LBUTTONUP:
            HideQuietly(hwnd);
            return 0;
        case WM_NCDESTROY:
            // Destroyed with its owner: the handle may be given to another
            // window from now on.
            if (self) self->m_hWnd = nullptr;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace wl
