// The Applications Manager, the Application Option dialog and the running
// applications under Wine: driven by their controls' messages, closed with
// OK or Cancel, and the registry read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "res/settings_resource.h"
#include "settings/Settings.h"
#include "settings/win32/DlgAppManager.h"
#include "settings/win32/DlgOptions.h"
#include "settings/win32/SettingsDialogs.h"
#include "tests/windows/settings/DialogScript.h"
#include "tests/windows/settings/TestRegistry.h"

namespace wl {
namespace {

using test::DialogScript;
using test::TestRegistry;

std::string Text(HWND hwnd) {
    char text[1024] = {};
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

HWND List(HWND dlg) {
    return GetDlgItem(dlg, 1000);
}
int RowCount(HWND dlg) {
    return static_cast<int>(SendMessageA(List(dlg), LVM_GETITEMCOUNT, 0, 0));
}
std::string Cell(HWND dlg, int row, int column) {
    char text[300] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(List(dlg), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}
LPARAM RowData(HWND dlg, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM | LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(List(dlg), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}
int RowImage(HWND dlg, int row) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(List(dlg), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}
void SelectRows(HWND dlg, std::initializer_list<int> rows) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(List(dlg), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&none));
    for (int row : rows) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(List(dlg), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
}
// A double-click on a row of the list (-1: on no row).
void DoubleClick(HWND dlg, int row) {
    NMITEMACTIVATE activate{};
    activate.hdr.hwndFrom = List(dlg);
    activate.hdr.idFrom = 1000;
    activate.hdr.code = NM_DBLCLK;
    activate.iItem = row;
    SendMessageA(dlg, WM_NOTIFY, 1000, reinterpret_cast<LPARAM>(&activate));
}
std::string ColumnTitle(HWND dlg, int column, int* width) {
    char text[64] = {};
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = text;
    col.cchTextMax = sizeof text;
    if (!SendMessageA(List(dlg), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&col)))
        return "<none>";
    *width = col.cx;
    return text;
}

std::string SystemFile(const char* name) {
    char dir[MAX_PATH] = {};
    GetSystemDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + name;
}

void StoreApp(TestRegistry& reg, const std::string& name, std::uint8_t enable,
              const std::string& path) {
    RegKey key(reg, RegRoot::LocalMachine, reg::kAppOptionPrefix + name, true);
    key.WriteBinary("EnableVemo", enable);
    reg.WriteString(key.get(), "Path", path.data(), static_cast<std::uint32_t>(path.size()));
}

std::vector<AppSetting> StoredApps(TestRegistry& reg, std::int32_t& others) {
    others = -1;
    return ReadAppSettings(reg, others);
}

class AppManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        notepad = SystemFile("notepad.exe");
        winver = SystemFile("winver.exe");
    }
    HWND Open(CDlgAppManager& dialog) {
        HWND hwnd = dialog.Create(nullptr);
        EXPECT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        return hwnd;
    }
    // The running applications the manager is offered.
    RunningAppsSource Running() {
        return [this] {
            ++snapshots;
            return running;
        };
    }

