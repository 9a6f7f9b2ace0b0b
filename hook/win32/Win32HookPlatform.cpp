#include "hook/win32/Win32HookPlatform.h"

#include <imm.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "platform/RegistryLayout.h"

namespace wl {
namespace {

bool OwnThread(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// The focus thread when it is another process's: the keystroke may belong
// to it (the hook of a 32-bit application runs in the main program's thread
// on 64-bit Windows); 0 otherwise.
DWORD RoutedFocusThread() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND focus = GetGUIThreadInfo(0, &info) ? info.hwndFocus : nullptr;
    DWORD focusProcess = 0;
    DWORD focusThread = focus ? GetWindowThreadProcessId(focus, &focusProcess) : 0;
    return focusThread && focusProcess != GetCurrentProcessId() ? focusThread : 0;
}

}  // namespace

bool Win32HookPlatform::KeyboardState(std::uint8_t state[256], bool mayBeRouted) {
    if (!GetKeyboardState(state)) return false;
    // That thread's keyboard state is not this thread's, which is stale:
    // the modifiers come from the physical keyboard.
    if (mayBeRouted && RoutedFocusThread())
        for (int key : {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL, VK_RCONTROL,
                        VK_MENU, VK_LMENU, VK_RMENU})
            state[key] = (GetAsyncKeyState(key) & 0x8000) ? 0x80 : 0;
    return true;
}

int Win32HookPlatform::ToUnicode(std::uint32_t vk, std::uint32_t scanCode,
                                 const std::uint8_t state[256], char16_t* out, int size,
                                 bool keepState, bool mayBeRouted) {
    // Where the hook runs in the focus thread its own layout is that
    // thread's.
    const DWORD routed = mayBeRouted ? RoutedFocusThread() : 0;
    constexpr UINT kKeepKeyboardState = 0x4;
    static_assert(sizeof(char16_t) == sizeof(WCHAR));
    return ToUnicodeEx(vk, scanCode, state, reinterpret_cast<LPWSTR>(out), size,
                       keepState ? kKeepKeyboardState : 0, GetKeyboardLayout(routed));
}

// Windows 10 version 1607 (build 14393) knows the flag.  The version is
// asked of ntdll, which answers truly whatever the program's manifest says.
bool Win32HookPlatform::KeepsKeyboardState() {
    static const bool keeps = [] {
        using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        auto get = ntdll ? reinterpret_cast<GetVersion>(
                               reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                         : nullptr;
        OSVERSIONINFOW version{};
        version.dwOSVersionInfoSize = sizeof version;
        if (!get || get(&version) != 0) return false;
        return version.dwMajorVersion > 10 ||
               (version.dwMajorVersion == 10 && version.dwBuildNumber >= 14393);
    }();
    return keeps;
}

PendingDeadKey& Win32HookPlatform::DeadKeyOfThread() {
    static thread_local PendingDeadKey dead;
    return dead;
}

// As ToAscii converts what it translated: to the ANSI code page, look-alikes
// and "?" included.
int Win32HookPlatform::ToCodePage(const char16_t* chars, int n, char* out, int size) {
    if (n <= 0 || size <= 0) return 0;
    return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(chars), n, out, size, nullptr,
                               nullptr);
}

TextChars::Kind Win32HookPlatform::KindOf(char32_t c) {
    // The system classifies characters of the Basic Multilingual Plane.
    if (c > 0xFFFF) return Kind::Other;
    const auto wide = static_cast<WCHAR>(c);
    if (IsCharAlphaW(wide)) return Kind::Letter;
    return IsCharAlphaNumericW(wide) ? Kind::Digit : Kind::Other;
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

FocusInfo Win32HookPlatform::FocusAndCaret() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    FocusInfo out;
    if (!GetGUIThreadInfo(0, &info)) {
        out.focus = ToHandle32(GetFocus());
        return out;
    }
    out.focus = ToHandle32(info.hwndFocus ? info.hwndFocus : GetFocus());
    if (info.hwndCaret) {
        out.caretWindow = ToHandle32(info.hwndCaret);
        out.caret = {info.rcCaret.left, info.rcCaret.top, info.rcCaret.right, info.rcCaret.bottom};
    }
    return out;
}

namespace {

// The window's class name in lower case ("edit", "richedit20a",
// "windowsforms10.edit...", "combobox", ...); empty when unknown.
std::string LowerClassName(HWND hwnd) {
    char cls[256] = {};
    if (!GetClassNameA(hwnd, cls, sizeof cls)) return {};
    for (char* c = cls; *c; ++c)
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c + 32);
    return cls;
}

}  // namespace

bool Win32HookPlatform::IsPasswordField(Handle32 window) {
    if (!window) return false;
    HWND hwnd = ToHwnd(window);
    if (!(GetWindowLongA(hwnd, GWL_STYLE) & ES_PASSWORD)) return false;
    // ES_PASSWORD means something else for other controls: only edit
    // controls ("Edit", "RichEdit20A", "WindowsForms10.EDIT...", ...) count.
    return LowerClassName(hwnd).find("edit") != std::string::npos;
}

bool Win32HookPlatform::IsSingleLineField(Handle32 window) {
    if (!window) return false;
    HWND hwnd = ToHwnd(window);
    const std::string cls = LowerClassName(hwnd);
    if (cls.find("combo") != std::string::npos) return true;
    return cls.find("edit") != std::string::npos &&
           !(GetWindowLongA(hwnd, GWL_STYLE) & ES_MULTILINE);
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

bool Win32HookPlatform::ShiftHeld() {
    return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
}

void Win32HookPlatform::UnicodeEvent(char16_t unit, bool up, std::uint32_t extraInfo) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    input.ki.dwExtraInfo = extraInfo;
    SendInput(1, &input, sizeof input);
}

