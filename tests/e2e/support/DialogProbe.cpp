// e2e_dialogs.exe: drives the dialogs of another program for the end-to-end
// scenarios, as a user would with the mouse (a Windows console program; one
// command per run, "ok" or the answer on standard output, exit status 0, or
// 1 when the dialog or control was not found).  A dialog is named by its
// title; a control by its identifier, searched among all descendants (the
// pages of a dialog are dialogs of their own).
//
//   click TITLE ID           presses the button (posted: it may open a
//                            modal dialog)
//   type TITLE ID TEXT       replaces the text of an edit control
//   lbselect TITLE ID I...   selects exactly the list box entries I... and
//                            tells the dialog the selection changed
//   lvselect TITLE TEXT      selects the list view row whose first column is
//                            TEXT (letter case ignored), and only it
//   lvcheck TITLE TEXT 0|1   clears or sets that row's check box
//   exists TITLE             "visible" or "hidden"
//   msgbox TEXT ID           presses button ID of the message box whose text
//                            contains TEXT; prints its whole text
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

LRESULT Send(HWND w, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    BOOL done = SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 3000, &result);
    if (ok) *ok = done != 0;
    return static_cast<LRESULT>(result);
}

HWND Dialog(const char* title) {
    return FindWindowA("#32770", title);
}

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK FindId(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    if (GetDlgCtrlID(w) == s->id) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND Control(HWND dialog, int id) {
    Search s{id, nullptr};
    EnumChildWindows(dialog, FindId, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

BOOL CALLBACK FindList(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, "SysListView32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
}

// A list view of another process: items and texts go through memory of that
// process.
class RemoteList {
  public:
    explicit RemoteList(HWND list) : list_(list) {
        DWORD pid = 0;
        GetWindowThreadProcessId(list, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            memory_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, sizeof(LVITEMA) + kText,
                                                        MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteList() {
        if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool ok() const { return memory_ != nullptr; }
    int Count() { return static_cast<int>(Send(list_, LVM_GETITEMCOUNT, 0, 0)); }
    std::string Text(int row) {
        LVITEMA item{};
        item.pszText = memory_ + sizeof(LVITEMA);
        item.cchTextMax = static_cast<int>(kText);
        char text[kText] = {};
        if (!WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr)) return {};
        Send(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
        ReadProcessMemory(process_, memory_ + sizeof(LVITEMA), text, kText - 1, nullptr);
        return text;
    }
    bool SetState(int row, UINT state, UINT mask) {
        LVITEMA item{};
        item.state = state;
        item.stateMask = mask;
        bool sent = false;
        return WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr) &&
               (Send(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(memory_), &sent),
                sent);
    }
    int Find(const char* text) {
        for (int i = 0, n = Count(); i < n; ++i)
            if (lstrcmpiA(Text(i).c_str(), text) == 0) return i;
        return -1;
    }

  private:
    static constexpr SIZE_T kText = 1024;
    HWND list_;
    HANDLE process_ = nullptr;
    char* memory_ = nullptr;
};

struct BoxSearch {
    const char* text;
    HWND box;
    std::string whole;
};

BOOL CALLBACK FindStatic(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<BoxSearch*>(lp);
    char cls[32] = {}, text[1024] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(w, text, sizeof text) > 0 &&
        std::strstr(text, s->text)) {
        s->whole = text;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindBox(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<BoxSearch*>(lp);
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(w)) return TRUE;
    EnumChildWindows(w, FindStatic, lp);
    if (s->whole.empty()) return TRUE;
    s->box = w;
    return FALSE;
}

int Fail() {
    std::printf("none\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: e2e_dialogs click|type|lbselect|lvselect|lvcheck|exists|msgbox ...\n");
        return 2;
    }
    const std::string cmd = argv[1];
    if (cmd == "msgbox") {
        if (argc < 4) return 2;
        BoxSearch s{argv[2], nullptr, {}};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
        if (!s.box) return Fail();
        HWND button = GetDlgItem(s.box, std::atoi(argv[3]));
        if (!button) return Fail();
        PostMessageA(button, BM_CLICK, 0, 0);
        std::printf("%s\n", s.whole.c_str());
        return 0;
    }
    HWND dialog = Dialog(argv[2]);
    if (cmd == "exists") {
        if (!dialog) return Fail();
        std::printf("%s\n", IsWindowVisible(dialog) ? "visible" : "hidden");
        return 0;
    }
    if (!dialog || argc < 4) return Fail();
    if (cmd == "lvselect" || cmd == "lvcheck") {
        HWND list = nullptr;
        EnumChildWindows(dialog, FindList, reinterpret_cast<LPARAM>(&list));
        if (!list) return Fail();
        RemoteList remote(list);
        const int row = remote.ok() ? remote.Find(argv[3]) : -1;
        if (row < 0) return Fail();
        bool done;
        if (cmd == "lvselect") {
            done = remote.SetState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED) &&
                   remote.SetState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        } else {
            if (argc < 5) return 2;
            const UINT image = std::atoi(argv[4]) ? 2 : 1;  // state image 2: checked
            done = remote.SetState(row, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
        }
        if (!done) return Fail();
        std::printf("ok\n");
        return 0;
    }
    HWND control = Control(dialog, std::atoi(argv[3]));
    if (!control) return Fail();
    bool ok = true;
    if (cmd == "click") {
        ok = PostMessageA(control, BM_CLICK, 0, 0) != 0;
    } else if (cmd == "type") {
        const char* text = argc > 4 ? argv[4] : "";
        Send(control, EM_SETSEL, 0, -1, &ok);
        if (ok) Send(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text), &ok);
    } else if (cmd == "lbselect") {
        Send(control, LB_SETSEL, FALSE, -1, &ok);
        for (int i = 4; ok && i < argc; ++i)
            Send(control, LB_SETSEL, TRUE, std::atoi(argv[i]), &ok);
        const int id = GetDlgCtrlID(control);
        if (ok)
            Send(GetParent(control), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control), &ok);
    } else {
        std::fprintf(stderr, "unknown command %s\n", cmd.c_str());
        return 2;
    }
    std::printf(ok ? "ok\n" : "none\n");
    return ok ? 0 : 1;
}
