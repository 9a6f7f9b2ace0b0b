// The keyboard hook's cost per keystroke, the figure that matters most: the
// hook runs in every application on every key.  A small harness (Google
// Benchmark does not build for MinGW) that prints the median time per key of
// several runs for
//   - a captured character (translation, password check, the per-application
//     policy read from the registry, the append, the caret-pending notice),
//   - a key that yields no character (Shift, F-keys: the cheap path),
//   - the policy decision alone.
// Natively the system is an in-memory stand-in; in the Windows build it is
// the real one (Wine's registry, keyboard and windows when run under Wine).
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hook/HookLogic.h"
#include "hook/KeyChars.h"
#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "platform/RegistryLayout.h"

#ifdef _WIN32
#include <windows.h>

#include "hook/win32/Win32HookPlatform.h"
#else
#include "platform/MemoryRegistry.h"
#endif

namespace {

using namespace wl;

#ifndef _WIN32
// The system as a stand-in: every call answers at once, the registry is an
// in-memory one with an application key, so the policy reads what it would.
class StandInPlatform : public HookPlatform {
  public:
    StandInPlatform() {
        RegKey app(registry, RegRoot::LocalMachine,
                   std::string(reg::kAppOptionPrefix) + "notepad.exe", true);
        app.WriteBinary(reg::kAppEnableVemo, std::uint8_t{1});
    }
    bool KeyboardState(std::uint8_t state[256], bool) override {
        std::memset(state, 0, 256);
        return true;
    }
    int ToUnicode(std::uint32_t vk, std::uint32_t, const std::uint8_t*, char16_t* out, int, bool,
                  bool routed) override {
        if (routed || vk < 'A' || vk > 'Z') return 0;
        out[0] = static_cast<char16_t>(vk - 'A' + 'a');
        return 1;
    }
    bool KeepsKeyboardState() override { return true; }
    PendingDeadKey& DeadKeyOfThread() override { return dead; }
    const CodePage& Chars() override { return CodePage1252(); }
    int ToCodePage(const char16_t* chars, int n, char* out, int size) override {
        if (n > size) return 0;
        for (int i = 0; i < n; ++i) out[i] = static_cast<char>(chars[i]);
        return n;
    }
    Kind KindOf(char32_t c) override {
        return c < 0x80 && CodePage1252().IsAlpha(static_cast<unsigned char>(c)) ? Kind::Letter
                                                                                 : Kind::Other;
    }
    bool WindowExists(Handle32) override { return true; }
    bool WindowVisible(Handle32) override { return false; }
    void HideWindow(Handle32) override {}
    void ShowTopmostAt(Handle32, int, int) override {}
    bool SendToWindow(Handle32, std::uint32_t, std::intptr_t, std::intptr_t,
                      std::intptr_t& a) override {
        a = 1;
        return true;
    }
    void PostToWindow(Handle32, std::uint32_t, std::intptr_t, std::intptr_t) override {}
    void BringToForeground(Handle32) override {}
    Handle32 FocusWindow() override { return 2; }
    FocusInfo FocusAndCaret() override { return {2, 0, {}}; }
    bool IsMainProgram() override { return false; }
    bool IsPasswordField(Handle32) override { return false; }
    bool IsSingleLineField(Handle32) override { return false; }
    std::uint32_t WindowProcessId(Handle32 w) override { return w == 1 ? 200 : 100; }
    std::uint32_t CurrentProcessId() override { return 100; }
    bool CurrentExecutablePath(char* buffer, std::size_t size) override {
        const char path[] = "C:\\Windows\\notepad.exe";
        if (size < sizeof path) return false;
        std::memcpy(buffer, path, sizeof path);
        return true;
    }
    bool ProcessExecutablePath(std::uint32_t, char*, std::size_t) override { return false; }
    void KeyEvent(std::uint8_t, std::uint8_t, bool) override {}
    void UnicodeEvent(char16_t, bool, std::uint32_t) override {}
    std::int16_t KeyForChar(char) override { return 0x41; }
    bool CapsLockOn() override { return false; }
    bool ShiftHeld() override { return false; }
    bool PutClipboardText(Handle32, const char*, std::size_t, std::uint32_t) override {
        return true;
    }
    bool OwnSwitch(const std::string& application, std::uint32_t& value) override {
        return switches.OwnSwitch(application, value);
    }
    bool OthersSwitch(std::uint32_t& value) override { return switches.OthersSwitch(value); }
    int InputMethodDescription(Handle32, char*, int) override { return 0; }
    std::tm LocalTime() override { return {}; }
    std::uint32_t TickCount() override { return 0; }

    MemoryRegistry registry;
    RegistryAppSwitches switches{registry};
    PendingDeadKey dead;
};
#endif

struct Figure {
    double median;
    double best;
};

// Nanoseconds per call of body over several runs of n calls, the median and
// the best run (the best is the steadier figure on a busy machine); between
// the runs, drain() may clean up (not timed).
Figure NsPerCall(int n, const std::function<void(int)>& body, const std::function<void()>& drain) {
    std::vector<double> runs;
    for (int run = 0; run < 7; ++run) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < n; ++i) body(i);
        auto stop = std::chrono::steady_clock::now();
        runs.push_back(std::chrono::duration<double, std::nano>(stop - start).count() / n);
        drain();
    }
    std::sort(runs.begin(), runs.end());
    return {runs[runs.size() / 2], runs.front()};
}

}  // namespace

