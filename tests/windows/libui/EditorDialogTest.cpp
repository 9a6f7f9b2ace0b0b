// The library editor under Wine, driven by its controls' messages, with the
// library file read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "libui/win32/DlgLibOption.h"
#include "libui/win32/ProgressWindow.h"
#include "platform/MemoryRegistry.h"
#include "res/libui_resource.h"
#include "tests/native/libui/LibUiTestSupport.h"
#include "tests/windows/libui/LibUiWinSupport.h"

namespace wl {
namespace {

using namespace test;

const Pairs kShort = {{"addr", "12 Long Road"},
                      {"brb", "be right back"},
                      {"btw", "by the way"},
                      {"ty", "thank you"},
                      {"omw", "on my way"}};

class EditorDialog : public ::testing::Test {
  protected:
    std::unique_ptr<CDlgLibOption> Open(int mayChange = 1) {
        auto dlg = std::make_unique<CDlgLibOption>(path, mayChange, profile, host);
        HWND hwnd = dlg->Create(nullptr);
        EXPECT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        Pump(hwnd, 200);
        return dlg;
    }
    static HWND List(HWND dlg) { return GetDlgItem(dlg, IDC_LIBOPT_LIST); }
    static std::vector<std::string> Keys(HWND dlg) {
        std::vector<std::string> keys;
        for (int i = 0; i < RowCount(List(dlg)); ++i) keys.push_back(Cell(List(dlg), i, 0));
        return keys;
    }

    TempDir dir;
    std::string path = dir / "short.lib";
    MemoryRegistry reg;
    RegistryProfile profile{reg};
    ScriptedHost host;
};

TEST_F(EditorDialog, OpensWithColumnsRowsAndInfo) {
    MakeLibrary(path, kShort, Shorthand, "Phrases", 1, "Everyday\r\nphrases");
    auto ed = Open();
    HWND dlg = ed->hwnd();
    EXPECT_EQ(Text(dlg), "Library Option");
    EXPECT_EQ(ColumnTitle(List(dlg), 0), "Shorthand");
    EXPECT_EQ(ColumnTitle(List(dlg), 1), "Full Text");
    EXPECT_EQ(Keys(dlg), (std::vector<std::string>{"addr", "brb", "btw", "omw", "ty"}));
    EXPECT_EQ(Cell(List(dlg), 1, 1), "be right back");
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_COUNT), "Items in library: 5\r\nItems Loaded:5");
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_NAME), "Phrases");
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_DESCRIPTION), "Everyday\r\nphrases");

    HWND type = GetDlgItem(dlg, IDC_LIBOPT_TYPE);
    ASSERT_EQ(SendMessageA(type, CB_GETCOUNT, 0, 0), 2);
    char item[32] = {};
    SendMessageA(type, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "Dictionary ");
    EXPECT_EQ(SendMessageA(type, CB_GETITEMDATA, 0, 0), 1);
    SendMessageA(type, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "Shorthand ");
    EXPECT_EQ(SendMessageA(type, CB_GETITEMDATA, 1, 0), 2);
    EXPECT_EQ(SendMessageA(type, CB_GETCURSEL, 0, 0), 1);

    EXPECT_TRUE(Enabled(dlg, IDC_LIBOPT_IMPORT));
    EXPECT_TRUE(Enabled(dlg, IDC_LIBOPT_EXPORT));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_ADD));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_SAVE));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_DELETE));
    const DWORD ex =
        static_cast<DWORD>(SendMessageA(List(dlg), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
    EXPECT_TRUE(host.shown.empty());
}

TEST_F(EditorDialog, DictionaryColumnsEmptyLibraryAndUnreadableFile) {
    MakeLibrary(path, {}, Dictionary);
    {
        auto ed = Open();
        EXPECT_EQ(ColumnTitle(List(ed->hwnd()), 0), "Spelling");
        EXPECT_EQ(ColumnTitle(List(ed->hwnd()), 1), "Remark");
        EXPECT_EQ(RowCount(List(ed->hwnd())), 0);
        EXPECT_EQ(ItemText(ed->hwnd(), IDC_LIBOPT_COUNT), "Items in library: 0\r\nItems Loaded:0");
        EXPECT_EQ(ItemText(ed->hwnd(), IDC_LIBOPT_NAME), "short.lib");
    }
    const std::string bad = dir / "bad.lib";
    WriteFile(bad, "plain text, not a library");
    path = bad;
    auto ed = Open();
    HWND dlg = ed->hwnd();
    EXPECT_EQ(RowCount(List(dlg)), 0);
    HWND header = reinterpret_cast<HWND>(SendMessageA(List(dlg), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_IMPORT));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_EXPORT));
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_NAME), "bad.lib");
    // The user is told why the editor stays empty.
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].title, "Wordlark - Error");
    EXPECT_NE(host.shown[0].text.find("could not be opened"), std::string::npos);
    Click(dlg, IDOK);
    EXPECT_EQ(ReadFile(bad), "plain text, not a library");
}