    TestRegistry reg;
    std::string notepad, winver;
    std::vector<RunningApp> running;
    int snapshots = 0;
};

TEST_F(AppManagerTest, AnEmptyStoreOpensEmptyWithOthersEnabled) {
    CDlgAppManager dialog(reg, Running());
    HWND dlg = Open(dialog);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(Text(dlg), "Applications Manager");
    EXPECT_EQ(RowCount(dlg), 0);
    EXPECT_TRUE(Checked(dlg, IDC_APPMAN_ENABLE));
    EXPECT_FALSE(Checked(dlg, IDC_APPMAN_DISABLE));
    EXPECT_EQ(ItemText(dlg, IDC_APPMAN_ENABLE), "&Enable");
    EXPECT_EQ(ItemText(dlg, IDC_APPMAN_DISABLE), "&Disable");
    EXPECT_EQ(ItemText(dlg, IDC_APPMAN_ADD), "&Add...");
    EXPECT_EQ(ItemText(dlg, IDC_APPMAN_DELETE), "&Delete");
    // The two texts above the list, double spaces and quotes included.
    bool first = false, second = false;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string text = Text(child);
        first |= text == "To set if the Wordlark apply  to the application.";
        second |= text ==
                  "If the application that is not defined in the list will observe the "
                  "\"Other Applications\"  setting .";
    }
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
    const struct {
        const char* title;
        int width;
    } columns[] = {{"File Name", 120}, {"Wordlark Status", 120}, {"Full Path", 300}};
    for (int i = 0; i < 3; ++i) {
        int width = 0;
        EXPECT_EQ(ColumnTitle(dlg, i, &width), columns[i].title);
        EXPECT_EQ(width, columns[i].width);
    }
    const auto ex = SendMessageA(List(dlg), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_FALSE(GetWindowLongA(List(dlg), GWL_STYLE) & LVS_SINGLESEL);
    Click(dlg, IDCANCEL);
    EXPECT_EQ(dialog.Result(), IDCANCEL);
    DWORD type = 0;
    std::string data;
    EXPECT_FALSE(reg.Raw(reg::kAppOptionKey, "OthersEnableVemo", type, data));
}

TEST_F(AppManagerTest, ShowsTheStoredApplicationsAndReplacesThemOnOk) {
    StoreApp(reg, "a.exe", 1, notepad);
    StoreApp(reg, "b.exe", 0, "C:\\nowhere\\b.exe");
    StoreApp(reg, "c.exe", 1, "C:\\nowhere\\c.exe");
    CDlgAppManager dialog(reg, Running());
    HWND dlg = Open(dialog);
    ASSERT_NE(dlg, nullptr);
    // The reverse of the store's order.
    ASSERT_EQ(RowCount(dlg), 3);
    EXPECT_EQ(Cell(dlg, 0, 0), "c.exe");
    EXPECT_EQ(Cell(dlg, 1, 0), "b.exe");
    EXPECT_EQ(Cell(dlg, 2, 0), "a.exe");
    EXPECT_EQ(Cell(dlg, 1, 1), "Disable");
    EXPECT_EQ(RowData(dlg, 1), 0);
    EXPECT_EQ(Cell(dlg, 2, 1), "Enable");
    EXPECT_EQ(RowData(dlg, 2), 1);
    EXPECT_EQ(Cell(dlg, 2, 2), notepad);
    // A program's icon, and none for a file that is not there.
    EXPECT_GE(RowImage(dlg, 2), 0);
    EXPECT_LT(RowImage(dlg, 0), 0);

    SelectRows(dlg, {0, 2});
    Click(dlg, IDC_APPMAN_DELETE);
    ASSERT_EQ(RowCount(dlg), 1);
    EXPECT_EQ(Cell(dlg, 0, 0), "b.exe");
    Click(dlg, IDC_APPMAN_DISABLE);
    Click(dlg, IDOK);
    EXPECT_EQ(dialog.Result(), IDOK);
    EXPECT_TRUE(dialog.allWritten());

    std::int32_t others = 0;
    std::vector<AppSetting> stored = StoredApps(reg, others);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].fileName, "b.exe");
    EXPECT_EQ(stored[0].enable, 0);
    EXPECT_EQ(stored[0].path, "C:\\nowhere\\b.exe");
    EXPECT_EQ(others, 0);
    DWORD type = 0;
    std::string path;
    ASSERT_TRUE(reg.Raw(reg::kAppOptionPrefix + std::string("b.exe"), "Path", type, path));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // Written without a terminator; the system (Wine as Windows NT) counts the
    // NUL that follows the data in memory.
    EXPECT_TRUE(path == "C:\\nowhere\\b.exe" || path == std::string("C:\\nowhere\\b.exe", 17))
        << path.size();

    // Every row deleted: no application is left, the policy is still written.
    CDlgAppManager again(reg, Running());
    dlg = Open(again);
    EXPECT_TRUE(Checked(dlg, IDC_APPMAN_DISABLE));
    SelectRows(dlg, {0});
    Click(dlg, IDC_APPMAN_DELETE);
    Click(dlg, IDC_APPMAN_ENABLE);
    Click(dlg, IDOK);
    EXPECT_TRUE(StoredApps(reg, others).empty());
    EXPECT_EQ(others, 1);
}

