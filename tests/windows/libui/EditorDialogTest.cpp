// The library editor under Wine, driven by its controls' messages, with the
// library file read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "libui/win32/DlgLibOption.h"
#include "libui/win32/ProgressWindow.h"
#include "platform/MemoryRegistry.h"
#include "res/libui_resource.h"
#include "tests/support/Libraries.h"
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
    // Opens the editor (ed) on the library at path.
    HWND Open(int mayChange = 1) {
        ed = std::make_unique<CDlgLibOption>(path, mayChange, profile, SystemCodePage(), host);
        HWND hwnd = ed->Create(nullptr);
        EXPECT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        Pump(200);
        return hwnd;
    }
    static HWND List(HWND dlg) { return GetDlgItem(dlg, IDC_LIBOPT_LIST); }
    static std::vector<std::string> Keys(HWND dlg) { return Cells(List(dlg)); }

    TempDir dir;
    std::string path = dir / "short.lib";
    MemoryRegistry reg;
    RegistryProfile profile{reg};
    ScriptedHost host;
    std::unique_ptr<CDlgLibOption> ed;
};

TEST_F(EditorDialog, OpensWithColumnsRowsAndInfo) {
    MakeLibrary(path, kShort,
                {.type = Shorthand, .caption = "Phrases", .description = "Everyday\r\nphrases"});
    HWND dlg = Open();
    EXPECT_EQ(ColumnTitle(List(dlg), 0), "Shorthand");
    EXPECT_EQ(ColumnTitle(List(dlg), 1), "Full Text");
    EXPECT_EQ(Keys(dlg), (std::vector<std::string>{"addr", "brb", "btw", "omw", "ty"}));
    EXPECT_EQ(Cell(List(dlg), 1, 1), "be right back");
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_COUNT), "Items in library: 5\r\nItems Loaded:5");
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_NAME), "Phrases");
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_DESCRIPTION), "Everyday\r\nphrases");

    // The types with their numbers, the library's chosen.
    HWND type = GetDlgItem(dlg, IDC_LIBOPT_TYPE);
    ASSERT_EQ(SendMessageA(type, CB_GETCOUNT, 0, 0), 2);
    for (int i : {0, 1}) {
        char item[32] = {};
        SendMessageA(type, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(item, i ? "Shorthand " : "Dictionary ");
        EXPECT_EQ(SendMessageA(type, CB_GETITEMDATA, i, 0), i + 1);
    }
    EXPECT_EQ(SendMessageA(type, CB_GETCURSEL, 0, 0), 1);

    for (auto [id, on] : {std::pair{IDC_LIBOPT_IMPORT, true},
                          {IDC_LIBOPT_EXPORT, true},
                          {IDC_LIBOPT_ADD, false},
                          {IDC_LIBOPT_SAVE, false},
                          {IDC_LIBOPT_DELETE, false}})
        EXPECT_EQ(Enabled(dlg, id), on) << id;
    const LRESULT ex = SendMessageA(List(dlg), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(ex & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
              LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_TRUE(host.shown.empty());
}

TEST_F(EditorDialog, AddSaveAndDeleteWriteTheFileAtOnce) {
    MakeLibrary(path, kShort, {.type = Shorthand});
    HWND dlg = Open(0);  // entry changes do not need the permission

    Type(dlg, IDC_LIBOPT_QUERY, "gtg");
    Type(dlg, IDC_LIBOPT_FULLTEXT, "got to go\r\n%CARET%");
    ASSERT_TRUE(Enabled(dlg, IDC_LIBOPT_ADD));
    Click(dlg, IDC_LIBOPT_ADD);
    ASSERT_EQ(host.Texts(), std::vector<std::string>{"Add data Succeed "});
    EXPECT_EQ(Keys(dlg), std::vector<std::string>{"gtg"});  // listed from the query
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_ADD));
    Pairs expected = kShort;
    expected.insert(expected.begin() + 3, {"gtg", "got to go\r\n%CARET%"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ReadLibrary(path), expected);

    Type(dlg, IDC_LIBOPT_QUERY, "brb");
    Click(dlg, IDC_LIBOPT_ADD);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"This data had in database! "});

    Type(dlg, IDC_LIBOPT_QUERY, "nope");
    Type(dlg, IDC_LIBOPT_FULLTEXT, "x");
    Click(dlg, IDC_LIBOPT_SAVE);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"Save Failed!"});
    EXPECT_EQ(ReadLibrary(path), expected);

    Click(dlg, IDC_LIBOPT_RELOAD);
    EXPECT_EQ(ItemText(dlg, IDC_LIBOPT_QUERY), "");
    EXPECT_EQ(RowCount(List(dlg)), 6);
    Select(List(dlg), {4});  // omw
    Type(dlg, IDC_LIBOPT_FULLTEXT, "on my way home");
    Click(dlg, IDC_LIBOPT_SAVE);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"Save Succeed!"});

    // Delete, refused at the question, then three rows at once.
    Click(dlg, IDC_LIBOPT_RELOAD);
    Select(List(dlg), {0, 2, 5});  // addr, btw, ty
    host.answers = {IDCANCEL};
    Click(dlg, IDC_LIBOPT_DELETE);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"Are you sure you want to delete the items?"});
    EXPECT_EQ(ReadLibrary(path).size(), 6u);
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
    Select(List(dlg), {});
    EXPECT_TRUE(Enabled(dlg, IDC_LIBOPT_DELETE));
    Click(dlg, IDC_LIBOPT_DELETE);
    EXPECT_EQ(host.Texts(), (std::vector<std::string>{"Are you sure you want to delete the items?",
                                                      "Please select the items to delete! "}));
    EXPECT_EQ(ReadLibrary(path).size(), 3u);
}

