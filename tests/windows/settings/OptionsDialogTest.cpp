// The Options dialog under Wine: created, driven by its controls' messages,
// closed with OK or Cancel, and the registry read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "res/settings_resource.h"
#include "settings/win32/DlgOptions.h"
#include "settings/win32/SettingsDialogs.h"
#include "tests/support/FakeLearned.h"
#include "tests/support/win32/Controls.h"
#include "tests/windows/settings/TestRegistry.h"

namespace wl {
namespace {

using namespace test;
using test::FakeLearned;

const std::string kExe = "C:\\Program Files\\Wordlark\\VemoShow.exe";

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
std::wstring Label(HWND page, int id) {
    wchar_t label[64] = {};
    GetWindowTextW(GetDlgItem(page, id), label, 64);
    return label;
}
::testing::AssertionResult Runs(DialogScript& script, const std::function<void()>& action) {
    if (script.Run(action)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ::testing::PrintToString(script.problems);
}

class OptionsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_TREEVIEW_CLASSES | ICC_HOTKEY_CLASS};
        InitCommonControlsEx(&init);
    }
    // Opens the dialog modeless, as a user would see it.
    static HWND Open(CDlgOptions& dialog) {
        HWND hwnd = dialog.Create(nullptr);
        EXPECT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        return hwnd;
    }
    // Selects the second page in the tree as a click would; answers it.
    static HWND ShowOthers(CDlgOptions& dialog) {
        if (!dialog.hwnd()) Open(dialog);
        HWND tree = GetDlgItem(dialog.hwnd(), IDC_OPTIONS_TREE);
        const LRESULT first = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET,
                     SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, first));
        return dialog.othersPage();
    }

    TestRegistry reg;
};

TEST_F(OptionsDialogTest, ClicksAreStoredOnOkAndNothingOnCancel) {
    // The same clicks, cancelled, then confirmed.
    auto clickAll = [&](CDlgOptions& dialog) {
        Open(dialog);
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
        HWND others = ShowOthers(dialog);
        for (int box : {IDC_OTHERS_WORD, IDC_OTHERS_STARTUP, IDC_OTHERS_SMART, IDC_OTHERS_SPACE,
                        IDC_OTHERS_PREDICT, IDC_OTHERS_LEARNNEW, IDC_OTHERS_LEARN})
            Click(others, box);
        EXPECT_FALSE(Checked(others, IDC_OTHERS_WORD));
    };
    DWORD type = 0;
    std::string run;
    CDlgOptions cancelled(reg, kExe);
    clickAll(cancelled);
    Click(cancelled.hwnd(), IDCANCEL);
    EXPECT_EQ(cancelled.Result(), IDCANCEL);
    for (const char* name :
         {"bEnableWord", "bEnableShorthand", "dwEnableVemo", "vkSelectPrev", "vkSelectNext",
          "vkSelectPageUp", "vkSelectPageDown", "vkSelectIndex", "vkSelect", "bSmartOrder",
          "bSpaceAfter", "bLearn", "bLearnNew", "bPredict"})
        EXPECT_EQ(Stored(reg, name), "") << name;
    EXPECT_FALSE(reg.Raw(reg::kRunKey, "Wordlark", type, run));

    CDlgOptions dialog(reg, kExe);
    clickAll(dialog);
    HWND dlg = dialog.hwnd();
    Click(dlg, IDOK);
    EXPECT_EQ(dialog.Result(), IDOK);
    EXPECT_FALSE(IsWindow(dlg));
    const OptionsResult& result = dialog.result();
    EXPECT_TRUE(result.allWritten);
    EXPECT_EQ(result.bEnableWord, 0);
    EXPECT_EQ(result.bEnableShorthand, 1);
    EXPECT_EQ(result.dwEnableVemo, 0x00050075u);
    EXPECT_EQ(result.suggestions.smartOrder, 1);
    EXPECT_EQ(result.suggestions.spaceAfter, 1);
    EXPECT_EQ(result.suggestions.learn, 0);
    EXPECT_EQ(result.suggestions.learnNew, 1);  // disabled, and kept as it was ticked
    EXPECT_EQ(result.suggestions.predict, 1);

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
    EXPECT_EQ(Stored(reg, "bPredict"), Bytes({1, 0, 0, 0}));
    ASSERT_TRUE(reg.Raw(reg::kRunKey, "Wordlark", type, run));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(run.size(), 260u);
    EXPECT_EQ(run.substr(0, kExe.size() + 1), kExe + '\0');

    // Reopened, the dialog shows what was stored; unticking the start with
    // Windows removes the Run value.
    CDlgOptions again(reg, kExe);
    dlg = Open(again);
    HWND hotkeys = again.hotkeyPage();
    for (int box : {IDC_HOTKEY_BRACKETS, IDC_HOTKEY_MINUSPLUS, IDC_HOTKEY_FKEYS})
        EXPECT_TRUE(Checked(hotkeys, box)) << box;
    EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_EDIT, HKM_GETHOTKEY, 0, 0) & 0xFFFF, 0x0575);
    EXPECT_EQ(SendDlgItemMessageA(hotkeys, IDC_HOTKEY_COMPLETE, LB_GETSELCOUNT, 0, 0), 2);
    HWND others = ShowOthers(again);
    EXPECT_TRUE(Checked(others, IDC_OTHERS_STARTUP));
    EXPECT_TRUE(Checked(others, IDC_OTHERS_SMART));
    EXPECT_TRUE(Checked(others, IDC_OTHERS_SPACE));
    EXPECT_FALSE(Checked(others, IDC_OTHERS_LEARN));
    EXPECT_TRUE(Checked(others, IDC_OTHERS_LEARNNEW));
    EXPECT_TRUE(Checked(others, IDC_OTHERS_PREDICT));
    EXPECT_TRUE(Enabled(others, IDC_OTHERS_PREDICT));
    EXPECT_TRUE(Enabled(others, IDC_OTHERS_LEARN));
    EXPECT_FALSE(Enabled(others, IDC_OTHERS_LEARNNEW));
    Click(others, IDC_OTHERS_STARTUP);
    Click(dlg, IDOK);
    EXPECT_FALSE(reg.Raw(reg::kRunKey, "Wordlark", type, run));
}

