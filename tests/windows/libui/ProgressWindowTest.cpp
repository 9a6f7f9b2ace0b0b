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
RECT ChildRect(HWND parent, int id) {
    RECT r = WindowRect(GetDlgItem(parent, id));
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class Progress : public ::testing::Test {
  protected:
    MemoryRegistry reg;
    RegistryProfile profile{reg};
};

TEST_F(Progress, LayoutCaptionAndText) {
    ProgressWindow w(profile);
    ASSERT_TRUE(w.Create(nullptr, "Wordlark"));
    HWND hwnd = w.hwnd();
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(Text(hwnd), "Wordlark");
    EXPECT_EQ(Text(GetDlgItem(hwnd, ProgressWindow::kCancelId)), " &Cancel ");

    RECT client;
    GetClientRect(hwnd, &client);
    const RECT text = ChildRect(hwnd, ProgressWindow::kTextId);
    const RECT button = ChildRect(hwnd, ProgressWindow::kCancelId);
    const RECT bar = ChildRect(hwnd, ProgressWindow::kBarId);
    EXPECT_EQ(text.left, 10);
    EXPECT_EQ(text.top, 10);
    EXPECT_EQ(text.right, 400);
    EXPECT_GT(text.bottom - text.top, 20);  // four lines
    EXPECT_EQ(button.right, 400);
    EXPECT_EQ(button.top, text.bottom + 10);
    EXPECT_EQ(bar.left, 10);
    EXPECT_EQ(bar.right, button.left - 10);
    EXPECT_GT(bar.top, button.top);
    EXPECT_LT(bar.bottom, button.bottom);
    EXPECT_EQ(client.right, 410);
    EXPECT_EQ(client.bottom, button.bottom + 10);

    w.SetMessage("%d items have been %s", 12, "imported!");
    EXPECT_EQ(Text(GetDlgItem(hwnd, ProgressWindow::kTextId)), "12 items have been imported!");
    const std::string huge(5000, 'x');
    w.SetMessage("%s", huge.c_str());  // bounded
    EXPECT_EQ(Text(GetDlgItem(hwnd, ProgressWindow::kTextId)).size(), 1023u);

    w.SetBarRange(0, 250, 1);
    w.Advance();
    w.Advance();
    EXPECT_EQ(Text(hwnd), "Wordlark");
    w.Advance();
    EXPECT_EQ(Text(hwnd), "Wordlark [1%]");
    EXPECT_EQ(SendDlgItemMessageA(hwnd, ProgressWindow::kBarId, PBM_GETPOS, 0, 0), 3);
    w.SetBarPosition(250);
    EXPECT_EQ(Text(hwnd), "Wordlark [100%]");
    EXPECT_EQ(SendDlgItemMessageA(hwnd, ProgressWindow::kBarId, PBM_GETRANGE, FALSE, 0), 250);

    ProgressWindow empty(profile);
    ASSERT_TRUE(empty.Create(nullptr, nullptr));
    EXPECT_EQ(Text(empty.hwnd()), "Progress");
    empty.SetBarRange(0, 0, 1);
    empty.Advance();
    EXPECT_EQ(Text(empty.hwnd()), "Progress");
}

TEST_F(Progress, CancelButtonAndEscape) {
    ProgressWindow w(profile);
    ASSERT_TRUE(w.Create(nullptr, "Wordlark"));
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    // Other messages are handled and do not cancel.
    PostMessageA(owner, WM_CHAR, 'x', 0);
    PostMessageA(owner, WM_KEYDOWN, VK_ESCAPE, 0);
    w.PumpPending(false);
    EXPECT_FALSE(w.IsCancelled());
    PostMessageA(owner, WM_CHAR, VK_ESCAPE, 0);
    w.PumpPending(true);
    EXPECT_TRUE(w.IsCancelled());
    EXPECT_FALSE(IsWindowVisible(w.hwnd()));
    EXPECT_TRUE(w.Cancelled());  // as the store's import sees it
    // Once cancelled it stays hidden and pumps nothing.
    w.SetBarPosition(50);
    EXPECT_FALSE(IsWindowVisible(w.hwnd()));
    PostMessageA(owner, WM_CHAR, 'y', 0);
    w.PumpPending(true);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, owner, WM_CHAR, WM_CHAR, PM_REMOVE));
    DestroyWindow(owner);

    ProgressWindow second(profile);
    ASSERT_TRUE(second.Create(nullptr, "Wordlark"));
    SendDlgItemMessageA(second.hwnd(), ProgressWindow::kCancelId, BM_CLICK, 0, 0);
    EXPECT_TRUE(second.IsCancelled());
    EXPECT_FALSE(IsWindowVisible(second.hwnd()));

    // Text from an import.
    ProgressWindow third(profile);
    ASSERT_TRUE(third.Create(nullptr, "Wordlark"));
    third.SetText("3 items have been imported!");
    EXPECT_EQ(Text(GetDlgItem(third.hwnd(), ProgressWindow::kTextId)),
              "3 items have been imported!");
    EXPECT_FALSE(third.Cancelled());
}

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