TEST_F(AppManagerTest, CancelDiscardsDeletionsAndAdditions) {
    StoreApp(reg, "a.exe", 1, notepad);
    running = {{"winver.exe", winver}};
    CDlgAppManager dialog(reg, Running());
    HWND dlg = Open(dialog);
    SelectRows(dlg, {0});
    Click(dlg, IDC_APPMAN_DELETE);
    DialogScript add;
    add.On("Applications",
           [](HWND apps) {
               SelectRows(apps, {0});
               Click(apps, IDOK);
           })
        .On("Application Option", [](HWND option) { Click(option, IDOK); });
    ASSERT_TRUE(add.Run([&] { Click(dlg, IDC_APPMAN_ADD); }))
        << ::testing::PrintToString(add.problems);
    ASSERT_EQ(RowCount(dlg), 1);
    EXPECT_EQ(Cell(dlg, 0, 0), "winver.exe");
    Click(dlg, IDC_APPMAN_DISABLE);
    Click(dlg, IDCANCEL);
    std::int32_t others = 0;
    std::vector<AppSetting> stored = StoredApps(reg, others);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].fileName, "a.exe");
    EXPECT_EQ(others, -1);  // never written
}

TEST_F(AppManagerTest, AddingAnUnknownApplicationPreselectsDisable) {
    running = {{"notepad.exe", notepad}, {"winver.exe", winver}};
    CDlgAppManager dialog(reg, Running());
    HWND dlg = Open(dialog);
    DialogScript add;
    add.On("Applications",
           [&](HWND apps) {
               // The last process of the snapshot is on top.
               EXPECT_EQ(RowCount(apps), 2);
               EXPECT_EQ(Cell(apps, 0, 0), "winver.exe");
               EXPECT_EQ(Cell(apps, 0, 1), winver);
               EXPECT_EQ(Cell(apps, 1, 0), "notepad.exe");
               EXPECT_GE(RowImage(apps, 1), 0);
               int width = 0;
               EXPECT_EQ(ColumnTitle(apps, 0, &width), "File Name");
               EXPECT_EQ(width, 120);
               EXPECT_EQ(ColumnTitle(apps, 1, &width), "Full Path");
               EXPECT_EQ(width, 300);
               EXPECT_EQ(ItemText(apps, IDC_RUNNING_REFRESH), "&Refresh");
               SelectRows(apps, {1});
               Click(apps, IDOK);
           })
        .On("Application Option", [&](HWND option) {
            EXPECT_EQ(ItemText(option, IDC_APPOPT_PATHS), notepad + "\r\n");
            EXPECT_EQ(ItemText(option, IDC_APPOPT_ENABLE), "&Enable Wordlark to the Applications");
            EXPECT_EQ(ItemText(option, IDC_APPOPT_DISABLE),
                      "&Disable Wordlark to the Applications");
            EXPECT_TRUE(Checked(option, IDC_APPOPT_DISABLE));
            EXPECT_FALSE(Checked(option, IDC_APPOPT_ENABLE));
            Click(option, IDOK);
        });
    ASSERT_TRUE(add.Run([&] { Click(dlg, IDC_APPMAN_ADD); }))
        << ::testing::PrintToString(add.problems);
    ASSERT_EQ(RowCount(dlg), 1);
    EXPECT_EQ(Cell(dlg, 0, 0), "notepad.exe");
    EXPECT_EQ(Cell(dlg, 0, 1), "Disable");
    EXPECT_EQ(RowData(dlg, 0), 0);
    EXPECT_EQ(Cell(dlg, 0, 2), notepad);
    EXPECT_GE(RowImage(dlg, 0), 0);
    Click(dlg, IDOK);
    std::int32_t others = 0;
    std::vector<AppSetting> stored = StoredApps(reg, others);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].enable, 0);
}

