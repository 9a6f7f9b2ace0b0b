#include "hook/win32/Win32HookPlatform.h"

#include <imm.h>

#include <cstring>
#include <ctime>

#include "platform/CodePage.h"
#include "platform/Registry.h"

namespace wl {
namespace {

bool OwnThread(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

}  // namespace

int Win32HookPlatform::TranslateKey(std::uint32_t vk, std::uint32_t scanCode, char out[2]) {
    BYTE state[256];
    if (!GetKeyboardState(state)) return -1;
    // When the keystroke belongs to another process (the hook of a 32-bit
    // application runs in the main program's thread), this thread's keyboard
    // state is stale: take the modifiers from the physical keyboard and the
    // layout from the focus thread.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND focus = GetGUIThreadInfo(0, &info) ? info.hwndFocus : nullptr;
    DWORD focusProcess = 0;
    DWORD focusThread = focus ? GetWindowThreadProcessId(focus, &focusProcess) : 0;
    WORD chars[2] = {};
    int n;
    if (focusThread && focusProcess != GetCurrentProcessId()) {
        for (int key : {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL, VK_RCONTROL,
                        VK_MENU, VK_LMENU, VK_RMENU}) {
            state[key] = (GetAsyncKeyState(key) & 0x8000) ? 0x80 : 0;
        }
        n = ToAsciiEx(vk, scanCode, state, chars, 0, GetKeyboardLayout(focusThread));
    } else {
        n = ToAscii(vk, scanCode, state, chars, 0);
    }
    std::memcpy(out, chars, 2);  // ToAscii writes the characters as bytes
    return n;
}

const CodePage& Win32HookPlatform::Chars() {
    return SystemCodePage();
}

bool Win32HookPlatform::WindowExists(Handle32 window) {
    return window && IsWindow(ToHwnd(window));
}

bool Win32HookPlatform::WindowVisible(Handle32 window) {
    return window && IsWindowVisible(ToHwnd(window));
}

// A window of another thread is changed asynchronously, so that a typing
// application never waits for the main program.
void Win32HookPlatform::HideWindow(Handle32 window) {
    HWND hwnd = ToHwnd(window);
    if (OwnThread(hwnd))
        ShowWindow(hwnd, SW_HIDE);
    else
        ShowWindowAsync(hwnd, SW_HIDE);
}

void Win32HookPlatform::ShowTopmostAt(Handle32 window, int x, int y) {
    HWND hwnd = ToHwnd(window);
    UINT flags = SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW;
    if (!OwnThread(hwnd)) flags |= SWP_ASYNCWINDOWPOS;
    SetWindowPos(hwnd, HWND_TOPMOST, x, y, 0, 0, flags);
}

bool Win32HookPlatform::SendToWindow(Handle32 window, std::uint32_t message, std::intptr_t wParam,
                                     std::intptr_t lParam, std::intptr_t& answer) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(ToHwnd(window), message, static_cast<WPARAM>(wParam), lParam,
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, vemo::kSendTimeoutMs, &result))
        return false;
    answer = static_cast<std::intptr_t>(result);
    return true;
}

void Win32HookPlatform::PostToWindow(Handle32 window, std::uint32_t message, std::intptr_t wParam,
                                     std::intptr_t lParam) {
    PostMessageA(ToHwnd(window), message, static_cast<WPARAM>(wParam), lParam);
}

void Win32HookPlatform::BringToForeground(Handle32 window) {
    HWND root = GetAncestor(ToHwnd(window), GA_ROOT);
    if (root && GetForegroundWindow() != root) SetForegroundWindow(root);
}

Handle32 Win32HookPlatform::FocusWindow() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(0, &info) && info.hwndFocus) return ToHandle32(info.hwndFocus);
    return ToHandle32(GetFocus());
}

bool Win32HookPlatform::IsPasswordField(Handle32 window) {
    if (!window) return false;
    HWND hwnd = ToHwnd(window);
    if (!(GetWindowLongA(hwnd, GWL_STYLE) & ES_PASSWORD)) return false;
    // ES_PASSWORD means something else for other controls: only edit
    // controls ("Edit", "RichEdit20A", "WindowsForms10.EDIT...", ...) count.
    char cls[256] = {};
    if (!GetClassNameA(hwnd, cls, sizeof cls)) return false;
    for (char* c = cls; *c; ++c)
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c + 32);
    return std::strstr(cls, "edit") != nullptr;
}

std::uint32_t Win32HookPlatform::WindowProcessId(Handle32 window) {
    DWORD pid = 0;
    if (window) GetWindowThreadProcessId(ToHwnd(window), &pid);
    return pid;
}

std::uint32_t Win32HookPlatform::CurrentProcessId() {
    return GetCurrentProcessId();
}

bool Win32HookPlatform::CurrentExecutablePath(char* buffer, std::size_t size) {
    DWORD n = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
    return n > 0 && n < size;
}

bool Win32HookPlatform::ProcessExecutablePath(std::uint32_t processId, char* buffer,
                                              std::size_t size) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return false;
    DWORD len = static_cast<DWORD>(size);
    BOOL ok = QueryFullProcessImageNameA(process, 0, buffer, &len);
    CloseHandle(process);
    return ok && len < size;
}

void Win32HookPlatform::KeyEvent(std::uint8_t vk, std::uint8_t scanCode, bool up) {
    keybd_event(vk, scanCode, up ? KEYEVENTF_KEYUP : 0, 0);
}

std::int16_t Win32HookPlatform::KeyForChar(char ch) {
    return VkKeyScanA(ch);
}

bool Win32HookPlatform::CapsLockOn() {
    return (GetKeyState(VK_CAPITAL) & 1) != 0;
}

bool Win32HookPlatform::PutClipboardText(const char* text, std::size_t len) {
    if (!OpenClipboard(nullptr)) return false;
    bool done = false;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, len + 1)) {
        if (void* p = GlobalLock(memory)) {
            std::memcpy(p, text, len);
            static_cast<char*>(p)[len] = '\0';
            GlobalUnlock(memory);
            done = SetClipboardData(CF_TEXT, memory) != nullptr;
        }
        if (!done) GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

Registry& Win32HookPlatform::Settings() {
    return SystemRegistry();
}

int Win32HookPlatform::InputMethodDescription(Handle32 window, char* buffer, int size) {
    DWORD thread = window ? GetWindowThreadProcessId(ToHwnd(window), nullptr) : 0;
    HKL layout = GetKeyboardLayout(thread);
    // Wine describes a built-in input method ("Wine XIM") for every layout,
    // plain keyboards included; it has no IME file, unlike an input method
    // that is installed as a layout.
    char file[MAX_PATH] = {};
    if (!ImmGetIMEFileNameA(layout, file, sizeof file - 1)) return 0;
    return static_cast<int>(ImmGetDescriptionA(layout, buffer, size));
}

std::tm Win32HookPlatform::LocalTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return local;
}

Win32HookPlatform& HookSystem() {
    static Win32HookPlatform platform;
    return platform;
}

}  // namespace wl