TEST_F(EditorDialog, ExportShowsTheWaitBoxWithTheTextItLastShowed) {
    // An empty library, then one of one entry: the export reports no count
    // of its own, so the box shows what it showed before.
    MakeLibrary(path, {}, {Shorthand});
    const std::string words = dir / "words.txt";
    test::WriteBytes(words, "<shortkey>ty\r\n<replacement text>thank you\r\n");
    HWND dlg = Open();
    HWND wait = ed->waitBox().hwnd();
    ASSERT_NE(wait, nullptr);

    host.files = {dir / "first.txt"};
    Click(dlg, IDC_LIBOPT_EXPORT);
    EXPECT_EQ(ItemText(wait, IDC_WAIT_TEXT), "");  // nothing shown before
    EXPECT_FALSE(IsWindowVisible(wait));

    host.files = {words};
    Click(dlg, IDC_LIBOPT_IMPORT);
    Pump(200);
    ASSERT_EQ(ReadLibrary(path), (Pairs{{"ty", "thank you"}}));
    // A file to read was asked for; the editor is usable again and lists
    // what came in.
    EXPECT_EQ(host.fileAsks, (std::vector<bool>{true, false}));
    EXPECT_TRUE(IsWindowEnabled(dlg));
    EXPECT_FALSE(IsWindowVisible(wait));
    EXPECT_EQ(Keys(dlg), std::vector<std::string>{"ty"});
    const std::string imported = ItemText(wait, IDC_WAIT_TEXT);
    EXPECT_NE(imported, "");
    host.files = {dir / "second.txt"};
    Click(dlg, IDC_LIBOPT_EXPORT);
    EXPECT_EQ(ItemText(wait, IDC_WAIT_TEXT), imported);
    EXPECT_EQ(host.Texts().back(), "1 items have been successfully exported ");
}

TEST_F(EditorDialog, LargeLibraryListsWholeAndCancelStopsIt) {
    {
        Library lib{SystemCodePage()};
        ASSERT_TRUE(lib.Open(path.c_str()));
        char key[16];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(key, sizeof key, "w%06d", i);
            Entry e(key, "text");
            ASSERT_EQ(lib.Put(e), 1);
        }
    }
    HWND dlg = Open();
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

// As typed and as a Unicode library stores them (UTF-8).
const std::string kAbc = "\xCE\xB1\xCE\xB2\xCE\xB3";    // αβγ
const std::string kZolw = "\xC5\xBC\xC3\xB3\xC5\x82w";  // żółw
const std::string kSisyphus =
    "\xCE\xA3\xCE\xAF\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82";  // Σίσυφος
const std::string kGrin = "\xF0\x9F\x98\x80";                    // 😀, a surrogate pair
const std::string kCheck = "\xE2\x9C\x93";                       // ✓
const std::string kArrow = "\xE2\x86\x92";                       // →

