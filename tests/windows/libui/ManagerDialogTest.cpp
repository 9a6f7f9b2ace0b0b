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
#include "tests/native/libui/LibUiTestSupport.h"
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
        MakeLibrary(Lib("english.lib"), {{"hello", ""}}, Dictionary, "English", 1, "Words");
        MakeLibrary(Lib("phrases.lib"), {{"brb", "be right back"}}, Shorthand, "", 0);
        WriteFile(Lib("broken.lib"), "not a library");
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
        auto m = std::make_unique<RecordingManager>(reg, libs, host);
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
    EXPECT_TRUE(Checked(list, english));
    EXPECT_EQ(Cell(list, phrases, 1), "Shorthand");
    EXPECT_EQ(Cell(list, phrases, 2), "Disable");
    EXPECT_FALSE(Checked(list, phrases));
    EXPECT_TRUE(Checked(list, broken));
}

TEST_F(ManagerDialog, OkWritesEveryCheckBoxCancelWritesNone) {
    {
        auto m = Open();
        HWND dlg = m->hwnd();
        SetChecked(List(dlg), RowOf(dlg, "English"), false);
        Click(dlg, IDCANCEL);
        EXPECT_EQ(m->Result(), IDCANCEL);
    }
    EXPECT_EQ(Switch(Lib("english.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("phrases.lib")), nullptr);

    auto m = Open();
    HWND dlg = m->hwnd();
    EXPECT_TRUE(Checked(List(dlg), RowOf(dlg, "English")));
    SetChecked(List(dlg), RowOf(dlg, "English"), false);
    Click(dlg, IDOK);
    EXPECT_EQ(m->Result(), IDOK);
    ASSERT_NE(Switch(Lib("english.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("english.lib"))->data, std::vector<unsigned char>{0});
    ASSERT_NE(Switch(Lib("phrases.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("phrases.lib"))->data, std::vector<unsigned char>{1});
    ASSERT_NE(Switch(Lib("broken.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("broken.lib"))->data, std::vector<unsigned char>{1});

    auto again = Open();
    EXPECT_FALSE(Checked(List(again->hwnd()), RowOf(again->hwnd(), "English")));
}

TEST_F(ManagerDialog, EditAndDoubleClickOpenTheFirstSelectedLibrary) {
    auto m = Open();
    HWND dlg = m->hwnd();
    Click(dlg, IDC_LIBMAN_EDIT);  // nothing selected: nothing happens
    EXPECT_TRUE(m->edits.empty());

    const int phrases = RowOf(dlg, "phrases.lib");
    const int english = RowOf(dlg, "English");
    Select(List(dlg), {phrases, english});
    Click(dlg, IDC_LIBMAN_EDIT);
    ASSERT_EQ(m->edits.size(), 1u);
    const int first = std::min(phrases, english);
    EXPECT_EQ(m->edits[0].first, Cell(List(dlg), first, 4));

    Select(List(dlg), {phrases});
    NMHDR click{List(dlg), IDC_LIBMAN_LIST, NM_DBLCLK};
    SendMessageA(dlg, WM_NOTIFY, IDC_LIBMAN_LIST, reinterpret_cast<LPARAM>(&click));
    ASSERT_EQ(m->edits.size(), 2u);
    EXPECT_EQ(m->edits[1].first, Lib("phrases.lib"));
    EXPECT_EQ(m->edits[1].second, 0);  // its editable flag

    // After the editor's OK the list is filled again; ticks not yet written
    // stay.
    SetChecked(List(dlg), RowOf(dlg, "English"), false);
    MakeLibrary(Lib("added.lib"), {});
    m->answer = true;
    Click(dlg, IDC_LIBMAN_EDIT);
    EXPECT_EQ(RowCount(List(dlg)), 4);
    EXPECT_FALSE(Checked(List(dlg), RowOf(dlg, "English")));
    EXPECT_TRUE(Checked(List(dlg), RowOf(dlg, "added.lib")));
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

TEST_F(ManagerDialog, EditRunsTheEditorAndShowsItsChanges) {
    CDlgLibManager m(reg, libs, host);
    ModalScript script;
    script
        .On("Libraries Manager",
            [&](HWND dlg) {
                HWND list = GetDlgItem(dlg, IDC_LIBMAN_LIST);
                for (int i = 0; i < RowCount(list); ++i)
                    if (Cell(list, i, 0) == "English") Select(list, {i});
                PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_LIBMAN_EDIT, BN_CLICKED), 0);
            })
        .On("Library Option", [&](HWND ed) {
            EXPECT_EQ(ItemText(ed, IDC_LIBOPT_NAME), "English");
            SetDlgItemTextA(ed, IDC_LIBOPT_NAME, "Renamed");
            PostMessageA(ed, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
    CloseWhenListed::caption = "Renamed";
    EXPECT_TRUE(script.Run([&] {
        const UINT_PTR closer = SetTimer(nullptr, 0, 20, &CloseWhenListed::Tick);
        m.DoModal(nullptr);
        KillTimer(nullptr, closer);
    }));
    EXPECT_EQ(m.Result(), IDOK);
    EXPECT_EQ(m.hwnd(), nullptr);
    Library lib;
    ASSERT_TRUE(lib.Open(Lib("english.lib").c_str()));
    EXPECT_STREQ(lib.GetCaption(), "Renamed");
}

TEST_F(ManagerDialog, NewCreatesTheLibraryAndOpensTheEditor) {
    std::filesystem::remove_all(libs);  // the folder is made for the first library
    CDlgLibManager m(reg, libs, host);
    ModalScript script;
    script
        .On("Libraries Manager",
            [&](HWND dlg) {
                EXPECT_EQ(RowCount(GetDlgItem(dlg, IDC_LIBMAN_LIST)), 0);
                PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_LIBMAN_NEW, BN_CLICKED), 0);
            })
        .On("New Library",
            [&](HWND nd) {
                // A bad name first: the dialog stays with the reason shown.
                SetDlgItemTextA(nd, IDC_LIBNEW_NAME, "bad|name");
                SendMessageA(nd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                EXPECT_TRUE(IsWindowVisible(nd));
                SetDlgItemTextA(nd, IDC_LIBNEW_NAME, "Mine");
                SendDlgItemMessageA(nd, IDC_LIBNEW_TYPE, CB_SETCURSEL, 1, 0);
                PostMessageA(nd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            })
        .On("Library Option", [&](HWND ed) {
            EXPECT_EQ(ItemText(ed, IDC_LIBOPT_NAME), "Mine");
            EXPECT_EQ(ColumnTitle(GetDlgItem(ed, IDC_LIBOPT_LIST), 0), "Shorthand");
            Type(ed, IDC_LIBOPT_QUERY, "hi");
            Type(ed, IDC_LIBOPT_FULLTEXT, "hello there");
            SendMessageA(ed, WM_COMMAND, MAKEWPARAM(IDC_LIBOPT_ADD, BN_CLICKED), 0);
            PostMessageA(ed, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            PostMessageA(GetWindow(ed, GW_OWNER), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
    EXPECT_TRUE(script.Run([&] { m.DoModal(nullptr); }));
    ASSERT_EQ(host.shown.size(), 2u);
    EXPECT_EQ(host.shown[0].title, "Wordlark - Error");
    EXPECT_EQ(host.shown[1].text, "Add data Succeed ");
    EXPECT_EQ(ReadLibrary(Lib("Mine.lib")), (Pairs{{"hi", "hello there"}}));
    ASSERT_EQ(m.logic().Rows().size(), 1u);
    EXPECT_EQ(m.logic().Rows()[0].typeText, "Shorthand");
    ASSERT_NE(Switch(Lib("Mine.lib")), nullptr);
    EXPECT_EQ(Switch(Lib("Mine.lib"))->data, std::vector<unsigned char>{1});
}

TEST_F(ManagerDialog, EntryPointAnswersOkAndCancel) {
    ModalScript cancel;
    cancel.On("Libraries Manager", [](HWND dlg) {
        SetChecked(GetDlgItem(dlg, IDC_LIBMAN_LIST), 0, false);
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    bool result = true;
    EXPECT_TRUE(cancel.Run([&] { result = RunLibrariesManager(nullptr, reg, libs); }));
    EXPECT_FALSE(result);
    EXPECT_EQ(Switch(Lib("english.lib")), nullptr);

    ModalScript ok;
    ok.On("Libraries Manager",
          [](HWND dlg) { PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); });
    EXPECT_TRUE(ok.Run([&] { result = RunLibrariesManager(nullptr, reg, libs); }));
    EXPECT_TRUE(result);
    EXPECT_NE(Switch(Lib("english.lib")), nullptr);

    // The program's own folder.
    const std::string own = ProgramLibsFolder();
    EXPECT_GT(own.size(), 5u);
    EXPECT_EQ(own.substr(own.size() - 5), "\\Libs");
}

TEST(DefaultHost, MessageBoxesCarryTitleAndButtons) {
    ModalScript script;
    script.On("Wordlark - Info", [](HWND box) {
        EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    int answer = 0;
    EXPECT_TRUE(script.Run([&] {
        answer = DefaultLibUiHost().ShowMessage(
            nullptr, {"Are you sure?", "Wordlark - Info", UiMessage::Icon::Question, true});
    }));
    EXPECT_EQ(answer, IDCANCEL);
}

}  // namespace
}  // namespace wl
