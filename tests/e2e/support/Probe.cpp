// e2e_probe.exe: reads what a user would see in another program's windows,
// for the end-to-end scenarios (a Windows console program; run it with
// e2e_probe in e2e.sh).  One command per run; the answer is one line on
// standard output, exit status 0, or 1 when the window was not found.
//
//   text CLASS [CHILD]     the text of the top-level window of class CLASS
//                          or, with CHILD, of its first descendant of class
//                          CHILD (e.g. "text Notepad Edit")
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
//   post CLASS|- TITLE|- MSG WPARAM LPARAM   posts a message to that window
//   send CLASS|- TITLE|- MSG WPARAM LPARAM   sends it and prints the answer
//   pid CLASS|- TITLE|-    the process id of that window
//   shared                 the hook library's shared record:
//                          "INPUTWORD|TYPEDLINE|REPLACETEXT|MODE|PENDING|ACTIVE"
//   kill CLASS|- TITLE|-   ends the process of that window with
//                          TerminateProcess (no clean exit), waits for it
//   topmost                the visible top-level windows with the topmost
//                          style, "CLASS|TITLE" each, separated by " ; "
//                          ("none" when there is none)
//   clipboard              the clipboard's CF_TEXT, escaped ("none" when the
//                          clipboard cannot be opened or holds no text)
//   holdclipboard MS [FILE]  opens the clipboard and keeps it open for MS
//                          milliseconds (at most 60 s), or until FILE exists;
//                          prints "held" as soon as it is open, exit status 1
//                          when it cannot be opened
//
// Cross-process messages go through SendMessageTimeout (2 s), so that a
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

HWND Target(int argc, char** argv) {
    HWND top = FindWindowA(Arg(argc, argv, 2), nullptr);
    if (!top) return nullptr;
    const char* child = Arg(argc, argv, 3);
    return child ? FindWindowExA(top, nullptr, child, nullptr) : top;
}

LRESULT Send(HWND w, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    BOOL done = SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 2000, &result);
    if (ok) *ok = done != 0;
    return static_cast<LRESULT>(result);
}

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

