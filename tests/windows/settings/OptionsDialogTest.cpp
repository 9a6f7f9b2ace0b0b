// The Options dialog under Wine: created, driven by its controls' messages,
// closed with OK or Cancel, and the registry read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "res/settings_resource.h"
#include "settings/win32/DlgOptions.h"
#include "settings/win32/SettingsDialogs.h"
#include "tests/windows/settings/DialogScript.h"
#include "tests/windows/settings/TestRegistry.h"

namespace wl {
namespace {

using test::Checked;
using test::Click;
using test::DialogScript;
using test::TestRegistry;

const std::string kExe = "C:\\Program Files\\Wordlark\\VemoShow.exe";

void Notify(HWND dlg, int id, int code) {
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}
// Sets the selection of a multiple-selection list box as a user's clicks
// would, with the notification.
void SelectOnly(HWND page, int id, std::initializer_list<int> rows) {
    SendDlgItemMessageA(page, id, LB_SETSEL, FALSE, -1);
    for (int row : rows) SendDlgItemMessageA(page, id, LB_SETSEL, TRUE, row);
    Notify(page, id, LBN_SELCHANGE);
}

// The stored bytes of an Option value; empty when missing.
std::string Stored(const TestRegistry& reg, const char* name) {
    DWORD type = 0;
    std::string data;
    if (!reg.Raw(reg::kOptionKey, name, type, data)) return {};
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY)) << name;
    return data;
}
std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s.push_back(static_cast<char>(b));
    return s;
}
std::uint8_t LayoutKey(char c) {
    return static_cast<std::uint8_t>(VkKeyScanA(c) & 0xFF);
}

class OptionsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_TREEVIEW_CLASSES | ICC_HOTKEY_CLASS};
        InitCommonControlsEx(&init);
    }
    // Opens the dialog modeless, as a user would see it.
    HWND Open(CDlgOptions& dialog) {
        HWND hwnd = dialog.Create(nullptr);
        EXPECT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        return hwnd;
    }
    // Selects a tree item as a click would.
    static void ShowPage(HWND dlg, int index) {
        HWND tree = GetDlgItem(dlg, IDC_OPTIONS_TREE);
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        for (int i = 0; i < index; ++i)
            item = reinterpret_cast<HTREEITEM>(
                SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }

    TestRegistry reg;
};

