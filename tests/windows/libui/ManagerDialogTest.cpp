// The Libraries Manager under Wine: its rows and check boxes, OK and Cancel
// read back from the registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <memory>
#include <string>

#include "libui/win32/DlgLibManager.h"
#include "platform/MemoryRegistry.h"
#include "res/libui_resource.h"
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
        EXPECT_EQ(WindowText(dlg), "Libraries Manager");
        HWND list = List(dlg);
        ASSERT_EQ(RowCount(list), 3);
        EXPECT_EQ(ColumnTitle(list, 0), "Library Name");
        EXPECT_EQ(ColumnTitle(list, 2), "Enable/Disable Edit");
        EXPECT_EQ(ColumnTitle(list, 4), "File Path");
        EXPECT_TRUE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);

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

}  // namespace
}  // namespace wl
