// e2e_probe.exe: reads what a user would see in another program's windows
// and drives its dialogs as a user would with the mouse, for the end-to-end
// scenarios (a Windows console program; run it with e2e_probe in e2e.sh).
// One command per run; the answer is one line on standard output, exit
// status 0, or 1 (and "none") when the window or control was not found.
//
//   text CLASS [CHILD]     the text of the top-level window of class CLASS
//                          or, with CHILD, of its first descendant of class
//                          CHILD (e.g. "text Notepad Edit")
//   textutf8 CLASS [CHILD] the same read as wide characters, in UTF-8
//   sel CLASS CHILD        "START END" from EM_GETSEL of that control
//   settext CLASS CHILD T  replaces the control's text with T ("" empties it)
//   window CLASS|- TITLE|- "visible|hidden X Y WIDTH HEIGHT" of the top-level
//                          window with that class and/or title ("-": any)
//   caret                  "WINDOW-CLASS X Y BOTTOM" of the caret in the
//                          foreground thread, screen coordinates of its
//                          top-left corner and of its bottom edge
//   foreground             "CLASS|TITLE" of the foreground window
//   rows CLASS|- TITLE|-   the rows of the first list view inside that window:
//                          "SELECTED|ROW0|ROW1|..." (SELECTED -1 when none)
//   rowsutf8 CLASS|- TITLE|-  the same read as wide characters, in UTF-8
//   post CLASS|- TITLE|- MSG WPARAM LPARAM   posts a message to that window
//   send CLASS|- TITLE|- MSG WPARAM LPARAM   sends it and prints the answer
//   pid CLASS|- TITLE|-    the process id of that window
//   kill CLASS|- TITLE|-   ends the process of that window with
//                          TerminateProcess (no clean exit), waits for it
//   shared                 the hook library's shared record:
//                          "INPUTWORD|TYPEDLINE|REPLACETEXT|MODE|PENDING|ACTIVE"
//   sharedutf8             the same record's UTF-8 twins of the first two:
//                          "INPUTWORDUTF8|TYPEDLINEUTF8"
//   topmost                the visible top-level windows with the topmost
//                          style, "CLASS|TITLE" each, separated by " ; "
//                          ("none" when there is none)
//   clipboard              the clipboard's CF_TEXT, escaped ("none" when the
//                          clipboard cannot be opened or holds no text)
//   setclipboard TEXT      puts TEXT on the clipboard as CF_TEXT, as the
//                          user's copy; prints "set"
//   keys VK... [then CLASS CHILD TEXT VK...]
//                          presses and releases each virtual key (a number,
//                          0x09 for Tab), all in one SendInput: the keys
//                          are queued before the focus window takes the
//                          first; with "then", as soon as that control's
//                          text is TEXT (polled, 3 s at most), the keys
//                          after it, as a fast typist would; prints "sent"
//   holdclipboard MS [FILE]  opens the clipboard and keeps it open for MS
//                          milliseconds (at most 60 s), or until FILE exists;
//                          prints "held" as soon as it is open, exit status 1
//                          when it cannot be opened
//
// Dialogs (class #32770) are named by their title; a control by its
// identifier, searched among all descendants (the pages of a dialog are
// dialogs of their own):
//
//   exists TITLE             "visible" or "hidden"
//   click TITLE ID           presses the button (posted: it may open a
//                            modal dialog)
//   checked TITLE ID         the check box's state: "checked", "clear" or
//                            "mixed"
//   itemtext TITLE ID        the control's text, escaped as for "text"
//   type TITLE ID TEXT       replaces the text of an edit control
//   lbselect TITLE ID I...   selects exactly the list box entries I... and
//                            tells the dialog the selection changed
//   lvselect TITLE TEXT      selects the list view row whose first column is
//                            TEXT (letter case ignored), and only it
//   lvcheck TITLE TEXT 0|1   clears or sets that row's check box
//   msgbox TEXT ID           presses button ID of the message box whose text
//                            contains TEXT; prints its whole text
//
// Cross-process messages go through SendMessageTimeout (3 s), so that a
// hung target makes the probe fail rather than hang.
#include <windows.h>
#include <commctrl.h>

#include "hook/win32/SharedMapping.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* Arg(int argc, char** argv, int i) {
    if (i >= argc || std::strcmp(argv[i], "-") == 0) return nullptr;
    return argv[i];
}