TEST_F(OptionsDialogTest, ThePredictionAndLearningBoxesFollowTheSmartBox) {
    CDlgOptions dialog(reg, kExe);
    HWND others = ShowOthers(dialog);
    // As Wordlark comes: learning ticked and prediction not, both without
    // effect (disabled) until the most likely words come first (the first
    // step below).
    // Without learned data there is no count and nothing to forget.
    EXPECT_FALSE(Checked(others, IDC_OTHERS_SPACE));
    for (int id : {IDC_OTHERS_LEARNED, IDC_OTHERS_FORGET})
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(others, id))) << id;

    // Each click, and the boxes' ticks and enabled states after it (the
    // prediction box is enabled with the smart box).
    const struct {
        int click;
        bool smart, learn, learnNew, predict, learnEnabled, learnNewEnabled;
    } steps[] = {
        {0, false, true, false, false, false, false},
        {IDC_OTHERS_SMART, true, true, false, false, true, true},
        {IDC_OTHERS_PREDICT, true, true, false, true, true, true},
        {IDC_OTHERS_LEARNNEW, true, true, true, true, true, true},
        {IDC_OTHERS_LEARN, true, false, true, true, true, false},
        {IDC_OTHERS_SMART, false, false, true, true, false, false},
        {IDC_OTHERS_SMART, true, false, true, true, true, false},
        {IDC_OTHERS_SPACE, true, false, true, true, true, false},
        {IDC_OTHERS_PREDICT, true, false, true, false, true, false},
    };
    for (const auto& step : steps) {
        if (step.click) Click(others, step.click);
        SCOPED_TRACE(::testing::Message() << "after clicking " << step.click);
        EXPECT_EQ(Checked(others, IDC_OTHERS_SMART), step.smart);
        EXPECT_EQ(Checked(others, IDC_OTHERS_LEARN), step.learn);
        EXPECT_EQ(Checked(others, IDC_OTHERS_LEARNNEW), step.learnNew);
        EXPECT_EQ(Checked(others, IDC_OTHERS_PREDICT), step.predict);
        EXPECT_EQ(Enabled(others, IDC_OTHERS_PREDICT), step.smart);
        EXPECT_EQ(Enabled(others, IDC_OTHERS_LEARN), step.learnEnabled);
        EXPECT_EQ(Enabled(others, IDC_OTHERS_LEARNNEW), step.learnNewEnabled);
        EXPECT_TRUE(Enabled(others, IDC_OTHERS_SMART));
        EXPECT_TRUE(Enabled(others, IDC_OTHERS_SPACE));
    }
    Click(dialog.hwnd(), IDCANCEL);
}

