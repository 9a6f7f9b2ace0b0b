// The Libraries Manager under Wine: its rows and check boxes, OK and Cancel
// read back from the registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <memory>
#include <string>

#include "libui/win32/DlgLibManager.h"
#include "libui/win32/ProgressWindow.h"
#include "platform/MemoryRegistry.h"
#include "res/libui_resource.h"
#include "tests/support/InfoRecords.h"
#include "tests/support/Libraries.h"
#include "tests/windows/libui/LibUiWinSupport.h"

namespace wl {
namespace {

using namespace test;

const char kLoadSet[] = "SOFTWARE\\Quorbit\\LoadSet\\";

class ManagerDialog : public ::testing::Test {
  protected:
    ManagerDialog() {
        std::filesystem::create_directory(libs);
        MakeLibrary(Lib("english.lib"), {{"hello", ""}},
                    {.caption = "English", .description = "Words"});
        MakeLibrary(Lib("phrases.lib"), {{"brb", "be right back"}},
                    {.type = Shorthand, .editable = 0});
        WriteBytes(Lib("broken.lib"), "not a library");
    }
    std::string Lib(const std::string& name) const { return libs + "\\" + name; }
    const MemoryRegistry::Value* Switch(const std::string& path) {
        return reg.Find(RegRoot::LocalMachine, kLoadSet + path, "CandLoad");
    }
    static HWND List(HWND dlg) { return GetDlgItem(dlg, IDC_LIBMAN_LIST); }
    int RowOf(HWND dlg, const std::string& caption) {
        for (int i = 0; i < RowCount(List(dlg)); ++i)
            if (Cell(List(dlg), i, 0) == caption) return i;
        return -1;
    }
    std::unique_ptr<CDlgLibManager> Open() {
        auto m = std::make_unique<CDlgLibManager>(reg, SystemCodePage(), libs, host);
        HWND hwnd = m->Create(nullptr);
        EXPECT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        return m;
    }

