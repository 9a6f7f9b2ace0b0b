// The Libraries Manager under Wine: its rows and check boxes, OK and Cancel
// read back from the registry, "&Edit" and "&New..." with the dialogs they
// open, and the entry point the main window calls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <memory>
#include <string>

#include "libui/win32/DlgLibManager.h"
#include "libui/win32/LibraryDialogs.h"
#include "platform/MemoryRegistry.h"
#include "res/libui_resource.h"
#include "tests/support/Libraries.h"
#include "tests/windows/libui/LibUiWinSupport.h"

namespace wl {
namespace {

using namespace test;

const char kLoadSet[] = "SOFTWARE\\Quorbit\\LoadSet\\";

// A manager whose editor is only recorded.
class RecordingManager : public CDlgLibManager {
  public:
    using CDlgLibManager::CDlgLibManager;
    std::vector<std::pair<std::string, int>> edits;
    bool answer = false;
    bool EditLibrary(const std::string& path, int mayChange) override {
        edits.emplace_back(path, mayChange);
        return answer;
    }
};

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
    std::unique_ptr<RecordingManager> Open() {
        auto m = std::make_unique<RecordingManager>(reg, SystemCodePage(), libs, host);
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

TEST_F(ManagerDialog, ListsEveryLibraryWithItsColumnsAndCheckBox) {
    {
        RegKey key(reg, RegRoot::LocalMachine, kLoadSet + Lib("phrases.lib"), true);
        key.WriteBinary("CandLoad", static_cast<unsigned char>(0));
    }
    auto m = Open();
    HWND dlg = m->hwnd();
    EXPECT_EQ(Text(dlg), "Libraries Manager");
    HWND list = List(dlg);
    ASSERT_EQ(RowCount(list), 3);
    EXPECT_EQ(ColumnTitle(list, 0), "Library Name");
    EXPECT_EQ(ColumnTitle(list, 2), "Enable/Disable Edit");
    EXPECT_EQ(ColumnTitle(list, 4), "File Path");
    const DWORD ex = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_TRUE(ex & LVS_EX_CHECKBOXES);

    const int english = RowOf(dlg, "English");
    const int phrases = RowOf(dlg, "phrases.lib");
    const int broken = RowOf(dlg, "broken.lib");
    ASSERT_GE(english, 0);
    ASSERT_GE(phrases, 0);
    ASSERT_GE(broken, 0);
    EXPECT_EQ(Cell(list, english, 1), "Dictionary");
    EXPECT_EQ(Cell(list, english, 2), "Enable");
    EXPECT_EQ(Cell(list, english, 3), "Words");
    EXPECT_EQ(Cell(list, english, 4), Lib("english.lib"));
    EXPECT_TRUE(RowChecked(list, english));
    EXPECT_EQ(Cell(list, phrases, 1), "Shorthand");
    EXPECT_EQ(Cell(list, phrases, 2), "Disable");
    EXPECT_FALSE(RowChecked(list, phrases));
    EXPECT_TRUE(RowChecked(list, broken));
}

TEST_F(ManagerDialog, OkWritesEveryCheckBoxCancelWritesNone) {
    {
        auto m = Open();
        HWND dlg = m->hwnd();
        SetRowChecked(List(dlg), RowOf(dlg, "English"), false);
        Click(dlg, IDCANCEL);
        EXPECT_EQ(m->Result(), IDCANCEL);
    }
    EXPECT_EQ(Switch(Lib("english.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("phrases.lib")), nullptr);

    auto m = Open();
    HWND dlg = m->hwnd();
    EXPECT_TRUE(RowChecked(List(dlg), RowOf(dlg, "English")));
    SetRowChecked(List(dlg), RowOf(dlg, "English"), false);
    Click(dlg, IDOK);
    EXPECT_EQ(m->Result(), IDOK);
    ASSERT_NE(Switch(Lib("english.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("english.lib"))->data, std::vector<unsigned char>{0});
    ASSERT_NE(Switch(Lib("phrases.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("phrases.lib"))->data, std::vector<unsigned char>{1});
    ASSERT_NE(Switch(Lib("broken.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("broken.lib"))->data, std::vector<unsigned char>{1});

    auto again = Open();
    EXPECT_FALSE(RowChecked(List(again->hwnd()), RowOf(again->hwnd(), "English")));
}

// Closes the Libraries Manager with OK once its list shows a caption.
struct CloseWhenListed {
    static inline std::string caption;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND mgr = FindWindowA("#32770", "Libraries Manager");
        if (!mgr || !IsWindowEnabled(mgr)) return;
        HWND list = GetDlgItem(mgr, IDC_LIBMAN_LIST);
        for (int i = 0; i < RowCount(list); ++i)
            if (Cell(list, i, 0) == caption)
                PostMessageA(mgr, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
};

}  // namespace
}  // namespace wl
