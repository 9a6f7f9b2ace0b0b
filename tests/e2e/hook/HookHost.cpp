// hook_host.exe: stands in for the main program in the hook library's
// end-to-end scenarios.  It calls BeginVemo with a window of its own that
// answers WM_WORD_LOOKUP from a fixed word list, moves a highlight on
// WM_SELECT_KEY, calls SetReplaceStr like the real candidate list, and runs
// the caret check after WM_CARET_PENDING (every 15 ms, for at most 500 ms).
//
//   hook_host.exe LOGFILE [disable APP.EXE]
//   hook_host.exe --forget APP.EXE      removes APP.EXE's key again and exits
//
// Before BeginVemo it writes the default selection keys and an enabled
// application policy to the registry (with "disable", APP.EXE gets its own
// key with EnableVemo 0).  Every message it answers is logged, one line each:
//   begin 1 | lookup KEY ANSWER | select WPARAM ANSWER | replace TEXT MODE
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hook/win32/Vemo.h"
#include "platform/Registry.h"
#include "settings/RegistryLayout.h"

namespace {

using namespace wl::vemo;

struct Entry {
    const char* key;
    const char* text;
    int mode;
};

// A dictionary completes in place (REPLACE_KEEP); shorthands expand.
const Entry kWords[] = {
    {"application", "application", REPLACE_KEEP},
    {"apple", "apple", REPLACE_KEEP},
    {"approach", "approach", REPLACE_KEEP},
    {"sig", "Hi %CARET%there%TAB%x%RETURN%bye", REPLACE_WORD},
    {"brb", "be right back", REPLACE_WORD},
};

constexpr UINT_PTR kCaretTimer = 1;
constexpr UINT kCaretIntervalMs = 15;
constexpr ULONGLONG kCaretDeadlineMs = 500;

FILE* g_log = nullptr;
std::vector<const Entry*> g_candidates;
int g_highlight = 0;
ULONGLONG g_caretDeadline = 0;

void Log(const std::string& line) {
    std::fputs((line + "\n").c_str(), g_log);
    std::fflush(g_log);
}

bool StartsWithNoCase(const char* text, const std::string& prefix) {
    return prefix.size() <= std::strlen(text) &&
           _strnicmp(text, prefix.c_str(), prefix.size()) == 0;
}

void Highlight(HWND hwnd, int row) {
    g_highlight = row;
    const Entry* e = g_candidates[static_cast<std::size_t>(row)];
    SetReplaceStr(e->text, e->mode);
    Log(std::string("replace ") + e->text + " " + std::to_string(e->mode));
    InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT OnWordLookup(HWND hwnd) {
    char word[1024] = {};
    GetInputStr(word, sizeof word);
    g_candidates.clear();
    for (const Entry& e : kWords)
        if (word[0] && StartsWithNoCase(e.key, word)) g_candidates.push_back(&e);
    LRESULT answer = g_candidates.empty() ? 1 : 0;
    if (answer == 0) Highlight(hwnd, 0);
    Log(std::string("lookup ") + word + " " + std::to_string(answer));
    return answer;
}

LRESULT OnSelectKey(HWND hwnd, WPARAM wParam) {
    auto request = static_cast<int>(static_cast<INT_PTR>(wParam));
    int rows = static_cast<int>(g_candidates.size());
    LRESULT answer = 1;
    if (rows > 0) {
        int row = g_highlight;
        answer = 0;
        if (request == SELECT_PREV)
            row = row > 0 ? row - 1 : 0;
        else if (request == SELECT_NEXT)
            row = row + 1 < rows ? row + 1 : row;
        else if (request >= 0 && request < rows)
            row = request;
        else if (request >= 0)
            answer = 1;
        Highlight(hwnd, row);
    }
    Log("select " + std::to_string(request));
    return answer;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_WORD_LOOKUP:
            return OnWordLookup(hwnd);
        case WM_SELECT_KEY:
            return OnSelectKey(hwnd, wParam);
        case WM_CARET_PENDING:
            // Checked at once (a key that takes a candidate sends this and
            // waits), then for a short while.
            g_caretDeadline = GetTickCount64() + kCaretDeadlineMs;
            if (CheckCaret()) SetTimer(hwnd, kCaretTimer, kCaretIntervalMs, nullptr);
            return 0;
        case WM_TIMER:
            if (wParam == kCaretTimer && (!CheckCaret() || GetTickCount64() > g_caretDeadline))
                KillTimer(hwnd, kCaretTimer);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            for (std::size_t i = 0; i < g_candidates.size(); ++i) {
                std::string row = std::to_string((i + 1) % 10) + " " + g_candidates[i]->key;
                if (static_cast<int>(i) == g_highlight) row = "> " + row;
                TextOutA(dc, 4, 4 + 18 * static_cast<int>(i), row.c_str(),
                         static_cast<int>(row.size()));
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DESTROY:
            EndVemo();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void PrepareRegistry(const char* disabledApp) {
    using namespace wl;
    Registry& r = SystemRegistry();
    {
        RegKey option(r, RegRoot::LocalMachine, reg::kOptionKey, true);
        option.WriteBinary(reg::kSelectPrev, reg::kDefaultSelectPrev);
        option.WriteBinary(reg::kSelectNext, reg::kDefaultSelectNext);
        option.WriteBinary(reg::kSelectPageUp, reg::kDefaultSelectPageUp);
        option.WriteBinary(reg::kSelectPageDown, reg::kDefaultSelectPageDown);
        option.WriteBinary(reg::kSelectIndex, reg::kDefaultSelectIndex);
        option.WriteBinary(reg::kSelect, reg::kDefaultSelect);
    }
    RegKey apps(r, RegRoot::LocalMachine, reg::kAppOptionKey, true);
    apps.WriteBinary(reg::kOthersEnableVemo, std::uint32_t{1});
    r.DeleteSubkey(apps.get(), "notepad.exe");
    if (disabledApp) {
        RegKey app(r, RegRoot::LocalMachine, std::string(reg::kAppOptionPrefix) + disabledApp,
                   true);
        app.WriteBinary(reg::kAppEnableVemo, std::uint8_t{0});
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (!std::strcmp(argv[1], "--forget") && argc > 2) {
        wl::RegKey apps(wl::SystemRegistry(), wl::RegRoot::LocalMachine, wl::reg::kAppOptionKey,
                        true);
        wl::SystemRegistry().DeleteSubkey(apps.get(), argv[2]);
        return 0;
    }
    g_log = std::fopen(argv[1], "wb");
    if (!g_log) return 2;
    PrepareRegistry(argc > 3 && !std::strcmp(argv[2], "disable") ? argv[3] : nullptr);

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    wc.lpszClassName = "WordlarkHookHost";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName,
                                "Wordlark hook host", WS_POPUP | WS_BORDER, -2000, -2000, 160, 80,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return 3;
    Log("begin " + std::to_string(BeginVemo(hwnd)));
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    std::fclose(g_log);
    return 0;
}
