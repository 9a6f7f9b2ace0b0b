#include "app/win32/CandidateListWnd.h"

#include <algorithm>

#include "app/win32/RowText.h"
#include "platform/win32/Dpi.h"
#include "res/resource.h"

namespace wl {

namespace {

RECT ChildRect(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

CCandidateListWnd::CCandidateListWnd(CandidateList& candidates, CTipWnd& tip)
    : m_candidates(candidates), m_tip(tip) {}

CCandidateListWnd::~CCandidateListWnd() {
    if (m_imageList) ImageList_Destroy(m_imageList);
}

void CCandidateListWnd::Attach(HWND dialog) {
    m_dialog = dialog;
    m_edit = GetDlgItem(dialog, IDC_MAIN_WORD);
    m_list = GetDlgItem(dialog, IDC_MAIN_LIST);
    PrepareList();
    LayoutAtCreation();
}

void CCandidateListWnd::Detach() {
    // The labels are children of the dialog: they go with it.
    for (HWND& label : m_indexLabels) label = nullptr;
    m_list = m_edit = nullptr;
}

void CCandidateListWnd::PrepareList() {
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_FLATSB);
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = Scaled(100, DpiOf(m_dialog));
    column.pszText = const_cast<char*>("");
    SendMessageA(m_list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

    SetImagesForDpi(DpiOf(m_dialog));
}

void CCandidateListWnd::LayoutAtCreation() {
    // One empty row tells the row height.
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.pszText = const_cast<char*>("");
    SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    RECT bounds = {};
    ListView_GetItemRect(m_list, 0, &bounds, LVIR_BOUNDS);
    ListView_DeleteAllItems(m_list);
    const int h = std::max<int>(1, bounds.bottom - bounds.top);
    const RECT L = ChildRect(m_list, m_dialog);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(m_dialog, WM_GETFONT, 0, 0));
    HINSTANCE inst = GetModuleHandleA(nullptr);
    const UINT dpi = DpiOf(m_dialog);
    for (int i = 0; i < 10; ++i) {
        const char text[2] = {static_cast<char>('0' + (i + 1) % 10), 0};
        m_indexLabels[i] =
            CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_CENTER, 0, L.top + h * i,
                            std::max(0, static_cast<int>(L.left) - Scaled(5, dpi)), h, m_dialog,
                            nullptr, inst, nullptr);
        SendMessageA(m_indexLabels[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SetWindowPos(m_list, nullptr, 0, 0, L.right - L.left, h * 21 / 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(m_edit, nullptr, L.left, 0, L.right, std::max(0, static_cast<int>(L.top) - 2),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CCandidateListWnd::SetImagesForDpi(UINT dpi) {
    HIMAGELIST images = ImageListFromStrip(GetModuleHandleA(nullptr), IDB_CANDIDATES, dpi);
    if (!images) images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 1);
    ListView_SetImageList(m_list, images, LVSIL_SMALL);
    if (m_imageList) ImageList_Destroy(m_imageList);
    m_imageList = images;
}

void CCandidateListWnd::OnDpiChanged(UINT dpi) {
    SetImagesForDpi(dpi);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(m_dialog, WM_GETFONT, 0, 0));
    for (HWND label : m_indexLabels)
        if (label) SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

LRESULT CCandidateListWnd::OnNotify(const NMHDR* header) {
    if (!header || header->hwndFrom != m_list) return 0;
    if (header->code == NM_CUSTOMDRAW) {
        // The highlighted row keeps the selection colours although the list
        // never has the focus.
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            if (static_cast<int>(draw->nmcd.dwItemSpec) == m_candidates.highlighted()) {
                draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
                draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
                draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
            }
            return CDRF_DODEFAULT;
        }
        return CDRF_DODEFAULT;
    }
    if (header->code == LVN_ITEMCHANGED && !m_bHighlighting) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (change->uNewState == (LVIS_SELECTED | LVIS_FOCUSED))
            m_candidates.OnRowSelected(change->iItem);
    } else if (header->code == NM_DBLCLK) {
        m_candidates.OnDoubleClick();
    }
    return 0;
}

void CCandidateListWnd::OnSize(int cx, int cy) {
    if (m_bSkipNextSize || !m_list) return;
    const RECT L = ChildRect(m_list, m_dialog);
    SetWindowPos(m_list, nullptr, 0, 0, std::max(0, cx - static_cast<int>(L.left)),
                 std::max(0, cy - static_cast<int>(L.top)),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceTip();
}

void CCandidateListWnd::RowsChanged() {
    RenderRows();
    if (!m_candidates.rows().empty()) SizeToContent();
}

void CCandidateListWnd::RenderRows() {
    m_bHighlighting = true;
    // Each row added to a drawing list view costs a redraw of its scroll
    // state; under Wine that made a page ten times slower to fill.
    SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(m_list);
    int index = 0;
    for (const CandidateRow& row : m_candidates.rows()) {
        // Each row from its own entry's encoding: code-page and Unicode
        // libraries' rows stand in one list.
        std::wstring text = WideOfEntryText(row.text, row.encoding);
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = index;
        item.pszText = text.data();
        item.iImage = row.image;
        item.lParam = row.itemData;
        if (SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0) break;
        ++index;
    }
    SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_list, nullptr, TRUE);
    m_bHighlighting = false;
}

void CCandidateListWnd::SizeToContent() {
    const int rows = ListView_GetItemCount(m_list);
    if (rows <= 0) return;
    m_bSkipNextSize = true;
    const bool pathMode = m_candidates.pathMode();
    ListView_SetColumnWidth(m_list, 0, LVSCW_AUTOSIZE);
    int w = ListView_GetColumnWidth(m_list, 0);
    RECT bounds = {};
    ListView_GetItemRect(m_list, 0, &bounds, LVIR_BOUNDS);
    const int h = (bounds.bottom - bounds.top) * std::min(rows, m_candidates.m_nPageSize);
    const UINT keep = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    const RECT N = ChildRect(m_indexLabels[0], m_dialog);
    const RECT before = ChildRect(m_list, m_dialog);
    const int left = pathMode ? 0 : N.right;
    // Whether a vertical scroll bar takes room shows only once the list has
    // its height; the room it takes is added in either mode, so that a
    // scroll bar never covers the widest row.
    SetWindowPos(m_list, nullptr, 0, 0, w, h, keep);
    RECT client;
    GetClientRect(m_list, &client);
    if (client.right < w) w = 2 * w - client.right;
    if (pathMode) {
        ShowScrollBar(m_list, SB_HORZ, FALSE);
        ShowScrollBar(m_list, SB_VERT, TRUE);
    } else {
        ShowScrollBar(m_list, SB_BOTH, FALSE);
    }
    // Every change of a window's place or size is a round trip to the display
    // under Wine: the list is moved and sized at once, and what has not
    // changed is left alone.
    const UINT dpi = DpiOf(m_dialog);  // the margins grow with the display's scaling
    SetWindowPos(m_list, nullptr, left, before.top, w + Scaled(5, dpi), h + Scaled(8, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT L = ChildRect(m_list, m_dialog);
    SetWindowPos(m_edit, nullptr, left, 0, L.right - L.left,
                 std::max(0, static_cast<int>(L.top) - 2), SWP_NOZORDER | SWP_NOACTIVATE);
    for (int i = 0; i < 10; ++i) {
        const bool show = !pathMode && i < rows;
        if (show != ((GetWindowLongPtrA(m_indexLabels[i], GWL_STYLE) & WS_VISIBLE) != 0))
            ShowWindow(m_indexLabels[i], show ? SW_SHOWNA : SW_HIDE);
    }
    // The window's frame is added to the client area the list needs, so that
    // no frame width cuts the list.
    RECT frame = {0, 0, L.right + Scaled(3, dpi), L.bottom + Scaled(3, dpi)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(m_dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(m_dialog, GWL_EXSTYLE)));
    RECT now;
    GetWindowRect(m_dialog, &now);
    if (now.right - now.left != frame.right - frame.left ||
        now.bottom - now.top != frame.bottom - frame.top)
        SetWindowPos(m_dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     keep);
    m_bSkipNextSize = false;
}

void CCandidateListWnd::HighlightChanged(int row) {
    m_bHighlighting = true;
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(m_list, row, LVIS_SELECTED, LVIS_SELECTED);
    ListView_EnsureVisible(m_list, row, FALSE);
    m_bHighlighting = false;
}

void CCandidateListWnd::PlaceTip() {
    const int row = m_candidates.highlighted();
    if (!m_list || row < 0 || row >= ListView_GetItemCount(m_list)) {
        m_tip.Hide();
        return;
    }
    RECT bounds = {};
    ListView_GetItemRect(m_list, row, &bounds, LVIR_BOUNDS);
    POINT corner = {bounds.right, bounds.top};
    ClientToScreen(m_list, &corner);
    RECT list;
    GetWindowRect(m_list, &list);
    const POINT at = {list.right + Scaled(3, DpiOf(m_dialog)), corner.y};
    m_tip.ShowTipAt(false, at);
    m_tip.ShowTipAt(true, at);
}

void CCandidateListWnd::SetTipText(const std::string& text, int style, std::int32_t encoding) {
    m_tip.SetTipText(text, style, encoding);
}

void CCandidateListWnd::Beep() {
    MessageBeep(0xFFFFFFFF);
}

}  // namespace wl
