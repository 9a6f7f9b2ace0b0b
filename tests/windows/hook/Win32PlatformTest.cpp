// The Win32 half of the hook platform under Wine: password fields, the
// bounded wait for a main window that does not answer, the clipboard and the
// application policy.  (The list shown at the caret: VemoDllTest.)
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

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
    std::uint32_t othersBefore = 1;
    bool hadOthers = false;
    {
        RegKey apps(r, RegRoot::LocalMachine, reg::kAppOptionKey, true);
        hadOthers = apps.ReadInto(reg::kOthersEnableVemo, othersBefore);
        apps.WriteBinary(reg::kOthersEnableVemo, std::uint32_t{1});
        RegKey app(r, RegRoot::LocalMachine, appKey, true);
        app.WriteBinary(reg::kAppEnableVemo, std::uint8_t{0});
    }
    EXPECT_FALSE(logic.IsVemoEnabledForApp(0));
    EXPECT_FALSE(logic.IsVemoEnabledForApp(0));  // the same answer, remembered
    {
        RegKey app(r, RegRoot::LocalMachine, appKey, true);
        app.WriteBinary(reg::kAppEnableVemo, std::uint8_t{1});
    }
    EXPECT_TRUE(logic.IsVemoEnabledForApp(0));
    // A change by another process, and the key deleted altogether.
    RegAdd(appKey, reg::kAppEnableVemo, "00");
    EXPECT_FALSE(logic.IsVemoEnabledForApp(0));
    {
        RegKey apps(r, RegRoot::LocalMachine, reg::kAppOptionKey, true);
        r.DeleteSubkey(apps.get(), "hook_platform_tests.exe");
    }
    EXPECT_TRUE(logic.IsVemoEnabledForApp(0));  // OthersEnableVemo 1
    RegAdd(reg::kAppOptionKey, reg::kOthersEnableVemo, "00000000");
    EXPECT_FALSE(logic.IsVemoEnabledForApp(0));
    {
        RegKey apps(r, RegRoot::LocalMachine, reg::kAppOptionKey, true);
        if (hadOthers)
            apps.WriteBinary(reg::kOthersEnableVemo, othersBefore);
        else
            r.DeleteValue(apps.get(), reg::kOthersEnableVemo);
    }
    DestroyWindow(edit);
}

}  // namespace
}  // namespace wl
