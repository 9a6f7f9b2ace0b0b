// The Applications Manager, the Application Option dialog and the running
// applications under Wine: driven by their controls' messages, closed with
// OK or Cancel, and the registry read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include "platform/Files.h"
#include "res/settings_resource.h"
#include "settings/Settings.h"
#include "settings/win32/DlgAppManager.h"
#include "settings/win32/DlgOptions.h"
#include "settings/win32/SettingsDialogs.h"
#include "tests/support/win32/Controls.h"
#include "tests/windows/settings/TestRegistry.h"

namespace wl {
namespace {

using namespace test;

HWND List(HWND dlg) {
    return GetDlgItem(dlg, IDC_APPMAN_LIST);  // IDC_RUNNING_LIST too
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

// One field of every stored application, by file name; and OthersEnableVemo.
template <typename T>
std::map<std::string, int> Stored(TestRegistry& reg, T AppSetting::*field,
                                  std::int32_t* others = nullptr) {
    std::int32_t policy = -1;
    std::map<std::string, int> stored;
    for (const AppSetting& app : ReadAppSettings(reg, policy)) stored[app.fileName] = app.*field;
    if (others) *others = policy;
    return stored;
}

::testing::AssertionResult Runs(DialogScript& script, const std::function<void()>& action) {
    if (script.Run(action)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ::testing::PrintToString(script.problems);
}

// A double-click on a row, as the list notifies it.
void DoubleClick(HWND dlg, int row) {
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = List(dlg);
    click.hdr.idFrom = IDC_APPMAN_LIST;
    click.hdr.code = NM_DBLCLK;
    click.iItem = row;
    SendMessageA(dlg, WM_NOTIFY, IDC_APPMAN_LIST, reinterpret_cast<LPARAM>(&click));
}

// The prediction box's state: BST_CHECKED, BST_UNCHECKED or
// BST_INDETERMINATE; likewise the clipboard box's.
LRESULT Box(HWND option, int id) {
    return SendDlgItemMessageA(option, id, BM_GETCHECK, 0, 0);
}

class AppManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
    }
    HWND Open(CDlgAppManager& dialog) {
        HWND hwnd = dialog.Create(nullptr);
        EXPECT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        return hwnd;
    }
    // The running applications the manager is offered.
    RunningAppsSource Running() {
        return [this] { return running; };
    }
    // "Add" with every running application chosen; option answers
    // "Application Option".
    ::testing::AssertionResult AddAll(HWND dlg, const DialogScript::Step& option) {
        DialogScript add;
        add.On("Applications",
               [](HWND apps) {
                   LVITEMA all{};
                   all.stateMask = all.state = LVIS_SELECTED;
                   SendMessageA(List(apps), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(&all));
                   Click(apps, IDOK);
               })
            .On("Application Option", option);
        return Runs(add, [&] { Click(dlg, IDC_APPMAN_ADD); });
    }
    ::testing::AssertionResult Edit(HWND dlg, int row, const DialogScript::Step& option) {
        return Runs(DialogScript().On("Application Option", option),
                    [&] { DoubleClick(dlg, row); });
    }

    TestRegistry reg;
    std::string notepad = SystemFile("notepad.exe"), winver = SystemFile("winver.exe");
    std::vector<RunningApp> running;
};

TEST_F(AppManagerTest, ShowsTheStoredApplicationsAndReplacesThemOnOk) {
    StoreApp(reg, "a.exe", 1, notepad);
    StoreApp(reg, "b.exe", 0, "C:\\nowhere\\b.exe");
    StoreApp(reg, "c.exe", 1, "C:\\nowhere\\c.exe");
    CDlgAppManager dialog(reg, SystemCodePage(), Running());
    HWND dlg = Open(dialog);
    ASSERT_NE(dlg, nullptr);
    // The reverse of the store's order.
    HWND list = List(dlg);
    EXPECT_EQ(Cells(list), (std::vector<std::string>{"c.exe", "b.exe", "a.exe"}));
    EXPECT_EQ(Cells(list, 1), (std::vector<std::string>{"Enable", "Disable", "Enable"}));
    EXPECT_EQ(Row(list, 1).lParam, 0);
    EXPECT_EQ(Row(list, 2).lParam, 1);
    EXPECT_EQ(Cell(list, 2, 2), notepad);
    // A program's icon, and none for a file that is not there.
    EXPECT_GE(Row(list, 2).iImage, 0);
    EXPECT_LT(Row(list, 0).iImage, 0);

    Select(list, {0, 2});
    Click(dlg, IDC_APPMAN_DELETE);
    EXPECT_EQ(Cells(list), std::vector<std::string>{"b.exe"});
    Click(dlg, IDC_APPMAN_DISABLE);
    Click(dlg, IDOK);
    EXPECT_EQ(dialog.Result(), IDOK);
    EXPECT_TRUE(dialog.allWritten());

    std::int32_t others = -1;
    ASSERT_EQ(Stored(reg, &AppSetting::enable, &others),
              (std::map<std::string, int>{{"b.exe", 0}}));
    EXPECT_EQ(others, 0);
    EXPECT_EQ(ReadAppSettings(reg, others)[0].path, "C:\\nowhere\\b.exe");
    DWORD type = 0;
    std::string path;
    ASSERT_TRUE(reg.Raw(reg::kAppOptionPrefix + std::string("b.exe"), "Path", type, path));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // Written without a terminator; the system (Wine as Windows NT) counts the
    // NUL that follows the data in memory.
    EXPECT_TRUE(path == "C:\\nowhere\\b.exe" || path == std::string("C:\\nowhere\\b.exe", 17))
        << path.size();

    // Every row deleted: no application is left, the policy is still written.
    CDlgAppManager again(reg, SystemCodePage(), Running());
    dlg = Open(again);
    EXPECT_TRUE(Checked(dlg, IDC_APPMAN_DISABLE));
    Select(List(dlg), {0});
    Click(dlg, IDC_APPMAN_DELETE);
    Click(dlg, IDC_APPMAN_ENABLE);
    Click(dlg, IDOK);
    EXPECT_TRUE(Stored(reg, &AppSetting::enable, &others).empty());
    EXPECT_EQ(others, 1);
}

TEST_F(AppManagerTest, AddingAnUnknownApplicationPreselectsDisable) {
    running = {{"notepad.exe", notepad}, {"winver.exe", winver}};
    CDlgAppManager dialog(reg, SystemCodePage(), Running());
    HWND dlg = Open(dialog);
    DialogScript add;
    add.On("Applications",
           [&](HWND apps) {
               // The last process of the snapshot is on top.
               EXPECT_EQ(Cells(List(apps)),
                         (std::vector<std::string>{"winver.exe", "notepad.exe"}));
               EXPECT_EQ(Cell(List(apps), 0, 1), winver);
               EXPECT_GE(Row(List(apps), 1).iImage, 0);
               Select(List(apps), {1});
               Click(apps, IDOK);
           })
        .On("Application Option", [&](HWND option) {
            EXPECT_EQ(ItemText(option, IDC_APPOPT_PATHS), notepad + "\r\n");
            EXPECT_TRUE(Checked(option, IDC_APPOPT_DISABLE));
            EXPECT_FALSE(Checked(option, IDC_APPOPT_ENABLE));
            Click(option, IDOK);
        });
    ASSERT_TRUE(Runs(add, [&] { Click(dlg, IDC_APPMAN_ADD); }));
    HWND list = List(dlg);
    ASSERT_EQ(Cells(list), std::vector<std::string>{"notepad.exe"});
    EXPECT_EQ(Cell(list, 0, 1), "Disable");
    EXPECT_EQ(Row(list, 0).lParam, 0);
    EXPECT_EQ(Cell(list, 0, 2), notepad);
    EXPECT_GE(Row(list, 0).iImage, 0);
    Click(dlg, IDOK);
    EXPECT_EQ(Stored(reg, &AppSetting::enable), (std::map<std::string, int>{{"notepad.exe", 0}}));
}

// Prediction is switched per application beside its on/off: the box is
// enabled only with "Enable", keeps its tick without, shows a mix of the
// applications' own switches as such, and each row keeps its own unless
// chosen.
TEST_F(AppManagerTest, PredictionIsSwitchedPerApplicationBesideItsState) {
    const std::string a = "C:\\nowhere\\a.exe", c = "C:\\nowhere\\c.exe";
    StoreApp(reg, "a.exe", 1, a);
    StoreApp(reg, "c.exe", 1, c);
    RegKey(reg, RegRoot::LocalMachine, reg::kAppOptionPrefix + std::string("a.exe"), true)
        .WriteBinary("EnablePredict", std::uint8_t{0});
    StoreApp(reg, "off.exe", 0, "C:\\nowhere\\off.exe");
    CDlgAppManager dialog(reg, SystemCodePage(), Running());
    HWND dlg = Open(dialog);
    HWND list = List(dlg);
    ASSERT_EQ(Cells(list), (std::vector<std::string>{"off.exe", "c.exe", "a.exe"}));
    EXPECT_EQ(Cells(list, 3), (std::vector<std::string>{"", "On", "Off"}));

    // Two applications whose switches differ: the box shows the mix, and OK
    // without a click keeps each one's own.
    running = {{"a.exe", a}, {"c.exe", c}};
    ASSERT_TRUE(AddAll(dlg, [](HWND option) {
        EXPECT_TRUE(Checked(option, IDC_APPOPT_ENABLE));
        EXPECT_EQ(Box(option, IDC_APPOPT_PREDICT), BST_INDETERMINATE);
        Click(option, IDOK);
    }));
    EXPECT_EQ(Cells(list, 3), (std::vector<std::string>{"", "On", "Off"}));

    // a.exe edited: the box follows "Enable" and keeps its tick; ticked, the
    // application predicts.
    ASSERT_TRUE(Edit(dlg, 2, [](HWND option) {
        EXPECT_TRUE(Checked(option, IDC_APPOPT_ENABLE));
        EXPECT_EQ(Box(option, IDC_APPOPT_PREDICT), BST_UNCHECKED);
        EXPECT_TRUE(Enabled(option, IDC_APPOPT_PREDICT));
        Click(option, IDC_APPOPT_PREDICT);
        Click(option, IDC_APPOPT_DISABLE);
        EXPECT_FALSE(Enabled(option, IDC_APPOPT_PREDICT));
        EXPECT_EQ(Box(option, IDC_APPOPT_PREDICT), BST_CHECKED);
        Click(option, IDC_APPOPT_ENABLE);
        EXPECT_TRUE(Enabled(option, IDC_APPOPT_PREDICT));
        Click(option, IDOK);
    }));
    EXPECT_EQ(Cells(list, 3), (std::vector<std::string>{"", "On", "On"}));

    // One more, unknown, switched on without prediction.
    running = {{"winver.exe", winver}};
    ASSERT_TRUE(AddAll(dlg, [](HWND option) {
        // Unknown: "Disable", and the box ticked (missing is on) but
        // without effect.
        EXPECT_TRUE(Checked(option, IDC_APPOPT_DISABLE));
        EXPECT_EQ(Box(option, IDC_APPOPT_PREDICT), BST_CHECKED);
        EXPECT_FALSE(Enabled(option, IDC_APPOPT_PREDICT));
        Click(option, IDC_APPOPT_ENABLE);
        Click(option, IDC_APPOPT_PREDICT);
        EXPECT_EQ(Box(option, IDC_APPOPT_PREDICT), BST_UNCHECKED);
        Click(option, IDOK);
    }));
    EXPECT_EQ(Cells(list), (std::vector<std::string>{"off.exe", "c.exe", "a.exe", "winver.exe"}));
    EXPECT_EQ(Cells(list, 3), (std::vector<std::string>{"", "On", "On", "Off"}));

    Click(dlg, IDOK);
    EXPECT_EQ(Stored(reg, &AppSetting::predict),
              (std::map<std::string, int>{
                  {"off.exe", 1}, {"c.exe", 1}, {"a.exe", 1}, {"winver.exe", 0}}));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(
        reg.Raw(reg::kAppOptionPrefix + std::string("winver.exe"), "EnablePredict", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, std::string(1, '\0'));
}

// "Type through the clipboard": ticked for a console host without a value,
// clear for another application, and what the box says is saved.
TEST_F(AppManagerTest, TypingThroughTheClipboardIsSetPerApplication) {
    StoreApp(reg, "cmd.exe", 1, "C:\\nowhere\\cmd.exe");
    CDlgAppManager dialog(reg, SystemCodePage(), Running());
    HWND dlg = Open(dialog);
    ASSERT_TRUE(Edit(dlg, 0, [](HWND option) {
        EXPECT_EQ(Box(option, IDC_APPOPT_CLIPBOARD), BST_CHECKED);
        Click(option, IDC_APPOPT_CLIPBOARD);
        EXPECT_EQ(Box(option, IDC_APPOPT_CLIPBOARD), BST_UNCHECKED);
        Click(option, IDOK);
    }));
    running = {{"winver.exe", winver}};
    ASSERT_TRUE(AddAll(dlg, [](HWND option) {
        EXPECT_EQ(Box(option, IDC_APPOPT_CLIPBOARD), BST_UNCHECKED);
        Click(option, IDC_APPOPT_CLIPBOARD);
        Click(option, IDOK);
    }));
    Click(dlg, IDOK);
    EXPECT_EQ(Stored(reg, &AppSetting::clipboard),
              (std::map<std::string, int>{{"cmd.exe", 0}, {"winver.exe", 1}}));
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
