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

using test::DialogScript;
using test::TestRegistry;

const std::string kExe = "C:\\Program Files\\Wordlark\\VemoShow.exe";

std::string Text(HWND hwnd) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}
std::string ItemText(HWND dlg, int id) {
    return Text(GetDlgItem(dlg, id));
}
bool Checked(HWND dlg, int id) {
    return SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void Click(HWND dlg, int id) {
    SendDlgItemMessageA(dlg, id, BM_CLICK, 0, 0);
}
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
std::string ListBoxText(HWND page, int id, int row) {
    char text[128] = {};
    SendDlgItemMessageA(page, id, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
    return text;
}
RECT RectIn(HWND dlg, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
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

TEST_F(OptionsDialogTest, AnEmptyStoreOpensOnHotkeysWithTheDefaults) {
    CDlgOptions dialog(reg, kExe);
    HWND dlg = Open(dialog);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(Text(dlg), "Options");
    EXPECT_EQ(ItemText(dlg, IDC_OPTIONS_CAPTION), "Hotkeys");
    EXPECT_TRUE(reg.KeyExists(reg::kOptionKey));

    // The tree: "Hotkeys" (data 0) then "Others" (data 1), the first selected.
    HWND tree = GetDlgItem(dlg, IDC_OPTIONS_TREE);
    EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 2);
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    const char* names[] = {"Hotkeys", "Others"};
    for (int i = 0; i < 2; ++i) {
        char text[32] = {};
        TVITEMA tvi{};
        tvi.mask = TVIF_TEXT | TVIF_PARAM;
        tvi.hItem = item;
        tvi.pszText = text;
        tvi.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi)));
        EXPECT_STREQ(text, names[i]);
        EXPECT_EQ(tvi.lParam, i);
        if (i == 0) {
            EXPECT_EQ(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0),
                      reinterpret_cast<LRESULT>(item));
        }
        item = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }

    HWND hotkeys = dialog.hotkeyPage();
    HWND others = dialog.othersPage();
    ASSERT_NE(hotkeys, nullptr);
    ASSERT_NE(others, nullptr);
    EXPECT_TRUE(IsWindowVisible(hotkeys));
    EXPECT_FALSE(IsWindowVisible(others));
    // Both pages fill the area under the line, down to the tree's bottom.
    const RECT line = RectIn(dlg, GetDlgItem(dlg, IDC_OPTIONS_LINE));
    const RECT treeRect = RectIn(dlg, tree);
    for (HWND page : {hotkeys, others}) {
        const RECT r = RectIn(dlg, page);
        EXPECT_EQ(r.left, line.left);
        EXPECT_EQ(r.right, line.right);
        EXPECT_EQ(r.top, line.bottom);
        EXPECT_EQ(r.bottom, treeRect.bottom);
    }

    // The Hotkeys page: its texts, its choices and its lists.
    EXPECT_EQ(ItemText(hotkeys, IDC_HOTKEY_ARROWS), "Up/Down Arrow");
    EXPECT_EQ(ItemText(hotkeys, IDC_HOTKEY_BRACKETS), "Square Brackets( [ / ] )");
    EXPECT_EQ(ItemText(hotkeys, IDC_HOTKEY_PAGEKEYS), "Page Up/Dwon");
    EXPECT_EQ(ItemText(hotkeys, IDC_HOTKEY_MINUSPLUS), "Minus/Plus sign key ");
    EXPECT_EQ(ItemText(hotkeys, IDC_HOTKEY_DIGITS), "Select by Main Digits\n(1-0)");
    EXPECT_EQ(ItemText(hotkeys, IDC_HOTKEY_FKEYS), "Select by Function Keys(F1-F10)");
    EXPECT_TRUE(Checked(hotkeys, IDC_HOTKEY_ARROWS));
    EXPECT_FALSE(Checked(hotkeys, IDC_HOTKEY_BRACKETS));
    EXPECT_TRUE(Checked(hotkeys, IDC_HOTKEY_PAGEKEYS));
    EXPECT_FALSE(Checked(hotkeys, IDC_HOTKEY_MINUSPLUS));
    EXPECT_TRUE(Checked(hotkeys, IDC_HOTKEY_DIGITS));
    EXPECT_FALSE(Checked(hotkeys, IDC_HOTKEY_FKEYS));

    const struct {
        const char* text;
        int vk;
        bool selected;
    } complete[] = {{"TAB", 9, true},
                    {"RETURN", 13, true},
                    {"SPACE", 32, false},
                    {"SHIFT", 16, false},
                    {"CTRL", 17, false}};
    ASSERT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_COMPLETE, LB_GETCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ListBoxText(hotkeys, IDC_HOTKEY_COMPLETE, i), complete[i].text);
        EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_COMPLETE, LB_GETITEMDATA, i, 0),
                  complete[i].vk);
        EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_COMPLETE, LB_GETSEL, i, 0) > 0,
                  complete[i].selected)
            << complete[i].text;
    }
    ASSERT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_OTHER, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(ListBoxText(hotkeys, IDC_HOTKEY_OTHER, 0), "Enable/Disable Wordlark");
    EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_OTHER, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_OTHER, LB_GETITEMDATA, 0, 0), 0x00020074);
    EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_EDIT, HKM_GETHOTKEY, 0, 0) & 0xFFFF,
              0x0274);  // Ctrl+F5

    // The Others page.
    EXPECT_EQ(ItemText(others, IDC_OTHERS_WORD), "Enable Dictionary Libraries");
    EXPECT_EQ(ItemText(others, IDC_OTHERS_SHORTHAND), "Enable Shorthand Libraries");
    EXPECT_EQ(ItemText(others, IDC_OTHERS_STARTUP), "Run as Windows Startup");
    EXPECT_TRUE(Checked(others, IDC_OTHERS_WORD));
    EXPECT_TRUE(Checked(others, IDC_OTHERS_SHORTHAND));
    EXPECT_FALSE(Checked(others, IDC_OTHERS_STARTUP));

    // The tree switches the page and the caption.
    ShowPage(dlg, 1);
    EXPECT_EQ(ItemText(dlg, IDC_OPTIONS_CAPTION), "Others");
    EXPECT_FALSE(IsWindowVisible(hotkeys));
    EXPECT_TRUE(IsWindowVisible(others));
    ShowPage(dlg, 0);
    EXPECT_EQ(ItemText(dlg, IDC_OPTIONS_CAPTION), "Hotkeys");
    EXPECT_TRUE(IsWindowVisible(hotkeys));

    Click(dlg, IDCANCEL);
    EXPECT_EQ(dialog.Result(), IDCANCEL);
    EXPECT_FALSE(IsWindow(dlg));
}

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