TEST_F(EditorDialog, SelectingAndTypingDriveAddAndSave) {
    MakeLibrary(path, kShort, Shorthand);
    auto ed = Open();
    HWND dlg = ed->hwnd();
    Select(List(dlg), {1});
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_QUERY), "brb");
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_FULLTEXT), "be right back");
    EXPECT_TRUE(Enabled(dlg, IDC_LIBOPT_DELETE));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_ADD));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_SAVE));

    Type(dlg, IDC_LIBOPT_QUERY, "brb");
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_ADD));
    Type(dlg, IDC_LIBOPT_QUERY, "brx");
    EXPECT_TRUE(Enabled(dlg, IDC_LIBOPT_ADD));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_SAVE));
    Type(dlg, IDC_LIBOPT_QUERY, "brb");
    Type(dlg, IDC_LIBOPT_FULLTEXT, "be right back soon");
    EXPECT_TRUE(Enabled(dlg, IDC_LIBOPT_SAVE));
    Type(dlg, IDC_LIBOPT_FULLTEXT, "be right back");
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_SAVE));

    // Several rows: the boxes keep the row last selected alone (row 0, on
    // the way to two rows).
    Select(List(dlg), {0, 3});
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_QUERY), "addr");
    EXPECT_EQ(SendMessageA(List(dlg), LVM_GETSELECTEDCOUNT, 0, 0), 2);
    EXPECT_TRUE(Enabled(dlg, IDC_LIBOPT_DELETE));
}

