// Helpers of the library dialog tests under Wine: a host that answers the
// dialogs' message boxes and file choices from a script, a message pump with
// a deadline, list view readers, and a driver for modal dialogs that runs
// steps from a thread timer.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <string>
#include <vector>

#include "libui/win32/LibDialog.h"

namespace wl::test {

struct ScriptedHost : LibUiHost {
    std::vector<UiMessage> shown;
    std::deque<int> answers;  // IDOK when empty
    std::deque<std::string> files;
    std::vector<bool> fileAsks;  // true for a save

    int ShowMessage(HWND, const UiMessage& message) override {
        shown.push_back(message);
        if (answers.empty()) return IDOK;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string ChooseFile(HWND, bool save) override {
        fileAsks.push_back(save);
        if (files.empty()) return {};
        std::string f = files.front();
        files.pop_front();
        return f;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& m : shown) t.push_back(m.text);
        return t;
    }
};

// Handles the thread's waiting messages, the dialog's keyboard through
// IsDialogMessage, until none are left or the time is up.
inline void Pump(HWND dialog = nullptr, DWORD maxMs = 2000) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < maxMs && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

inline std::string Text(HWND hwnd) {
    return WindowText(hwnd);
}
inline std::string ItemText(HWND dlg, int id) {
    return WindowText(GetDlgItem(dlg, id));
}
inline bool Enabled(HWND dlg, int id) {
    return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE;
}
inline void Click(HWND dlg, int id) {
    SendDlgItemMessageA(dlg, id, BM_CLICK, 0, 0);
}

inline int RowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}
inline std::string Cell(HWND list, int row, int column) {
    char text[512] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}
inline std::string ColumnTitle(HWND list, int column) {
    char text[128] = {};
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT;
    c.pszText = text;
    c.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
    return text;
}
inline bool Checked(HWND list, int row) {
    const LRESULT state =
        SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}
inline void SetChecked(HWND list, int row, bool checked) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}
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
// Replaces a box's whole text the way typing does (a change notification
// follows, as for the user's own typing).
inline void Type(HWND dlg, int id, const std::string& text) {
    HWND box = GetDlgItem(dlg, id);
    SendMessageA(box, EM_SETSEL, 0, -1);
    SendMessageA(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace wl::test