TEST_F(OptionsDialogTest, StoredKeysMatchingNoChoiceAreKept) {
    {
        RegKey key(reg, RegRoot::LocalMachine, reg::kOptionKey, true);
        key.WriteBinary("vkSelectPrev", std::uint8_t{0x41});
        key.WriteBinary("vkSelectPageDown", std::uint8_t{0x42});
        const std::uint8_t index[10] = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P'};
        key.WriteBinary("vkSelectIndex", index);
        const std::uint8_t complete[10] = {0x20, 0x41, 0xFF, 0xFF, 0xFF,
                                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        key.WriteBinary("vkSelect", complete);
    }
    CDlgOptions dialog(reg, kExe);
    HWND dlg = Open(dialog);
    ASSERT_NE(dlg, nullptr);
    HWND hotkeys = dialog.hotkeyPage();
    EXPECT_TRUE(Checked(hotkeys, IDC_HOTKEY_BRACKETS));
    EXPECT_TRUE(Checked(hotkeys, IDC_HOTKEY_MINUSPLUS));
    EXPECT_TRUE(Checked(hotkeys, IDC_HOTKEY_FKEYS));
    EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_COMPLETE, LB_GETSELCOUNT, 0, 0), 1);
    EXPECT_GT(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_COMPLETE, LB_GETSEL, 2, 0), 0);  // SPACE
    Click(dlg, IDOK);
    EXPECT_EQ(Stored(reg, "vkSelectPrev"), Bytes({0x41}));
    EXPECT_EQ(Stored(reg, "vkSelectNext"), Bytes({0x28}));
    EXPECT_EQ(Stored(reg, "vkSelectPageDown"), Bytes({0x42}));
    EXPECT_EQ(Stored(reg, "vkSelectIndex"),
              Bytes({'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P'}));
    EXPECT_EQ(Stored(reg, "vkSelect"),
              Bytes({0x20, 0x41, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
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

TEST_F(OptionsDialogTest, RunOptionsDialogAnswersTheResultOnOkOnly) {
    OptionsResult result;
    result.bEnableShorthand = 7;  // untouched by Cancel
    DialogScript cancel;
    cancel.On("Options", [](HWND dlg) {
        HWND page = FindWindowExA(dlg, nullptr, "#32770", nullptr);  // Hotkeys, created first
        Click(page, IDC_HOTKEY_BRACKETS);
        Click(dlg, IDCANCEL);
    });
    bool ok = true;
    ASSERT_TRUE(cancel.Run([&] { ok = RunOptionsDialog(nullptr, reg, result); }))
        << ::testing::PrintToString(cancel.problems);
    EXPECT_FALSE(ok);
    EXPECT_EQ(result.bEnableShorthand, 7);
    EXPECT_EQ(Stored(reg, "vkSelectPrev"), "");

    DialogScript accept;
    accept.On("Options", [](HWND dlg) {
        HWND hotkeys = FindWindowExA(dlg, nullptr, "#32770", nullptr);
        HWND others = FindWindowExA(dlg, hotkeys, "#32770", nullptr);
        Click(others, IDC_OTHERS_SHORTHAND);
        Click(dlg, IDOK);
    });
    ASSERT_TRUE(accept.Run([&] { ok = RunOptionsDialog(nullptr, reg, result); }))
        << ::testing::PrintToString(accept.problems);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(result.allWritten);
    EXPECT_EQ(result.bEnableWord, 1);
    EXPECT_EQ(result.bEnableShorthand, 0);
    EXPECT_EQ(result.dwEnableVemo, 0x00020074u);
    EXPECT_EQ(Stored(reg, "bEnableShorthand"), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(Stored(reg, "vkSelectPrev"), Bytes({0x26}));
}

}  // namespace
}  // namespace wl