TEST_F(EditorDialog, AddSaveAndDeleteWriteTheFileAtOnce) {
    MakeLibrary(path, kShort, Shorthand);
    auto ed = Open(0);  // entry changes do not need the permission
    HWND dlg = ed->hwnd();

    Type(dlg, IDC_LIBOPT_QUERY, "gtg");
    Type(dlg, IDC_LIBOPT_FULLTEXT, "got to go\r\n%CARET%");
    ASSERT_TRUE(Enabled(dlg, IDC_LIBOPT_ADD));
    Click(dlg, IDC_LIBOPT_ADD);
    ASSERT_EQ(host.Texts(), std::vector<std::string>{"Add data Succeed "});
    EXPECT_EQ(host.shown[0].title, "Wordlark");
    EXPECT_EQ(host.shown[0].icon, UiMessage::Icon::Exclamation);
    EXPECT_EQ(Keys(dlg), std::vector<std::string>{"gtg"});  // listed from the query
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_ADD));
    Pairs expected = kShort;
    expected.insert(expected.begin() + 3, {"gtg", "got to go\r\n%CARET%"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ReadLibrary(path), expected);

    host.shown.clear();
    Type(dlg, IDC_LIBOPT_QUERY, "brb");
    Click(dlg, IDC_LIBOPT_ADD);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"This data had in database! "});
    EXPECT_EQ(host.shown[0].icon, UiMessage::Icon::Stop);

    host.shown.clear();
    Type(dlg, IDC_LIBOPT_QUERY, "nope");
    Type(dlg, IDC_LIBOPT_FULLTEXT, "x");
    Click(dlg, IDC_LIBOPT_SAVE);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"Save Failed!"});
    EXPECT_EQ(ReadLibrary(path), expected);

    host.shown.clear();
    Click(dlg, IDC_LIBOPT_RELOAD);
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_QUERY), "");
    EXPECT_EQ(RowCount(List(dlg)), 6);
    Select(List(dlg), {4});  // omw
    Type(dlg, IDC_LIBOPT_FULLTEXT, "on my way home");
    Click(dlg, IDC_LIBOPT_SAVE);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"Save Succeed!"});
    EXPECT_EQ(host.shown[0].icon, UiMessage::Icon::None);

    // Delete, refused at the question, then three rows at once.
    host.shown.clear();
    Click(dlg, IDC_LIBOPT_RELOAD);
    Select(List(dlg), {0, 2, 5});  // addr, btw, ty
    host.answers = {IDCANCEL};
    Click(dlg, IDC_LIBOPT_DELETE);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"Are you sure you want to delete the items?"});
    EXPECT_EQ(ReadLibrary(path).size(), 6u);
    host.shown.clear();
    Click(dlg, IDC_LIBOPT_DELETE);
    EXPECT_EQ(host.Texts(), (std::vector<std::string>{"Are you sure you want to delete the items?",
                                                      "Delete Succeed!"}));
    EXPECT_EQ(Keys(dlg), (std::vector<std::string>{"brb", "gtg", "omw"}));
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_COUNT), "Items in library: 3\r\nItems Loaded:3");
    EXPECT_EQ(ReadLibrary(path), (Pairs{{"brb", "be right back"},
                                        {"gtg", "got to go\r\n%CARET%"},
                                        {"omw", "on my way home"}}));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_DELETE));

    // A selection change enables Delete whatever is selected; with nothing
    // selected it says so.
    host.shown.clear();
    Select(List(dlg), {});
    EXPECT_TRUE(Enabled(dlg, IDC_LIBOPT_DELETE));
    Click(dlg, IDC_LIBOPT_DELETE);
    EXPECT_EQ(host.Texts(), (std::vector<std::string>{"Are you sure you want to delete the items?",
                                                      "Please select the items to delete! "}));
    EXPECT_EQ(host.shown[1].title, "Wordlark - Error");
    EXPECT_EQ(ReadLibrary(path).size(), 3u);
}

TEST_F(EditorDialog, QueryListsFromTheBoxAndReturnPressesIt) {
    MakeLibrary(path, kShort, Shorthand);
    auto ed = Open();
    HWND dlg = ed->hwnd();
    Type(dlg, IDC_LIBOPT_QUERY, "b");
    Click(dlg, IDC_LIBOPT_QUERYBTN);
    EXPECT_EQ(Keys(dlg), (std::vector<std::string>{"brb", "btw", "omw", "ty"}));

    Type(dlg, IDC_LIBOPT_QUERY, "ty");
    HWND query = GetDlgItem(dlg, IDC_LIBOPT_QUERY);
    SetFocus(query);
    PostMessageA(query, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    Pump(dlg, 500);
    EXPECT_EQ(Keys(dlg), std::vector<std::string>{"ty"});
}

TEST_F(EditorDialog, TabAndReturnStayInTheFullTextBox) {
    MakeLibrary(path, kShort, Shorthand);
    auto ed = Open();
    HWND dlg = ed->hwnd();
    HWND full = GetDlgItem(dlg, IDC_LIBOPT_FULLTEXT);
    SetFocus(full);
    // One key at a time: a key-down's character message joins the end of
    // the queue.
    const struct {
        UINT msg;
        WPARAM key;
    } keys[] = {{WM_CHAR, 'a'},
                {WM_KEYDOWN, VK_TAB},
                {WM_CHAR, 'b'},
                {WM_KEYDOWN, VK_RETURN},
                {WM_CHAR, 'c'}};
    for (const auto& k : keys) {
        PostMessageA(full, k.msg, k.key, 1);
        Pump(dlg, 500);
    }
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_FULLTEXT), "a\tb\r\nc");
    EXPECT_EQ(GetFocus(), full);
    EXPECT_TRUE(IsWindow(dlg));
}

