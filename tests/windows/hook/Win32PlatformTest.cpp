// The Win32 half of the hook platform under Wine: password fields, the
// bounded wait for a main window that does not answer, key translation, the
// input-method check and the focus window.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "hook/win32/Win32HookPlatform.h"
#include "platform/CodePage.h"

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

TEST(Win32HookPlatform, AnswersFromItsOwnThreadDirectly) {
    Win32HookPlatform& p = HookSystem();
    HWND w = Make("STATIC", WS_POPUP);
    SetWindowTextA(w, "abc");
    std::intptr_t answer = 0;
    EXPECT_TRUE(p.SendToWindow(ToHandle32(w), WM_GETTEXTLENGTH, 0, 0, answer));
    EXPECT_EQ(answer, 3);
    EXPECT_TRUE(p.WindowExists(ToHandle32(w)));
    EXPECT_FALSE(p.WindowVisible(ToHandle32(w)));
    p.ShowTopmostAt(ToHandle32(w), 40, 50);
    EXPECT_TRUE(p.WindowVisible(ToHandle32(w)));
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(GetForegroundWindow() == w, false);  // shown without activation
    p.HideWindow(ToHandle32(w));
    EXPECT_FALSE(p.WindowVisible(ToHandle32(w)));
    DestroyWindow(w);
}

TEST(Win32HookPlatform, TranslatesKeysAndMapsCharactersBack) {
    Win32HookPlatform& p = HookSystem();
    char out[2] = {};
    EXPECT_EQ(p.TranslateKey('A', 0xEE, out, false), 1);
    EXPECT_EQ(out[0], 'a');
    EXPECT_EQ(p.TranslateKey(VK_SHIFT, 0xEE, out, false), 0);
    EXPECT_EQ(p.KeyForChar('a'), 'A');
    EXPECT_EQ(p.KeyForChar('A') & 0x1FF, 0x141);
    EXPECT_EQ(p.KeyForChar('\t') & 0xFF, VK_TAB);
}

TEST(Win32HookPlatform, PlainKeyboardLayoutsHaveNoInputMethod) {
    char description[1024] = {};
    EXPECT_EQ(HookSystem().InputMethodDescription(0, description, 1023), 0);
    EXPECT_STREQ(description, "");
}

TEST(Win32HookPlatform, KnowsItsOwnProcessAndExecutable) {
    Win32HookPlatform& p = HookSystem();
    HWND w = Make("STATIC", WS_POPUP);
    EXPECT_EQ(p.WindowProcessId(ToHandle32(w)), GetCurrentProcessId());
    EXPECT_EQ(p.CurrentProcessId(), GetCurrentProcessId());
    char path[260] = {};
    ASSERT_TRUE(p.CurrentExecutablePath(path, sizeof path));
    EXPECT_NE(std::string(path).find("hook_platform_tests.exe"), std::string::npos);
    char other[260] = {};
    ASSERT_TRUE(p.ProcessExecutablePath(GetCurrentProcessId(), other, sizeof other));
    EXPECT_STRCASEEQ(other, path);
    char tiny[4] = {};
    EXPECT_FALSE(p.CurrentExecutablePath(tiny, sizeof tiny));
    EXPECT_FALSE(p.IsMainProgram());
    DestroyWindow(w);
}

TEST(Win32HookPlatform, PutsTextOnTheClipboard) {
    Win32HookPlatform& p = HookSystem();
    ASSERT_TRUE(p.PutClipboardText("pasted text", 11));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_NE(data, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(data)), "pasted text");
    GlobalUnlock(data);
    CloseClipboard();
}

}  // namespace
}  // namespace wl
