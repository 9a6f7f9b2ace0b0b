// The progress window under Wine: layout, caption, Cancel and Escape, and
// the remembered position.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "libui/win32/ProgressWindow.h"
#include "platform/MemoryRegistry.h"
#include "tests/windows/libui/LibUiWinSupport.h"

namespace wl {
namespace {

using test::Text;

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

class Progress : public ::testing::Test {
  protected:
    MemoryRegistry reg;
    RegistryProfile profile{reg};
};

TEST_F(Progress, RemembersItsPositionWhileItIsOnTheScreen) {
    {
        ProgressWindow w(profile);
        ASSERT_TRUE(w.Create(nullptr, "Wordlark"));
        SetWindowPos(w.hwnd(), nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(profile.GetInt("Settings", "X", x));
    ASSERT_TRUE(profile.GetInt("Settings", "Y", y));
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 60);
    {
        ProgressWindow w(profile);
        ASSERT_TRUE(w.Create(nullptr, "Wordlark"));
        const RECT r = WindowRect(w.hwnd());
        EXPECT_EQ(r.left, 50);
        EXPECT_EQ(r.top, 60);
    }

    // A position beyond the screen (a larger display before) is ignored: the
    // window is centred, on the screen.
    profile.SetInt("Settings", "X", 100000);
    profile.SetInt("Settings", "Y", 100000);
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    {
        ProgressWindow w(profile);
        ASSERT_TRUE(w.Create(nullptr, "Wordlark"));
        const RECT r = WindowRect(w.hwnd());
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, sw);
        EXPECT_LE(r.bottom, sh);
        EXPECT_NEAR((r.left + r.right) / 2, sw / 2, 40);
    }
    profile.SetInt("Settings", "X", -5000);
    {
        ProgressWindow w(profile);
        ASSERT_TRUE(w.Create(nullptr, "Wordlark"));
        EXPECT_GE(WindowRect(w.hwnd()).left, 0);
    }

    // Centred on its owner; an owner off the screen does not take it along.
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 600, 400,
                                 nullptr, nullptr, nullptr, nullptr);
    {
        ProgressWindow w(profile);
        w.SetRememberPosition(false);
        ASSERT_TRUE(w.Create(owner, "Wordlark"));
        const RECT r = WindowRect(w.hwnd());
        EXPECT_NEAR((r.left + r.right) / 2, 400, 2);
        EXPECT_NEAR((r.top + r.bottom) / 2, 300, 2);
        EXPECT_EQ(GetWindow(w.hwnd(), GW_OWNER), owner);
    }
    SetWindowPos(owner, nullptr, -1000, -1000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    {
        ProgressWindow w(profile);
        w.SetRememberPosition(false);
        ASSERT_TRUE(w.Create(owner, "Wordlark"));
        EXPECT_GE(WindowRect(w.hwnd()).left, 0);
        EXPECT_GE(WindowRect(w.hwnd()).top, 0);
    }
    DestroyWindow(owner);
    // Without remembering, nothing was written.
    ASSERT_TRUE(profile.GetInt("Settings", "X", x));
    EXPECT_NE(x, 100000);
}

}  // namespace
}  // namespace wl