TEST_F(AppManagerTest, AddingAMixOfStoredStatesLeavesNoChoiceAndEnablesOnOk) {
    StoreApp(reg, "NOTEPAD.EXE", 1, "C:\\old\\NOTEPAD.EXE");
    StoreApp(reg, "winver.exe", 0, winver);
    running = {{"notepad.exe", notepad}, {"winver.exe", winver}, {"notepad.exe", notepad}};
    CDlgAppManager dialog(reg, Running());
    HWND dlg = Open(dialog);
    ASSERT_EQ(RowCount(dlg), 2);
    DialogScript add;
    add.On("Applications",
           [](HWND apps) {
               SelectRows(apps, {0, 1, 2});
               Click(apps, IDOK);
           })
        .On("Application Option", [&](HWND option) {
            EXPECT_EQ(ItemText(option, IDC_APPOPT_PATHS),
                      notepad + "\r\n" + winver + "\r\n" + notepad + "\r\n");
            EXPECT_FALSE(Checked(option, IDC_APPOPT_DISABLE));
            EXPECT_FALSE(Checked(option, IDC_APPOPT_ENABLE));
            Click(option, IDOK);
        });
    ASSERT_TRUE(add.Run([&] { Click(dlg, IDC_APPMAN_ADD); }))
        << ::testing::PrintToString(add.problems);
    // No new rows: both were in the list already, and now both are enabled;
    // a row keeps its own path.
    ASSERT_EQ(RowCount(dlg), 2);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(Cell(dlg, row, 1), "Enable");
        EXPECT_EQ(RowData(dlg, row), 1);
    }
    const int notepadRow = Cell(dlg, 0, 0) == "NOTEPAD.EXE" ? 0 : 1;
    EXPECT_EQ(Cell(dlg, notepadRow, 2), "C:\\old\\NOTEPAD.EXE");
    Click(dlg, IDOK);
    std::int32_t others = 0;
    for (const AppSetting& app : StoredApps(reg, others)) EXPECT_EQ(app.enable, 1) << app.fileName;
}

TEST_F(AppManagerTest, NothingIsAddedWithoutARunningApplicationPicked) {
    running = {{"notepad.exe", notepad}};
    CDlgAppManager dialog(reg, Running());
    HWND dlg = Open(dialog);
    // Cancel in the running applications: straight back to the manager.
    DialogScript cancel;
    cancel.On("Applications", [](HWND apps) { Click(apps, IDCANCEL); });
    ASSERT_TRUE(cancel.Run([&] { Click(dlg, IDC_APPMAN_ADD); }))
        << ::testing::PrintToString(cancel.problems);
    // OK with no row selected, likewise.
    DialogScript none;
    none.On("Applications", [](HWND apps) { Click(apps, IDOK); });
    ASSERT_TRUE(none.Run([&] { Click(dlg, IDC_APPMAN_ADD); }))
        << ::testing::PrintToString(none.problems);
    // Cancel in the Application Option dialog.
    DialogScript late;
    late.On("Applications",
            [](HWND apps) {
                SelectRows(apps, {0});
                Click(apps, IDOK);
            })
        .On("Application Option", [](HWND option) {
            Click(option, IDC_APPOPT_ENABLE);
            Click(option, IDCANCEL);
        });
    ASSERT_TRUE(late.Run([&] { Click(dlg, IDC_APPMAN_ADD); }))
        << ::testing::PrintToString(late.problems);
    EXPECT_EQ(RowCount(dlg), 0);
    Click(dlg, IDCANCEL);
}

TEST_F(AppManagerTest, RefreshTakesANewSnapshotAndDoubleClickActsAsOk) {
    running = {{"notepad.exe", notepad}};
    CDlgAppManager dialog(reg, Running());
    HWND dlg = Open(dialog);
    DialogScript add;
    add.On("Applications",
           [&](HWND apps) {
               EXPECT_EQ(snapshots, 1);
               EXPECT_EQ(RowCount(apps), 1);
               running.push_back({"winver.exe", winver});
               Click(apps, IDC_RUNNING_REFRESH);
               EXPECT_EQ(snapshots, 2);
               ASSERT_EQ(RowCount(apps), 2);
               SelectRows(apps, {0});
               DoubleClick(apps, 0);
           })
        .On("Application Option", [](HWND option) {
            Click(option, IDC_APPOPT_ENABLE);
            Click(option, IDOK);
        });
    ASSERT_TRUE(add.Run([&] { Click(dlg, IDC_APPMAN_ADD); }))
        << ::testing::PrintToString(add.problems);
    ASSERT_EQ(RowCount(dlg), 1);
    EXPECT_EQ(Cell(dlg, 0, 0), "winver.exe");
    EXPECT_EQ(Cell(dlg, 0, 1), "Enable");
    Click(dlg, IDCANCEL);
}

