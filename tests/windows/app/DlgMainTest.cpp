#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "hook/SharedRecordCheck.h"
#include "settings/Settings.h"
#include "tests/support/Libraries.h"
#include "tests/windows/app/AppTestSupport.h"

namespace wl {
namespace {

using namespace test;

int Width(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.right - r.left;
}

struct MainWindow : MainWindowTest {
    void SetUp() override {
        MakeLibrary(dir / "Libs\\English.lib", {{"apple", "a fruit"},
                                                {"application", "application"},
                                                {"apply", ""},
                                                {"approximately", "about"},
                                                {"banana", ""}});
        MakeLibrary(dir / "Libs\\Shorthand.lib",
                    {{"brb", "be right back"}, {"apx", "approximately"}}, {.type = Shorthand});
        Start();
    }
    LRESULT Select(int request) {
        return SendMessageA(hwnd, vemo::WM_SELECT_KEY, static_cast<WPARAM>(request), 0);
    }
};

TEST_F(MainWindow, AnswersLookupsWithRowsInMergedOrder) {
    EXPECT_EQ(Lookup("ap"), 0);
    EXPECT_EQ(Cells(list),
              (std::vector<std::string>{"apple", "application", "apply", "approximately", "apx"}));
    EXPECT_EQ(Row(list, 3).lParam, 3);
    EXPECT_EQ(FirstSelected(list), 0);
    EXPECT_EQ(vemo.replaceText, "apple");
    EXPECT_EQ(vemo.replaceMode, vemo::REPLACE_KEEP);
    EXPECT_EQ(dlg->tip().text(), "a fruit");

    // The hook library, not the window, shows it: the answer leaves it hidden.
    EXPECT_FALSE(IsWindowVisible(hwnd));

    EXPECT_EQ(Select(vemo::SELECT_NEXT), 0);
    EXPECT_EQ(FirstSelected(list), 1);
    EXPECT_EQ(vemo.replaceText, "application");
    EXPECT_EQ(dlg->tip().text(), "");  // the remark repeats the word

    EXPECT_EQ(Select(4), 0);
    EXPECT_EQ(vemo.replaceText, "approximately");  // the shorthand's expansion
    EXPECT_EQ(vemo.replaceMode, vemo::REPLACE_WORD);
    EXPECT_EQ(dlg->tip().style(), TIP_STYLE_EXPANSION);
    EXPECT_EQ(Select(7), 1);  // beyond the five rows
    EXPECT_EQ(FirstSelected(list), 4);

    EXPECT_EQ(Lookup("zzz"), 1);
    EXPECT_TRUE(Cells(list).empty());
}

TEST_F(MainWindow, TheWindowFollowsTheWidestRowAndAScrollBarWouldNotCoverIt) {
    ASSERT_EQ(Lookup("ban"), 0);
    const int narrow = Width(hwnd);
    ASSERT_EQ(Lookup("approx"), 0);
    EXPECT_GT(Width(hwnd), narrow);
    int labels = 0;  // one per row
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE))
            ++labels;
    }
    EXPECT_EQ(labels, 1);
    // Pages of several rows, which a list made smaller scrolls.
    for (const char* word : {"ap", "appl"}) {
        ASSERT_EQ(Lookup(word), 0) << word;
        RECT client;
        GetClientRect(list, &client);
        EXPECT_GE(client.right - GetSystemMetrics(SM_CXVSCROLL), ListView_GetColumnWidth(list, 0))
            << word;
    }
}

// Reads the open tray menu's default item and the switch's text, then
// closes the menu.
bool g_menuSeen = false;
UINT g_menuDefault = 0;
std::string g_switchText;
void CALLBACK ReadTrayMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = FindWindowA("#32768", nullptr);
    if (!popup || !IsWindowVisible(popup)) return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    if (!menu) return;
    g_menuSeen = true;
    g_menuDefault = GetMenuDefaultItem(menu, FALSE, 0);
    char text[64] = {};
    GetMenuStringA(menu, ID_TRAY_TOGGLE, text, sizeof text, MF_BYCOMMAND);
    g_switchText = text;
    EndMenu();
}