bool Win32HookPlatform::PutClipboardText(Handle32 mainWindow, const char* text, std::size_t len,
                                         std::uint32_t encoding) {
    // The main window keeps the user's clipboard and puts it back: the text
    // goes to it, encoding first.
    std::string data(sizeof encoding, '\0');
    std::memcpy(data.data(), &encoding, sizeof encoding);
    data.append(text, len);
    COPYDATASTRUCT copy{};
    copy.dwData = vemo::COPYDATA_PASTE_TEXT;
    copy.cbData = static_cast<DWORD>(data.size());
    copy.lpData = data.data();
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(ToHwnd(mainWindow), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                               SMTO_NORMAL | SMTO_ABORTIFHUNG, vemo::kSendTimeoutMs, &answer) &&
           answer == 1;
}

namespace {

// The AppOption key as the hook reads it on every keystroke: opened (and
// created) once per process and kept open; application subkeys are opened
// relative to it and closed after each read, so that every read sees the
// current values, including subkeys the Applications Manager has deleted and
// created anew.  A change notification on it (the key, its values and every
// subkey) tells the policy's memo when its answer is stale: the registry
// signals the event when the change is made, so the next keystroke sees it.
class AppOptionKey {
  public:
    // Opened with create semantics on first use; a failure is tried again on
    // the next keystroke.
    HKEY Get() {
        HKEY key = key_.load();
        if (key) return key;
        HKEY opened = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, reg::kAppOptionKey, 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_SET_VALUE |
                                KEY_CREATE_SUB_KEY,
                            nullptr, &opened, nullptr) != ERROR_SUCCESS &&
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, reg::kAppOptionKey, 0,
                          KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY,
                          &opened) != ERROR_SUCCESS)
            return nullptr;
        HKEY expected = nullptr;
        if (!key_.compare_exchange_strong(expected, opened)) {
            RegCloseKey(opened);  // another thread was first
            return expected;
        }
        return opened;
    }

    // True while the watch registered by an earlier call has not fired;
    // otherwise registers a new one and answers false.
    bool Unchanged() {
        AcquireSRWLockExclusive(&lock_);
        if (armed_ && WaitForSingleObject(event_, 0) != WAIT_TIMEOUT) armed_ = false;
        const bool unchanged = armed_;
        if (!armed_) armed_ = Arm();
        ReleaseSRWLockExclusive(&lock_);
        return unchanged;
    }

    void Release() {
        AcquireSRWLockExclusive(&lock_);
        armed_ = false;
        if (event_) CloseHandle(event_);
        event_ = nullptr;
        ReleaseSRWLockExclusive(&lock_);
        if (HKEY key = key_.exchange(nullptr)) RegCloseKey(key);
    }

  private:
    bool Arm() {
        HKEY key = Get();
        if (!key) return false;
        if (!event_) event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!event_) return false;
        const DWORD filter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
        // Where the system knows it, the registration outlives the thread
        // that made it; elsewhere that thread's end signals the event, and
        // the watch is simply registered again.
        constexpr DWORD kThreadAgnostic = 0x10000000;  // REG_NOTIFY_THREAD_AGNOSTIC
        if (RegNotifyChangeKeyValue(key, TRUE, filter | kThreadAgnostic, event_, TRUE) ==
            ERROR_SUCCESS)
            return true;
        return RegNotifyChangeKeyValue(key, TRUE, filter, event_, TRUE) == ERROR_SUCCESS;
    }

    std::atomic<HKEY> key_{nullptr};
    SRWLOCK lock_ = SRWLOCK_INIT;
    HANDLE event_ = nullptr;
    bool armed_ = false;
};

AppOptionKey& TheAppOptionKey() {
    static AppOptionKey key;
    return key;
}

// Reads a 4-byte value exactly: a missing value or one of another size fails
// and leaves the answer unchanged.
bool ReadSwitch(HKEY key, const char* name, std::uint32_t& value) {
    std::uint32_t read = 0;
    DWORD size = sizeof read;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size) !=
            ERROR_SUCCESS ||
        size > sizeof read)
        return false;
    value = read;
    return true;
}

// A value of the application's own key under AppOption.
bool ReadOwnSwitch(const std::string& application, const char* name, std::uint32_t& value) {
    HKEY parent = TheAppOptionKey().Get();
    HKEY app = nullptr;
    if (!parent ||
        RegOpenKeyExA(parent, application.c_str(), 0, KEY_QUERY_VALUE, &app) != ERROR_SUCCESS)
        return false;
    const bool read = ReadSwitch(app, name, value);
    RegCloseKey(app);
    return read;
}

}  // namespace

bool Win32HookPlatform::OwnSwitch(const std::string& application, std::uint32_t& value) {
    return ReadOwnSwitch(application, reg::kAppEnableVemo, value);
}

bool Win32HookPlatform::OwnPredictSwitch(const std::string& application, std::uint32_t& value) {
    return ReadOwnSwitch(application, reg::kAppEnablePredict, value);
}

bool Win32HookPlatform::OwnClipboardSwitch(const std::string& application, std::uint32_t& value) {
    return ReadOwnSwitch(application, reg::kAppTypeByClipboard, value);
}

bool Win32HookPlatform::OthersSwitch(std::uint32_t& value) {
    HKEY key = TheAppOptionKey().Get();
    return key && ReadSwitch(key, reg::kOthersEnableVemo, value);
}

bool Win32HookPlatform::Unchanged() {
    return TheAppOptionKey().Unchanged();
}

void ReleaseHookSystem() {
    TheAppOptionKey().Release();
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

std::uint32_t Win32HookPlatform::TickCount() {
    return GetTickCount();
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