#ifdef _WIN32
// The main program's window lives in another process, as it does for every
// application the user types in: "hook_bench.exe --main" makes one, prints
// its handle and serves messages until its input closes.
int ServeMainWindow() {
    HWND main = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "bench main", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    std::printf("%lu\n", static_cast<unsigned long>(ToHandle32(main)));
    std::fflush(stdout);
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        char c;
        DWORD n = 0;
        DWORD available = 0;
        if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) return 0;
        if (available && (!ReadFile(input, &c, 1, &n, nullptr) || n == 0)) return 0;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Starts the main window's process; its handle, or 0.
Handle32 StartMainWindow(HANDLE& keepOpen) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE outRead, outWrite, inRead, inWrite;
    CreatePipe(&outRead, &outWrite, &sa, 0);
    CreatePipe(&inRead, &inWrite, &sa, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = outWrite;
    si.hStdInput = inRead;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string cmd = std::string("\"") + path + "\" --main";
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return 0;
    CloseHandle(outWrite);
    CloseHandle(inRead);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string line;
    char c;
    DWORD n;
    while (ReadFile(outRead, &c, 1, &n, nullptr) && n == 1 && c != '\n') line += c;
    CloseHandle(outRead);
    keepOpen = inWrite;  // closing it ends the child
    return static_cast<Handle32>(std::strtoul(line.c_str(), nullptr, 10));
}
#endif

int main(int argc, char** argv) {
    auto state = std::make_unique<SharedHookState>();
    InitSharedHookState(*state);
#ifdef _WIN32
    if (argc > 1 && std::strcmp(argv[1], "--main") == 0) return ServeMainWindow();
    const char* where = "windows";
    Win32HookPlatform& platform = HookSystem();
    HANDLE child = nullptr;
    state->mainWindow = StartMainWindow(child);
    if (!state->mainWindow) return 1;
    // The typing application: an edit control of this process with the
    // keyboard focus, as in every application the hook runs in.
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(edit);
    SetFocus(edit);
    {
        RegKey app(SystemRegistry(), RegRoot::LocalMachine,
                   std::string(reg::kAppOptionPrefix) + "hook_bench.exe", true);
        app.WriteBinary(reg::kAppEnableVemo, std::uint8_t{1});
    }
    auto drain = [] { Sleep(200); };  // the main window empties its queue
    const int n = 2000;               // fewer than the 10,000 messages a queue holds
#else
    (void)argc;
    (void)argv;
    const char* where = "native";
    StandInPlatform platform;
    state->mainWindow = 1;
    auto drain = [] {};
    const int n = 200000;
#endif
    state->caretWindow = 2;
    HookLogic logic(*state, platform);
#ifdef _WIN32
    // "hook_bench.exe --marked": 100 captured keys between two named-event
    // lookups, to count the wineserver requests per key in a server trace
    // (wineserver -f -d1).
    if (argc > 1 && std::strcmp(argv[1], "--marked") == 0) {
        OpenEventA(SYNCHRONIZE, FALSE, "hook-bench-marker-begin");
        for (int i = 0; i < 100; ++i)
            logic.KeyboardProc(0, 'A' + static_cast<std::uint32_t>(i % 26), 0x001E0001u);
        OpenEventA(SYNCHRONIZE, FALSE, "hook-bench-marker-end");
        CloseHandle(child);
        return 0;
    }
#endif

    Figure captured = NsPerCall(
        n,
        [&](int i) {
            logic.KeyboardProc(0, 'A' + static_cast<std::uint32_t>(i % 26), 0x001E0001u);
        },
        drain);
    const Handle32 savedMain = state->mainWindow;
    state->mainWindow = 0;
    Figure capturedNoPost = NsPerCall(
        n,
        [&](int i) {
            logic.KeyboardProc(0, 'A' + static_cast<std::uint32_t>(i % 26), 0x001E0001u);
        },
        drain);
    state->mainWindow = savedMain;
    std::uint32_t shiftKey = 0x10;
    Figure uncaptured = NsPerCall(
        n, [&](int) { logic.KeyboardProc(0, shiftKey, 0x002A0001u); }, drain);
    Figure policy = NsPerCall(
        n, [&](int) { logic.IsVemoEnabledForApp(state->caretWindow); }, drain);

#ifdef _WIN32
    // One round trip to the wineserver (under Wine) for scale.
    Figure roundTrip = NsPerCall(
        n,
        [&](int) {
            BYTE keys[256];
            GetKeyboardState(keys);
        },
        [] {});
    Figure post = NsPerCall(
        n, [&](int) { platform.PostToWindow(state->mainWindow, vemo::WM_CARET_PENDING, 0, 0); },
        drain);
    Figure focus = NsPerCall(
        n, [&](int) { platform.FocusWindow(); }, [] {});
    Figure translate = NsPerCall(
        n,
        [&](int i) {
            TranslatePress(platform, platform, 'A' + static_cast<std::uint32_t>(i % 26), 0x1E,
                           false);
        },
        [] {});
    const Handle32 focused = platform.FocusWindow();
    Figure password = NsPerCall(
        n, [&](int) { platform.IsPasswordField(focused); }, [] {});
#endif
    auto print = [](const char* what, Figure f) {
        std::printf("  %-24s %9.2f %9.2f\n", what, f.median / 1000, f.best / 1000);
    };
    std::printf("hook_bench (%s), 7 runs of %d keys, microseconds per key: median, best\n", where,
                n);
    print("captured character", captured);
    print("key without character", uncaptured);
    print("captured, no post", capturedNoPost);
    print("policy decision alone", policy);
#ifdef _WIN32
    print("GetKeyboardState alone", roundTrip);  // scale: one wineserver round trip
    print("post to the main window", post);
    print("focus window query", focus);
    print("key translation", translate);
    print("password field check", password);
#endif
    std::printf("  (word now %zu bytes)\n", strnlen(state->inputWord, sizeof state->inputWord));
#ifdef _WIN32
    CloseHandle(child);
#endif
    return 0;
}
