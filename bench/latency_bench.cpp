// The candidate list's latency as a user feels it, and the idle cost of the
// main program, under Wine (run by bench/latency.sh, which starts Xvfb,
// notepad and VemoShow.exe and gives notepad the focus).
//
//   latency_bench keys N [--next] WORD=COMPLETION...
//       N rounds: types WORD into the foreground window (notepad) with
//       SendInput, a key every 120 ms as a quick typist does, and times from
//       the last key until the candidate list is visible with the word looked
//       up; then presses Tab and times until notepad's text holds COMPLETION.
//       With --next (prediction on), it then types a space and times until
//       the list of the next words is shown.  Prints median and p90 of each.
//   latency_bench idle PID SECONDS
//       CPU time and working set of process PID over SECONDS.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hook/win32/SharedMapping.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void Type(const std::string& text, DWORD pauseMs = 0) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (i && pauseMs) Sleep(pauseMs);
        const WORD vk = LOBYTE(VkKeyScanA(text[i]));
        Key(vk, false);
        Key(vk, true);
    }
}

std::string NotepadText() {
    HWND edit = FindWindowExA(FindWindowA("Notepad", nullptr), nullptr, "Edit", nullptr);
    char text[4096] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

void ClearNotepad() {
    HWND edit = FindWindowExA(FindWindowA("Notepad", nullptr), nullptr, "Edit", nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
}

// Polls until done() or 3 s; answers the milliseconds taken, or -1.
template <typename Done>
double Time(Done done) {
    const double start = Now();
    while (!done()) {
        if (Now() - start > 3000) return -1;
        Sleep(1);
    }
    return Now() - start;
}

void Report(const char* what, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%s: no sample\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: n=%zu median %.1f ms, p90 %.1f ms, max %.1f ms\n", what, ms.size(),
                ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
}

int Keys(int rounds, bool next, const std::vector<std::pair<std::string, std::string>>& words) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, wl::kSharedStateMappingName);
    auto* state = mapping ? static_cast<const wl::SharedHookState*>(MapViewOfFile(
                                mapping, FILE_MAP_READ, 0, 0, sizeof(wl::SharedHookState)))
                          : nullptr;
    HWND list = FindWindowA("#32770", "Wordlark");
    if (!state || !list) {
        std::fprintf(stderr, "Wordlark is not running\n");
        return 1;
    }
    std::vector<double> shown, completed, predicted;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        const auto& [word, completion] = words[static_cast<size_t>(i) % words.size()];
        // A space ends the word the hook library may still be tracking.
        Type(" ");
        Time([] { return NotepadText() == " "; });
        ClearNotepad();
        Time([&] { return !IsWindowVisible(list); });
        Type(word, 120);
        const double toList = Time([&] {
            return IsWindowVisible(list) && std::strcmp(state->lastLookupWord, word.c_str()) == 0;
        });
        Key(VK_TAB, false);
        Key(VK_TAB, true);
        const double toText = Time([&] { return NotepadText() == completion; });
        if (toList < 0 || toText < 0) {
            ++failures;
            continue;
        }
        shown.push_back(toList);
        completed.push_back(toText);
        if (!next) continue;
        Time([&] { return !IsWindowVisible(list); });
        Type(" ");
        const double toNext = Time(
            [&] { return IsWindowVisible(list) && state->predicting && !state->inputWord[0]; });
        if (toNext >= 0) predicted.push_back(toNext);
        Key(VK_ESCAPE, false);
        Key(VK_ESCAPE, true);
    }
    Report("last key to the list shown for the word", shown);
    Report("Tab to the completed word in notepad", completed);
    if (next) Report("space to the list of the next words", predicted);
    std::printf("rounds that timed out: %d\n", failures);
    return 0;
}

int Idle(DWORD pid, int seconds) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        std::fprintf(stderr, "no process %lu\n", static_cast<unsigned long>(pid));
        return 1;
    }
    auto cpuMs = [&] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(process, &created, &exited, &kernel, &user);
        auto ms = [](FILETIME f) {
            return static_cast<double>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) |
                                       f.dwLowDateTime) /
                   10000.0;
        };
        return ms(kernel) + ms(user);
    };
    const double before = cpuMs();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double after = cpuMs();
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, &memory, sizeof memory);
    std::printf("idle for %d s: CPU %.1f ms; working set %.1f MB (peak %.1f MB), private %.1f MB\n",
                seconds, after - before, memory.WorkingSetSize / 1048576.0,
                memory.PeakWorkingSetSize / 1048576.0, memory.PagefileUsage / 1048576.0);
    CloseHandle(process);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "keys") == 0) {
        std::vector<std::pair<std::string, std::string>> words;
        bool next = false;
        for (int i = 3; i < argc; ++i) {
            if (std::strcmp(argv[i], "--next") == 0) {
                next = true;
                continue;
            }
            const char* eq = std::strchr(argv[i], '=');
            if (eq)
                words.emplace_back(std::string(argv[i], static_cast<size_t>(eq - argv[i])),
                                   std::string(eq + 1));
        }
        if (!words.empty()) return Keys(std::atoi(argv[2]), next, words);
    }
    if (argc == 4 && std::strcmp(argv[1], "idle") == 0)
        return Idle(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)), std::atoi(argv[3]));
    std::fprintf(stderr,
                 "usage: latency_bench keys N [--next] WORD=COMPLETION... | idle PID SECONDS\n");
    return 2;
}