LRESULT Send(HWND w, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    BOOL done = SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 3000, &result);
    if (ok) *ok = done != 0;
    return static_cast<LRESULT>(result);
}

LRESULT SendW(HWND w, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    BOOL done = SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 3000, &result);
    if (ok) *ok = done != 0;
    return static_cast<LRESULT>(result);
}

std::string Utf8Of(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

std::string Escape(const std::string& s) {
    static const char kFrom[] = "\r\n\t\\", kTo[] = "rnt\\";
    std::string out;
    for (char c : s) {
        const char* at = c ? std::strchr(kFrom, c) : nullptr;
        out += at ? std::string{'\\', kTo[at - kFrom]} : std::string(1, c);
    }
    return out;
}

std::string ClassAndTitle(HWND w) {
    char cls[128] = {}, title[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    return std::string(cls) + "|" + title;
}

int Fail() {
    std::printf("none\n");
    return 1;
}

// Presses and releases each virtual key named (numbers), in one SendInput.
bool SendKeys(char** first, char** last) {
    std::vector<INPUT> keys;
    for (char** vk = first; vk != last; ++vk) {
        INPUT key{};
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = static_cast<WORD>(std::strtoul(*vk, nullptr, 0));
        keys.push_back(key);
        key.ki.dwFlags = KEYEVENTF_KEYUP;
        keys.push_back(key);
    }
    return SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) == keys.size();
}

int Answer(const std::string& text, bool ok = true) {
    std::printf("%s\n", text.c_str());
    return ok ? 0 : 1;
}

// The first descendant of `parent` (a top-level window when it is null)
// for which Match says yes.
template <typename Match>
HWND Find(HWND parent, Match match) {
    struct Search {
        Match match;
        HWND found;
    } search{match, nullptr};
    WNDENUMPROC proc = [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (!s->match(w)) return TRUE;
        s->found = w;
        return FALSE;
    };
    const auto lp = reinterpret_cast<LPARAM>(&search);
    if (parent)
        EnumChildWindows(parent, proc, lp);
    else
        EnumWindows(proc, lp);
    return search.found;
}

bool IsClass(HWND w, const char* name) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
}

// A list view of another process: items and texts go through memory of that
// process.  ok() turns false at the first message that was not answered.
static_assert(sizeof(LVITEMA) <= sizeof(LVITEMW));

class RemoteList {
  public:
    explicit RemoteList(HWND list) : list_(list) {
        DWORD pid = 0;
        GetWindowThreadProcessId(list, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            memory_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, sizeof(LVITEMW) + kText,
                                                        MEM_COMMIT, PAGE_READWRITE));
        ok_ = memory_ != nullptr;
    }
    ~RemoteList() {
        if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool ok() const { return ok_; }
    int Count() { return static_cast<int>(Ask(LVM_GETITEMCOUNT, 0, 0)); }
    int Selected() {
        return static_cast<int>(Ask(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    std::string TextUtf8(int row) {
        LVITEMW item{};
        item.pszText = reinterpret_cast<wchar_t*>(memory_ + sizeof(LVITEMW));
        item.cchTextMax = static_cast<int>(kText / sizeof(wchar_t));
        wchar_t text[kText / sizeof(wchar_t)] = {};
        ok_ = ok_ && WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr);
        if (ok_)
            Send(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(memory_), &ok_);
        ok_ = ok_ && ReadProcessMemory(process_, memory_ + sizeof(LVITEMW), text,
                                       sizeof text - sizeof(wchar_t), nullptr);
        return Utf8Of(text);
    }
    std::string Text(int row) {
        LVITEMA item{};
        item.pszText = memory_ + sizeof(LVITEMA);
        item.cchTextMax = static_cast<int>(kText);
        char text[kText] = {};
        ok_ = ok_ && WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr);
        Ask(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
        ok_ =
            ok_ && ReadProcessMemory(process_, memory_ + sizeof(LVITEMA), text, kText - 1, nullptr);
        return text;
    }
    bool SetState(int row, UINT state, UINT mask) {
        LVITEMA item{};
        item.state = state;
        item.stateMask = mask;
        ok_ = ok_ && WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr);
        Ask(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
        return ok_;
    }
    int Find(const char* text) {
        for (int i = 0, n = Count(); ok_ && i < n; ++i)
            if (lstrcmpiA(Text(i).c_str(), text) == 0) return i;
        return -1;
    }

  private:
    LRESULT Ask(UINT msg, WPARAM wp, LPARAM lp) {
        if (!ok_) return 0;
        bool sent = false;
        const LRESULT answer = Send(list_, msg, wp, lp, &sent);
        ok_ = sent;
        return answer;
    }
    static constexpr SIZE_T kText = 1024;
    HWND list_;
    HANDLE process_ = nullptr;
    char* memory_ = nullptr;
    bool ok_ = false;
};

HWND ListIn(HWND w) {
    return Find(w, [](HWND c) { return IsClass(c, "SysListView32"); });
}

int Shared(bool utf8) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, wl::kSharedStateMappingName);
    const auto* state = mapping ? static_cast<const wl::SharedHookState*>(MapViewOfFile(
                                      mapping, FILE_MAP_READ, 0, 0, sizeof(wl::SharedHookState)))
                                : nullptr;
    if (!state) return Fail();
    auto field = [](const char* text, size_t size) {
        return Escape(std::string(text, strnlen(text, size)));
    };
    if (utf8)
        std::printf("%s|%s\n", field(state->inputWordUtf8, sizeof state->inputWordUtf8).c_str(),
                    field(state->typedLineUtf8, sizeof state->typedLineUtf8).c_str());
    else
        std::printf("%s|%s|%s|%d|%u|%u\n", field(state->inputWord, sizeof state->inputWord).c_str(),
                    field(state->typedLine, sizeof state->typedLine).c_str(),
                    field(state->replaceText, sizeof state->replaceText).c_str(),
                    static_cast<int>(state->replaceMode), state->lookupPending, state->active);
    UnmapViewOfFile(state);
    CloseHandle(mapping);
    return 0;
}