    TempDir dir;
    std::string libs = dir / "Libs";
    MemoryRegistry reg;
    ScriptedHost host;
};

TEST_F(ManagerDialog, ListsEveryLibraryAndOkWritesEveryCheckBoxCancelNone) {
    {
        RegKey key(reg, RegRoot::LocalMachine, kLoadSet + Lib("phrases.lib"), true);
        key.WriteBinary("CandLoad", static_cast<unsigned char>(0));
    }
    {
        auto m = Open();
        HWND dlg = m->hwnd();
        HWND list = List(dlg);
        ASSERT_EQ(RowCount(list), 3);
        EXPECT_TRUE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);

        const int english = RowOf(dlg, "English"), phrases = RowOf(dlg, "phrases.lib");
        const int broken = RowOf(dlg, "broken.lib");
        ASSERT_TRUE(english >= 0 && phrases >= 0 && broken >= 0);
        EXPECT_EQ(Cell(list, english, 1), "Dictionary");
        EXPECT_EQ(Cell(list, english, 2), "Enable");
        EXPECT_EQ(Cell(list, english, 3), "Words");
        EXPECT_EQ(Cell(list, english, 4), Lib("english.lib"));
        EXPECT_TRUE(RowChecked(list, english));
        EXPECT_EQ(Cell(list, phrases, 1), "Shorthand");
        EXPECT_EQ(Cell(list, phrases, 2), "Disable");
        EXPECT_FALSE(RowChecked(list, phrases));
        EXPECT_TRUE(RowChecked(list, broken));

        SetRowChecked(list, english, false);
        Click(dlg, IDCANCEL);
        EXPECT_EQ(m->Result(), IDCANCEL);
    }
    EXPECT_EQ(Switch(Lib("english.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("broken.lib")), nullptr);

    auto m = Open();
    HWND dlg = m->hwnd();
    EXPECT_TRUE(RowChecked(List(dlg), RowOf(dlg, "English")));
    SetRowChecked(List(dlg), RowOf(dlg, "English"), false);
    Click(dlg, IDOK);
    EXPECT_EQ(m->Result(), IDOK);
    const std::pair<const char*, unsigned char> written[] = {
        {"english.lib", 0}, {"phrases.lib", 0}, {"broken.lib", 1}};
    for (const auto& [name, on] : written) {
        ASSERT_NE(Switch(Lib(name)), nullptr) << name;
        EXPECT_EQ(Switch(Lib(name))->data, std::vector<unsigned char>{on}) << name;
    }

    auto again = Open();
    EXPECT_FALSE(RowChecked(List(again->hwnd()), RowOf(again->hwnd(), "English")));
}

// A manager whose editor only counts how often it was asked for.
struct CountingManager : CDlgLibManager {
    using CDlgLibManager::CDlgLibManager;
    bool EditLibrary(const std::string&, int) override {
        ++edits;
        return false;
    }
    int edits = 0;
};

const std::string kGreek =
    "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";  // Ελληνικά

TEST_F(ManagerDialog, ShowsEncodingsConvertsCodePageLibrariesAndNeverEditsUnknownOnes) {
    MakeLibrary(Lib("greek.lib"), {{"\xCE\xB1", ""}},
                {.caption = kGreek, .description = "\xE2\x9C\x93", .encoding = EncodingUtf8});
    MakeLibrary(Lib("newer.lib"), {{"x", ""}}, {.caption = "Newer"});
    ASSERT_TRUE(WriteInfoRecord(Lib("newer.lib"), "DBENCODING", std::string("\x02\0\0\0", 4)));
    CountingManager m(reg, SystemCodePage(), libs, host);
    HWND dlg = m.Create(nullptr);
    ASSERT_NE(dlg, nullptr);
    HWND list = List(dlg);
    const int english = RowOf(dlg, "English"), phrases = RowOf(dlg, "phrases.lib");
    const int newer = RowOf(dlg, "Newer"), broken = RowOf(dlg, "broken.lib");
    int greek = -1;
    for (int i = 0; i < RowCount(list); ++i)
        if (CellUtf8(list, i, 0) == kGreek) greek = i;
    ASSERT_GE(greek, 0);
    EXPECT_EQ(CellUtf8(list, greek, 3), "\xE2\x9C\x93");
    const struct {
        int row;
        const char* encoding;
        bool converts;
    } rows[] = {{english, "Code page", true},
                {greek, "Unicode (UTF-8)", false},
                {newer, "Unknown (read-only)", false},
                {broken, "", false}};
    for (const auto& r : rows) {
        EXPECT_EQ(Cell(list, r.row, 5), r.encoding) << r.row;
        Select(list, {r.row});
        EXPECT_EQ(Enabled(dlg, IDC_LIBMAN_CONVERT), r.converts) << r.encoding;
    }

    // Unknown: told, never edited.
    Select(list, {newer});
    Click(dlg, IDC_LIBMAN_EDIT);
    EXPECT_EQ(m.edits, 0);
    const std::vector<std::string> told = host.Texts();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("newer version of Wordlark"), std::string::npos);

    // Convert: asked first; while it runs the manager takes no input and
    // the progress window stands; a failure leaves the library as it was.
    int calls = 0;
    bool failing = true;
    bool sawProgress = false, managerDisabled = false;
    m.SetConverter(
        [&](const std::string& path, const CodePage& cp, ImportProgress*, std::string* error) {
            ++calls;
            HWND progress = FindWindowA(ProgressWindow::kClassName, nullptr);
            sawProgress = progress && IsWindowVisible(progress);
            managerDisabled = !IsWindowEnabled(dlg);
            if (failing) {
                *error = "the disk is full";
                return 0;
            }
            Library lib{cp};
            if (!lib.Open(path.c_str())) return 0;
            lib.SetEncoding(EncodingUtf8);
            return lib.WriteInfo();
        });
    SetRowChecked(list, phrases, true);  // a tick not yet written
    Select(list, {english});
    host.answers = {IDCANCEL};
    Click(dlg, IDC_LIBMAN_CONVERT);
    EXPECT_EQ(calls, 0);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_TRUE(host.shown[0].ask);
    Click(dlg, IDC_LIBMAN_CONVERT);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(sawProgress);
    EXPECT_TRUE(managerDisabled);
    EXPECT_TRUE(IsWindowEnabled(dlg));
    EXPECT_EQ(FindWindowA(ProgressWindow::kClassName, nullptr), nullptr);
    EXPECT_NE(host.Texts().back().find("the disk is full"), std::string::npos);
    EXPECT_EQ(ReadLibrary(Lib("english.lib")), (Pairs{{"hello", ""}}));
    EXPECT_EQ(Cell(list, RowOf(dlg, "English"), 5), "Code page");

    failing = false;
    Select(list, {RowOf(dlg, "English")});
    Click(dlg, IDC_LIBMAN_CONVERT);
    EXPECT_EQ(calls, 2);
    EXPECT_NE(host.Texts().back().find("is now a Unicode library"), std::string::npos);
    EXPECT_EQ(Cell(list, RowOf(dlg, "English"), 5), "Unicode (UTF-8)");
    EXPECT_EQ(FirstSelected(list), RowOf(dlg, "English"));
    EXPECT_FALSE(Enabled(dlg, IDC_LIBMAN_CONVERT));
    EXPECT_TRUE(RowChecked(list, RowOf(dlg, "phrases.lib")));
    EXPECT_EQ(ReadLibrary(Lib("english.lib")), (Pairs{{"hello", ""}}));
}

TEST_F(ManagerDialog, ANewLibraryIsUnicodeUnlessTheBoxIsCleared) {
    LibManagerLogic logic(reg, SystemDirectory(), SystemCodePage(), libs);
    const struct {
        std::string typed;
        bool clear;
        const char* file;  // "" when refused
    } cases[] = {{"Symbols", false, "Symbols.lib"},
                 {"Plain", true, "Plain.lib"},
                 {"\xCE\xA9mega", false, ""}};  // no such file name in the code page
    for (const auto& c : cases) {
        host.shown.clear();
        CDlgNewLibrary dialog(logic, host);
        HWND dlg = dialog.Create(nullptr);
        ASSERT_NE(dlg, nullptr);
        EXPECT_TRUE(Checked(dlg, IDC_LIBNEW_UNICODE));
        if (c.clear) Click(dlg, IDC_LIBNEW_UNICODE);
        TypeUtf8(dlg, IDC_LIBNEW_NAME, c.typed);
        Click(dlg, IDOK);
        if (!*c.file) {
            EXPECT_EQ(dialog.Result(), 0);
            ASSERT_EQ(host.shown.size(), 1u);
            EXPECT_NE(host.shown[0].text.find("code page"), std::string::npos);
            continue;
        }
        ASSERT_EQ(dialog.Result(), IDOK) << c.typed;
        EXPECT_EQ(dialog.createdPath(), Lib(c.file));
        Library lib{SystemCodePage()};
        ASSERT_TRUE(lib.Open(Lib(c.file).c_str()));
        EXPECT_EQ(lib.GetEncoding(), c.clear ? EncodingCodePage : EncodingUtf8) << c.typed;
    }
}

}  // namespace
}  // namespace wl
