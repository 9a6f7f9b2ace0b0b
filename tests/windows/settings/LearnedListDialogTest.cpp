// "Learned words" under Wine: the owner-data list filled from the learned
// data, sorted by a click on either column's header, and the selected words
// removed with "Remove", which only a selection enables.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "res/settings_resource.h"
#include "settings/win32/DlgLearnedList.h"
#include "tests/support/FakeLearned.h"
#include "tests/support/win32/Controls.h"

namespace wl {
namespace {

using namespace test;
using Words = std::vector<std::string>;

// A click on a column's header, as the list tells its dialog.
void ClickHeader(HWND dlg, int column) {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = GetDlgItem(dlg, IDC_LEARNED_LIST);
    click.hdr.idFrom = IDC_LEARNED_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(dlg, WM_NOTIFY, IDC_LEARNED_LIST, reinterpret_cast<LPARAM>(&click));
}

TEST(LearnedListDialog, SortsByEitherColumnAndRemovesTheSelectedWords) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    FakeLearned learned;
    learned.rows = {{"apple", "apple", 2}, {"Berlin", "berlin", 1234}, {"cherry", "cherry", 5}};
    CDlgLearnedList dialog(learned);
    HWND dlg = dialog.Create(nullptr);
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, IDC_LEARNED_LIST);
    EXPECT_EQ(Cells(list), (Words{"apple", "Berlin", "cherry"}));
    EXPECT_EQ(Cells(list, 1), (Words{"2", "1,234", "5"}));
    EXPECT_FALSE(Enabled(dlg, IDC_LEARNED_REMOVE));

    Select(list, {0, 2});  // apple, cherry
    EXPECT_TRUE(Enabled(dlg, IDC_LEARNED_REMOVE));
    ClickHeader(dlg, 1);  // the most used first; the selection stays with its words
    EXPECT_EQ(Cells(list), (Words{"Berlin", "cherry", "apple"}));
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 2);
    EXPECT_EQ(FirstSelected(list), 1);
    ClickHeader(dlg, 1);
    EXPECT_EQ(Cells(list), (Words{"apple", "cherry", "Berlin"}));

    Click(dlg, IDC_LEARNED_REMOVE);
    EXPECT_EQ(learned.removed, (std::vector<Words>{{"apple", "cherry"}}));
    EXPECT_EQ(Cells(list), Words{"Berlin"});
    EXPECT_FALSE(Enabled(dlg, IDC_LEARNED_REMOVE));
    Select(list, {});
    EXPECT_FALSE(Enabled(dlg, IDC_LEARNED_REMOVE));

    // A write that fails is told; the word is gone from the list all the same.
    learned.writeFails = true;
    Select(list, {0});
    DialogScript failed;
    failed.On(LearnedListModel::kRemoveFailedTitle, [](HWND box) {
        EXPECT_NE(MessageText(box).find("could not be written"), std::string::npos);
        Click(box, IDOK);
    });
    ASSERT_TRUE(failed.Run([&] { Click(dlg, IDC_LEARNED_REMOVE); }))
        << ::testing::PrintToString(failed.problems);
    EXPECT_EQ(RowCount(list), 0);

    Click(dlg, IDCANCEL);
    EXPECT_EQ(dialog.Result(), IDCANCEL);
}

}  // namespace
}  // namespace wl