int Clipboard() {
    if (!OpenClipboard(nullptr)) return Fail();
    std::string text;
    bool got = false;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            text = p;
            got = true;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return Answer(got ? Escape(text) : "none", got);
}

int SetClipboard(int argc, char** argv) {
    const std::string text = argc > 2 ? argv[2] : "";
    if (!OpenClipboard(nullptr)) return Fail();
    EmptyClipboard();
    bool set = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* p = GlobalLock(memory)) {
            std::memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            set = SetClipboardData(CF_TEXT, memory) != nullptr;
        }
        if (!set) GlobalFree(memory);
    }
    CloseClipboard();
    return Answer(set ? "set" : "not set", set);
}

int HoldClipboard(int argc, char** argv) {
    const long ms = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 0;
    // Opened for a window: Wine lets every opener without a window in while
    // another such opener holds it.
    HWND owner = CreateWindowExA(0, "STATIC", "clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return Answer("busy", false);
    Answer("held");
    std::fflush(stdout);
    const char* until = argc > 3 ? argv[3] : nullptr;
    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(ms < 0 ? 0 : ms > 60000 ? 60000 : ms);
    while (GetTickCount() - start < limit &&
           !(until && GetFileAttributesA(until) != INVALID_FILE_ATTRIBUTES))
        Sleep(20);
    CloseClipboard();
    return 0;
}

// The commands on a top-level window named by class and title.
int OnWindow(const std::string& cmd, HWND w, int argc, char** argv) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (cmd == "window") {
        RECT r{};
        GetWindowRect(w, &r);
        std::printf("%s %ld %ld %ld %ld\n", IsWindowVisible(w) ? "visible" : "hidden", r.left,
                    r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (cmd == "pid") return Answer(std::to_string(pid));
    if (cmd == "kill") {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        const bool ended = process && TerminateProcess(process, 9) &&
                           WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
        if (process) CloseHandle(process);
        return Answer(ended ? "killed" : "failed", ended);
    }
    if (cmd == "rows" || cmd == "rowsutf8") {
        HWND list = ListIn(w);
        if (!list) return Fail();
        RemoteList remote(list);
        std::string rows = std::to_string(remote.Selected());
        for (int i = 0, n = remote.Count(); remote.ok() && i < n; ++i)
            (rows += "|") += Escape(cmd == "rows" ? remote.Text(i) : remote.TextUtf8(i));
        return remote.ok() ? Answer(rows) : Fail();
    }
    if (argc < 7) return 2;
    const UINT msg = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
    const auto wp = static_cast<WPARAM>(std::strtoll(argv[5], nullptr, 0));
    const auto lp = static_cast<LPARAM>(std::strtoll(argv[6], nullptr, 0));
    if (cmd == "post") return PostMessageA(w, msg, wp, lp) ? 0 : 1;
    bool ok = false;
    const LRESULT answer = Send(w, msg, wp, lp, &ok);
    return Answer(std::to_string(static_cast<long long>(answer)), ok);
}

// The commands on a dialog named by its title.
// The dialog with that title: a visible one before any other, since a
// dialog just closed may still be there, hidden, while its successor opens.
HWND FindDialog(const char* title) {
    HWND visible = Find(nullptr, [title](HWND w) {
        char text[256] = {};
        return IsClass(w, "#32770") && IsWindowVisible(w) && GetWindowTextA(w, text, sizeof text) &&
               std::strcmp(text, title) == 0;
    });
    return visible ? visible : FindWindowA("#32770", title);
}

int OnDialog(const std::string& cmd, HWND dialog, int argc, char** argv) {
    if (cmd == "exists") return Answer(IsWindowVisible(dialog) ? "visible" : "hidden");
    if (argc < 4) return Fail();
    if (cmd == "lvselect" || cmd == "lvcheck") {
        HWND list = ListIn(dialog);
        if (!list) return Fail();
        RemoteList remote(list);
        const int row = remote.Find(argv[3]);
        if (row < 0) return Fail();
        const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
        if (cmd == "lvselect") {
            remote.SetState(-1, 0, both);
            remote.SetState(row, both, both);
        } else {
            if (argc < 5) return 2;
            const UINT image = std::atoi(argv[4]) ? 2 : 1;  // state image 2: checked
            remote.SetState(row, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
        }
        return remote.ok() ? Answer("ok") : Fail();
    }
    const int id = std::atoi(argv[3]);
    HWND control = Find(dialog, [id](HWND c) { return GetDlgCtrlID(c) == id; });
    if (!control) return Fail();
    bool ok = true;
    if (cmd == "checked") {
        const LRESULT state = Send(control, BM_GETCHECK, 0, 0, &ok);
        if (!ok) return Fail();
        return Answer(state == BST_CHECKED         ? "checked"
                      : state == BST_INDETERMINATE ? "mixed"
                                                   : "clear");
    }
    if (cmd == "itemtext") {
        const LRESULT len = Send(control, WM_GETTEXTLENGTH, 0, 0, &ok);
        std::vector<char> buf(static_cast<std::size_t>(len > 0 ? len : 0) + 2, '\0');
        if (ok) Send(control, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), &ok);
        return Answer(ok ? Escape(buf.data()) : "none", ok);
    }
    if (cmd == "click") {
        ok = PostMessageA(control, BM_CLICK, 0, 0) != 0;
    } else if (cmd == "type") {
        Send(control, EM_SETSEL, 0, -1, &ok);
        if (ok)
            Send(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(argc > 4 ? argv[4] : ""),
                 &ok);
    } else {  // lbselect
        Send(control, LB_SETSEL, FALSE, -1, &ok);
        for (int i = 4; ok && i < argc; ++i)
            Send(control, LB_SETSEL, TRUE, std::atoi(argv[i]), &ok);
        if (ok)
            Send(GetParent(control), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control), &ok);
    }
    return Answer(ok ? "ok" : "none", ok);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "text" || cmd == "textutf8" || cmd == "sel" || cmd == "settext") {
        HWND w = FindWindowA(Arg(argc, argv, 2), nullptr);
        const char* child = Arg(argc, argv, 3);
        if (w && child) w = FindWindowExA(w, nullptr, child, nullptr);
        if (!w) return Fail();
        bool ok = false;
        if (cmd == "text") {
            LRESULT len = Send(w, WM_GETTEXTLENGTH, 0, 0, &ok);
            std::vector<char> buf(static_cast<std::size_t>(len > 0 ? len : 0) + 2, '\0');
            if (ok) Send(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), &ok);
            // Escaped, so that the whole text is one line: \r \n \t \\.
            return Answer(Escape(buf.data()), ok);
        }
        if (cmd == "textutf8") {
            LRESULT len = SendW(w, WM_GETTEXTLENGTH, 0, 0, &ok);
            std::vector<wchar_t> buf(static_cast<std::size_t>(len > 0 ? len : 0) + 2, L'\0');
            if (ok) SendW(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), &ok);
            return Answer(Escape(Utf8Of(buf.data())), ok);
        }
        if (cmd == "sel") {
            LRESULT sel = Send(w, EM_GETSEL, 0, 0, &ok);
            return Answer(std::to_string(LOWORD(sel)) + " " + std::to_string(HIWORD(sel)), ok);
        }
        Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argc > 4 ? argv[4] : ""), &ok);
        return Answer("ok", ok);
    }
    if (cmd == "window" || cmd == "rows" || cmd == "rowsutf8" || cmd == "post" || cmd == "send" ||
        cmd == "pid" || cmd == "kill") {
        HWND w = FindWindowA(Arg(argc, argv, 2), Arg(argc, argv, 3));
        return w ? OnWindow(cmd, w, argc, argv) : Fail();
    }
    if (cmd == "exists" || cmd == "click" || cmd == "checked" || cmd == "itemtext" ||
        cmd == "type" || cmd == "lbselect" || cmd == "lvselect" || cmd == "lvcheck") {
        HWND dialog = argc > 2 ? FindDialog(argv[2]) : nullptr;
        return dialog ? OnDialog(cmd, dialog, argc, argv) : Fail();
    }
    if (cmd == "msgbox") {
        if (argc < 4) return 2;
        std::string whole;
        HWND box = Find(nullptr, [&](HWND w) {
            return IsClass(w, "#32770") && IsWindowVisible(w) && Find(w, [&](HWND c) {
                       char text[1024] = {};
                       if (!IsClass(c, "Static") || !GetWindowTextA(c, text, sizeof text) ||
                           !std::strstr(text, argv[2]))
                           return false;
                       whole = text;
                       return true;
                   });
        });
        HWND button = box ? GetDlgItem(box, std::atoi(argv[3])) : nullptr;
        if (!button) return Fail();
        PostMessageA(button, BM_CLICK, 0, 0);
        return Answer(whole);
    }
    if (cmd == "caret") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(0, &info) || !info.hwndCaret) return Fail();
        POINT p{info.rcCaret.left, info.rcCaret.top};
        ClientToScreen(info.hwndCaret, &p);
        char cls[128] = {};
        GetClassNameA(info.hwndCaret, cls, sizeof cls);
        std::printf("%s %ld %ld %ld\n", cls, p.x, p.y,
                    p.y + (info.rcCaret.bottom - info.rcCaret.top));
        return 0;
    }
    if (cmd == "foreground") {
        HWND w = GetForegroundWindow();
        return Answer(w ? ClassAndTitle(w) : "|", w != nullptr);
    }
    if (cmd == "topmost") {
        std::string list;
        EnumWindows(
            [](HWND w, LPARAM lp) -> BOOL {
                if (!IsWindowVisible(w) || !(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST))
                    return TRUE;
                auto& all = *reinterpret_cast<std::string*>(lp);
                (all += all.empty() ? "" : " ; ") += ClassAndTitle(w);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&list));
        return Answer(list.empty() ? "none" : Escape(list));
    }
    if (cmd == "shared") return Shared(false);
    if (cmd == "sharedutf8") return Shared(true);
    if (cmd == "clipboard") return Clipboard();
    if (cmd == "holdclipboard") return HoldClipboard(argc, argv);
    if (cmd == "setclipboard") return SetClipboard(argc, argv);
    if (cmd == "keys" && argc > 2) {
        int then = 2;
        while (then < argc && std::strcmp(argv[then], "then") != 0) ++then;
        if (!SendKeys(argv + 2, argv + then)) return Answer("not sent", false);
        if (then + 3 >= argc) return Answer("sent");
        HWND w = FindWindowA(argv[then + 1], nullptr);
        if (w) w = FindWindowExA(w, nullptr, argv[then + 2], nullptr);
        const std::string want = argv[then + 3];
        for (const DWORD end = GetTickCount() + 3000; w;) {
            char text[1024] = {};
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                SMTO_ABORTIFHUNG, 1000, &ignored);
            if (want == text) break;
            if (static_cast<LONG>(GetTickCount() - end) >= 0) return Fail();
            Sleep(1);
        }
        return w && SendKeys(argv + then + 4, argv + argc) ? Answer("sent") : Fail();
    }
    std::fprintf(stderr, "usage: e2e_probe COMMAND ... (the commands: see Probe.cpp)\n");
    return 2;
}