TEST_F(EditorDialog, AUnicodeLibraryShowsAndTakesAnyCharacterThroughTheWideControls) {
    MakeLibrary(path, {{kAbc, kGrin + " smile"}, {kZolw, "tortoise " + kCheck}},
                {.type = Shorthand,
                 .caption = kSisyphus,
                 .description = kCheck + " done",
                 .encoding = EncodingUtf8});
    HWND dlg = Open();
    ASSERT_EQ(RowCount(List(dlg)), 2);
    // In UTF-8 byte order: żółw (C5) before αβγ (CE).
    EXPECT_EQ(CellUtf8(List(dlg), 0, 0), kZolw);
    EXPECT_EQ(CellUtf8(List(dlg), 0, 1), "tortoise " + kCheck);
    EXPECT_EQ(CellUtf8(List(dlg), 1, 0), kAbc);
    EXPECT_EQ(CellUtf8(List(dlg), 1, 1), kGrin + " smile");
    EXPECT_EQ(BoxUtf8(dlg, IDC_LIBOPT_NAME), kSisyphus);
    EXPECT_EQ(BoxUtf8(dlg, IDC_LIBOPT_DESCRIPTION), kCheck + " done");

    Select(List(dlg), {1});
    EXPECT_EQ(BoxUtf8(dlg, IDC_LIBOPT_QUERY), kAbc);
    EXPECT_EQ(BoxUtf8(dlg, IDC_LIBOPT_FULLTEXT), kGrin + " smile");
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_ADD));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBOPT_SAVE));

    TypeUtf8(dlg, IDC_LIBOPT_FULLTEXT, kGrin + kGrin + " " + kArrow);
    ASSERT_TRUE(Enabled(dlg, IDC_LIBOPT_SAVE));
    Click(dlg, IDC_LIBOPT_SAVE);
    TypeUtf8(dlg, IDC_LIBOPT_QUERY, kSisyphus);
    TypeUtf8(dlg, IDC_LIBOPT_FULLTEXT, kArrow + "\tend");
    ASSERT_TRUE(Enabled(dlg, IDC_LIBOPT_ADD));
    Click(dlg, IDC_LIBOPT_ADD);
    EXPECT_EQ(host.Texts(), (std::vector<std::string>{"Save Succeed!", "Add data Succeed "}));
    EXPECT_EQ(ReadLibrary(path), (Pairs{{kZolw, "tortoise " + kCheck},
                                        {kSisyphus, kArrow + "\tend"},
                                        {kAbc, kGrin + kGrin + " " + kArrow}}));
    // Listed from the new key, as it was stored.
    EXPECT_EQ(CellUtf8(List(dlg), 0, 0), kSisyphus);

    TypeUtf8(dlg, IDC_LIBOPT_NAME, kArrow + " symbols");
    Click(dlg, IDOK);
    EXPECT_EQ(ed->Result(), IDOK);
    Library lib{SystemCodePage()};
    ASSERT_TRUE(lib.Open(path.c_str()));
    EXPECT_EQ(std::string(lib.GetCaption()), kArrow + " symbols");
    EXPECT_EQ(std::string(lib.GetDescription()), kCheck + " done");
}

TEST_F(EditorDialog, ACodePageLibraryShowsItsTextAndRefusesAGreekLetter) {
    MakeLibrary(path, {{"caf\xE9", "coffee"}}, {.type = Shorthand, .caption = "Old"});
    HWND dlg = Open();
    ASSERT_EQ(RowCount(List(dlg)), 1);
    EXPECT_EQ(CellUtf8(List(dlg), 0, 0), "caf\xC3\xA9");  // é of Windows-1252

    TypeUtf8(dlg, IDC_LIBOPT_QUERY, kAbc);
    TypeUtf8(dlg, IDC_LIBOPT_FULLTEXT, "alpha");
    ASSERT_TRUE(Enabled(dlg, IDC_LIBOPT_ADD));
    Click(dlg, IDC_LIBOPT_ADD);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_NE(host.shown[0].text.find("\"\xCE\xB1\" (U+03B1) cannot be stored"), std::string::npos)
        << host.shown[0].text;
    EXPECT_TRUE(host.shown[0].utf8);
    TypeUtf8(dlg, IDC_LIBOPT_QUERY, "cr\xC3\xA8me");
    Click(dlg, IDC_LIBOPT_ADD);
    EXPECT_EQ(host.Texts().back(), "Add data Succeed ");
    EXPECT_EQ(ReadLibrary(path), (Pairs{{"caf\xE9", "coffee"}, {"cr\xE8me", "alpha"}}));

    // OK with a name the library cannot hold: told, and the dialog stays.
    TypeUtf8(dlg, IDC_LIBOPT_NAME, "Caf\xC3\xA9 " + kGrin);
    Click(dlg, IDOK);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_NE(host.shown[0].text.find("cannot be stored"), std::string::npos);
    EXPECT_EQ(ed->Result(), 0);
    TypeUtf8(dlg, IDC_LIBOPT_NAME, "Caf\xC3\xA9");
    Click(dlg, IDOK);
    EXPECT_EQ(ed->Result(), IDOK);
    Library lib{SystemCodePage()};
    ASSERT_TRUE(lib.Open(path.c_str()));
    EXPECT_STREQ(lib.GetCaption(), "Caf\xE9");
}

}  // namespace
}  // namespace wl