TEST_F(EditorDialog, MacroMenuInsertsIntoTheLastFocusedBox) {
    MakeLibrary(path, {}, Shorthand);
    auto ed = Open();
    HWND dlg = ed->hwnd();
    // Neither box had the focus yet: nothing is inserted.
    SendMessageA(dlg, WM_COMMAND, ID_MACRO_DATE, 0);
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_QUERY), "");
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_FULLTEXT), "");

    HWND full = GetDlgItem(dlg, IDC_LIBOPT_FULLTEXT);
    SetFocus(full);
    Type(dlg, IDC_LIBOPT_FULLTEXT, "Today is  ok");
    SendMessageA(full, EM_SETSEL, 9, 9);
    SetFocus(GetDlgItem(dlg, IDC_LIBOPT_MACRO));  // as when the button is clicked
    SendMessageA(dlg, WM_COMMAND, ID_MACRO_DATE, 0);
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_FULLTEXT), "Today is %DATE% ok");
    EXPECT_EQ(GetFocus(), full);
    HWND query = GetDlgItem(dlg, IDC_LIBOPT_QUERY);
    SetFocus(query);
    SendMessageA(dlg, WM_COMMAND, ID_MACRO_CARET, 0);
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_QUERY), "%CARET%");
    EXPECT_EQ(GetFocus(), query);
    EXPECT_TRUE(Enabled(dlg, IDC_LIBOPT_ADD));
}

TEST(MacroMenuResource, CommandsTextsAndSeparators) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MACRO_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU top = GetSubMenu(menu, 0);
    ASSERT_NE(top, nullptr);
    // Each item as "text:id", "-" for a separator, "[name]" for a pop-up.
    auto describe = [](HMENU m) {
        std::vector<std::string> items;
        for (int i = 0; i < GetMenuItemCount(m); ++i) {
            char text[64] = {};
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
            info.dwTypeData = text;
            info.cch = sizeof text;
            GetMenuItemInfoA(m, static_cast<UINT>(i), TRUE, &info);
            if (info.fType & MFT_SEPARATOR)
                items.push_back("-");
            else if (info.hSubMenu)
                items.push_back(std::string("[").append(text).append("]"));
            else
                items.push_back(std::string(text).append(":").append(std::to_string(info.wID)));
        }
        return items;
    };
    EXPECT_EQ(describe(top),
              (std::vector<std::string>{"%CARET%:32801", "-", "[&Date]", "[&Time]"}));
    EXPECT_EQ(
        describe(GetSubMenu(top, 2)),
        (std::vector<std::string>{"%DATE%:32802", "-", "%YEAR%:32803", "-", "%MONTH%:32804",
                                  "%MONTH_02%:32805", "%MONTHNAME%:32806", "%FULLMONTHNAME%:32807",
                                  "-", "%DAY%:32808", "%DAY_02%:32809", "-", "%WEEK%:32810",
                                  "%WEEKNAME%:32811", "%FULLWEEKNAME%:32812"}));
    EXPECT_EQ(
        describe(GetSubMenu(top, 3)),
        (std::vector<std::string>{"%TIME_24%:32813", "%TIME_12%:32814", "-", "%HOUR_24%:32815",
                                  "%HOUR_24_02%:32816", "%HOUR_12%:32817", "%HOUR_12_02%:32818",
                                  "-", "%MINUTE%:32819", "%MINUTE_02%:32820", "-", "%SECOND%:32821",
                                  "%SECOND_02%:32822"}));
    DestroyMenu(menu);
}