TEST_F(AppManagerTest, DoubleClickEditsTheRowHit) {
    StoreApp(reg, "winver.exe", 0, winver);
    StoreApp(reg, "nopath.exe", 1, "");
    CDlgAppManager dialog(reg, Running());
    HWND dlg = Open(dialog);
    ASSERT_EQ(RowCount(dlg), 2);
    const int winverRow = Cell(dlg, 0, 0) == "winver.exe" ? 0 : 1;
    // An empty area and a row without a path open nothing.
    DialogScript nothing;
    ASSERT_TRUE(nothing.Run([&] {
        DoubleClick(dlg, -1);
        DoubleClick(dlg, 1 - winverRow);
    })) << ::testing::PrintToString(nothing.problems);

    DialogScript edit;
    edit.On("Application Option", [&](HWND option) {
        EXPECT_EQ(ItemText(option, IDC_APPOPT_PATHS), winver + "\r\n");
        EXPECT_TRUE(Checked(option, IDC_APPOPT_DISABLE));
        Click(option, IDC_APPOPT_ENABLE);
        Click(option, IDOK);
    });
    ASSERT_TRUE(edit.Run([&] { DoubleClick(dlg, winverRow); }))
        << ::testing::PrintToString(edit.problems);
    EXPECT_EQ(Cell(dlg, winverRow, 1), "Enable");
    EXPECT_EQ(RowData(dlg, winverRow), 1);
    EXPECT_EQ(RowCount(dlg), 2);
    Click(dlg, IDOK);
    RegKey key(reg, RegRoot::LocalMachine, reg::kAppOptionPrefix + std::string("winver.exe"),
               false);
    std::uint8_t enable = 0;
    ASSERT_TRUE(key.ReadInto("EnableVemo", enable));
    EXPECT_EQ(enable, 1);
}

TEST_F(AppManagerTest, RunAppManagerReportsOkAndCancel) {
    StoreApp(reg, "a.exe", 1, notepad);
    DialogScript cancel;
    cancel.On("Applications Manager", [](HWND dlg) {
        SelectRows(dlg, {0});
        Click(dlg, IDC_APPMAN_DELETE);
        Click(dlg, IDCANCEL);
    });
    bool ok = true;
    bool written = false;
    ASSERT_TRUE(cancel.Run([&] { ok = RunAppManager(nullptr, reg, &written); }))
        << ::testing::PrintToString(cancel.problems);
    EXPECT_FALSE(ok);
    std::int32_t others = 0;
    EXPECT_EQ(StoredApps(reg, others).size(), 1u);

    DialogScript accept;
    accept.On("Applications Manager", [](HWND dlg) {
        Click(dlg, IDC_APPMAN_DISABLE);
        Click(dlg, IDOK);
    });
    ASSERT_TRUE(accept.Run([&] { ok = RunAppManager(nullptr, reg, &written); }))
        << ::testing::PrintToString(accept.problems);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(written);
    EXPECT_EQ(StoredApps(reg, others).size(), 1u);
    EXPECT_EQ(others, 0);
}

TEST(RunningAppsSnapshot, ListsThisProcessWithItsPath) {
    const std::string self = ProgramPath();
    ASSERT_FALSE(self.empty());
    const std::vector<RunningApp> apps = SnapshotRunningApps();
    const auto it = std::find_if(apps.begin(), apps.end(), [&](const RunningApp& app) {
        return lstrcmpiA(app.path.c_str(), self.c_str()) == 0;
    });
    ASSERT_NE(it, apps.end()) << apps.size() << " processes listed";
    EXPECT_EQ(it->fileName, FileNameOf(self));
}

}  // namespace
}  // namespace wl