TEST_F(OptionsDialogTest, LearnedWordsAreListedRemovedAndForgottenOnlyOnYes) {
    FakeLearned learned(1234);
    CDlgOptions dialog(reg, kExe, &learned);
    HWND others = ShowOthers(dialog);
    for (int id : {IDC_OTHERS_LEARNED, IDC_OTHERS_FORGET, IDC_OTHERS_SHOW})
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(others, id))) << id;
    EXPECT_EQ(ItemText(others, IDC_OTHERS_LEARNED), "1,234 words learned");
    // Forgetting does not depend on learning being on.
    EXPECT_TRUE(Enabled(others, IDC_OTHERS_FORGET));
    EXPECT_FALSE(Checked(others, IDC_OTHERS_SMART));
    EXPECT_EQ(Label(others, IDC_OTHERS_FORGET), L"Forget what was learned\u2026");
    EXPECT_EQ(Label(others, IDC_OTHERS_SHOW), L"Show what was learned\u2026");
    // Side by side, each label fits its button.
    for (int id : {IDC_OTHERS_SHOW, IDC_OTHERS_FORGET}) {
        HWND button = GetDlgItem(others, id);
        const std::wstring label = Label(others, id);
        HDC dc = GetDC(button);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
        SIZE text{};
        GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &text);
        SelectObject(dc, old);
        ReleaseDC(button, dc);
        RECT r{};
        GetClientRect(button, &r);
        EXPECT_LE(text.cx + 2 * GetSystemMetrics(SM_CXEDGE), r.right - r.left) << id;
    }

    // "Show what was learned...": a word removed there leaves the count.
    DialogScript show;
    show.On("Learned words", [](HWND list) {
        HWND rows = GetDlgItem(list, IDC_LEARNED_LIST);
        ASSERT_EQ(RowCount(rows), 1234);
        EXPECT_EQ(Cell(rows, 1, 0), "word0001");
        Select(rows, {1});
        Click(list, IDC_LEARNED_REMOVE);
        Click(list, IDCANCEL);
    });
    ASSERT_TRUE(Runs(show, [&] { Click(others, IDC_OTHERS_SHOW); }));
    EXPECT_EQ(learned.removed, std::vector<std::vector<std::string>>{{"word0001"}});

    // Each answer to "Forget...", and what is left after it.
    const struct {
        int answer;
        int forgotten;
        const char* count;
    } answers[] = {
        {IDNO, 0, "1,233 words learned"},
        {IDYES, 1, "No words learned yet"},
    };
    for (const auto& a : answers) {
        SCOPED_TRACE(a.answer == IDYES ? "Yes" : "No");
        DialogScript forget;
        forget.On("Wordlark", [&](HWND box) {
            const std::string text = MessageText(box);
            EXPECT_NE(text.find("Forget every word"), std::string::npos) << text;
            EXPECT_NE(text.find("Cancel"), std::string::npos) << text;
            EXPECT_NE(text.find("cannot be undone"), std::string::npos) << text;
            EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
            // No is the default answer.
            EXPECT_TRUE(SendDlgItemMessageA(box, IDNO, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);
            EXPECT_FALSE(SendDlgItemMessageA(box, IDYES, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);
            Click(box, a.answer);
        });
        ASSERT_TRUE(Runs(forget, [&] { Click(others, IDC_OTHERS_FORGET); }));
        EXPECT_EQ(learned.forgotten, a.forgotten);
        EXPECT_EQ(ItemText(others, IDC_OTHERS_LEARNED), a.count);
    }

    // Cancel afterwards brings nothing back and writes nothing.
    Click(dialog.hwnd(), IDCANCEL);
    EXPECT_EQ(learned.forgotten, 1);
    EXPECT_TRUE(learned.rows.empty());
    EXPECT_EQ(Stored(reg, "bLearn"), "");
}

TEST_F(OptionsDialogTest, FilesForgettingLeftBehindAreToldAndTheCountDoesNotSayNone) {
    FakeLearned learned(5);
    learned.left = {"C:\\Users\\pat\\AppData\\Local\\Wordlark\\learned.dat"};
    CDlgOptions dialog(reg, kExe, &learned);
    HWND others = ShowOthers(dialog);
    DialogScript forget;
    forget.On("Wordlark", [](HWND box) { Click(box, IDYES); }).On("Wordlark - Error", [](HWND box) {
        const std::string text = MessageText(box);
        EXPECT_NE(text.find("left in C:\\Users\\pat\\AppData\\Local\\Wordlark:"), std::string::npos)
            << text;
        EXPECT_NE(text.find("\nlearned.dat\n"), std::string::npos) << text;
        Click(box, IDOK);
    });
    ASSERT_TRUE(Runs(forget, [&] { Click(others, IDC_OTHERS_FORGET); }));
    EXPECT_EQ(ItemText(others, IDC_OTHERS_LEARNED), OptionOthersPage::kNotAllForgotten);
    Click(dialog.hwnd(), IDCANCEL);
}

}  // namespace
}  // namespace wl
