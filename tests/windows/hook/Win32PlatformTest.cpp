// The Win32 half of the hook platform under Wine: password fields, the
// bounded wait for a main window that does not answer, the clipboard and the
// application policy.  (The list shown at the caret: VemoDllTest.)
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "hook/HookLogic.h"
#include "hook/win32/Win32HookPlatform.h"
#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "platform/RegistryLayout.h"

namespace wl {
namespace {

HWND Make(const char* cls, DWORD style) {
    return CreateWindowExA(0, cls, "", style, 0, 0, 100, 30, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(Win32HookPlatform, KnowsPasswordEditControls) {
    Win32HookPlatform& p = HookSystem();
    HWND password = Make("EDIT", WS_POPUP | ES_PASSWORD);
    HWND plain = Make("EDIT", WS_POPUP);
    HWND button = Make("BUTTON", WS_POPUP | BS_LEFTTEXT);  // the same style bit, 0x20
    ASSERT_TRUE(password && plain && button);
    EXPECT_TRUE(p.IsPasswordField(ToHandle32(password)));
    EXPECT_FALSE(p.IsPasswordField(ToHandle32(plain)));
    EXPECT_FALSE(p.IsPasswordField(ToHandle32(button)));
    EXPECT_FALSE(p.IsPasswordField(0));
    DestroyWindow(password);
    DestroyWindow(plain);
    DestroyWindow(button);
}

TEST(Win32HookPlatform, ASendToAWindowThatDoesNotAnswerIsBounded) {
    Win32HookPlatform& p = HookSystem();
    HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND busy = nullptr;
    // A window whose thread does not read its messages for a while.
    std::thread owner([&] {
        busy = Make("STATIC", WS_POPUP);
        SetEvent(created);
        WaitForSingleObject(release, 10000);
        DestroyWindow(busy);
    });
    WaitForSingleObject(created, 10000);
    std::intptr_t answer = 42;
    auto start = std::chrono::steady_clock::now();
    bool answered = p.SendToWindow(ToHandle32(busy), WM_USER + 1001, 0, 0, answer);
    auto waited = std::chrono::steady_clock::now() - start;
    SetEvent(release);
    owner.join();
    EXPECT_FALSE(answered);
    EXPECT_EQ(answer, 42);
    EXPECT_LT(waited, std::chrono::seconds(5));
    // A window that is gone answers nothing at once.
    EXPECT_FALSE(p.WindowExists(ToHandle32(busy)));
    EXPECT_FALSE(p.SendToWindow(ToHandle32(busy), WM_USER, 0, 0, answer));
    CloseHandle(created);
    CloseHandle(release);
}

// What the main window was handed for a paste, and its answer.
struct Handed {
    ULONG_PTR tag = 0;
    std::string data;
    LRESULT answer = 1;
};
Handed g_handed;

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        g_handed.tag = copy->dwData;
        g_handed.data.assign(static_cast<const char*>(copy->lpData), copy->cbData);
        return g_handed.answer;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The hook never touches the clipboard: it hands each text, its encoding
// first, to the main window in another thread, and pastes only on its 1.
TEST(Win32HookPlatform, HandsTextsToPasteToTheMainWindow) {
    Win32HookPlatform& p = HookSystem();
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WordlarkTestMain";
    RegisterClassA(&wc);
    HWND main = nullptr;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread owner([&] {
        main = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                             nullptr);
        SetEvent(ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    });
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    const std::string utf8 = "\xE2\x86\x92 ok";
    EXPECT_TRUE(p.PutClipboardText(ToHandle32(main), utf8.data(), utf8.size(), vemo::kReplaceUtf8));
    EXPECT_EQ(g_handed.tag, vemo::COPYDATA_PASTE_TEXT);
    EXPECT_EQ(g_handed.data, std::string("\xE9\xFD\0\0", 4) + utf8);
    g_handed.answer = 0;  // the clipboard was busy
    EXPECT_FALSE(p.PutClipboardText(ToHandle32(main), "x", 1, vemo::kReplaceCodePage));
    EXPECT_EQ(g_handed.data, std::string("\0\0\0\0x", 5));
    PostMessageA(main, WM_QUIT, 0, 0);
    owner.join();
    EXPECT_FALSE(p.PutClipboardText(0, "x", 1, vemo::kReplaceCodePage));
    CloseHandle(ready);
}

// What a keyboard hook of this thread saw: each key's virtual key and
// whether it took it for the library's own.
SharedHookState* g_record = nullptr;
std::vector<std::pair<WPARAM, bool>> g_seen;
LRESULT CALLBACK SeeKey(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION)
        g_seen.push_back({wp, IsOwnInput(*g_record, wp == VK_PACKET,
                                         static_cast<std::uint32_t>(GetMessageExtraInfo()) ==
                                             vemo::kVemoInputMark,
                                         GetTickCount())});
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Characters typed as themselves reach the focus window, a surrogate pair
// as one character, and a keyboard hook tells them from the user's.
TEST(Win32HookPlatform, TypesCharactersAsThemselvesAndKnowsThem) {
    auto state = std::make_unique<SharedHookState>();
    InitSharedHookState(*state);
    g_record = state.get();
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 30,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(edit);
    SetFocus(edit);
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD, SeeKey, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    g_seen.clear();
    const char16_t units[] = {u'\u2192', 0xD83D, 0xDE00};  // an arrow, U+1F600
    for (char16_t unit : units) {
        CountOwnInput(*state, 2, GetTickCount());
        HookSystem().UnicodeEvent(unit, false, vemo::kVemoInputMark);
        HookSystem().UnicodeEvent(unit, true, vemo::kVemoInputMark);
    }
    // A wide message loop: an ANSI one would make '?' of what the code page
    // lacks.
    wchar_t text[16] = {};
    auto pumpUntil = [&](int length) {
        const DWORD end = GetTickCount() + 3000;
        while (GetWindowTextW(edit, text, 16) < length &&
               static_cast<LONG>(GetTickCount() - end) < 0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    };
    pumpUntil(3);
    // Then the user's, say from an input method.  (Wine hands a keyboard
    // hook the extra information of the message taken before: one more
    // message between keeps the mark of the last one from it.)
    PostMessageW(edit, WM_NULL, 0, 0);
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
    HookSystem().UnicodeEvent(u'x', false, 0);
    HookSystem().UnicodeEvent(u'x', true, 0);
    pumpUntil(4);
    UnhookWindowsHookEx(hook);
    DestroyWindow(edit);
    if (!text[0]) GTEST_SKIP() << "this display driver delivers no synthesized input";
    EXPECT_EQ(std::wstring(text), L"\u2192\U0001F600x");
    std::vector<std::pair<WPARAM, bool>> expected(6, {VK_PACKET, true});
    expected.insert(expected.end(), 2, {VK_PACKET, false});
    EXPECT_EQ(g_seen, expected);
    EXPECT_EQ(state->ownUnicodeKeys, 0u);
}

// Writes a value the way another program would: with reg.exe, in its own
// process.
void RegAdd(const std::string& key, const char* value, const char* data) {
    std::string cmd =
        "reg.exe add \"HKLM\\" + key + "\" /v " + value + " /t REG_BINARY /d " + data + " /f";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

TEST(Win32HookPlatform, APolicyChangeAppliesFromTheNextKeystroke) {
    // This process is the typing application, with the focus in its edit.
    HWND edit = Make("EDIT", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    SetForegroundWindow(edit);
    SetFocus(edit);
    auto state = std::make_unique<SharedHookState>();
    InitSharedHookState(*state);
    HookLogic logic(*state, HookSystem());
    Registry& r = SystemRegistry();
    const std::string appKey = std::string(reg::kAppOptionPrefix) + "hook_platform_tests.exe";
    RegKey apps(r, RegRoot::LocalMachine, reg::kAppOptionKey, true);
    std::uint32_t othersBefore = 1;
    const bool hadOthers = apps.ReadInto(reg::kOthersEnableVemo, othersBefore);
    apps.WriteBinary(reg::kOthersEnableVemo, std::uint32_t{1});
    const auto setApp = [&](std::uint8_t on) {
        RegKey(r, RegRoot::LocalMachine, appKey, true).WriteBinary(reg::kAppEnableVemo, on);
    };
    setApp(0);
    EXPECT_FALSE(logic.IsVemoEnabledForApp(0));
    EXPECT_FALSE(logic.IsVemoEnabledForApp(0));  // the same answer, remembered
    setApp(1);
    EXPECT_TRUE(logic.IsVemoEnabledForApp(0));
    // A change by another process, and the key deleted altogether.
    RegAdd(appKey, reg::kAppEnableVemo, "00");
    EXPECT_FALSE(logic.IsVemoEnabledForApp(0));
    r.DeleteSubkey(apps.get(), "hook_platform_tests.exe");
    EXPECT_TRUE(logic.IsVemoEnabledForApp(0));  // OthersEnableVemo 1
    RegAdd(reg::kAppOptionKey, reg::kOthersEnableVemo, "00000000");
    EXPECT_FALSE(logic.IsVemoEnabledForApp(0));
    if (hadOthers)
        apps.WriteBinary(reg::kOthersEnableVemo, othersBefore);
    else
        r.DeleteValue(apps.get(), reg::kOthersEnableVemo);
    DestroyWindow(edit);
}

}  // namespace
}  // namespace wl
