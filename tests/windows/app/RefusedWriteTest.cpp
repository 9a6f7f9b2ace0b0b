// A write that the registry refuses is told to the user once, in a message
// box, and not lost in silence: the main window wired to a ReportingRegistry
// as the program wires it, over a registry that refuses every write.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/ReportingRegistry.h"
#include "settings/win32/SettingsDialogs.h"
#include "store/Library.h"
#include "tests/windows/app/AppTestSupport.h"

namespace wl {
namespace {

using namespace test;

struct RefusedWrites : MainWindowTest {
    ReportingRegistry registry{reg, ShowRefusedWrite};  // as VemoShowApp wires it

    void SetUp() override {
        Library lib{SystemCodePage()};
        ASSERT_TRUE(lib.Open((dir / "Libs\\Words.lib").c_str()));
        ASSERT_TRUE(lib.WriteInfo());
        lib.Close();
        // The store exists (an administrator made it), but this user may not
        // change it.
        { RegKey option(reg, RegRoot::LocalMachine, "SOFTWARE\\Quorbit\\Option", true); }
        Start(&registry);
    }
};

TEST_F(RefusedWrites, NothingIsSaidUntilAWriteIsRefusedAndThenOnce) {
    EXPECT_TRUE(DialogScript().Run([&] {
        Command(ID_TRAY_WORD);
        Command(ID_TRAY_WORD);
    }));
    EXPECT_FALSE(registry.AnyRefused());
    // Reading a store this user may not change says nothing either: the
    // start-up read every library's switch.
    reg.refuseWrites = true;
    EXPECT_TRUE(DialogScript().Run([&] { SendMessageA(hwnd, WM_TIMER, ID_STARTUP_TIMER, 0); }));
    EXPECT_FALSE(registry.AnyRefused());

    std::string told;
    DialogScript first;
    first.On("Wordlark - Error", [&](HWND box) {
        told = MessageText(box);
        Click(box, IDOK);
    });
    // The message box is modal: the command returns once it was closed.
    ASSERT_TRUE(first.Run([&] { Command(ID_TRAY_WORD); }))
        << ::testing::PrintToString(first.problems);
    EXPECT_NE(told.find("could not be saved"), std::string::npos) << told;
    EXPECT_NE(told.find("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorbit."), std::string::npos) << told;
    EXPECT_TRUE(registry.AnyRefused());
    EXPECT_TRUE(DialogScript().Run([&] {  // once per run
        Command(ID_TRAY_SHORTHAND);
        Command(ID_TRAY_WORD);
    }));
}

}  // namespace
}  // namespace wl
