// Dialogs under test, driven and read through their controls' messages, the
// thread's message pump with a deadline, and a script for modal dialogs.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/DialogBase.h"

namespace wl::test {

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
// Runs the thread's waiting messages until none are left or the time is up.
inline void Pump(DWORD maxMs = 2000) {
    PumpUntil(
        [] {
            MSG m;
            return !PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
        },
        maxMs);
}

// --- buttons and boxes --------------------------------------------------------

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

// A message box's message: its longest static text (the icon is a static
// too).
inline std::string MessageText(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && WindowText(child).size() > text.size())
            text = WindowText(child);
    }
    return text;
}

// --- modal dialogs ----------------------------------------------------------------

// Drives dialogs that run modally on the test's own thread: a thread timer,
// dispatched by the dialogs' own message loops, hands each visible dialog
// that appears to the step expected next, by its caption.  Every wait is
// bounded: past the deadline, or for a dialog that no step expects, the
// dialogs still open are cancelled so that the modal calls return, and the
// script reports the failure.
class DialogScript {
  public:
    using Step = std::function<void(HWND)>;

    DialogScript& On(std::string caption, Step step) {
        steps_.emplace_back(std::move(caption), std::move(step));
        return *this;
    }
    // Runs action, which opens the dialogs; answers whether every step ran
    // and nothing unexpected appeared.
    bool Run(const std::function<void()>& action, DWORD timeoutMs = 10000) {
        for (HWND hwnd : ThreadWindows()) known_.insert(hwnd);
        deadline_ = GetTickCount() + timeoutMs;
        active_ = this;
        const UINT_PTR timer = SetTimer(nullptr, 0, 15, [](HWND, UINT, UINT_PTR, DWORD) {
            if (active_) active_->OnTick();
        });
        action();
        KillTimer(nullptr, timer);
        active_ = nullptr;
        return next_ == steps_.size() && problems.empty();
    }

    std::vector<std::string> problems;  // what went wrong, for the message

  private:
    static std::vector<HWND> ThreadWindows() {
        std::vector<HWND> all;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND hwnd, LPARAM lp) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&all));
        return all;
    }
    // A visible dialog opened after the script started that takes input now
    // (the innermost modal one: its owners are disabled); with handled, also
    // one a step has already had.
    HWND ActiveDialog(bool handled) {
        for (HWND hwnd : ThreadWindows()) {
            char cls[16] = {};
            GetClassNameA(hwnd, cls, sizeof cls);
            if (!known_.count(hwnd) && (handled || !handled_.count(hwnd)) &&
                std::string(cls) == "#32770" && IsWindowEnabled(hwnd) && IsWindowVisible(hwnd))
                return hwnd;
        }
        return nullptr;
    }
    void OnTick() {
        if (static_cast<LONG>(GetTickCount() - deadline_) > 0) {
            // Out of time: close whatever is still open, one per tick.
            if (!timedOut_)
                problems.push_back(next_ < steps_.size()
                                       ? "no dialog \"" + steps_[next_].first + "\" in time"
                                       : "a dialog stayed open past the deadline");
            timedOut_ = true;
            if (HWND open = ActiveDialog(true)) PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        HWND dialog = ActiveDialog(false);
        if (!dialog) return;
        handled_.insert(dialog);  // never matched again
        const std::string caption = WindowText(dialog);
        if (next_ < steps_.size() && caption == steps_[next_].first) {
            steps_[next_++].second(dialog);
            return;
        }
        // Not the dialog expected next: cancel it, so that the modal call
        // returns, and report it.
        problems.push_back("unexpected dialog \"" + caption + "\"");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }

    std::vector<std::pair<std::string, Step>> steps_;
    size_t next_ = 0;
    std::set<HWND> known_;    // open before the script started
    std::set<HWND> handled_;  // had a step, or cancelled
    DWORD deadline_ = 0;
    bool timedOut_ = false;
    static inline DialogScript* active_ = nullptr;
};

}  // namespace wl::test