TEST_F(EditorDialog, ImportAndExportThroughTheFileDialogs) {
    MakeLibrary(path, {}, Shorthand);
    const std::string in = dir / "in.txt", words = dir / "words.txt", out = dir / "out.txt";
    const std::string text =
        "<shortkey>brb\r\n<replacement text>be right back\r\n"
        "<shortkey>ty\r\n<replacement text>thank you\r\n";
    WriteFile(in, text);
    WriteFile(words, "alpha beta-gamma delta_epsilon");
    auto ed = Open();
    HWND dlg = ed->hwnd();

    Click(dlg, IDC_LIBOPT_IMPORT);  // the user cancels the file dialog
    EXPECT_TRUE(host.shown.empty());
    host.files = {in};
    Click(dlg, IDC_LIBOPT_IMPORT);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"2 items have been successfully imported "});
    EXPECT_EQ(host.shown[0].icon, UiMessage::Icon::Information);
    EXPECT_EQ(Keys(dlg), (std::vector<std::string>{"brb", "ty"}));
    EXPECT_TRUE(IsWindowEnabled(dlg));
    EXPECT_FALSE(IsWindowVisible(ed->waitBox().hwnd()));
    EXPECT_FALSE(ed->waitBox().IsCancelled());

    host.shown.clear();
    host.files = {words};
    Click(dlg, IDC_LIBOPT_IMPORT);  // no marker pairs: a word list
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"3 items have been successfully imported "});
    EXPECT_EQ(RowCount(List(dlg)), 5);

    host.shown.clear();
    host.files = {out};
    Click(dlg, IDC_LIBOPT_EXPORT);
    EXPECT_EQ(host.fileAsks, (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"5 items have been successfully exported "});
    EXPECT_EQ(ReadFile(out).substr(0, 54),
              "<shortkey>alpha\r\n<replacement text>\r\n<shortkey>beta-ga");
    EXPECT_TRUE(IsWindowEnabled(dlg));
}

TEST_F(EditorDialog, CancelInTheWaitBoxStopsAnImport) {
    MakeLibrary(path, {}, Shorthand);
    const std::string in = dir / "many.txt";
    {
        std::string text;
        char line[96];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(line, sizeof line, "<shortkey>k%06d\r\n<replacement text>text %d\r\n", i,
                          i);
            text += line;
        }
        WriteFile(in, text);
    }
    auto ed = Open();
    HWND dlg = ed->hwnd();
    static HWND s_wait;
    s_wait = ed->waitBox().hwnd();
    static bool s_clicked;
    s_clicked = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        if (!s_clicked && IsWindowVisible(s_wait)) {
            s_clicked = true;
            SendDlgItemMessageA(s_wait, IDC_WAIT_CANCEL, BM_CLICK, 0, 0);
        }
    });
    host.files = {in};
    Click(dlg, IDC_LIBOPT_IMPORT);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(s_clicked);
    ASSERT_EQ(host.shown.size(), 1u);
    const int imported = std::atoi(host.shown[0].text.c_str());
    EXPECT_LT(imported, 100000);
    EXPECT_EQ(host.shown[0].text,
              std::to_string(imported).append(" items have been successfully imported "));
    // What was stored before the cancel stays, and no word list import
    // followed.
    EXPECT_EQ(static_cast<int>(ReadLibrary(path).size()), imported);
    EXPECT_TRUE(IsWindowEnabled(dlg));
    EXPECT_FALSE(IsWindowVisible(s_wait));

    // The next import starts afresh.
    host.shown.clear();
    const std::string two = dir / "two.txt";
    WriteFile(two, "<shortkey>a\r\n<replacement text>b\r\n<shortkey>c\r\n<replacement text>d\r\n");
    host.files = {two};
    Click(dlg, IDC_LIBOPT_IMPORT);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"2 items have been successfully imported "});
}