TEST_F(OptionsDialogTest, ClicksAreStoredOnOk) {
    CDlgOptions dialog(reg, kExe);
    HWND dlg = Open(dialog);
    ASSERT_NE(dlg, nullptr);
    HWND hotkeys = dialog.hotkeyPage();
    Click(hotkeys, IDC_HOTKEY_BRACKETS);
    Click(hotkeys, IDC_HOTKEY_MINUSPLUS);
    Click(hotkeys, IDC_HOTKEY_FKEYS);
    EXPECT_FALSE(Checked(hotkeys, IDC_HOTKEY_ARROWS));
    // CTRL first, then SPACE: the list's order counts, not the clicks'.
    SelectOnly(hotkeys, IDC_HOTKEY_COMPLETE, {4});
    SelectOnly(hotkeys, IDC_HOTKEY_COMPLETE, {2, 4});
    // Shift+Alt+F6 in the hotkey control.
    SendDlgItemMessageA(hotkeys, IDC_HOTKEY_EDIT, HKM_SETHOTKEY, 0x0575, 0);
    Notify(hotkeys, IDC_HOTKEY_EDIT, EN_CHANGE);
    EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_OTHER, LB_GETITEMDATA, 0, 0), 0x00050075);

    ShowPage(dlg, 1);
    HWND others = dialog.othersPage();
    Click(others, IDC_OTHERS_WORD);
    Click(others, IDC_OTHERS_STARTUP);
    EXPECT_FALSE(Checked(others, IDC_OTHERS_WORD));

    Click(dlg, IDOK);
    EXPECT_EQ(dialog.Result(), IDOK);
    EXPECT_FALSE(IsWindow(dlg));
    const OptionsResult& result = dialog.result();
    EXPECT_TRUE(result.allWritten);
    EXPECT_EQ(result.bEnableWord, 0);
    EXPECT_EQ(result.bEnableShorthand, 1);
    EXPECT_EQ(result.dwEnableVemo, 0x00050075u);

    EXPECT_EQ(Stored(reg, "vkSelectPrev"), Bytes({LayoutKey('[')}));
    EXPECT_EQ(Stored(reg, "vkSelectNext"), Bytes({LayoutKey(']')}));
    EXPECT_EQ(Stored(reg, "vkSelectPageDown"), Bytes({LayoutKey('-')}));
    EXPECT_EQ(Stored(reg, "vkSelectPageUp"), Bytes({LayoutKey('=')}));
    EXPECT_EQ(Stored(reg, "vkSelectIndex"),
              Bytes({0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79}));
    EXPECT_EQ(Stored(reg, "vkSelect"),
              Bytes({0x20, 0x11, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Stored(reg, "dwEnableVemo"), Bytes({0x75, 0, 5, 0}));
    EXPECT_EQ(Stored(reg, "bEnableWord"), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(Stored(reg, "bEnableShorthand"), Bytes({1, 0, 0, 0}));
    DWORD type = 0;
    std::string run;
    ASSERT_TRUE(reg.Raw(reg::kRunKey, "Wordlark", type, run));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(run.size(), 260u);
    EXPECT_EQ(run.substr(0, kExe.size() + 1), kExe + '\0');

    // Reopened, the dialog shows what was stored; unticking the start with
    // Windows removes the Run value.
    CDlgOptions again(reg, kExe);
    dlg = Open(again);
    ASSERT_NE(dlg, nullptr);
    hotkeys = again.hotkeyPage();
    EXPECT_TRUE(Checked(hotkeys, IDC_HOTKEY_BRACKETS));
    EXPECT_TRUE(Checked(hotkeys, IDC_HOTKEY_MINUSPLUS));
    EXPECT_TRUE(Checked(hotkeys, IDC_HOTKEY_FKEYS));
    EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_EDIT, HKM_GETHOTKEY, 0, 0) & 0xFFFF, 0x0575);
    EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_COMPLETE, LB_GETSELCOUNT, 0, 0), 2);
    ShowPage(dlg, 1);
    EXPECT_TRUE(Checked(again.othersPage(), IDC_OTHERS_STARTUP));
    Click(again.othersPage(), IDC_OTHERS_STARTUP);
    Click(dlg, IDOK);
    EXPECT_FALSE(reg.Raw(reg::kRunKey, "Wordlark", type, run));
}

TEST_F(OptionsDialogTest, CancelWritesNothing) {
    CDlgOptions dialog(reg, kExe);
    HWND dlg = Open(dialog);
    ASSERT_NE(dlg, nullptr);
    HWND hotkeys = dialog.hotkeyPage();
    Click(hotkeys, IDC_HOTKEY_BRACKETS);
    Click(hotkeys, IDC_HOTKEY_FKEYS);
    SelectOnly(hotkeys, IDC_HOTKEY_COMPLETE, {});
    SendDlgItemMessageA(hotkeys, IDC_HOTKEY_EDIT, HKM_SETHOTKEY, 0x0441, 0);
    Notify(hotkeys, IDC_HOTKEY_EDIT, EN_CHANGE);
    ShowPage(dlg, 1);
    Click(dialog.othersPage(), IDC_OTHERS_STARTUP);
    Click(dlg, IDCANCEL);
    EXPECT_EQ(dialog.Result(), IDCANCEL);
    for (const char* name :
         {"bEnableWord", "bEnableShorthand", "dwEnableVemo", "vkSelectPrev", "vkSelectNext",
          "vkSelectPageUp", "vkSelectPageDown", "vkSelectIndex", "vkSelect"})
        EXPECT_EQ(Stored(reg, name), "") << name;
    DWORD type = 0;
    std::string run;
    EXPECT_FALSE(reg.Raw(reg::kRunKey, "Wordlark", type, run));
}

}  // namespace
}  // namespace wl