// The rows of a list view in another process: the item structure and the
// text buffer must live in that process's memory.
bool ListRows(HWND list, int& selected, std::vector<std::string>& rows) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    constexpr SIZE_T kText = 1024;
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kText, MEM_COMMIT, PAGE_READWRITE));
    bool ok = remote != nullptr;
    bool sent = true;
    const int count = ok ? static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0, &sent)) : 0;
    ok = ok && sent;
    selected = ok ? static_cast<int>(
                        Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, &sent))
                  : -1;
    for (int i = 0; ok && i < count; ++i) {
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = remote + sizeof(LVITEMA);
        item.cchTextMax = static_cast<int>(kText);
        char text[kText] = {};
        ok = WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
             (Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote),
                   &sent),
              sent) &&
             ReadProcessMemory(process, remote + sizeof(LVITEMA), text, kText - 1, nullptr);
        if (ok) rows.push_back(Escape(text));
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: e2e_probe text|sel|settext|window|caret|foreground ...\n");
        return 2;
    }
    std::string cmd = argv[1];
    if (cmd == "text" || cmd == "sel" || cmd == "settext") {
        HWND w = Target(argc, argv);
        if (!w) {
            std::printf("none\n");
            return 1;
        }
        bool ok = false;
        if (cmd == "text") {
            LRESULT len = Send(w, WM_GETTEXTLENGTH, 0, 0, &ok);
            std::vector<char> buf(static_cast<std::size_t>(len > 0 ? len : 0) + 2, '\0');
            if (ok) Send(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), &ok);
            // Escaped, so that the whole text is one line: \r \n \t \\.
            std::printf("%s\n", Escape(buf.data()).c_str());
        } else if (cmd == "sel") {
            LRESULT sel = Send(w, EM_GETSEL, 0, 0, &ok);
            std::printf("%u %u\n", static_cast<unsigned>(LOWORD(sel)),
                        static_cast<unsigned>(HIWORD(sel)));
        } else {
            const char* text = argc > 4 ? argv[4] : "";
            Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), &ok);
            std::printf("ok\n");
        }
        return ok ? 0 : 1;
    }
    if (cmd == "window") {
        HWND w = FindWindowA(Arg(argc, argv, 2), Arg(argc, argv, 3));
        if (!w) {
            std::printf("none\n");
            return 1;
        }
        RECT r{};
        GetWindowRect(w, &r);
        std::printf("%s %ld %ld %ld %ld\n", IsWindowVisible(w) ? "visible" : "hidden", r.left,
                    r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (cmd == "caret") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(0, &info) || !info.hwndCaret) {
            std::printf("none\n");
            return 1;
        }
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
        char cls[128] = {}, title[256] = {};
        if (w) {
            GetClassNameA(w, cls, sizeof cls);
            GetWindowTextA(w, title, sizeof title);
        }
        std::printf("%s|%s\n", cls, title);
        return w ? 0 : 1;
    }
    if (cmd == "shared") {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, wl::kSharedStateMappingName);
        const auto* state = mapping
                                ? static_cast<const wl::SharedHookState*>(MapViewOfFile(
                                      mapping, FILE_MAP_READ, 0, 0, sizeof(wl::SharedHookState)))
                                : nullptr;
        if (!state) {
            std::printf("none\n");
            return 1;
        }
        auto field = [](const char* text, size_t size) {
            return Escape(std::string(text, strnlen(text, size)));
        };
        std::printf("%s|%s|%s|%d|%u|%u\n", field(state->inputWord, sizeof state->inputWord).c_str(),
                    field(state->typedLine, sizeof state->typedLine).c_str(),
                    field(state->replaceText, sizeof state->replaceText).c_str(),
                    static_cast<int>(state->replaceMode), state->lookupPending, state->active);
        UnmapViewOfFile(state);
        CloseHandle(mapping);
        return 0;
    }
    if (cmd == "topmost") {
        struct Found {
            std::string list;
        } found;
        EnumWindows(
            [](HWND w, LPARAM lp) -> BOOL {
                if (!IsWindowVisible(w) || !(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST))
                    return TRUE;
                char cls[128] = {}, title[256] = {};
                GetClassNameA(w, cls, sizeof cls);
                GetWindowTextA(w, title, sizeof title);
                auto& list = reinterpret_cast<Found*>(lp)->list;
                if (!list.empty()) list += " ; ";
                list += std::string(cls) + "|" + title;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        std::printf("%s\n", found.list.empty() ? "none" : Escape(found.list).c_str());
        return 0;
    }
    if (cmd == "clipboard") {
        if (!OpenClipboard(nullptr)) {
            std::printf("none\n");
            return 1;
        }
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
        std::printf("%s\n", got ? Escape(text).c_str() : "none");
        return got ? 0 : 1;
    }
    if (cmd == "holdclipboard") {
        const long ms = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 0;
        // Opened for a window: Wine lets every opener without a window in
        // while another such opener holds it.
        HWND owner = CreateWindowExA(0, "STATIC", "clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                     nullptr, nullptr, nullptr);
        if (!OpenClipboard(owner)) {
            std::printf("busy\n");
            return 1;
        }
        std::printf("held\n");
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
    if (cmd == "rows" || cmd == "post" || cmd == "send" || cmd == "pid" || cmd == "kill") {
        HWND w = FindWindowA(Arg(argc, argv, 2), Arg(argc, argv, 3));
        if (!w) {
            std::printf("none\n");
            return 1;
        }
        if (cmd == "pid") {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            std::printf("%lu\n", static_cast<unsigned long>(pid));
            return 0;
        }
        if (cmd == "kill") {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
            const bool ended = process && TerminateProcess(process, 9) &&
                               WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
            if (process) CloseHandle(process);
            std::printf("%s\n", ended ? "killed" : "failed");
            return ended ? 0 : 1;
        }
        if (cmd == "rows") {
            HWND list = FindWindowExA(w, nullptr, "SysListView32", nullptr);
            int selected = -1;
            std::vector<std::string> rows;
            if (!list || !ListRows(list, selected, rows)) {
                std::printf("none\n");
                return 1;
            }
            std::printf("%d", selected);
            for (const std::string& row : rows) std::printf("|%s", row.c_str());
            std::printf("\n");
            return 0;
        }
        if (argc < 7) return 2;
        const UINT msg = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
        const auto wp = static_cast<WPARAM>(std::strtoll(argv[5], nullptr, 0));
        const auto lp = static_cast<LPARAM>(std::strtoll(argv[6], nullptr, 0));
        if (cmd == "post") return PostMessageA(w, msg, wp, lp) ? 0 : 1;
        bool ok = false;
        const LRESULT answer = Send(w, msg, wp, lp, &ok);
        std::printf("%lld\n", static_cast<long long>(answer));
        return ok ? 0 : 1;
    }
    std::fprintf(stderr, "unknown command %s\n", cmd.c_str());
    return 2;
}
