// The progress window under Wine: where it opens, on its owner or where it
// was last, and the position it remembers.
#include <gtest/gtest.h>

#include <windows.h>

#include "libui/win32/ProgressWindow.h"
#include "platform/MemoryRegistry.h"
#include "tests/windows/libui/LibUiWinSupport.h"

namespace wl {
namespace {

class Progress : public ::testing::Test {
  protected:
    // Where a progress window opens, over owner; it is owned by it.
    RECT Opened(HWND owner = nullptr, bool remember = true) {
        ProgressWindow w(profile);
        w.SetRememberPosition(remember);
        RECT r{};
        EXPECT_TRUE(w.Create(owner, "Wordlark"));
        EXPECT_EQ(GetWindow(w.hwnd(), GW_OWNER), owner);
        GetWindowRect(w.hwnd(), &r);
        return r;
    }

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
    RECT r = Opened();
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);

    // A position beyond the screen (a larger display before) is ignored: the
    // window is centred, on the screen.
    profile.SetInt("Settings", "X", 100000);
    profile.SetInt("Settings", "Y", 100000);
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    r = Opened();
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, sw);
    EXPECT_LE(r.bottom, sh);
    EXPECT_NEAR((r.left + r.right) / 2, sw / 2, 40);

    // Centred on its owner; an owner off the screen does not take it along.
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 600, 400,
                                 nullptr, nullptr, nullptr, nullptr);
    r = Opened(owner, false);
    EXPECT_NEAR((r.left + r.right) / 2, 400, 2);
    EXPECT_NEAR((r.top + r.bottom) / 2, 300, 2);
    SetWindowPos(owner, nullptr, -1000, -1000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    r = Opened(owner, false);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    DestroyWindow(owner);
    // Without remembering, nothing was written.
    ASSERT_TRUE(profile.GetInt("Settings", "X", x));
    EXPECT_NE(x, 100000);
}

}  // namespace
}  // namespace wl