TEST_F(MainWindow, TheTrayMenuKeepsTheSwitchAsItsDefaultItem) {
    HWND tray = nullptr;
    while ((tray = FindWindowExA(nullptr, tray, "CSystemTray", nullptr)) &&
           GetWindowThreadProcessId(tray, nullptr) != GetCurrentThreadId()) {
    }
    ASSERT_NE(tray, nullptr);
    // The first menu after start-up, then one after the list was shown and
    // hidden as the hook library shows and hides it.
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            ShowWindow(hwnd, SW_SHOWNA);
            ShowWindow(hwnd, SW_HIDE);
        }
        g_menuSeen = false;
        g_menuDefault = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadTrayMenu);
        SendMessageA(tray, WM_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP);
        KillTimer(nullptr, timer);
        ASSERT_TRUE(g_menuSeen) << round;
        EXPECT_EQ(g_switchText, "Disable &Wordlark") << round;  // set before the default
        EXPECT_EQ(g_menuDefault, static_cast<UINT>(ID_TRAY_TOGGLE)) << round;
    }
}

TEST_F(MainWindow, TheWindowGoingLeavesEachResourceToOneOwner) {
    HIMAGELIST images = ListView_GetImageList(list, LVSIL_SMALL);
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(ImageList_GetImageCount(images), 5);
    HWND tip = dlg->tip().hwnd();
    ASSERT_TRUE(IsWindow(tip));
    DestroyWindow(hwnd);  // as at the end of the modal run
    // The tip went with its owner, and its object no longer holds a handle
    // that another window may be given.
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(dlg->tip().hwnd(), nullptr);
    // The candidate images are the window object's to destroy, not the list's.
    EXPECT_EQ(ImageList_GetImageCount(images), 5);
}

TEST_F(MainWindow, TraySwitchesAreWrittenAndTakeEffectAtTheNextLookup) {
    Command(ID_TRAY_WORD);
    EXPECT_EQ(ReadSwitch(reg, reg::kEnableWord, 1), 0);
    EXPECT_EQ(Rows("ap"), std::vector<std::string>{"apx"});
    Command(ID_TRAY_SHORTHAND);
    EXPECT_EQ(Lookup("ap"), 1);
    Command(ID_TRAY_WORD);
    EXPECT_EQ(ReadSwitch(reg, reg::kEnableWord, 0), 1);
    EXPECT_EQ(Lookup("ap"), 0);
}

// Without libraries: an empty Libs folder.
TEST_F(MainWindowTest, NoLibraryAsksOnceAndStartsTheHookAnyway) {
    DialogScript question;
    question.On("Wordlark - Error", [](HWND box) {
        EXPECT_EQ(MessageText(box),
                  "No library had loaded! \n Are you wanted  to load the Libraries Manager now?");
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(question.Run([&] { Start(); })) << ::testing::PrintToString(question.problems);
    EXPECT_EQ(vemo.beginCalls, 1);
    EXPECT_EQ(Lookup("ap"), 1);
}

// The hook library refused the shared record it found (another account's):
// the user is told why at start-up, once.
TEST_F(MainWindowTest, ARefusedRecordIsToldAtStartUp) {
    MakeLibrary(dir / "Libs\\English.lib", {{"apple", ""}});
    vemo.recordStatus = static_cast<int>(RecordStatus::kOtherOwner);
    std::string told;
    DialogScript refusal;
    refusal.On("Wordlark - Error", [&](HWND box) {
        told = MessageText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(refusal.Run([&] { Start(); })) << ::testing::PrintToString(refusal.problems);
    EXPECT_EQ(told, RecordRefusalText(vemo.recordStatus));
    EXPECT_NE(told.find("Completion and learning are off"), std::string::npos);
    EXPECT_TRUE(DialogScript().Run([&] {  // not again when switched on later
        Command(ID_TRAY_TOGGLE);
        Command(ID_TRAY_TOGGLE);
    }));
}

TEST_F(MainWindow, ADialogFromTheTrayHidesTheListAndGivesTheFocusBack) {
    ASSERT_EQ(Lookup("app"), 0);
    ShowWindow(hwnd, SW_SHOWNA);  // as the hook library shows the list
    DialogScript manager;
    manager.On("Libraries Manager", [](HWND box) { Click(box, IDOK); });
    ASSERT_TRUE(manager.Run([&] { Command(ID_TRAY_LIB_MANAGER); }))
        << ::testing::PrintToString(manager.problems);
    // Hidden before the dialog ran (closing it would have activated the
    // list), and the application with the caret was given the focus back.
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(vemo.oldFocusCalls, 1);
    EXPECT_TRUE(Cells(list).empty());  // the reload dropped the old candidates
    // Commands without a dialog leave the focus alone.
    Command(ID_TRAY_WORD);
    EXPECT_EQ(vemo.oldFocusCalls, 1);
}

}  // namespace
}  // namespace wl
