// The library editor under Wine imports another text expander's file: the
// file dialog is asked for a file to read, the summary names what was
// skipped, and the list shows what was stored.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "libui/win32/DlgLibOption.h"
#include "platform/MemoryRegistry.h"
#include "res/libui_resource.h"
#include "platform/CodePage.h"
#include "tests/support/Files.h"
#include "tests/support/Libraries.h"
#include "tests/windows/libui/LibUiWinSupport.h"

namespace wl {
namespace {

using namespace test;

TEST(SnippetImportDialog, AnEspansoFileIsImportedAndTheSkippedNamed) {
    TempDir dir;
    const std::string path = dir / "short.lib";
    MakeLibrary(path, {{"brb", "be right back"}}, {Shorthand});
    const std::string file = dir / "base.yml";
    WriteBytes(file,
               "matches:\n"
               "  - triggers: [\":sig\", \":regards\"]\n"
               "    replace: \"Regards,\\n$|$\"\n"
               "  - trigger: \":date\"\n"
               "    replace: \"{{today}}\"\n"
               "    vars: [{name: today, type: date, params: {format: \"%Y-%m-%d\"}}]\n"
               "  - trigger: \":ip\"\n"
               "    replace: \"{{ip}}\"\n"
               "    vars: [{name: ip, type: shell, params: {cmd: curl ifconfig.me}}]\n"
               "  - trigger: \":paste\"\n"
               "    replace: \"{{clipboard}}\"\n"
               "    vars: [{name: clipboard, type: clipboard}]\n");
    MemoryRegistry reg;
    RegistryProfile profile{reg};
    ScriptedHost host;
    host.files.push_back(file);
    CDlgLibOption editor(path, 1, profile, SystemCodePage(), host);
    HWND dlg = editor.Create(nullptr);
    ASSERT_NE(dlg, nullptr);
    ShowWindow(dlg, SW_SHOW);
    Pump(dlg, 200);

    Click(dlg, IDC_LIBOPT_IMPORT);
    Pump(dlg, 200);
    EXPECT_EQ(host.fileAsks, std::vector<bool>{false});
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].text,
              "3 items imported, 2 skipped\r\n\r\nSkipped:\r\n"
              "\":ip\": runs a shell command\r\n"
              "\":paste\": uses the clipboard");
    EXPECT_EQ(host.shown[0].title, "Wordlark");
    EXPECT_EQ(host.shown[0].icon, UiMessage::Icon::Exclamation);
    // The editor is usable again and lists the library with what came in.
    EXPECT_TRUE(IsWindowEnabled(dlg));
    EXPECT_FALSE(IsWindowVisible(editor.waitBox().hwnd()));
    HWND list = GetDlgItem(dlg, IDC_LIBOPT_LIST);
    ASSERT_EQ(RowCount(list), 4);
    EXPECT_EQ(Cell(list, 0, 0), ":date");
    EXPECT_EQ(Cell(list, 0, 1), "%YEAR%-%MONTH_02%-%DAY_02%");
    EXPECT_EQ(Cell(list, 2, 0), ":sig");
    EXPECT_EQ(Cell(list, 2, 1), "Regards,%RETURN%%CARET%");
    EXPECT_EQ(Cell(list, 3, 0), "brb");
    DestroyWindow(dlg);
}

}  // namespace
}  // namespace wl
