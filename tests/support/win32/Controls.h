// Dialogs under test, driven and read through their controls' messages, and
// the thread's message pump with a deadline.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/win32/DialogBase.h"

namespace wl::test {

// Handles the thread's waiting messages (the dialog's keyboard through
// IsDialogMessage) until none are left or the time is up.
inline void Pump(HWND dialog = nullptr, DWORD maxMs = 2000) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < maxMs && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Runs the thread's messages until done() or the deadline; false when the
// time ran out.
template <typename Done>
inline bool PumpUntil(Done done, DWORD ms = 5000) {
    const DWORD end = GetTickCount() + ms;
    while (!done()) {
        if (static_cast<LONG>(GetTickCount() - end) >= 0) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// --- buttons and boxes --------------------------------------------------------

inline std::string Text(HWND hwnd) {
    return WindowText(hwnd);
}
inline std::string ItemText(HWND dlg, int id) {
    return WindowText(GetDlgItem(dlg, id));
}
inline bool Enabled(HWND dlg, int id) {
    return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE;
}
// A check box's or radio button's state.
inline bool Checked(HWND dlg, int id) {
    return SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline void Click(HWND dlg, int id) {
    SendDlgItemMessageA(dlg, id, BM_CLICK, 0, 0);
}
// Replaces a box's whole text the way typing does (a change notification
// follows, as for the user's own typing).
inline void Type(HWND dlg, int id, const std::string& text) {
    HWND box = GetDlgItem(dlg, id);
    SendMessageA(box, EM_SETSEL, 0, -1);
    SendMessageA(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

// --- list views -----------------------------------------------------------------

inline int RowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}
inline std::string Cell(HWND list, int row, int column) {
    char text[1024] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}
// Every row's cell of a column, top to bottom.
inline std::vector<std::string> Cells(HWND list, int column = 0) {
    std::vector<std::string> cells;
    for (int row = 0, n = RowCount(list); row < n; ++row) cells.push_back(Cell(list, row, column));
    return cells;
}
inline LVITEMA Row(HWND list, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM | LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item;
}
inline LPARAM RowData(HWND list, int row) {
    return Row(list, row).lParam;
}
inline int RowImage(HWND list, int row) {
    return Row(list, row).iImage;
}
// The first selected row; -1 for none.
inline int FirstSelected(HWND list) {
    return static_cast<int>(
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}
// A column's title ("<none>" when there is no such column) and its width.
inline std::string ColumnTitle(HWND list, int column, int* width = nullptr) {
    char text[128] = {};
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.pszText = text;
    c.cchTextMax = sizeof text;
    if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&c)))
        return "<none>";
    if (width) *width = c.cx;
    return text;
}
// A row's check box.
inline bool RowChecked(HWND list, int row) {
    const LRESULT state =
        SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}
inline void SetRowChecked(HWND list, int row, bool checked) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}
// Makes exactly these rows the selected ones.
inline void Select(HWND list, std::initializer_list<int> rows) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int row : rows) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace wl::test