TEST_F(EditorDialog, OkWritesTheInfoOnlyWithThePermission) {
    MakeLibrary(path, {{"a", "b"}}, Dictionary, "Old", 0, "old text");
    {
        auto ed = Open(0);
        HWND dlg = ed->hwnd();
        SetDlgItemTextA(dlg, IDC_LIBOPT_NAME, "New name");
        SendDlgItemMessageA(dlg, IDC_LIBOPT_TYPE, CB_SETCURSEL, 1, 0);
        Type(dlg, IDC_LIBOPT_QUERY, "c");
        Click(dlg, IDC_LIBOPT_ADD);
        Click(dlg, IDOK);
        EXPECT_EQ(ed->Result(), IDOK);
        EXPECT_EQ(ed->hwnd(), nullptr);
    }
    Library lib;
    ASSERT_TRUE(lib.Open(path.c_str()));
    EXPECT_STREQ(lib.GetCaption(), "Old");
    EXPECT_EQ(lib.GetType(), Dictionary);
    lib.Close();
    EXPECT_EQ(ReadLibrary(path), (Pairs{{"a", "b"}, {"c", ""}}));
    {
        auto ed = Open(1);
        HWND dlg = ed->hwnd();
        SetDlgItemTextA(dlg, IDC_LIBOPT_NAME, "New name");
        SetDlgItemTextA(dlg, IDC_LIBOPT_DESCRIPTION, "two\r\nlines");
        SendDlgItemMessageA(dlg, IDC_LIBOPT_TYPE, CB_SETCURSEL, 1, 0);
        Click(dlg, IDCANCEL);
        EXPECT_EQ(ed->Result(), IDCANCEL);
    }
    ASSERT_TRUE(lib.Open(path.c_str()));
    EXPECT_STREQ(lib.GetCaption(), "Old");
    lib.Close();
    {
        auto ed = Open(1);
        HWND dlg = ed->hwnd();
        SetDlgItemTextA(dlg, IDC_LIBOPT_NAME, "New name");
        SetDlgItemTextA(dlg, IDC_LIBOPT_DESCRIPTION, "two\r\nlines");
        SendDlgItemMessageA(dlg, IDC_LIBOPT_TYPE, CB_SETCURSEL, 1, 0);
        Click(dlg, IDOK);
    }
    ASSERT_TRUE(lib.Open(path.c_str()));
    EXPECT_STREQ(lib.GetCaption(), "New name");
    EXPECT_STREQ(lib.GetDescription(), "two\r\nlines");
    EXPECT_EQ(lib.GetType(), Shorthand);
}

TEST_F(EditorDialog, LargeLibraryListsWholeAndCancelStopsIt) {
    {
        Library lib;
        ASSERT_TRUE(lib.Open(path.c_str()));
        char key[16];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(key, sizeof key, "w%06d", i);
            FilledEntry e(key, "text");
            ASSERT_EQ(lib.Put(e), 1);
        }
    }
    auto ed = Open();
    HWND dlg = ed->hwnd();
    EXPECT_EQ(RowCount(List(dlg)), 100000);
    EXPECT_EQ(Cell(List(dlg), 99999, 0), "w099999");
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_COUNT), "Items in library: 100000\r\nItems Loaded:100000");
    // The position of the progress window was remembered.
    std::int32_t x = -1;
    EXPECT_TRUE(profile.GetInt("Settings", "X", x));

    // Cancel in the progress window, pressed from a timer while it lists.
    static HWND s_cancelled;
    s_cancelled = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND progress = FindWindowA(ProgressWindow::kClassName, nullptr);
        if (progress && !s_cancelled && IsWindowVisible(progress)) {
            s_cancelled = progress;
            SendDlgItemMessageA(progress, ProgressWindow::kCancelId, BM_CLICK, 0, 0);
        }
    });
    Click(dlg, IDC_LIBOPT_RELOAD);
    KillTimer(nullptr, timer);
    EXPECT_NE(s_cancelled, nullptr);
    const int listed = RowCount(List(dlg));
    EXPECT_GT(listed, 0);
    EXPECT_LT(listed, 100000);
    EXPECT_EQ(
        ItemText(dlg, IDC_LIBOPT_COUNT),
        std::string("Items in library: 100000\r\nItems Loaded:").append(std::to_string(listed)));
    EXPECT_EQ(FindWindowA(ProgressWindow::kClassName, nullptr), nullptr);

    // Escape typed while it lists.
    PostMessageA(GetDlgItem(dlg, IDC_LIBOPT_QUERY), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    Click(dlg, IDC_LIBOPT_RELOAD);
    EXPECT_LT(RowCount(List(dlg)), 100000);
    EXPECT_TRUE(IsWindow(dlg));  // the Escape did not close the editor
}

}  // namespace
}  // namespace wl
